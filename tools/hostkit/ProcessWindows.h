#pragma once
// Other processes' windows, as a host or a test drives them: find a top-level window of a
// process by class and title, read the texts of its controls, press one of its buttons.
// A message box shown by the program being driven is answered this way, never left open.
#include <windows.h>

#include <string>
#include <vector>

namespace hostkit {

// A visible top-level window of the process whose class and title match (an empty text
// matches any); polls until timeoutMs have passed. Null when there is none.
HWND FindProcessWindow(DWORD processId, const std::string& windowClass, const std::string& title,
                       DWORD timeoutMs);

struct ControlText {
    std::string windowClass;
    int id;
    std::string text;
};
// The texts of the window's direct children, in z-order.
std::vector<ControlText> ControlTexts(HWND window);
std::string WindowText(HWND window);
// The text of the message box's message (the static control 0xFFFF of a system box, or the
// longest static/edit text of another box).
std::string MessageText(HWND box);

// Presses the child button with this identifier; false when there is none.
bool PressButton(HWND window, int id);
// Presses the child button whose text, without '&', equals caption; false when there is none.
bool PressButton(HWND window, const std::string& caption);

// The process's visible message box: a system box (a dialog with the message control 0xFFFF)
// or the program's own "MsgBox" window. Null when there is none.
HWND FindMessageBox(DWORD processId);

// Finds the process's message box (class "#32770" or "MsgBox") and returns its texts:
// caption and message. Presses the button with identifier buttonId. Answers false when no
// box appeared within timeoutMs or it had no such button (its first button is then pressed).
struct MessageBoxSeen {
    std::string caption;
    std::string text;
};
bool AnswerMessageBox(DWORD processId, int buttonId, DWORD timeoutMs, MessageBoxSeen* seen = nullptr);

// A message box's texts read as wide text and given as UTF-8, so that texts of any language
// compare exactly: caption, message (as MessageText chooses it) and the button captions in
// creation order, '&' kept.
struct MessageBoxTexts {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
};
MessageBoxTexts ReadMessageBox(HWND box);
// The wide text as UTF-8.
std::string Utf8(const std::wstring& text);

} // namespace hostkit
