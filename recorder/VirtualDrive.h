#pragma once
// VirtualDrive: one drive of the drive file, as the engine object that loaded it sees it:
// its configuration, the disc in it (the configured disc, or the state file in the image
// folder when that belongs to it), the media query with the drive's faults, the drive lock
// that keeps two writers (two processes, or a recording and an erase) apart, and erasing.
// Shared by the engine's recording and the device object (std::shared_ptr); every member
// function may be called from any thread.
#include <mutex>
#include <string>

#include "recorder/Drive.h"
#include "support/UniqueHandle.h"

class VirtualDrive final : public Drive {
public:
    static constexpr const wchar_t* kStateFile = L"disc-state.ini";
    static constexpr const wchar_t* kLockFile = L"drive.lock";
    static constexpr std::uint32_t kQuickEraseFrames = 11250; // lead-in and first lead-out areas

    VirtualDrive(const DriveConfig& config, std::wstring imageFolder, Clock::time_point engineStart);

    DriveConfig Config() const override;
    void UpdateConfig(const DriveConfig& config, std::wstring imageFolder);
    char Letter() const override { return letter_; }
    std::wstring Identity() const override;
    std::wstring ImageFolder() const override;
    std::wstring FilePath(const std::string& name) const;

    bool Ready() const override;
    bool MediaPresent() const override;
    // Throws EngineFailure(RECORDING_E_MEDIA_UNREADABLE) when the state file is damaged.
    DiscState LoadDisc() const override;
    // Throws EngineFailure(RECORDING_E_IMAGE_FOLDER or RECORDING_E_IMAGE_WRITE).
    void SaveDisc(const DiscState& disc);
    MediaDescription Describe() const override;
    std::int32_t TakeBusyFault() override;
    Summary Summarize() const override;

    // Creates the image folder; throws EngineFailure(RECORDING_E_IMAGE_FOLDER).
    void EnsureFolder() const;
    // The first Acquire takes the drive lock file in the image folder.
    void Acquire() override;
    void Release() override;
    bool HoldsLock() const override;

    // Paced to the drive's fastest rewrite speed.
    std::int32_t Erase(bool full, Pacer::Waiter& waiter, EraseObserver& observer) override;
    void CheckErasable() const override;

private:
    std::wstring StatePath() const;

    const char letter_;
    const Clock::time_point engineStart_;
    mutable std::mutex mutex_; // config_, folder_, lock_, lockCount_, busyLeft_
    DriveConfig config_;
    std::wstring folder_;
    UniqueFile lock_;
    int lockCount_ = 0;
    std::uint32_t busyLeft_;
};
