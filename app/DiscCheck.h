#pragma once
// DiscCheck: looks at the disc in the current drive through the engine client. The media
// query writes the free recording time and the media type for the host; the check before a
// recording decides, with the user when asked, whether the disc can take the burn, must be
// erased first or must be changed. Runs on the main thread; retries wait with a plain
// 1000 ms sleep.
#include <windows.h>

#include <cstdint>

class PluginBase;
struct RecordingMediaFlags;

class DiscCheck {
public:
    static constexpr HRESULT kUserCancelled = E_ABORT; // 0x80004004
    static constexpr DWORD kRetryPauseMs = 1000;

    // Writes MediaTimeAvailable (free frames / 75; -1 without a disc; 0 without engine or
    // drive) and MediaType.
    static void MediaQuery(PluginBase& application);

    // 0 when the disc can be recorded, else a result code. With ask, problems are shown to
    // the user (owner window, Retry/Cancel); a refused rewritable disc offers erasing and
    // sets erase on Yes.
    static HRESULT CheckDisc(PluginBase& application, HWND owner, bool ask, bool& erase);

    // Whether the media query's answer lets the disc take a burn.
    static bool Accepts(const RecordingMediaFlags& flags, std::uint32_t freeFrames, bool dataAllowed,
                        bool audioAllowed);
};
