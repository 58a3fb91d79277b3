#include "lib/GUI/MsgBox.h"

#include "support/FormatApiError.h"

#include <algorithm>
#include <mutex>

namespace {

constexpr wchar_t kClassName[] = L"MsgBox";
constexpr char kWhere[] = "MsgBox(HWND, string, string, vector<string_and_id>, HICON)";

// pop-up, caption, system menu, clipping siblings (and the dialog bits of the template style)
constexpr DWORD kBoxStyle = 0x84C801C5;
// dialog modal frame, window edge, control parent
constexpr DWORD kBoxExStyle = 0x10101;
// child, visible, vertical scroll bar, read-only, multi-line
constexpr DWORD kTextStyle = 0x50200804;
constexpr DWORD kControlExStyle = WS_EX_NOPARENTNOTIFY;
constexpr DWORD kButtonStyle = 0x50010000;      // child, visible, tab stop
constexpr DWORD kFirstButtonStyle = 0x50030000; // and the start of the group
constexpr int kTextId = 0xFFFF;
// calculate, word breaks, no prefixes, edit-control breaking, right-to-left reading
constexpr UINT kMeasureFlags = 0x22C10;
constexpr int kMaxClientWidth = 640;
constexpr int kMaxClientHeight = 480;
constexpr int kBalanceMinWidth = 300;
constexpr int kBalanceStep = 20;

int Round(double value) { return static_cast<int>(value + 0.5); }

// A line feed gets a carriage return in front unless it has one or is the second byte of
// a double-byte character.
std::string AddCarriageReturns(const std::string& text, UINT codePage) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(c)) && i + 1 < text.size()) {
            out += c;
            out += text[++i];
            continue;
        }
        if (c == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += c;
    }
    return out;
}

std::wstring Widen(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    for (UINT cp : {codePage, static_cast<UINT>(CP_ACP)}) {
        const int needed = MultiByteToWideChar(cp, 0, text.data(), length, nullptr, 0);
        if (needed <= 0) continue;
        std::wstring wide(static_cast<std::size_t>(needed), L'\0');
        MultiByteToWideChar(cp, 0, text.data(), length, wide.data(), needed);
        return wide;
    }
    return {};
}

// The box's device context with its font selected, for measuring.
class MeasuringContext {
public:
    MeasuringContext(HWND window, HFONT font) : window_(window), dc_(GetDC(window)) {
        if (dc_) old_ = SelectObject(dc_, font);
        TEXTMETRICW tm{};
        if (dc_ && GetTextMetricsW(dc_, &tm)) {
            lineHeight_ = tm.tmHeight;
            averageWidth_ = tm.tmAveCharWidth;
        }
    }
    ~MeasuringContext() {
        if (!dc_) return;
        SelectObject(dc_, old_);
        ReleaseDC(window_, dc_);
    }
    MeasuringContext(const MeasuringContext&) = delete;
    MeasuringContext& operator=(const MeasuringContext&) = delete;

    int LineHeight() const { return lineHeight_; }
    int AverageWidth() const { return averageWidth_; }

    // The widest line and the sum of the line heights of text broken to width.
    SIZE Measure(const std::wstring& text, int width) const {
        SIZE size{0, 0};
        bool measured = dc_ != nullptr;
        std::size_t start = 0;
        while (measured && start <= text.size()) {
            std::size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos) end = text.size();
            std::wstring line = text.substr(start, end - start);
            if (!line.empty() && line.back() == L'\r') line.pop_back();
            if (line.empty()) {
                size.cy += lineHeight_;
            } else {
                RECT r{0, 0, width, 0};
                if (!DrawTextW(dc_, line.c_str(), static_cast<int>(line.size()), &r, kMeasureFlags)) {
                    measured = false;
                    break;
                }
                size.cx = std::max<LONG>(size.cx, r.right - r.left);
                size.cy += r.bottom - r.top;
            }
            start = end + 1;
        }
        if (!measured) {
            size = SIZE{0, lineHeight_};
            if (dc_) GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        }
        return size;
    }

private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
    int lineHeight_ = 16;
    int averageWidth_ = 7;
};

// The status font of the system's non-client metrics, owned by one box.
class BoxFont {
public:
    explicit BoxFont(UINT codePage) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        BOOL ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
        if (!ok) {
            // Systems before Vista know the structure without its last field.
            metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
            ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
        }
        if (!ok) return;
        // Texts in another code page than the system's need a font of its character set;
        // the system picks one that has it when the status font hasn't.
        CHARSETINFO charset{};
        if (codePage != CP_ACP && codePage != GetACP() &&
            TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<ULONG_PTR>(codePage)), &charset, TCI_SRCCODEPAGE)) {
            metrics.lfStatusFont.lfCharSet = static_cast<BYTE>(charset.ciCharset);
        }
        font_ = CreateFontIndirectW(&metrics.lfStatusFont);
    }
    ~BoxFont() {
        if (font_) DeleteObject(font_);
    }
    BoxFont(const BoxFont&) = delete;
    BoxFont& operator=(const BoxFont&) = delete;

    HFONT Get() const { return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

private:
    HFONT font_ = nullptr;
};

std::once_flag g_unitsOnce;
MsgBox::Units g_units{};

void ComputeUnits(const MeasuringContext& measure) {
    std::call_once(g_unitsOnce, [&] {
        const double x = measure.AverageWidth() / 4.0;
        const double y = measure.LineHeight() / 8.0;
        g_units = MsgBox::Units{Round(7 * x), Round(7 * y), Round(4 * x), Round(4 * y), Round(64 * x), Round(14 * y)};
    });
}

std::mutex g_registerLock;

} // namespace

void RegisterMsgBoxWindowClass() {
    std::lock_guard<std::mutex> lock(g_registerLock);
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (GetClassInfoW(module, kClassName, &wc)) return;
    wc.style = 0;
    wc.lpfnWndProc = &MsgBox::WindowProcEntry;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(5));
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc)) {
        const std::string text = FormatApiError("RegisterClass()", GetLastError());
        FENNEL_THROW(MsgBox::register_failed, "RegisterMsgBoxWindowClass()", text.c_str());
    }
}

MsgBox::Units MsgBox::LayoutUnits() { return g_units; }

int MsgBox::Show(HWND owner, const std::string& text, const char* caption,
                 const std::vector<string_and_id>& buttons, int defaultId, HICON icon, UINT codePage) {
    const std::wstring wideText = Widen(AddCarriageReturns(text, codePage), codePage);
    const std::wstring wideCaption = Widen(caption ? caption : "Error", codePage);

    // The owner is the top-level window above the given one, disabled while the box shows.
    HWND top = owner;
    while (top && (GetWindowLongW(top, GWL_STYLE) & WS_CHILD)) top = GetParent(top);
    const bool ownerWasEnabled = top && IsWindowEnabled(top);
    if (top) EnableWindow(top, FALSE);

    MsgBox state(icon, std::any_of(buttons.begin(), buttons.end(),
                                   [](const string_and_id& b) { return b.id == kHelpId; }));
    for (const string_and_id& b : buttons) state.ids_.push_back(b.id);
    {
        int others = 0;
        bool cancel = false;
        for (int id : state.ids_) {
            cancel = cancel || id == kCancelId;
            if (id != kHelpId) ++others;
        }
        state.canClose_ = cancel || others == 1;
    }

    BoxFont font(codePage);
    HWND box = nullptr;
    // Whatever happens, the owner comes back and the box goes.
    struct Restore {
        HWND& box;
        HWND top;
        bool enable;
        ~Restore() {
            if (top && enable) EnableWindow(top, TRUE);
            if (top && enable) SetActiveWindow(top);
            if (box) DestroyWindow(box);
        }
    } restore{box, top, ownerWasEnabled};

    RegisterMsgBoxWindowClass();
    HINSTANCE module = GetModuleHandleW(nullptr);
    box = CreateWindowExW(kBoxExStyle, kClassName, L"", kBoxStyle, 100, 100, 200, 200, top, nullptr,
                          module, &state);
    if (!box) {
        const std::string error = FormatApiError("CWindow::Create()", GetLastError());
        FENNEL_THROW(create_failed, kWhere, error.c_str());
    }
    EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE,
                   MF_BYCOMMAND | (state.canClose_ ? MF_ENABLED : MF_GRAYED));
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);

    MeasuringContext measure(box, font.Get());
    ComputeUnits(measure);
    const Units u = g_units;

    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, kBoxStyle, FALSE, kBoxExStyle);
    const int maxWidth = kMaxClientWidth - (frame.right - frame.left);
    const int maxHeight = kMaxClientHeight - (frame.bottom - frame.top);
    const int available = maxWidth - 2 * u.hMargin;

    // Buttons: one row when it fits, a tighter row when that fits, else several rows.
    std::vector<std::wstring> captions;
    int widest = 0, tallest = 0;
    for (const string_and_id& b : buttons) {
        captions.push_back(Widen(b.text, codePage));
        const SIZE s = measure.Measure(captions.back(), available);
        widest = std::max<int>(widest, s.cx);
        tallest = std::max<int>(tallest, s.cy);
    }
    const int count = static_cast<int>(buttons.size());
    int buttonWidth = std::max(widest + 8, u.minButtonWidth);
    const int buttonHeight = std::max(tallest + 8, u.minButtonHeight);
    int gap = u.hGap;
    int perRow = count;
    auto rowWidth = [&](int n) { return n ? n * buttonWidth + (n - 1) * gap : 0; };
    if (count && rowWidth(count) > available) {
        const int half = (available - count * widest) / count / 2;
        if (half >= 0 && count * (widest + half) + (count - 1) * half <= available) {
            buttonWidth = widest + half;
            gap = half;
        } else {
            // As many buttons in a row as fit, so that every button lies inside the box.
            buttonWidth = std::min(buttonWidth, available);
            perRow = std::max(1, std::min(count, (available + gap) / (buttonWidth + gap)));
        }
    }
    const int rows = count ? (count + perRow - 1) / perRow : 0;
    const int buttonsWidth = rowWidth(perRow);
    const int buttonsHeight = rows ? rows * buttonHeight + (rows - 1) * u.vGap : 0;

    // Icon and text.
    const int iconWidth = icon ? GetSystemMetrics(SM_CXICON) : 0;
    const int iconHeight = icon ? GetSystemMetrics(SM_CYICON) : 0;
    const int iconGap = icon ? u.vMargin : 0;
    state.iconAt_ = POINT{u.hMargin, u.hMargin};
    const int textAvailable = available - iconWidth - iconGap;
    const int maxTextHeight = std::max(measure.LineHeight(), maxHeight - 2 * u.hMargin - u.vMargin - buttonsHeight);
    auto clientFor = [&](int textWidth, int textHeight) {
        const int width = 2 * u.hMargin + iconWidth + iconGap + std::max(textWidth, buttonsWidth - iconWidth - iconGap);
        const int height = 2 * u.hMargin + std::max(iconHeight, std::min(textHeight, maxTextHeight)) + u.vMargin + buttonsHeight;
        return SIZE{width, height};
    };

    SIZE textSize = measure.Measure(wideText, textAvailable);
    // Balance a wide text towards 4:3 by narrowing it.
    if (textSize.cx > textSize.cy && textSize.cx > kBalanceMinWidth &&
        (textSize.cy >= 2 * measure.LineHeight() || textSize.cx >= 400)) {
        int width = textSize.cx;
        while (width - kBalanceStep > kBalanceMinWidth) {
            const SIZE narrower = measure.Measure(wideText, width - kBalanceStep);
            const SIZE client = clientFor(narrower.cx, narrower.cy);
            if (3 * client.cx < 4 * client.cy || narrower.cy > maxTextHeight) break;
            width -= kBalanceStep;
            textSize = narrower;
        }
    }
    const bool scrolls = textSize.cy > maxTextHeight;
    int textWidth = textSize.cx;
    if (scrolls) {
        const int bar = GetSystemMetrics(SM_CXVSCROLL);
        textWidth = measure.Measure(wideText, textAvailable - bar).cx + bar;
    }
    textWidth = std::max(textWidth, buttonsWidth - iconWidth - iconGap);
    const int textHeight = std::min<int>(textSize.cy, maxTextHeight);
    const SIZE client = clientFor(textWidth, textHeight);

    HWND edit = CreateWindowExW(kControlExStyle, L"EDIT", L"", kTextStyle, u.hMargin + iconWidth + iconGap,
                                u.hMargin, textWidth, textHeight, box,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), module, nullptr);
    if (!edit) {
        const std::string error = FormatApiError("CWindow::Create('EDIT')", GetLastError());
        FENNEL_THROW(create_failed, kWhere, error.c_str());
    }
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    if (!scrolls) {
        EnableScrollBar(edit, SB_VERT, ESB_DISABLE_BOTH);
        ShowScrollBar(edit, SB_VERT, FALSE);
        SetWindowLongW(edit, GWL_STYLE, static_cast<LONG>(kTextStyle & ~WS_VSCROLL));
        SetWindowPos(edit, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    SetWindowTextW(edit, wideText.c_str());

    // Size from the client area, then centred on the owner or the work area and kept inside it.
    RECT outer{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&outer, kBoxStyle, FALSE, kBoxExStyle);
    const int boxWidth = outer.right - outer.left, boxHeight = outer.bottom - outer.top;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT around = work;
    if (top && IsWindowVisible(top) && !IsIconic(top)) GetWindowRect(top, &around);
    int x = around.left + ((around.right - around.left) - boxWidth) / 2;
    int y = around.top + ((around.bottom - around.top) - boxHeight) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - boxWidth));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - boxHeight));
    SetWindowPos(box, nullptr, x, y, boxWidth, boxHeight, SWP_NOZORDER | SWP_NOACTIVATE);

    // Buttons row by row, each row centred.
    const int firstRowY = u.hMargin + std::max(iconHeight, textHeight) + u.vMargin;
    HWND focus = nullptr;
    bool focusIsDefault = false;
    for (int i = 0; i < count; ++i) {
        const int row = i / perRow, column = i % perRow;
        const int inRow = std::min(perRow, count - row * perRow);
        const int left = (client.cx - rowWidth(inRow)) / 2 + column * (buttonWidth + gap);
        const int topY = firstRowY + row * (buttonHeight + u.vGap);
        HWND button = CreateWindowExW(kControlExStyle, L"BUTTON", captions[static_cast<std::size_t>(i)].c_str(),
                                      i == 0 ? kFirstButtonStyle : kButtonStyle, left, topY, buttonWidth,
                                      buttonHeight, box,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(buttons[static_cast<std::size_t>(i)].id)),
                                      module, nullptr);
        if (!button) {
            const std::string error = FormatApiError("CWindow::Create('BUTTON')", GetLastError());
            FENNEL_THROW(create_failed, kWhere, error.c_str());
        }
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
        const bool isDefault = buttons[static_cast<std::size_t>(i)].id == defaultId;
        if (!focus || (isDefault && !focusIsDefault)) {
            focus = button;
            focusIsDefault = isDefault;
        }
    }

    SetWindowTextW(box, wideCaption.c_str());
    ShowWindow(box, SW_SHOW);
    UpdateWindow(box);
    // Without a matching default the focused first button is the default, so that Enter
    // presses it as it does in the system's box.
    if (focus) SendMessageW(box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    const int effectiveDefault = focusIsDefault || !focus ? defaultId : GetDlgCtrlID(focus);
    SendMessageW(box, DM_SETDEFID, static_cast<WPARAM>(effectiveDefault), 0);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (top && msg.hwnd == top && GetActiveWindow() != box) SetActiveWindow(box);
        const bool escape = (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR) &&
                            msg.wParam == VK_ESCAPE;
        const bool close = msg.message == WM_CLOSE ||
                           (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE);
        if (!state.canClose_ && (escape || close)) continue;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && state.hasHelp_) {
            state.RequestHelp(box);
            continue;
        }
        if (!IsDialogMessageW(box, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return state.result_;
}

LRESULT CALLBACK MsgBox::WindowProcEntry(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MsgBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    try {
        if (self) return self->HandleMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
    }
    return DefDlgProcW(hwnd, msg, wParam, lParam);
}

LRESULT MsgBox::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            OnCommand(hwnd, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_PAINT:
        if (icon_) {
            PAINTSTRUCT ps;
            if (HDC dc = BeginPaint(hwnd, &ps)) {
                DrawIcon(dc, iconAt_.x, iconAt_.y, icon_);
                EndPaint(hwnd, &ps);
            }
            return 0;
        }
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wParam == VK_ESCAPE) return 0;
        break;
    case WM_CLOSE:
        if (!canClose_) return 0;
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE && !canClose_) return 0;
        break;
    default:
        break;
    }
    return DefDlgProcW(hwnd, msg, wParam, lParam);
}

void MsgBox::OnCommand(HWND hwnd, int id) {
    // Only the box's own buttons answer; Escape or Close reach here as Cancel only when allowed.
    if (std::find(ids_.begin(), ids_.end(), id) == ids_.end()) return;
    if (id == kHelpId) {
        RequestHelp(hwnd);
        return;
    }
    result_ = id;
    EnableWindow(hwnd, FALSE);
    PostQuitMessage(id);
}

void MsgBox::RequestHelp(HWND hwnd) const {
    // Help goes to the parent of a box shown as a child window; a pop-up box has none.
    if (!hasHelp_ || !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return;
    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = -1;
    info.hItemHandle = hwnd;
    GetCursorPos(&info.MousePos);
    SendMessageW(GetParent(hwnd), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}
