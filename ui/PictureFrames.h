#pragma once
// PictureFrames: the frames of the burn window's animated picture. Each is drawn for 96 dots
// per inch with a grey (192, 192, 192) background; it is loaded at the screen's resolution
// with that grey turned into the dialog's face colour. Owns the bitmaps; used on the
// window's thread.
#include "support/UniqueHandle.h"

#include <windows.h>

#include <initializer_list>
#include <vector>

class PictureFrames {
public:
    // Loads the module's bitmaps in order; a frame that can't be loaded stays empty.
    void Load(HINSTANCE instance, std::initializer_list<int> ids);
    // The first frame; null when it could not be loaded (the picture then stays as it is).
    HBITMAP First() const { return frames_.empty() ? nullptr : frames_.front().get(); }
    // Steps to the next frame, after the last to the first; its bitmap, null when there is
    // nothing to show.
    HBITMAP Next();

private:
    static UniqueBitmap LoadRecoloured(HINSTANCE instance, int id);

    std::vector<UniqueBitmap> frames_;
    std::size_t current_ = 0;
};
