#pragma once
// PluginEngineClient: the engine client with the application's policy. Opening it checks
// that there is a current device, sets the write speed the settings allow and the
// recording options with the configured write method; adding a track first checks the
// file's extension against the allowed list; the maximum-speed query answers the current
// device's fastest write speed. Also hands a playlist over to the engine (track
// preparation), reporting each step to the registered sink. Used on the thread that owns
// the client (the main thread); reference counted like every EngineClient.
#include "inc/TrackEntry.h"
#include "engine/EngineClient.h"

#include <cstdint>
#include <string>
#include <vector>

class PluginBase;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class PluginEngineClient : public EngineClient {
public:
    // The policy's refusal of a file type not on the allowed list (a path without an
    // extension is refused as RECORDING_E_UNSUPPORTED_FILE, a missing current device is
    // ENGINE_E_NO_CURRENT_DEVICE).
    static constexpr HRESULT kNotAllowed = E_ACCESSDENIED;

    explicit PluginEngineClient(PluginBase& application) : application_(application) {}

    // Initialises the connection, then requires a current device, chooses and sets its
    // write speed (fastest not above MaxBurnSpeed) and sets the recording options.
    HRESULT Open(const std::string& clientName, LONG value);

    HRESULT AddTrack(const std::string& path, LONG* index, UINT codePage = CP_ACP) override;
    HRESULT GetMaxWriteSpeed(LONG* speed) override;

    // Hands the tracks to the engine in playlist order: slot 21, then per track slot 23
    // (half-way percentages), AddTrack (and the entry's CD-Text), slot 24 or 25, slot 23;
    // slot 26 at the end, also after the sink asked to cancel (slot 22, asked before and
    // after each step). An entry that is a URI passes the policy and is then refused as
    // unsupported without a look-up.
    void PrepareTracks(const std::vector<TrackEntry>& tracks);

    // The extension policy alone: S_OK, RECORDING_E_UNSUPPORTED_FILE or kNotAllowed.
    static HRESULT CheckExtension(const std::string& path, const std::vector<std::string>& allowed);
    // The upper-cased text after the last '.', or "" when there is none.
    static std::string Extension(const std::string& path);

protected:
    ~PluginEngineClient() override = default;
    // The engine's own AddTrack, after the policy; tests replace it.
    virtual HRESULT EngineAddTrack(const std::string& path, LONG* index, UINT codePage) {
        return EngineClient::AddTrack(path, index, codePage);
    }

private:
    bool CancelAsked();
    HRESULT AddEntry(const TrackEntry& entry, LONG* index);

    PluginBase& application_;
};
#pragma GCC diagnostic pop
