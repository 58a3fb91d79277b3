#pragma once
// RegistryResults: the result values that the host reads from the application area,
// HKEY_CURRENT_USER\<registry base>. Every operation opens and closes its own keys, so any
// thread may call it without a lock. Opening the area fails with std::runtime_error;
// failures of the single writes and deletions are ignored.
#include "app/BurnResults.h"
#include "support/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

class RegistryResults {
public:
    explicit RegistryResults(std::string registryBase = std::string()) : registryBase_(std::move(registryBase)) {}
    virtual ~RegistryResults() = default;

    const std::string& RegistryBase() const { return registryBase_; }
    void SetRegistryBase(std::string registryBase) { registryBase_ = std::move(registryBase); }

    // Creates or opens the application area below root with all access.
    UniqueRegKey OpenApplicationArea(HKEY root = HKEY_CURRENT_USER) const;

    void SetBurnResults(BurnResult result) const;
    // Deletes the TrackResults key with everything below it, depth first.
    void ClearTrackResults() const;
    // Writes the value named by the track's playlist position (from 1) below TrackResults.
    void SetTrackResult(std::uint32_t position, TrackResult result) const;
    void SetEngineCheckResult(EngineCheckResult result) const;
    void SetMediaTimeAvailable(std::int32_t seconds) const;
    void SetMediaType(std::int32_t type) const;
    // The user's options below the area's Options key: levelled loudness (value LevelLoudness,
    // a DWORD, on when not 0; off when missing or the area cannot be read).
    bool LevelLoudness() const;
    void SetLevelLoudness(bool level) const;

private:
    void WriteValue(const char* name, std::int32_t value) const;

    std::string registryBase_;
};
