#include "recorder/VariantArray.h"

VariantArray::~VariantArray() {
    if (array_) SafeArrayDestroy(array_);
}

template <class Visit>
void VariantArray::ForEach(Visit visit) const {
    VARTYPE type = VT_EMPTY;
    if (!array_ || SafeArrayGetDim(array_) != 1 || FAILED(SafeArrayGetVartype(array_, &type)) || type != VT_VARIANT) return;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array_, 1, &low);
    SafeArrayGetUBound(array_, 1, &high);
    VARIANT* values = nullptr;
    if (FAILED(SafeArrayAccessData(array_, reinterpret_cast<void**>(&values)))) return;
    for (LONG i = 0; i <= high - low; ++i) visit(values[i]);
    SafeArrayUnaccessData(array_);
}

std::vector<LONG> VariantArray::Numbers() const {
    std::vector<LONG> numbers;
    ForEach([&](VARIANT& value) {
        VARIANT copy;
        VariantInit(&copy);
        if (SUCCEEDED(VariantChangeType(&copy, &value, 0, VT_I4))) numbers.push_back(V_I4(&copy));
    });
    return numbers;
}

std::vector<std::wstring> VariantArray::Texts() const {
    std::vector<std::wstring> texts;
    ForEach([&](VARIANT& value) {
        if (V_VT(&value) != VT_BSTR) return;
        BSTR text = V_BSTR(&value);
        texts.push_back(text ? std::wstring(text, SysStringLen(text)) : std::wstring());
    });
    return texts;
}
