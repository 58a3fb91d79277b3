#include "ui/PictureFrames.h"

#include <cstdint>

namespace {

constexpr int kFrameSize = 64; // pixels at 96 dots per inch

} // namespace

void PictureFrames::Load(HINSTANCE instance, std::initializer_list<int> ids) {
    frames_.clear();
    current_ = 0;
    for (int id : ids) frames_.push_back(LoadRecoloured(instance, id));
}

HBITMAP PictureFrames::Next() {
    if (!First()) return nullptr;
    current_ = (current_ + 1) % frames_.size();
    return frames_[current_].get();
}

UniqueBitmap PictureFrames::LoadRecoloured(HINSTANCE instance, int id) {
    int dpi = 96;
    if (const UniqueDC screen(nullptr); screen) dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int size = dpi > 96 ? MulDiv(kFrameSize, dpi, 96) : 0;
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, size, size, LR_CREATEDIBSECTION)));
    DIBSECTION section{};
    if (!bitmap || GetObjectA(bitmap.get(), sizeof section, &section) != sizeof section ||
        section.dsBm.bmBitsPixel != 24 || !section.dsBm.bmBits) {
        return bitmap;
    }
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    auto* bits = static_cast<std::uint8_t*>(section.dsBm.bmBits);
    for (int y = 0; y < section.dsBm.bmHeight; ++y) {
        std::uint8_t* pixel = bits + static_cast<std::size_t>(y) * section.dsBm.bmWidthBytes;
        for (int x = 0; x < section.dsBm.bmWidth; ++x, pixel += 3) {
            if (pixel[0] == 192 && pixel[1] == 192 && pixel[2] == 192) {
                pixel[0] = GetBValue(face);
                pixel[1] = GetGValue(face);
                pixel[2] = GetRValue(face);
            }
        }
    }
    return bitmap;
}
