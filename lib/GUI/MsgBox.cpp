#include "lib/GUI/MsgBox.h"

#include "string_ext.h"
#include "support/FormatApiError.h"
#include "support/UniqueHandle.h"

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

// The wide form of a byte text in codePage, else in the system's code page; empty when
// both refuse it.
std::wstring Widen(const std::string& text, UINT codePage) {
    std::wstring wide;
    if (!try_convert_wstring(text, codePage, wide)) try_convert_wstring(text, CP_ACP, wide);
    return wide;
}

// The status font of the system's non-client metrics, in the character set of codePage;
// null when the system doesn't answer.
UniqueFont CreateBoxFont(UINT codePage) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    BOOL ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    if (!ok) {
        // Systems before Vista know the structure without its last field.
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    }
    if (!ok) return UniqueFont();
    // Texts in another code page than the system's need a font of its character set;
    // the system picks one that has it when the status font hasn't.
    CHARSETINFO charset{};
    if (codePage != CP_ACP && codePage != GetACP() &&
        TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<ULONG_PTR>(codePage)), &charset, TCI_SRCCODEPAGE)) {
        metrics.lfStatusFont.lfCharSet = static_cast<BYTE>(charset.ciCharset);
    }
    return UniqueFont(CreateFontIndirectW(&metrics.lfStatusFont));
}

} // namespace

// The box's device context with its font selected, for measuring.
class MsgBox::TextMeasure {
public:
    TextMeasure(HWND window, HFONT font) : dc_(window) {
        if (dc_) old_ = SelectObject(dc_.get(), font);
        TEXTMETRICW tm{};
        if (dc_ && GetTextMetricsW(dc_.get(), &tm)) {
            lineHeight_ = tm.tmHeight;
            averageWidth_ = tm.tmAveCharWidth;
        }
    }
    ~TextMeasure() {
        if (dc_) SelectObject(dc_.get(), old_);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    int LineHeight() const { return lineHeight_; }
    int AverageWidth() const { return averageWidth_; }

    // The widest line and the sum of the line heights of text broken to width.
    SIZE Measure(const std::wstring& text, int width) const {
        const HDC dc = dc_.get();
        SIZE size{0, 0};
        bool measured = dc != nullptr;
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
                if (!DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &r, kMeasureFlags)) {
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
            if (dc) GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        }
        return size;
    }

private:
    UniqueDC dc_;
    HGDIOBJ old_ = nullptr;
    int lineHeight_ = 16;
    int averageWidth_ = 7;
};

// The lengths of one box, in pixels of its client area.
struct MsgBox::Layout {
    Units u{};
    int available = 0; // width inside the margins
    int maxHeight = 0; // of the client area
    int buttonWidth = 0, buttonHeight = 0, gap = 0, perRow = 0, count = 0;
    int buttonsWidth = 0, buttonsHeight = 0;
    int iconWidth = 0, iconHeight = 0, iconGap = 0;
    int maxTextHeight = 0;
    int textWidth = 0, textHeight = 0;
    bool scrolls = false;
    SIZE client{0, 0};

    int RowWidth(int n) const { return n ? n * buttonWidth + (n - 1) * gap : 0; }
    SIZE ClientFor(int width, int height) const {
        return SIZE{2 * u.hMargin + iconWidth + iconGap + std::max(width, buttonsWidth - iconWidth - iconGap),
                    2 * u.hMargin + std::max(iconHeight, std::min(height, maxTextHeight)) + u.vMargin + buttonsHeight};
    }
};

namespace {

std::once_flag g_unitsOnce;
MsgBox::Units g_units{};

void ComputeUnits(int averageWidth, int lineHeight) {
    std::call_once(g_unitsOnce, [&] {
        const double x = averageWidth / 4.0;
        const double y = lineHeight / 8.0;
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

MsgBox::MsgBox(HICON icon, const std::vector<string_and_id>& buttons) : icon_(icon) {
    int others = 0;
    bool cancel = false;
    for (const string_and_id& b : buttons) {
        ids_.push_back(b.id);
        hasHelp_ = hasHelp_ || b.id == kHelpId;
        cancel = cancel || b.id == kCancelId;
        if (b.id != kHelpId) ++others;
    }
    canClose_ = cancel || others == 1;
}

int MsgBox::Show(HWND owner, const std::string& text, const char* caption,
                 const std::vector<string_and_id>& buttons, int defaultId, HICON icon, UINT codePage) {
    const std::wstring wideText = Widen(AddCarriageReturns(text, codePage), codePage);
    const std::wstring wideCaption = Widen(caption ? caption : "Error", codePage);
    std::vector<std::wstring> captions;
    for (const string_and_id& b : buttons) captions.push_back(Widen(b.text, codePage));

    // The owner is the top-level window above the given one, disabled while the box shows.
    HWND top = owner;
    while (top && (GetWindowLongW(top, GWL_STYLE) & WS_CHILD)) top = GetParent(top);
    const bool ownerWasEnabled = top && IsWindowEnabled(top);

    MsgBox state(icon, buttons);
    const UniqueFont ownFont = CreateBoxFont(codePage);
    const HFONT font = ownFont ? ownFont.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    UniqueWindow box;
    // Whatever happens, the owner comes back before the box goes.
    struct Restore {
        HWND top;
        bool enable;
        ~Restore() {
            if (top && enable) EnableWindow(top, TRUE);
            if (top && enable) SetActiveWindow(top);
        }
    };
    const Restore restore{top, ownerWasEnabled};
    if (top) EnableWindow(top, FALSE);

    box.reset(state.CreateBox(top, font));
    Layout layout;
    {
        const TextMeasure measure(box.get(), font);
        ComputeUnits(measure.AverageWidth(), measure.LineHeight());
        layout.u = g_units;
        RECT frame{0, 0, 0, 0};
        AdjustWindowRectEx(&frame, kBoxStyle, FALSE, kBoxExStyle);
        layout.available = kMaxClientWidth - (frame.right - frame.left) - 2 * layout.u.hMargin;
        layout.maxHeight = kMaxClientHeight - (frame.bottom - frame.top);
        LayOutButtons(layout, measure, captions);
        state.LayOutText(layout, measure, wideText);
    }
    CreateText(box.get(), layout, wideText, font);
    PlaceBox(box.get(), top, layout);
    const HWND focus = CreateButtons(box.get(), layout, buttons, captions, font, defaultId);
    SetWindowTextW(box.get(), wideCaption.c_str());
    ShowWindow(box.get(), SW_SHOW);
    UpdateWindow(box.get());
    // Without a matching default the focused first button is the default, so that Enter
    // presses it as it does in the system's box.
    if (focus) SendMessageW(box.get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    const bool focusIsDefault = focus && GetDlgCtrlID(focus) == defaultId;
    const int effectiveDefault = focusIsDefault || !focus ? defaultId : GetDlgCtrlID(focus);
    SendMessageW(box.get(), DM_SETDEFID, static_cast<WPARAM>(effectiveDefault), 0);
    return state.Run(box.get(), top);
}

HWND MsgBox::CreateBox(HWND top, HFONT font) {
    RegisterMsgBoxWindowClass();
    HWND box = CreateWindowExW(kBoxExStyle, kClassName, L"", kBoxStyle, 100, 100, 200, 200, top, nullptr,
                               GetModuleHandleW(nullptr), this);
    if (!box) {
        const std::string error = FormatApiError("CWindow::Create()", GetLastError());
        FENNEL_THROW(create_failed, kWhere, error.c_str());
    }
    EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | (canClose_ ? MF_ENABLED : MF_GRAYED));
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return box;
}

void MsgBox::LayOutButtons(Layout& layout, const TextMeasure& measure, const std::vector<std::wstring>& captions) {
    // One row when it fits, a tighter row when that fits, else several rows.
    const Units& u = layout.u;
    const int available = layout.available;
    int widest = 0, tallest = 0;
    for (const std::wstring& caption : captions) {
        const SIZE s = measure.Measure(caption, available);
        widest = std::max<int>(widest, s.cx);
        tallest = std::max<int>(tallest, s.cy);
    }
    const int count = static_cast<int>(captions.size());
    layout.count = count;
    layout.buttonWidth = std::max(widest + 8, u.minButtonWidth);
    layout.buttonHeight = std::max(tallest + 8, u.minButtonHeight);
    layout.gap = u.hGap;
    layout.perRow = count;
    if (count && layout.RowWidth(count) > available) {
        const int half = (available - count * widest) / count / 2;
        if (half >= 0 && count * (widest + half) + (count - 1) * half <= available) {
            layout.buttonWidth = widest + half;
            layout.gap = half;
        } else {
            // As many buttons in a row as fit, so that every button lies inside the box.
            layout.buttonWidth = std::min(layout.buttonWidth, available);
            layout.perRow = std::max(1, std::min(count, (available + layout.gap) / (layout.buttonWidth + layout.gap)));
        }
    }
    const int rows = count ? (count + layout.perRow - 1) / layout.perRow : 0;
    layout.buttonsWidth = layout.RowWidth(layout.perRow);
    layout.buttonsHeight = rows ? rows * layout.buttonHeight + (rows - 1) * u.vGap : 0;
}

void MsgBox::LayOutText(Layout& layout, const TextMeasure& measure, const std::wstring& text) {
    const Units& u = layout.u;
    layout.iconWidth = icon_ ? GetSystemMetrics(SM_CXICON) : 0;
    layout.iconHeight = icon_ ? GetSystemMetrics(SM_CYICON) : 0;
    layout.iconGap = icon_ ? u.vMargin : 0;
    iconAt_ = POINT{u.hMargin, u.hMargin};
    const int textAvailable = layout.available - layout.iconWidth - layout.iconGap;
    layout.maxTextHeight = std::max(measure.LineHeight(),
                                    layout.maxHeight - 2 * u.hMargin - u.vMargin - layout.buttonsHeight);

    SIZE textSize = measure.Measure(text, textAvailable);
    // Balance a wide text towards 4:3 by narrowing it.
    if (textSize.cx > textSize.cy && textSize.cx > kBalanceMinWidth &&
        (textSize.cy >= 2 * measure.LineHeight() || textSize.cx >= 400)) {
        int width = textSize.cx;
        while (width - kBalanceStep > kBalanceMinWidth) {
            const SIZE narrower = measure.Measure(text, width - kBalanceStep);
            const SIZE client = layout.ClientFor(narrower.cx, narrower.cy);
            if (3 * client.cx < 4 * client.cy || narrower.cy > layout.maxTextHeight) break;
            width -= kBalanceStep;
            textSize = narrower;
        }
    }
    layout.scrolls = textSize.cy > layout.maxTextHeight;
    int textWidth = textSize.cx;
    if (layout.scrolls) {
        const int bar = GetSystemMetrics(SM_CXVSCROLL);
        textWidth = measure.Measure(text, textAvailable - bar).cx + bar;
    }
    layout.textWidth = std::max(textWidth, layout.buttonsWidth - layout.iconWidth - layout.iconGap);
    layout.textHeight = std::min<int>(textSize.cy, layout.maxTextHeight);
    layout.client = layout.ClientFor(layout.textWidth, layout.textHeight);
}

void MsgBox::CreateText(HWND box, const Layout& layout, const std::wstring& text, HFONT font) {
    HWND edit = CreateWindowExW(kControlExStyle, L"EDIT", L"", kTextStyle,
                                layout.u.hMargin + layout.iconWidth + layout.iconGap, layout.u.hMargin,
                                layout.textWidth, layout.textHeight, box,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!edit) {
        const std::string error = FormatApiError("CWindow::Create('EDIT')", GetLastError());
        FENNEL_THROW(create_failed, kWhere, error.c_str());
    }
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    if (!layout.scrolls) {
        EnableScrollBar(edit, SB_VERT, ESB_DISABLE_BOTH);
        ShowScrollBar(edit, SB_VERT, FALSE);
        SetWindowLongW(edit, GWL_STYLE, static_cast<LONG>(kTextStyle & ~WS_VSCROLL));
        SetWindowPos(edit, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    SetWindowTextW(edit, text.c_str());
}

void MsgBox::PlaceBox(HWND box, HWND top, const Layout& layout) {
    // Size from the client area, then centred on the owner or the work area and kept inside it.
    RECT outer{0, 0, layout.client.cx, layout.client.cy};
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
}

HWND MsgBox::CreateButtons(HWND box, const Layout& layout, const std::vector<string_and_id>& buttons,
                           const std::vector<std::wstring>& captions, HFONT font, int defaultId) {
    // Row by row, each row centred; the focus goes to the default or else the first button.
    const Units& u = layout.u;
    const int firstRowY = u.hMargin + std::max(layout.iconHeight, layout.textHeight) + u.vMargin;
    HWND focus = nullptr;
    bool focusIsDefault = false;
    for (int i = 0; i < layout.count; ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        const int row = i / layout.perRow, column = i % layout.perRow;
        const int inRow = std::min(layout.perRow, layout.count - row * layout.perRow);
        const int left = (layout.client.cx - layout.RowWidth(inRow)) / 2 + column * (layout.buttonWidth + layout.gap);
        const int topY = firstRowY + row * (layout.buttonHeight + u.vGap);
        HWND button = CreateWindowExW(kControlExStyle, L"BUTTON", captions[index].c_str(),
                                      i == 0 ? kFirstButtonStyle : kButtonStyle, left, topY, layout.buttonWidth,
                                      layout.buttonHeight, box,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(buttons[index].id)),
                                      GetModuleHandleW(nullptr), nullptr);
        if (!button) {
            const std::string error = FormatApiError("CWindow::Create('BUTTON')", GetLastError());
            FENNEL_THROW(create_failed, kWhere, error.c_str());
        }
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        const bool isDefault = buttons[index].id == defaultId;
        if (!focus || (isDefault && !focusIsDefault)) {
            focus = button;
            focusIsDefault = isDefault;
        }
    }
    return focus;
}

int MsgBox::Run(HWND box, HWND top) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (top && msg.hwnd == top && GetActiveWindow() != box) SetActiveWindow(box);
        const bool escape = (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR) &&
                            msg.wParam == VK_ESCAPE;
        const bool close = msg.message == WM_CLOSE ||
                           (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE);
        if (!canClose_ && (escape || close)) continue;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && hasHelp_) {
            RequestHelp(box);
            continue;
        }
        if (!IsDialogMessageW(box, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return result_;
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
