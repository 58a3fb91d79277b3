#pragma once
// VariantArray: owns the one-dimensional SAFEARRAY of VARIANTs that a recording API call
// answered, and reads it as numbers or texts (values of other types are left out). One thread.
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

class VariantArray {
public:
    VariantArray() = default;
    ~VariantArray();
    VariantArray(const VariantArray&) = delete;
    VariantArray& operator=(const VariantArray&) = delete;

    // For out-arguments; the array must be empty.
    SAFEARRAY** put() { return &array_; }

    std::vector<LONG> Numbers() const;
    std::vector<std::wstring> Texts() const;

private:
    template <class Visit>
    void ForEach(Visit visit) const;

    SAFEARRAY* array_ = nullptr;
};
