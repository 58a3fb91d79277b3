#include "tests/GUI/BoxThread.h"

#include "support/ComPtr.h"
#include "support/UniqueHandle.h"
#include "tests/common/ProcessWindows.h"

#include <wincodec.h>

#include <chrono>

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

HWND BoxThread::Find(const char* windowClass, DWORD timeoutMs) {
    HWND found = testsupport::FindProcessWindow(GetCurrentProcessId(), windowClass, "", timeoutMs);
    if (found) {
        // Answered once the box's thread takes messages again, after its set-up.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(found, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
    }
    return found;
}

int BoxThread::Wait(DWORD timeoutMs) {
    if (result_.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) return kTimedOut;
    return result_.get();
}

bool SaveWindowPng(HWND window, const std::string& path) {
    RECT r;
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return false;
    const int width = r.right - r.left, height = r.bottom - r.top;
    // The window and its controls painted now, then copied from the screen.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    Sleep(300);
    const UniqueDC screen(nullptr);
    const UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    HDC memory = CreateCompatibleDC(screen.get());
    HGDIOBJ old = SelectObject(memory, bitmap.get());
    BitBlt(memory, 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);

    // Encoded by the system's imaging component; the paths here are ASCII.
    const ScopedComInit com;
    const std::wstring widePath(path.begin(), path.end());
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmap> picture;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      factory.put_void())) &&
           SUCCEEDED(factory->CreateBitmapFromHBITMAP(bitmap.get(), nullptr, WICBitmapIgnoreAlpha, picture.put())) &&
           SUCCEEDED(factory->CreateStream(stream.put())) &&
           SUCCEEDED(stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) &&
           SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->WriteSource(picture.get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}
