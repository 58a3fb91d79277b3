#pragma once
// Drive: one drive of the engine as its recording, its device object and its monitor see it:
// a virtual drive of the drive file (VirtualDrive) or a real recorder of the system
// (RealRecorder). Holds what every kind shares: the activity that keeps a recording and an
// erase apart, and the progress of the last erase. Shared by the engine's recording and the
// device object (std::shared_ptr); every member function may be called from any thread.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "recorder/DiscState.h"
#include "recorder/DriveConfig.h"
#include "recorder/Pacer.h"

class Drive {
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
        std::string disc; // a text naming the disc's state, or why it can't be read
        bool operator==(const Summary&) const = default;
    };

    // Called during an erase on the erasing thread.
    class EraseObserver {
    public:
        virtual ~EraseObserver() = default;
        virtual void OnEraseProgress(int percent) = 0;
    };

    Drive(const Drive&) = delete;
    Drive& operator=(const Drive&) = delete;
    virtual ~Drive() = default;

    // Identity, abilities and speeds; a real recorder's disc part describes its current disc.
    virtual DriveConfig Config() const = 0;
    virtual char Letter() const = 0;
    virtual std::wstring Identity() const = 0;
    // Where the drive's images go; empty for a real recorder.
    virtual std::wstring ImageFolder() const = 0;

    virtual bool Ready() const = 0;
    virtual bool MediaPresent() const = 0;
    // The disc in the drive; throws EngineFailure when it cannot be read.
    virtual DiscState LoadDisc() const = 0;
    // The media query with every check a drive makes; throws EngineFailure.
    virtual MediaDescription Describe() const = 0;
    // RECORDING_E_DEVICE_BUSY while a simulated busy fault counts down, else 0.
    virtual std::int32_t TakeBusyFault() { return 0; }
    virtual Summary Summarize() const = 0;

    // Counted: the first call takes the drive for this engine, the last Release lets it go.
    // Throws EngineFailure(RECORDING_E_DEVICE_BUSY) when another program has it.
    virtual void Acquire() = 0;
    virtual void Release() = 0;
    virtual bool HoldsLock() const = 0;

    // Erases the CD-RW after the erase checks. Throws EngineFailure; answers
    // RECORDING_E_CANCELLED when waiter was interrupted.
    virtual std::int32_t Erase(bool full, Pacer::Waiter& waiter, EraseObserver& observer) = 0;
    // The checks of an erase, without erasing; throws EngineFailure.
    virtual void CheckErasable() const = 0;

    // False when another activity is running.
    bool BeginActivity(Activity activity);
    void EndActivity();
    Activity CurrentActivity() const { return activity_.load(); }

    EraseProgress Progress() const;
    // Marks an erase as begun (not done) before it runs, so that progress read meanwhile
    // never shows the end of an earlier one.
    void StartEraseProgress();

protected:
    Drive() = default;
    void SetEraseProgress(const EraseProgress& progress);
    void SetEraseDone(std::uint32_t doneFrames);
    // The progress reads as done on every way out of an erase, so that a client polling it stops.
    class EraseDoneMark {
    public:
        explicit EraseDoneMark(Drive& drive) : drive_(drive) {}
        ~EraseDoneMark();
        EraseDoneMark(const EraseDoneMark&) = delete;
        EraseDoneMark& operator=(const EraseDoneMark&) = delete;

    private:
        Drive& drive_;
    };

private:
    mutable std::mutex progressMutex_;
    EraseProgress erase_;
    std::atomic<Activity> activity_{Activity::None};
};
