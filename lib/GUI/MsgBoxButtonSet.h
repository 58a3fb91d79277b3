#pragma once
// MsgBoxButtonSet: what a system message-box style means for the program's own box: the
// buttons in order with their caption keys, the default button, and which pressed buttons
// are valid answers (and what the caller gets for them). Portable; any thread.
#include "support/ContextException.h"

#include <vector>

class MsgBoxButtonSet {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(buttonid_unknown, base_exception);
    FENNEL_EXCEPTION(styleid_unknown, base_exception);

    struct Button {
        int id;
        const char* key;            // language key of the caption
        const char* defaultCaption; // when the language lacks the key
    };

    static constexpr int kNoDefault = -999;
    static constexpr unsigned kHelpStyle = 0x4000; // MB_HELP

    // Throws styleid_unknown for low style bits 6 to 15.
    explicit MsgBoxButtonSet(unsigned style);

    const std::vector<Button>& Buttons() const { return buttons_; }
    int DefaultId() const { return defaultId_; }
    // True when the set has a Cancel button or exactly one button besides Help: then
    // Escape and the window's Close command may end the box.
    bool CanClose() const;

    // The caller's answer for a pressed button; throws buttonid_unknown for a button that
    // this style can't answer.
    int Result(int pressed) const;

private:
    unsigned kind_;
    std::vector<Button> buttons_;
    int defaultId_ = kNoDefault;
};
