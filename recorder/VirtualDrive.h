#pragma once
// VirtualDrive: one drive of the drive file, as the engine object that loaded it sees it:
// its configuration, the disc in it (the configured disc, or the state file in the image
// folder when that belongs to it), the media query with the drive's faults, the drive lock
// that keeps two writers (two processes, or a recording and an erase) apart, and erasing.
// Shared by the engine's recording and the device object (std::shared_ptr); every member
// function may be called from any thread.
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

#include "recorder/DiscState.h"
#include "recorder/DriveConfig.h"
#include "recorder/Pacer.h"
#include "support/UniqueHandle.h"

class VirtualDrive {
public:
    using Clock = std::chrono::steady_clock;

    enum class Activity { None, Recording, Erasing };

    struct EraseProgress {
        bool done = true;
        std::uint32_t doneFrames = 0;
        std::uint32_t totalFrames = 1;
    };

    // What the drive's events report; compared by the engine's monitor.
    struct Summary {
        bool ready = false;
        bool present = false;
        int tracks = 0;
        std::string disc; // the disc state's text, or why it can't be read
        bool operator==(const Summary&) const = default;
    };

    // Called during an erase on the erasing thread.
    class EraseObserver {
    public:
        virtual ~EraseObserver() = default;
        virtual void OnEraseProgress(int percent) = 0;
    };

    static constexpr const wchar_t* kStateFile = L"disc-state.ini";
    static constexpr const wchar_t* kLockFile = L"drive.lock";
    static constexpr std::uint32_t kQuickEraseFrames = 11250; // lead-in and first lead-out areas

    VirtualDrive(const DriveConfig& config, std::wstring imageFolder, Clock::time_point engineStart);

    DriveConfig Config() const;
    void UpdateConfig(const DriveConfig& config, std::wstring imageFolder);
    char Letter() const { return letter_; }
    std::wstring Identity() const;
    std::wstring ImageFolder() const;
    std::wstring FilePath(const std::string& name) const;

    bool Ready() const;
    bool MediaPresent() const;
    // Throws EngineFailure(RECORDING_E_MEDIA_UNREADABLE) when the state file is damaged.
    DiscState LoadDisc() const;
    // Throws EngineFailure(RECORDING_E_IMAGE_FOLDER or RECORDING_E_IMAGE_WRITE).
    void SaveDisc(const DiscState& disc);
    // The media query with every check a drive makes; throws EngineFailure.
    MediaDescription Describe() const;
    // RECORDING_E_DEVICE_BUSY while the busy fault counts down, else 0.
    std::int32_t TakeBusyFault();
    Summary Summarize() const;

    // Creates the image folder; throws EngineFailure(RECORDING_E_IMAGE_FOLDER).
    void EnsureFolder() const;
    // Counted: the first call takes the drive lock file, the last Release lets it go.
    // Throws EngineFailure(RECORDING_E_DEVICE_BUSY) when another holder has it.
    void Acquire();
    void Release();
    bool HoldsLock() const;
    // False when another activity is running.
    bool BeginActivity(Activity activity);
    void EndActivity();
    Activity CurrentActivity() const { return activity_.load(); }

    // Erases the CD-RW after the erase checks; paced to the drive's fastest rewrite speed.
    // Throws EngineFailure; answers RECORDING_E_CANCELLED when waiter was interrupted.
    std::int32_t Erase(bool full, Pacer::Waiter& waiter, EraseObserver& observer);
    EraseProgress Progress() const;
    // Marks an erase as begun (not done) before it runs, so that progress read meanwhile
    // never shows the end of an earlier one.
    void StartEraseProgress();
    // The checks of an erase, without erasing; throws EngineFailure.
    void CheckErasable() const;

private:
    std::wstring StatePath() const;

    const char letter_;
    const Clock::time_point engineStart_;
    mutable std::mutex mutex_; // config_, folder_, lock_, lockCount_, busyLeft_, erase_
    DriveConfig config_;
    std::wstring folder_;
    UniqueFile lock_;
    int lockCount_ = 0;
    std::uint32_t busyLeft_;
    EraseProgress erase_;
    std::atomic<Activity> activity_{Activity::None};
};
