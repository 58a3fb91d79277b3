#pragma once
// RecordingSession: the engine object's disc layout, its disc-creation parameters and one
// recording at a time: Prepare (checks, drive lock), Record (lead-in and the tracks, asking
// whether to cancel after every chunk), Close (lead-out; on a virtual drive the image
// committed with its cue sheet and the disc state), Abort from any thread. A virtual drive's
// recording is paced into a partial image; a real recorder's goes to the disc through the
// recorder, track-at-once or disc-at-once. An interrupted or failed recording leaves the partial image and marks the disc
// state incomplete; only Close makes an image look finished. Record and Close run on the
// caller's thread; the other members may be called from any thread meanwhile. Owns the
// layout (SessionLayout, guarded by the session's lock); RecorderWrite does a real recorder's
// writing.
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "recorder/AudioSource.h"
#include "recorder/CueSheet.h"
#include "recorder/EventWaiter.h"
#include "recorder/ImageRecorder.h"
#include "recorder/PartsSource.h"
#include "recorder/RedBook.h"
#include "recorder/SessionLayout.h"
#include "recorder/DiscState.h"
#include "recorder/Drive.h"

class RealRecorder;

class RecordingSession : private ImageRecorder::Observer {
public:
    struct Params {
        std::uint32_t options = RECORDING_OPTION_AUDIO_DISC | RECORDING_OPTION_DAO |
                                RECORDING_OPTION_UNDERRUN_PROTECTION | RECORDING_OPTION_RESERVED_30;
        std::uint32_t speedMask = 0; // 0: the drive's fastest speed
        std::uint32_t pauseFrames = RedBook::kPauseFrames;
        std::int32_t reserved = 0;
        std::uint8_t optionValue = 1;

        WriteMethod Method() const;
    };

    using Track = SessionLayout::Track;

    struct Progress {
        std::uint32_t status = 0;
        std::int32_t track = -1;
        std::uint32_t trackDone = 0, trackTotal = 0;
        std::uint32_t overallDone = 0, overallTotal = 0;
        std::uint32_t bufferPercent = 0;
    };

    // How the session reaches the engine's clients; called on the recording thread.
    class Events {
    public:
        virtual ~Events() = default;
        virtual void OnStatusChange(std::uint32_t status) = 0;
        virtual void OnProgress(const Progress& progress) = 0;
        virtual void OnTrackStart(int track) = 0;
        virtual void OnTrackEnd(int track, std::int32_t result) = 0;
        virtual void OnError(std::int32_t code, const std::string& text) = 0; // also collected
        virtual bool QueryCancel() = 0;
        virtual void OnNewRecording() = 0; // the error list starts empty
        virtual void OnDiscChanged(Drive& drive) = 0;
    };

    explicit RecordingSession(Events& events);
    ~RecordingSession();

    Params GetParams() const;
    // Throws EngineFailure(RECORDING_E_ACTIVE) during a recording.
    void SetParams(const Params& params);

    // The layout. Changes throw EngineFailure(RECORDING_E_ACTIVE) during a recording. drive
    // (may be null) is the recording drive whose disc kind limits what can ever fit.
    std::size_t AddFile(const std::wstring& path, const Drive* drive);
    void ClearLayout();
    void RemoveTrack(std::size_t index);
    // A track of a file's range (frames: to the file's end when absent), in CD frames.
    std::size_t AddFileRange(const std::wstring& path, std::uint64_t startFrame, std::optional<std::uint64_t> frames,
                             const Drive* drive);
    // Appends to a track's audio (pregap false) or pregap a file's range or (no path) silence;
    // a pregap given once is the track's own from then on, for disc-at-once writing.
    void AddTrackPart(std::size_t index, bool pregap, const std::wstring& path, std::uint64_t startFrame,
                      std::optional<std::uint64_t> frames);
    void SetTrackCodes(std::size_t index, const std::string& isrc, std::uint32_t flags);
    void SetSongwriter(std::optional<std::size_t> index, const std::string& songwriter); // none: the disc's
    void SetCatalog(const std::string& catalog);
    // Throw EngineFailure(E_INVALIDARG) for a track not in the layout, RECORDING_E_ACTIVE
    // during a recording. ClearLayout forgets both kinds of text.
    void SetTrackText(std::size_t index, const CueText& text);
    void SetDiscText(const CueText& text);
    std::vector<Track> Layout() const;
    std::uint32_t SpaceNeeded() const;

    // Each answers 0 or the failure's code; failures are reported through Events::OnError.
    std::int32_t Prepare(std::shared_ptr<Drive> drive);
    std::int32_t Record(std::size_t first, std::size_t last, bool write);
    std::int32_t Close(bool finalize);
    void Abort();

    Progress GetProgress() const;
    bool Idle() const;
    std::wstring LastImage() const;

private:
    enum class State { Idle, Prepared, Recording, Written, Closing };

    // ImageRecorder::Observer
    void OnTrackStart(std::size_t track) override;
    void OnTrackEnd(std::size_t track) override;
    std::int32_t OnChunk(const ImageRecorder::Progress& progress) override;

    void SetStatus(std::uint32_t status);
    std::int32_t Report(std::int32_t code, const std::string& detail);
    std::int32_t ReportCurrentException();
    // Paces frames of lead-in or lead-out as stage progress; false when cancelled.
    bool PaceStage(std::uint32_t frames, bool cancellable);
    std::int32_t CancelCheck();
    // Ends a recording that will not be closed: marks the disc incomplete, lets the drive go.
    void Discard(const std::string& outcome);
    void ReleaseDrive();
    // A track of the whole file, or of the given range of it.
    std::size_t AddFile(const std::wstring& path, const std::optional<TrackPart>& range, const Drive* drive);
    // The plan's layout of the tracks first to last, with their own pregaps.
    SessionPlan PlanOf(const std::vector<std::uint64_t>& bytes, std::size_t first, std::uint32_t startFrame,
                       int firstNumber) const; // under mutex_
    // How a write opens each track's audio and pregap, for the layout's tracks from first on.
    struct TrackOpeners {
        ImageRecorder::OpenTrack audio, pregap;
    };
    // gains: by layout track, in dB (none: as the files are).
    static TrackOpeners OpenersFor(std::vector<Track> layout, std::size_t first, const SessionPlan& plan,
                                   std::vector<double> gains = {});
    // Measures the tracks' loudness, chooses their gains (one for the album when the tracks
    // share one) and the cue sheet's REM lines of what was measured; throws as reading does.
    void MeasureLoudness(const std::vector<Track>& layout, const SessionPlan& plan);
    std::vector<double> Gains() const;
    unsigned ChooseSpeed(const DriveConfig& config, std::int32_t media) const;
    // The recording itself on a real recorder; answers as Record.
    std::int32_t RecordOnRecorder(RealRecorder& recorder, const SessionPlan& plan, std::size_t first, bool write);

    Events& events_;
    mutable std::mutex mutex_; // everything below but the waiter and the abort flag
    Params params_;
    SessionLayout layout_;
    State state_ = State::Idle;
    std::shared_ptr<Drive> drive_; // while prepared to the end of the recording
    SessionPlan plan_;
    std::vector<CueText> texts_;   // of the planned tracks
    std::vector<TrackCodes> codes_; // of the planned tracks
    std::vector<double> gains_;     // by layout track, in dB; empty: not levelled
    std::vector<std::string> discRemarks_; // the album's measured loudness
    CueText plannedDiscText_;
    std::size_t firstTrack_ = 0;
    unsigned speed_ = 0; // pacing speed; 0 unpaced
    unsigned writeSpeed_ = 0; // a real recorder's speed in x; 0 its fastest
    std::string binName_;
    bool wrote_ = false; // Record wrote an image (not a test write)
    int openTrack_ = -1;
    bool verify_ = true;
    int corruptAtPercent_ = -1;
    std::vector<std::uint32_t> crcs_; // of the written tracks
    int failAtPercent_ = -1;
    std::int32_t failCode_ = 0;
    Progress progress_;
    std::wstring lastImage_;
    std::atomic<bool> abort_{false};
    EventWaiter waiter_;
};
