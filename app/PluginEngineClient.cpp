#include "app/PluginEngineClient.h"

#include "app/PluginBase.h"
#include "app/PluginSettings.h"

#include <algorithm>

namespace {

// The write-speed choice of the settings, on the client's current device.
class ClientSpeedDevice final : public PluginSettings::SpeedDevice {
public:
    ClientSpeedDevice(EngineClient& client, DeviceHandle& device) : client_(client), device_(device) {}
    std::int32_t GetSpeeds(std::uint32_t mediaKind, std::vector<std::uint16_t>& readSpeeds,
                           std::vector<std::uint16_t>& writeSpeeds) override {
        return device_.GetSpeeds(mediaKind, readSpeeds, writeSpeeds);
    }
    std::int32_t SetWriteSpeed(std::uint16_t speed) override { return client_.SetWriteSpeed(speed); }

private:
    EngineClient& client_;
    DeviceHandle& device_;
};

// Option bytes of the recording options, lowest first: option value 1, bit 28, bit 30, not bit 24.
constexpr std::uint32_t kRecordingFlags = 0x00010101;

} // namespace

HRESULT PluginEngineClient::Open(const std::string& clientName, LONG value) {
    HRESULT result = Initialize(clientName, value);
    if (FAILED(result)) return result;
    DeviceHandle* device = nullptr;
    if (FAILED(GetCurrentDevice(&device)) || !device) return ENGINE_E_NO_CURRENT_DEVICE;
    ClientSpeedDevice speeds(*this, *device);
    application_.ChooseWriteSpeed(speeds, application_.MaxBurnSpeed(), 1);
    RecordingOptions options;
    options.format = 3;
    options.writeMethod = application_.WriteMethod();
    options.trackAtOnce = 2;
    options.flags = kRecordingFlags;
    options.extra = 0;
    result = SetRecordingOptions(options);
    if (SUCCEEDED(result) && application_.LevelLoudness()) SetLevelLoudness(true);
    return result;
}

std::string PluginEngineClient::Extension(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return std::string();
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return extension;
}

HRESULT PluginEngineClient::CheckExtension(const std::string& path, const std::vector<std::string>& allowed) {
    const std::string extension = Extension(path);
    if (extension.empty()) return RECORDING_E_UNSUPPORTED_FILE;
    return std::find(allowed.begin(), allowed.end(), extension) == allowed.end() ? kNotAllowed : S_OK;
}

HRESULT PluginEngineClient::AddTrack(const std::string& path, LONG* index, UINT codePage) {
    if (index) *index = -1;
    const HRESULT policy = CheckExtension(path, application_.AllowedExtensions());
    if (FAILED(policy)) return policy;
    return EngineAddTrack(path, index, codePage);
}

HRESULT PluginEngineClient::AddEntry(const TrackEntry& entry, LONG* index) {
    const UINT codePage = entry.utf8 ? CP_UTF8 : CP_ACP;
    if (entry.uri) {
        *index = -1;
        const HRESULT policy = CheckExtension(entry.path, application_.AllowedExtensions());
        return FAILED(policy) ? policy : RECORDING_E_UNSUPPORTED_FILE;
    }
    HRESULT added;
    if (entry.segments.empty()) {
        added = AddTrack(entry.path, index, codePage);
    } else { // an album track: its parts, codes and songwriter
        *index = -1;
        added = CheckExtension(entry.path, application_.AllowedExtensions());
        std::vector<AlbumPart> parts;
        for (const TrackSegment& segment : entry.segments)
            parts.push_back({segment.path, static_cast<LONG>(segment.startFrame),
                             segment.frames ? static_cast<LONG>(*segment.frames) : -1, segment.pregap});
        if (SUCCEEDED(added))
            added = AddAlbumTrack(entry.path, parts, entry.isrc, static_cast<LONG>(entry.flags), entry.songwriter, index,
                                  codePage);
    }
    // CD-Text is a nicety: an engine that refuses it still records the track.
    if (SUCCEEDED(added) && (!entry.title.empty() || !entry.performer.empty()))
        SetTrackText(*index, entry.title, entry.performer, codePage);
    return added;
}

HRESULT PluginEngineClient::GetMaxWriteSpeed(LONG* speed) {
    if (!speed) return E_POINTER;
    DeviceHandle* device = nullptr;
    HRESULT result = GetCurrentDevice(&device);
    if (FAILED(result)) return result;
    if (!device) return ENGINE_E_NO_CURRENT_DEVICE;
    std::vector<std::uint16_t> readSpeeds, writeSpeeds;
    result = device->GetSpeeds(PluginSettings::kWriteSpeedMediaKind, readSpeeds, writeSpeeds);
    if (FAILED(result)) return result;
    if (writeSpeeds.empty()) return E_FAIL;
    *speed = writeSpeeds.front();
    return S_OK;
}

bool PluginEngineClient::CancelAsked() {
    bool cancel = false;
    if (BurnEventSink* sink = Sink()) sink->CancelRequested(&cancel);
    return cancel;
}

void PluginEngineClient::PrepareTracks(const std::vector<TrackEntry>& tracks) {
    BurnEventSink* sink = Sink();
    if (!sink) return;
    sink->TrackPreparationStarted();
    const std::int64_t n = static_cast<std::int64_t>(tracks.size());
    for (std::int64_t i = 0; i < n; ++i) {
        if (CancelAsked()) break;
        const std::int32_t position = static_cast<std::int32_t>(i);
        const TrackEntry& entry = tracks[static_cast<std::size_t>(i)];
        const std::string& path = entry.path;
        sink->TrackPreparationProgress(position, path, static_cast<std::int32_t>((2 * i + 1) * 100 / (2 * n)));
        LONG engineTrack = -1;
        const HRESULT added = AddEntry(entry, &engineTrack);
        if (CancelAsked()) break;
        if (SUCCEEDED(added)) {
            sink->TrackAccepted(position, path, engineTrack);
        } else {
            sink->TrackRefused(position, path, added);
        }
        if (CancelAsked()) break;
        sink->TrackPreparationProgress(position, path, static_cast<std::int32_t>((2 * i + 2) * 100 / (2 * n)));
    }
    sink->TrackPreparationFinished();
}
