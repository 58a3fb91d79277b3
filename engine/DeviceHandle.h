#pragma once
// DeviceHandle: what the client hands out for one device. Forwards to its EngineDevice and
// adds the erase operations with their checks. Owned by the EngineClient that made it
// (freed with the client); used on the client's thread.
#include "engine/DriveCapabilities.h"
#include "engine/EngineDevice.h"

#include <cstdint>
#include <string>
#include <vector>

class EngineSession;

class DeviceHandle {
public:
    DeviceHandle(EngineSession& session, EngineDevice& device) : session_(session), device_(device) {}
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;

    EngineDevice& Device() const { return device_; }

    HRESULT GetCapabilities(DriveCapabilities& capabilities) { return device_.GetCapabilities(capabilities); }
    HRESULT GetSpeeds(std::uint32_t mediaKind, std::vector<std::uint16_t>& readSpeeds,
                      std::vector<std::uint16_t>& writeSpeeds) {
        return device_.GetSpeeds(mediaKind, readSpeeds, writeSpeeds);
    }
    HRESULT GetName(char& letter, std::string& displayName) { return device_.GetName(letter, displayName); }
    HRESULT GetMediaInfo(LONG* mediaType, RecordingMediaDetails* details, RecordingMediaFlags* flags,
                         RecordingMediaCapacity* capacity) {
        return device_.GetMediaInfo(mediaType, details, flags, capacity);
    }
    HRESULT IsMediaPresent(bool& present) { return device_.IsMediaPresent(present); }
    HRESULT IsReady(bool& ready) { return device_.IsReady(ready); }
    HRESULT BeginExclusiveUse() { return device_.BeginExclusiveUse(); }
    HRESULT EndExclusiveUse() { return device_.EndExclusiveUse(); }
    HRESULT GetEraseProgress(bool& done, LONG& doneCount, LONG& totalCount) {
        return device_.GetEraseProgress(done, doneCount, totalCount);
    }
    HRESULT CanEraseMedia(bool& erasable) { return device_.CanEraseMedia(erasable); }
    HRESULT IsReadyForErase(bool& ready) { return device_.IsReadyForErase(ready); }

    // The checks that come before either erase: a device that rewrites, a readable
    // rewritable disc, and the device's two erase preconditions.
    HRESULT CheckErase();
    // Erases the whole disc and returns when done; no events.
    HRESULT EraseDisc();
    // Erases with events: slot 4 when the checks fail, else slot 2, slot 3 every 500 ms
    // (keeping messages flowing) and at the end slot 5, or, when the device's status says the
    // erase failed, that status (which the device reported through slot 4).
    HRESULT EraseDiscWithProgress();
    // How long the end of an erase waits for the device's status event.
    static constexpr DWORD kStatusWaitMs = 2000;

private:
    EngineSession& session_;
    EngineDevice& device_;
};
