#pragma once
// GetOpenSecurityAttributes: the security attributes passed to every shared kernel object
// (mutexes, file mappings, semaphores): a null DACL, so every user has full access, and
// handles that are not inherited. Null (default security) outside the NT platform family.
#include <windows.h>

SECURITY_ATTRIBUTES* GetOpenSecurityAttributes();
