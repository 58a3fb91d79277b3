#include "tests/GUI/BoxThread.h"

#include <algorithm>
#include <chrono>
#include <fstream>

BoxThread::BoxThread(std::function<int()> show) {
    std::packaged_task<int()> task(std::move(show));
    result_ = task.get_future();
    std::future<DWORD> id = started_.get_future();
    thread_ = std::thread([this, t = std::move(task)]() mutable {
        started_.set_value(GetCurrentThreadId());
        t();
    });
    threadId_ = id.get();
}

BoxThread::~BoxThread() {
    if (result_.valid() && result_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    }
    thread_.join();
}

HWND BoxThread::Find(const wchar_t* windowClass) {
    struct Search {
        const wchar_t* windowClass;
        HWND found;
    };
    for (int tries = 0; tries < 500; ++tries, Sleep(20)) {
        Search search{windowClass, nullptr};
        EnumThreadWindows(threadId_, [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (lstrcmpiW(name, s->windowClass) != 0 || !IsWindowVisible(window)) return TRUE;
            s->found = window;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&search));
        if (!search.found) continue;
        // Answered once the box's thread takes messages again, after its set-up.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
        return search.found;
    }
    return nullptr;
}

int BoxThread::Wait() {
    return result_.wait_for(std::chrono::seconds(10)) == std::future_status::ready ? result_.get() : kTimedOut;
}

std::string TextOf(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring WideText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<std::pair<int, std::wstring>> ButtonTexts(HWND window) {
    std::vector<std::pair<RECT, HWND>> found;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        RECT r{};
        GetWindowRect(child, &r);
        if (lstrcmpiW(name, L"Button") == 0) found.emplace_back(r, child);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.top != b.first.top ? a.first.top < b.first.top : a.first.left < b.first.left;
    });
    std::vector<std::pair<int, std::wstring>> buttons;
    for (const auto& f : found) buttons.emplace_back(GetDlgCtrlID(f.second), WideText(f.second));
    return buttons;
}

bool SaveWindowBmp(HWND window, const std::string& path) {
    RECT r;
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return false;
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    // The window and its controls painted now, then copied from the screen.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    Sleep(300);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, '\0');
    const int lines = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    BITMAPFILEHEADER header{0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(&header), sizeof header);
    file.write(reinterpret_cast<const char*>(&info), sizeof info);
    file.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return lines == height && file.good();
}
