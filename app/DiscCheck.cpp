#include "app/DiscCheck.h"

#include "app/PluginBase.h"
#include "engine/EngineClient.h"

#include <string>

namespace {

struct MediaAnswer {
    HRESULT result = S_OK;
    LONG type = 0;
    RecordingMediaFlags flags{};
    RecordingMediaCapacity capacity{};
};

MediaAnswer AskMedia(DeviceHandle& device) {
    MediaAnswer answer;
    RecordingMediaDetails details{};
    answer.flags.version = 1;
    answer.capacity.version = 1;
    answer.result = device.GetMediaInfo(&answer.type, &details, &answer.flags, &answer.capacity);
    return answer;
}

// Retry, OK and Yes go on; anything else gives up.
bool GoesOn(int answer) { return answer == IDRETRY || answer == IDOK || answer == IDYES; }

} // namespace

bool DiscCheck::Accepts(const RecordingMediaFlags& flags, std::uint32_t freeFrames, bool dataAllowed,
                        bool audioAllowed) {
    return (!flags.hasDataTracks || dataAllowed) && (!flags.hasAudioTracks || audioAllowed) && !flags.blocked &&
           freeFrames != 0;
}

void DiscCheck::MediaQuery(PluginBase& application) {
    std::int32_t time = 0, type = 0;
    DeviceHandle* device = nullptr;
    EngineClient* client = application.EngineAccess();
    if (client && SUCCEEDED(client->GetCurrentDevice(&device)) && device) {
        bool present = false;
        if (SUCCEEDED(device->IsMediaPresent(present)) && !present) {
            time = -1;
        } else if (present) {
            const MediaAnswer media = AskMedia(*device);
            if (SUCCEEDED(media.result)) {
                time = static_cast<std::int32_t>(media.capacity.freeFrames / 75);
                type = media.type;
            }
        }
    }
    application.SetMediaTimeAvailable(time);
    application.SetMediaType(type);
}

HRESULT DiscCheck::CheckDisc(PluginBase& application, HWND owner, bool ask, bool& erase) {
    erase = false;
    const bool dataAllowed = application.Settings().UseDiskWithDataTracks();
    const bool audioAllowed = application.Settings().UseDiskWithAudioTracks();
    EngineClient* client = application.EngineAccess();
    if (!client) return ENGINE_E_NO_ENGINE;
    DeviceHandle* device = nullptr;
    HRESULT result = client->GetCurrentDevice(&device);
    if (FAILED(result)) return result;
    if (!device) return E_POINTER;

    const std::string caption = application.Caption();
    auto show = [&](const std::string& text, UINT buttons) {
        return MessageBoxA(owner, text.c_str(), caption.c_str(), buttons);
    };
    for (bool first = true;; first = false) {
        if (!first) Sleep(kRetryPauseMs);

        bool present = false;
        result = device->IsMediaPresent(present);
        if (FAILED(result)) return result;
        if (!present) {
            if (!ask) return RECORDING_E_NO_MEDIA;
            if (GoesOn(show(application.NoDiscInDriveText(), MB_RETRYCANCEL))) continue;
            return kUserCancelled;
        }

        bool ready = false;
        result = device->IsReady(ready);
        if (FAILED(result)) return result;
        if (!ready) {
            if (!ask) return RECORDING_E_NOT_READY;
            if (GoesOn(show(application.DriveNotReadyText(), MB_RETRYCANCEL))) continue;
            return kUserCancelled;
        }

        const MediaAnswer media = AskMedia(*device);
        if (FAILED(media.result)) {
            if (!ask) return media.result;
            if (GoesOn(show(application.ProblemReadingDiscText(), MB_RETRYCANCEL))) continue;
            return kUserCancelled;
        }

        if (Accepts(media.flags, media.capacity.freeFrames, dataAllowed, audioAllowed)) return S_OK;
        if (!ask) return ENGINE_E_DISC_REFUSED;
        if (media.type == RECORDING_MEDIA_CD_RW) {
            if (GoesOn(show(application.AskEraseRewritableText(), MB_YESNO))) erase = true;
            return ENGINE_E_DISC_REFUSED;
        }
        const std::string text = media.capacity.freeFrames == 0 ? application.DiscIsFullText()
                                 : media.flags.hasDataTracks    ? application.DiscHasDataTracksText()
                                                                : application.DiscHasAudioTracksText();
        if (GoesOn(show(text, MB_RETRYCANCEL))) continue;
        return kUserCancelled;
    }
}
