#include "support/FormatApiError.h"

std::string FormatApiError(const char* api, DWORD error) {
    std::string text = std::string("Call to '") + (api ? api : "") + "' returned error " + std::to_string(error);
    char buffer[1024];
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                   buffer, sizeof buffer, nullptr);
    if (n > 0) text += ": " + std::string(buffer, n);
    return text;
}
