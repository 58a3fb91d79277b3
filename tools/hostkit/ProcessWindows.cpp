#include "tools/hostkit/ProcessWindows.h"

#include "inc/string_ext.h"

#include <algorithm>

namespace hostkit {

namespace {

std::string ClassOf(HWND window) {
    char name[256] = {};
    const int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

struct Search {
    DWORD processId;
    const std::string* windowClass;
    const std::string* title;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || !IsWindowVisible(window)) return TRUE;
    if (!search->windowClass->empty() && ClassOf(window) != *search->windowClass) return TRUE;
    if (!search->title->empty() && WindowText(window) != *search->title) return TRUE;
    search->found = window;
    return FALSE;
}

// A system box is a dialog whose message is the static control 0xFFFF; other dialogs (the
// program's own windows, whose 0xFFFF may be a group box) are left alone.
BOOL CALLBACK MatchMessageBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || !IsWindowVisible(window)) return TRUE;
    const std::string cls = ClassOf(window);
    HWND message = cls == "#32770" ? GetDlgItem(window, 0xFFFF) : nullptr;
    if (cls == "MsgBox" || (message && ClassOf(message) == "Static")) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(param);
    list->push_back(window);
    return TRUE;
}

std::vector<HWND> DirectChildren(HWND window) {
    std::vector<HWND> all;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> direct;
    std::copy_if(all.begin(), all.end(), std::back_inserter(direct),
                 [window](HWND child) { return GetParent(child) == window; });
    return direct;
}

std::wstring WideText(HWND window) {
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT n = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

std::string WithoutAmpersands(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    return text;
}

} // namespace

HWND FindProcessWindow(DWORD processId, const std::string& windowClass, const std::string& title,
                       DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        Search search{processId, &windowClass, &title, nullptr};
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount64() - start >= timeoutMs) return nullptr;
        Sleep(20);
    }
}

std::string WindowText(HWND window) {
    // WM_GETTEXT works across processes, unlike GetWindowText for other processes' controls.
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT n = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

std::vector<ControlText> ControlTexts(HWND window) {
    std::vector<ControlText> texts;
    for (HWND child : DirectChildren(window)) {
        texts.push_back({ClassOf(child), GetDlgCtrlID(child), WindowText(child)});
    }
    return texts;
}

std::string MessageText(HWND box) {
    std::string best;
    for (const ControlText& control : ControlTexts(box)) {
        const bool textual = _stricmp(control.windowClass.c_str(), "Static") == 0 ||
                             _stricmp(control.windowClass.c_str(), "Edit") == 0;
        if (!textual) continue;
        if (control.id == 0xFFFF) return control.text;
        if (control.text.size() > best.size()) best = control.text;
    }
    return best;
}

bool PressButton(HWND window, int id) {
    HWND button = GetDlgItem(window, id);
    if (!button) return false;
    return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

bool PressButton(HWND window, const std::string& caption) {
    for (HWND child : DirectChildren(window)) {
        if (_stricmp(ClassOf(child).c_str(), "Button") != 0) continue;
        if (WithoutAmpersands(WindowText(child)) != WithoutAmpersands(caption)) continue;
        return PressButton(window, GetDlgCtrlID(child));
    }
    return false;
}

std::string Utf8(const std::wstring& text) {
    std::string out;
    try_convert_string(text, CP_UTF8, out);
    return out;
}

MessageBoxTexts ReadMessageBox(HWND box) {
    MessageBoxTexts texts;
    texts.caption = Utf8(WideText(box));
    std::wstring message;
    bool messageControl = false; // the static control 0xFFFF of a system box
    for (HWND child : DirectChildren(box)) {
        const std::string cls = ClassOf(child);
        if (_stricmp(cls.c_str(), "Button") == 0) {
            texts.buttons.push_back(Utf8(WideText(child)));
        } else if (_stricmp(cls.c_str(), "Static") == 0 || _stricmp(cls.c_str(), "Edit") == 0) {
            const std::wstring text = WideText(child);
            if (GetDlgCtrlID(child) == 0xFFFF) {
                message = text;
                messageControl = true;
            } else if (!messageControl && text.size() > message.size()) {
                message = text;
            }
        }
    }
    texts.text = Utf8(message);
    return texts;
}

HWND FindMessageBox(DWORD processId) {
    Search search{processId, nullptr, nullptr, nullptr};
    EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool AnswerMessageBox(DWORD processId, int buttonId, DWORD timeoutMs, MessageBoxSeen* seen) {
    // A box just found may still be making its controls (or be a passing window of the box
    // being made): it is answered once it has the button.
    const ULONGLONG start = GetTickCount64();
    HWND box = nullptr;
    for (;;) {
        if ((box = FindMessageBox(processId))) {
            if (seen) {
                seen->caption = WindowText(box);
                seen->text = MessageText(box);
            }
            if (PressButton(box, buttonId)) return true;
        }
        if (GetTickCount64() - start >= timeoutMs) break;
        Sleep(20);
    }
    if (!box) return false;
    // A box without that button: press its first one, so that the process never hangs.
    for (HWND child : DirectChildren(box)) {
        if (_stricmp(ClassOf(child).c_str(), "Button") == 0) {
            PressButton(box, GetDlgCtrlID(child));
            break;
        }
    }
    return false;
}

} // namespace hostkit
