#pragma once
// Bstr: one owned BSTR, for the texts passed to and taken from the engine. Conversions use
// the system's code page, the one the program's paths and texts are in.
#include <objbase.h>
#include <oleauto.h>

#include <new>
#include <string>

#include "string_ext.h"

class Bstr {
public:
    Bstr() = default;
    // Throws std::bad_alloc when no BSTR can be allocated, convert_wstring_failed for text
    // the code page refuses.
    explicit Bstr(const std::string& text) : Bstr(convert_wstring(text, CP_ACP)) {}
    explicit Bstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!value_) throw std::bad_alloc();
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }

    BSTR get() const { return value_; }
    // For out-arguments: frees the current text first.
    BSTR* put() {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::wstring Wide() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }
    // The text in the system's code page; "" when it can't be converted.
    std::string Narrow() const {
        try {
            return convert_string(Wide(), CP_ACP);
        } catch (...) {
            return std::string();
        }
    }

private:
    BSTR value_ = nullptr;
};
