#pragma once
// FormatApiError: the report of a failed system call, "Call to '<api>' returned error <code>",
// followed by ": " and the system's own text for the code when it has one.
#include <windows.h>

#include <string>

std::string FormatApiError(const char* api, DWORD error);
