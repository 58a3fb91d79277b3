#include "lib/GUI/MsgBoxButtonSet.h"

#include <initializer_list>
#include <string>

namespace {

constexpr char kWhere[] = "LangSectionSet::MsgBox(HWND, string, string, UINT)";

constexpr MsgBoxButtonSet::Button kOk{1, "MSGBOX_OK", "&OK"};
constexpr MsgBoxButtonSet::Button kCancel{2, "MSGBOX_CANCEL", "&Cancel"};
constexpr MsgBoxButtonSet::Button kAbort{3, "MSGBOX_ABORT", "&Abort"};
constexpr MsgBoxButtonSet::Button kRetry{4, "MSGBOX_RETRY", "&Retry"};
constexpr MsgBoxButtonSet::Button kIgnore{5, "MSGBOX_IGNORE", "&Ignore"};
constexpr MsgBoxButtonSet::Button kYes{6, "MSGBOX_YES", "&Yes"};
constexpr MsgBoxButtonSet::Button kNo{7, "MSGBOX_NO", "&No"};
constexpr MsgBoxButtonSet::Button kHelp{9, "MSGBOX_HELP", "&Help"};

struct Kind {
    std::initializer_list<MsgBoxButtonSet::Button> buttons;
    int defaults[3];                  // for MB_DEFBUTTON1, 2 and 3
    std::initializer_list<int> accepted;
    const char* expected;             // the start of the text of an unexpected answer
};

// The single button of MB_OK carries Cancel's identifier so that Escape and Close end the
// box like the button does.
const Kind kKinds[] = {
    {{{2, kOk.key, kOk.defaultCaption}}, {2, -999, -999}, {1, 2}, "Expected buttonid = 0. Got buttonid = "},
    {{kOk, kCancel}, {1, 2, -999}, {1, 2}, "Expected buttonid = 0 or 1. Got buttonid = "},
    {{kAbort, kRetry, kIgnore}, {3, 4, 5}, {3, 4, 5}, "Expected buttonid = 0, 1, or 2. Got buttonid = "},
    {{kYes, kNo, kCancel}, {6, 7, 2}, {2, 6, 7}, "Expected buttonid = 0, 1 or 2. Got buttonid = "},
    {{kYes, kNo}, {6, 7, -999}, {6, 7}, "Expected buttonid = 0 or 1. Got buttonid = "},
    {{kRetry, kCancel}, {4, 2, -999}, {2, 4}, "Expected buttonid = 0 or 1. Got buttonid = "},
};

} // namespace

MsgBoxButtonSet::MsgBoxButtonSet(unsigned style) : kind_(style & 0x0F) {
    if (kind_ >= std::size(kKinds)) {
        const std::string text =
            "MsgBox style=" + std::to_string(kind_) + " does not map to a known set of buttons.";
        FENNEL_THROW(styleid_unknown, kWhere, text.c_str());
    }
    const Kind& kind = kKinds[kind_];
    buttons_.assign(kind.buttons.begin(), kind.buttons.end());
    if (style & kHelpStyle) buttons_.push_back(kHelp);
    switch (style & 0x0F00) {
    case 0x000: defaultId_ = kind.defaults[0]; break;
    case 0x100: defaultId_ = kind.defaults[1]; break;
    case 0x200: defaultId_ = kind.defaults[2]; break;
    default: defaultId_ = kNoDefault; break;
    }
}

bool MsgBoxButtonSet::CanClose() const {
    int others = 0;
    for (const Button& b : buttons_) {
        if (b.id == kCancel.id) return true;
        if (b.id != kHelp.id) ++others;
    }
    return others == 1;
}

int MsgBoxButtonSet::Result(int pressed) const {
    const Kind& kind = kKinds[kind_];
    for (int id : kind.accepted) {
        if (id == pressed) return kind_ == 0 ? 1 : pressed;
    }
    const std::string text = kind.expected + std::to_string(pressed);
    FENNEL_THROW(buttonid_unknown, kWhere, text.c_str());
}
