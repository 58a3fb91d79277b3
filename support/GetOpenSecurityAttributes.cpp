#include "support/GetOpenSecurityAttributes.h"

namespace {

// Built once, on first use; lives for the whole process.
struct OpenSecurity {
    SECURITY_DESCRIPTOR descriptor{};
    SECURITY_ATTRIBUTES attributes{};
    bool usable = false;

    OpenSecurity() {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return;
        if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return;
        if (!SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) return;
        attributes.nLength = sizeof attributes;
        attributes.lpSecurityDescriptor = &descriptor;
        attributes.bInheritHandle = FALSE;
        usable = true;
    }
};

} // namespace

SECURITY_ATTRIBUTES* GetOpenSecurityAttributes() {
    static OpenSecurity security; // initialised once, thread-safely
    return security.usable ? &security.attributes : nullptr;
}
