#pragma once
// RealRecorder: a CD recorder of the system, driven through Windows' recording API: listed
// beside the virtual drives, queried for its disc, erased, and written track-at-once (audio
// streams, the recorder adding the two-second pauses) or disc-at-once (raw sectors with the
// plan's pregaps and CD-Text in the lead-in). The API cannot read audio back, so nothing is
// verified after writing. The API's objects are made on the calling thread; callers must be
// in the multithreaded apartment (all of the engine's threads are). Shared like every Drive;
// the writing members belong to the recording thread, Cancel to any thread.
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "recorder/CdTextPacks.h"
#include "recorder/Drive.h"
#include "recorder/ImageRecorder.h"
#include "recorder/Imapi2.h"
#include "recorder/PullStream.h"
#include "recorder/RawDiscImage.h"
#include "support/ComPtr.h"

class RealRecorder final : public Drive {
public:
    // What the engine lists of a recorder, read once when the engine starts (RealRecorderFinder).
    struct Description {
        std::wstring uniqueId;
        char letter = 0;
        std::string name; // vendor and product
        std::uint32_t mediaAbilities = 0;
        std::uint32_t writeFeatures = 0;
    };

    RealRecorder(Description description, std::wstring clientName);
    ~RealRecorder() override;

    DriveConfig Config() const override;
    char Letter() const override { return description_.letter; }
    std::wstring Identity() const override { return L"Recorder:" + description_.uniqueId; }
    std::wstring ImageFolder() const override { return {}; }
    bool Ready() const override;
    bool MediaPresent() const override;
    DiscState LoadDisc() const override;
    MediaDescription Describe() const override;
    Summary Summarize() const override;

    // The first Acquire takes the recorder's exclusive access in the client's name.
    void Acquire() override;
    void Release() override;
    bool HoldsLock() const override;

    std::int32_t Erase(bool full, Pacer::Waiter& waiter, EraseObserver& observer) override;
    void CheckErasable() const override;

    // Writes the plan's tracks, each after the recorder's own two-second pause. speed in x
    // (0: the fastest). Answers 0, RECORDING_E_CANCELLED or the observer's code when it stopped
    // the writing; throws EngineFailure. Needs the recorder acquired; Finish or Abandon follows.
    std::int32_t WriteTrackAtOnce(const SessionPlan& plan, const ImageRecorder::OpenTrack& open,
                                  ImageRecorder::Observer& observer, unsigned speed);
    // Writes the whole disc from the lead-in on: the plan (a blank disc's first session) with
    // its pregaps and the CD-Text packs in the lead-in. As WriteTrackAtOnce otherwise.
    // openPregap: as ImageRecorder::SetPregapSource.
    std::int32_t WriteDiscAtOnce(const SessionPlan& plan, std::vector<CdTextPacks::Pack> text, RawDiscImage::Codes codes,
                                 const ImageRecorder::OpenTrack& open, const ImageRecorder::OpenTrack& openPregap,
                                 ImageRecorder::Observer& observer, unsigned speed);
    // Ends a finished write: the disc closed for good, or (track-at-once) left open for more.
    void Finish(bool finalize);
    // Ends an interrupted or failed write, leaving the disc as the recorder can; never throws.
    void Abandon() noexcept;
    // Stops a running write; any thread.
    void Cancel() noexcept;

private:
    // The disc as the last query found it.
    struct Probe {
        bool ready = false;
        bool present = false;
        std::optional<std::pair<std::int32_t, std::string>> failure; // why the disc could not be read
        DiscState disc;
        std::vector<unsigned> speeds; // for this disc, fastest first
        Clock::time_point when{};
    };

    ComPtr<IDiscRecorder2> OpenRecorder() const; // a fresh object for this recorder; throws
    ComPtr<IDiscRecorder2> HeldRecorder() const; // the acquired one; throws unless acquired
    Probe Query() const;                         // asks the recorder; never throws
    Probe Current() const;                       // a recent probe, or the last one while busy
    void ThrowFailure(const Probe& probe) const;
    template <class Format>
    ComPtr<Format> MakeFormat(REFCLSID clsid, IDiscRecorder2* recorder, const char* where) const;
    // Names the client, asks for underrun protection and the speed, prepares the disc and
    // keeps the writer as the running one; false when cancelled before.
    template <class Format>
    bool PrepareWriter(const ComPtr<Format>& format, ComPtr<Format>& running, unsigned speed, const char* where);
    // The running writers, for Finish and Abandon; the cancel request ends with them.
    std::pair<ComPtr<IDiscFormat2TrackAtOnce>, ComPtr<IDiscFormat2RawCD>> TakeWriters();
    // Runs one blocking write call with its progress sink connected; answers the stop code.
    std::int32_t EndOfWrite(HRESULT result, PullStream& stream, const char* where, const char* what);

    const Description description_;
    const std::wstring clientName_;

    mutable std::mutex mutex_; // everything below
    mutable Probe probe_;
    ComPtr<IDiscRecorder2> held_;
    int holds_ = 0;
    ComPtr<IDiscFormat2TrackAtOnce> tao_; // from a track-at-once write to Finish or Abandon
    ComPtr<IDiscFormat2RawCD> raw_;       // from a disc-at-once write to Finish or Abandon
    bool cancelled_ = false;
    std::int32_t stopCode_ = 0; // what the observer stopped the running write with
};
