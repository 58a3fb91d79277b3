#include "recorder/RecordingSession.h"

#include <algorithm>
#include <optional>

#include "recorder/AudioFiles.h"
#include "recorder/CdTextPacks.h"
#include "recorder/CorruptingSink.h"
#include "recorder/CueSheet.h"
#include "recorder/EngineFailure.h"
#include "recorder/ErrorTexts.h"
#include "recorder/LevelledSource.h"
#include "recorder/LoudnessLevels.h"
#include "recorder/LoudnessMeter.h"
#include "recorder/RealRecorder.h"
#include "recorder/RecorderWrite.h"
#include "recorder/VirtualDrive.h"
#include "recorder/Win32File.h"
#include "recorder/WinText.h"

namespace {

constexpr std::uint32_t kMaxPauseFrames = 7500;

// The image offset the injected damage hits: the given share of the session's image, moved
// on to index 1 when it falls in a pregap or pause (verification reads from index 1 on).
std::uint64_t CorruptOffset(const SessionPlan& plan, int percent) {
    std::uint64_t offset = plan.ImageBytes() * static_cast<std::uint64_t>(percent) / 100;
    for (const PlannedTrack& track : plan.tracks) {
        std::uint64_t indexOne = track.fileOffset + std::uint64_t{track.pregapFrames} * RedBook::kFrameBytes;
        std::uint64_t end = indexOne + std::uint64_t{track.audioFrames} * RedBook::kFrameBytes;
        if (offset < end) return std::max(offset, indexOne);
    }
    return plan.ImageBytes() - 1;
}

} // namespace

WriteMethod RecordingSession::Params::Method() const {
    if (options & RECORDING_OPTION_DAO) return WriteMethod::DiscAtOnce;
    if (options & RECORDING_OPTION_SAO) return WriteMethod::SessionAtOnce;
    return WriteMethod::TrackAtOnce;
}

RecordingSession::RecordingSession(Events& events) : events_(events) {}

RecordingSession::~RecordingSession() {
    Abort();
    std::lock_guard lock(mutex_);
    if (drive_) {
        drive_->Release();
        drive_->EndActivity();
    }
}

RecordingSession::Params RecordingSession::GetParams() const {
    std::lock_guard lock(mutex_);
    return params_;
}

void RecordingSession::SetParams(const Params& params) {
    if (params.pauseFrames > kMaxPauseFrames)
        RECORDER_FAIL(E_INVALIDARG, "RecordingSession::SetParams()", "pause longer than 100 seconds");
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::SetParams()", "recording");
    params_ = params;
}

std::size_t RecordingSession::AddFile(const std::wstring& path, const Drive* drive) {
    return AddFile(path, std::nullopt, drive);
}

std::size_t RecordingSession::AddFile(const std::wstring& path, const std::optional<TrackPart>& range, const Drive* drive) {
    std::vector<std::uint64_t> bytes;
    Params params;
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::AddFile()", "recording");
        layout_.CheckRoom();
        bytes = layout_.AudioBytes();
        params = params_;
    }
    Track track = SessionLayout::TrackOf(path, range);
    bytes.push_back(track.audioBytes);
    if (drive && drive->MediaPresent()) {
        // What can never fit on a disc of this kind is refused now; the free space of the
        // disc in the drive is checked when the recording is prepared (the disc may change).
        std::uint32_t capacity = RedBook::FramesOfMinutes(drive->Config().disc.capacityMinutes);
        if (SessionPlan::Make(0, 1, bytes, params.Method(), params.pauseFrames).totalFrames > capacity)
            RECORDER_FAIL(RECORDING_E_DISC_FULL, "RecordingSession::AddFile()", "the layout is longer than the disc");
    }
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::AddFile()", "recording");
    return layout_.Add(std::move(track));
}

void RecordingSession::ClearLayout() {
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::ClearLayout()", "recording");
    layout_.Clear();
}

void RecordingSession::SetTrackText(std::size_t index, const CueText& text) {
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::SetTrackText()", "recording");
    layout_.SetTrackText(index, text);
}

void RecordingSession::SetDiscText(const CueText& text) {
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::SetDiscText()", "recording");
    layout_.SetDiscText(text);
}

void RecordingSession::RemoveTrack(std::size_t index) {
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::RemoveTrack()", "recording");
    layout_.Remove(index);
}

std::size_t RecordingSession::AddFileRange(const std::wstring& path, std::uint64_t startFrame,
                                           std::optional<std::uint64_t> frames, const Drive* drive) {
    if (path.empty()) RECORDER_FAIL(E_INVALIDARG, "RecordingSession::AddFileRange()", "no file");
    return AddFile(path, SessionLayout::PartOf(path, startFrame, frames), drive);
}

void RecordingSession::AddTrackPart(std::size_t index, bool pregap, const std::wstring& path, std::uint64_t startFrame,
                                    std::optional<std::uint64_t> frames) {
    TrackPart part = SessionLayout::PartOf(path, startFrame, frames);
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::AddTrackPart()", "recording");
    layout_.AddPart(index, pregap, part);
}

void RecordingSession::SetTrackCodes(std::size_t index, const std::string& isrc, std::uint32_t flags) {
    SessionLayout::CheckCodes(isrc, flags);
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::SetTrackCodes()", "recording");
    layout_.SetTrackCodes(index, isrc, flags);
}

void RecordingSession::SetSongwriter(std::optional<std::size_t> index, const std::string& songwriter) {
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::SetSongwriter()", "recording");
    layout_.SetSongwriter(index, songwriter);
}

void RecordingSession::SetCatalog(const std::string& catalog) {
    SessionLayout::CheckCatalog(catalog);
    std::lock_guard lock(mutex_);
    if (state_ != State::Idle) RECORDER_FAIL(RECORDING_E_ACTIVE, "RecordingSession::SetCatalog()", "recording");
    layout_.SetCatalog(catalog);
}

SessionPlan RecordingSession::PlanOf(const std::vector<std::uint64_t>& bytes, std::size_t first, std::uint32_t startFrame,
                                     int firstNumber) const {
    return SessionPlan::Make(startFrame, firstNumber, bytes, params_.Method(), params_.pauseFrames,
                             layout_.OwnPregaps(first, bytes.size()));
}

RecordingSession::TrackOpeners RecordingSession::OpenersFor(std::vector<Track> layout, std::size_t first,
                                                            const SessionPlan& plan, std::vector<double> gains) {
    auto tracks = std::make_shared<std::vector<Track>>(std::move(layout));
    auto opener = std::make_shared<PartsOpener>([](const std::wstring& path) { return AudioFiles::Open(path); });
    // A levelled track's audio and pregap get its gain, each with its own dither.
    auto level = [gains = std::move(gains)](std::unique_ptr<AudioSource> source, std::size_t track,
                                            std::uint64_t seed) -> std::unique_ptr<AudioSource> {
        if (!source || track >= gains.size()) return source;
        return std::make_unique<LevelledSource>(std::move(source), gains[track], seed);
    };
    TrackOpeners openers;
    openers.audio = [tracks, opener, first, level](std::size_t i) -> std::unique_ptr<AudioSource> {
        const Track& track = tracks->at(first + i);
        if (track.parts.empty()) return level(AudioFiles::Open(track.path), first + i, 2 * (first + i) + 1);
        return level(std::make_unique<PartsSource>(track.parts, *opener), first + i, 2 * (first + i) + 1);
    };
    openers.pregap = [tracks, opener, first, plan, level](std::size_t i) -> std::unique_ptr<AudioSource> {
        const Track& track = tracks->at(first + i);
        if (!track.ownPregap || track.pregap.empty()) return nullptr;
        // Silence first where the session's first track needs more pregap than the album gives.
        std::vector<TrackPart> parts = track.pregap;
        std::uint64_t planned = std::uint64_t{plan.tracks.at(i).pregapFrames} * RedBook::kFrameBytes;
        if (planned > track.PregapBytes()) parts.insert(parts.begin(), TrackPart{{}, 0, planned - track.PregapBytes()});
        return level(std::make_unique<PartsSource>(std::move(parts), *opener), first + i, 2 * (first + i) + 2);
    };
    return openers;
}

void RecordingSession::MeasureLoudness(const std::vector<Track>& layout, const SessionPlan& plan) {
    // The tracks are read once more here, before anything is written, so that an album's gain
    // is known before its first track is.
    TrackOpeners openers = OpenersFor(layout, 0, plan);
    std::vector<LoudnessMeter> meters(layout.size());
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        std::unique_ptr<AudioSource> audio = openers.audio(i);
        while (std::size_t got = audio->Read(buffer.data(), buffer.size())) meters[i].Add(buffer.data(), got);
    }
    // One album: every track from one album's tags, or every track an album's (a CUE sheet's).
    const bool tagged = !layout.front().tags.album.empty() && std::all_of(layout.begin(), layout.end(), [&](const Track& t) {
        return t.tags.album == layout.front().tags.album;
    });
    const bool sheet = std::all_of(layout.begin(), layout.end(), [](const Track& t) { return !t.parts.empty(); });
    LoudnessLevels levels = LoudnessLevels::Of(meters, (tagged || sheet) && layout.size() > 1);
    std::lock_guard lock(mutex_);
    gains_ = std::move(levels.gains);
    for (std::size_t i = 0; i < codes_.size() && i < levels.trackRemarks.size(); ++i)
        codes_[i].remarks = std::move(levels.trackRemarks[i]);
    discRemarks_ = std::move(levels.discRemarks);
}

std::vector<RecordingSession::Track> RecordingSession::Layout() const {
    std::lock_guard lock(mutex_);
    return layout_.Tracks();
}

std::uint32_t RecordingSession::SpaceNeeded() const {
    std::lock_guard lock(mutex_);
    if (layout_.Tracks().empty()) return 0;
    return SessionPlan::Make(0, 1, layout_.AudioBytes(), params_.Method(), params_.pauseFrames).totalFrames;
}

RecordingSession::Progress RecordingSession::GetProgress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

bool RecordingSession::Idle() const {
    std::lock_guard lock(mutex_);
    return state_ == State::Idle;
}

std::wstring RecordingSession::LastImage() const {
    std::lock_guard lock(mutex_);
    return lastImage_;
}

void RecordingSession::SetStatus(std::uint32_t status) {
    {
        std::lock_guard lock(mutex_);
        progress_.status = status;
        progress_.trackDone = progress_.trackTotal = 0; // the first pair counts within a stage
    }
    events_.OnStatusChange(status);
}

std::int32_t RecordingSession::Report(std::int32_t code, const std::string& detail) {
    std::string text = ErrorTexts::Describe(code);
    if (!detail.empty()) text += " " + detail;
    events_.OnError(code, text);
    return code;
}

std::int32_t RecordingSession::ReportCurrentException() {
    try {
        throw;
    } catch (const EngineFailure& e) {
        return Report(e.Code(), e.Context());
    } catch (const ImageRecorder::image_write_failure& e) {
        return Report(RECORDING_E_IMAGE_WRITE, e.Context());
    } catch (const ImageRecorder::audio_failure& e) {
        return Report(RECORDING_E_AUDIO_READ, e.Context());
    } catch (const ImageRecorder::verify_failure& e) {
        return Report(RECORDING_E_VERIFY_FAILED, e.Context());
    } catch (const Win32File::base_exception& e) {
        return Report(RECORDING_E_IMAGE_WRITE, e.Context());
    } catch (const std::bad_alloc&) {
        return Report(E_OUTOFMEMORY, "");
    } catch (const std::exception& e) {
        return Report(E_FAIL, e.what());
    } catch (...) {
        return Report(E_FAIL, "");
    }
}

unsigned RecordingSession::ChooseSpeed(const DriveConfig& config, std::int32_t media) const {
    const std::vector<unsigned>& speeds = media == RECORDING_MEDIA_CD_RW ? config.rewriteSpeeds : config.writeSpeeds;
    if (speeds.empty()) return 1;
    unsigned requested = speeds.front();
    for (int bit = 31; bit >= 0; --bit)
        if (params_.speedMask & (1u << bit)) {
            requested = RecordingSpeedOfBit(static_cast<unsigned>(bit));
            break;
        }
    for (unsigned speed : speeds)
        if (speed <= requested) return speed;
    return speeds.back();
}

std::int32_t RecordingSession::Prepare(std::shared_ptr<Drive> drive) {
    bool again;
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Idle && state_ != State::Prepared) return RECORDING_E_ACTIVE;
        again = state_ == State::Prepared;
    }
    if (again) Discard(""); // prepared before: start over
    events_.OnNewRecording();
    try {
        std::vector<Track> layout = Layout();
        if (layout.empty()) RECORDER_FAIL(RECORDING_E_EMPTY_LAYOUT, "RecordingSession::Prepare()", "");
        if (!drive) RECORDER_FAIL(RECORDING_E_NO_SUCH_DEVICE, "RecordingSession::Prepare()", "no recording device");
        DriveConfig config = drive->Config();
        drive->Describe(); // readiness, disc, faults of the media query
        DiscState disc = drive->LoadDisc();
        if (disc.closed || !config.CanWrite(disc.media))
            RECORDER_FAIL(RECORDING_E_DISC_CLOSED, "RecordingSession::Prepare()",
                          disc.closed ? "The disc is closed." : "The drive cannot write this kind of disc.");
        if (disc.tracks.size() + layout.size() > static_cast<std::size_t>(RedBook::kMaxTracks))
            RECORDER_FAIL(RECORDING_E_TOO_MANY_TRACKS, "RecordingSession::Prepare()",
                          (std::to_string(disc.tracks.size()) + " tracks already on the disc").c_str());
        std::vector<std::uint64_t> bytes;
        std::vector<CueText> texts;
        bool ownGaps = false;
        for (Track& track : layout) {
            if (track.parts.empty()) track.audioBytes = AudioFiles::Open(track.path)->OutputBytes();
            bytes.push_back(track.audioBytes);
            texts.push_back(track.Recorded());
            ownGaps |= track.ownPregap;
        }
        Params params = GetParams();
        if (ownGaps && params.Method() == WriteMethod::TrackAtOnce)
            RECORDER_FAIL(RECORDING_E_PREPARE_REFUSED, "RecordingSession::Prepare()",
                          "Tracks with gaps of their own are written disc-at-once or session-at-once; track-at-once "
                          "would change the gaps.");
        SessionPlan plan;
        {
            std::lock_guard lock(mutex_);
            plan = PlanOf(bytes, 0, disc.NextSessionStart(), disc.NextTrackNumber());
        }
        if (plan.totalFrames > disc.FreeFrames())
            RECORDER_FAIL(RECORDING_E_DISC_FULL, "RecordingSession::Prepare()",
                          ("The tracks need " + RedBook::FormatMsf(plan.totalFrames) + ", the disc has " +
                           RedBook::FormatMsf(disc.FreeFrames()) + ".").c_str());
        if (config.faults.refusePrepare)
            RECORDER_FAIL(RECORDING_E_PREPARE_REFUSED, "RecordingSession::Prepare()", "(simulated fault)");
        const bool real = dynamic_cast<RealRecorder*>(drive.get()) != nullptr;
        if (real && params.Method() == WriteMethod::TrackAtOnce && params.pauseFrames != RedBook::kPauseFrames)
            RECORDER_FAIL(RECORDING_E_PREPARE_REFUSED, "RecordingSession::Prepare()",
                          "A real recorder writes track-at-once with two-second pauses only.");
        if (real && params.Method() != WriteMethod::TrackAtOnce) {
            std::uint32_t needed = params.Method() == WriteMethod::DiscAtOnce ? RECORDING_WRITES_DAO : RECORDING_WRITES_SAO;
            if (!(config.writeFeatures & needed))
                RECORDER_FAIL(RECORDING_E_PREPARE_REFUSED, "RecordingSession::Prepare()",
                              "The recorder cannot write disc-at-once or session-at-once.");
            if (!disc.tracks.empty() || disc.sessions > 0)
                RECORDER_FAIL(RECORDING_E_DISC_CLOSED, "RecordingSession::Prepare()",
                              "A real recorder writes disc-at-once and session-at-once on a blank disc only.");
        }
        {
            // The disc's CD-Text after this session must fit its packs: refused now, never cut.
            CueText discText;
            std::string songwriter;
            {
                std::lock_guard lock(mutex_);
                discText = layout_.GivenDiscText();
                songwriter = layout_.DiscSongwriter();
            }
            std::vector<TrackCodes> codes;
            for (const Track& track : layout) codes.push_back({track.isrc, track.flags, track.songwriter, {}});
            DiscState after = disc;
            after.AddSession(plan, "", texts, {}, SessionLayout::DiscText(discText, layout), codes);
            if (!songwriter.empty()) after.songwriter = songwriter;
            try {
                RecorderWrite::DiscCdText(after);
            } catch (const CdTextPacks::base_exception& e) {
                RECORDER_FAIL(RECORDING_E_PREPARE_REFUSED, "RecordingSession::Prepare()",
                              (std::string("The CD-Text does not fit on the disc: ") + e.Context()).c_str());
            }
        }
        if (!drive->BeginActivity(Drive::Activity::Recording))
            RECORDER_FAIL(RECORDING_E_DEVICE_BUSY, "RecordingSession::Prepare()", "The drive is erasing or recording.");
        try {
            drive->Acquire();
        } catch (...) {
            drive->EndActivity();
            throw;
        }

        std::lock_guard lock(mutex_);
        layout_.UpdateAudioBytes(layout);
        drive_ = std::move(drive);
        plan_ = std::move(plan);
        texts_ = std::move(texts);
        codes_.clear();
        for (const Track& track : layout) codes_.push_back({track.isrc, track.flags, track.songwriter, {}});
        gains_.clear();
        discRemarks_.clear();
        plannedDiscText_ = SessionLayout::DiscText(layout_.GivenDiscText(), layout);
        binName_ = config.imageName + (disc.sessions == 0 ? "" : "-session" + std::to_string(disc.sessions + 1)) + ".bin";
        speed_ = config.paced ? ChooseSpeed(config, disc.media) : 0;
        writeSpeed_ = config.writeSpeeds.empty() ? 0 : ChooseSpeed(config, disc.media);
        verify_ = config.verify;
        corruptAtPercent_ = config.faults.corruptAtPercent;
        failAtPercent_ = config.faults.failAtPercent;
        failCode_ = config.faults.failCode;
        wrote_ = false;
        abort_ = false;
        waiter_.Reset();
        state_ = State::Prepared;
        progress_ = {};
        progress_.status = RECORDING_STATUS_PREPARED;
        progress_.overallTotal = plan_.totalFrames;
    } catch (...) {
        return ReportCurrentException();
    }
    if (GetParams().options & RECORDING_OPTION_LEVEL_LOUDNESS) {
        try {
            SessionPlan plan;
            {
                std::lock_guard lock(mutex_);
                plan = plan_;
            }
            MeasureLoudness(Layout(), plan);
        } catch (...) {
            std::int32_t code = ReportCurrentException();
            Discard("");
            return code;
        }
    }
    events_.OnStatusChange(RECORDING_STATUS_PREPARED);
    return 0;
}

std::int32_t RecordingSession::CancelCheck() {
    if (abort_) return RECORDING_E_CANCELLED;
    if (events_.QueryCancel()) {
        abort_ = true;
        return RECORDING_E_CANCELLED;
    }
    return 0;
}

bool RecordingSession::PaceStage(std::uint32_t frames, bool cancellable) {
    Pacer pacer(speed_, waiter_);
    pacer.Start();
    std::uint32_t done = 0;
    while (done < frames) {
        std::uint32_t step = std::min(frames - done, pacer.ChunkFrames());
        done += step;
        Progress progress;
        {
            std::lock_guard lock(mutex_);
            progress_.trackDone = done;
            progress_.trackTotal = frames;
            progress = progress_;
        }
        events_.OnProgress(progress);
        if (cancellable && CancelCheck()) return false;
        if (!pacer.Advance(step) && cancellable) return false;
    }
    return true;
}

std::int32_t RecordingSession::Record(std::size_t first, std::size_t last, bool write) {
    SessionPlan plan;
    std::shared_ptr<Drive> drive;
    std::string binName;
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Prepared) return RECORDING_E_NOT_PREPARED;
        if (first >= plan_.tracks.size() || first > last) return E_INVALIDARG;
        last = std::min(last, plan_.tracks.size() - 1);
        if (first != 0 || last + 1 != plan_.tracks.size()) { // a part of the layout: plan it again
            std::vector<std::uint64_t> bytes;
            for (std::size_t i = first; i <= last; ++i) bytes.push_back(plan_.tracks[i].audioBytes);
            std::vector<CueText> texts(texts_.begin() + static_cast<std::ptrdiff_t>(first),
                                       texts_.begin() + static_cast<std::ptrdiff_t>(last) + 1);
            plan_ = PlanOf(bytes, first, plan_.startFrame, plan_.tracks.front().number);
            texts_ = std::move(texts);
            codes_ = std::vector<TrackCodes>(codes_.begin() + static_cast<std::ptrdiff_t>(first),
                                             codes_.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        }
        firstTrack_ = first;
        state_ = State::Recording;
        wrote_ = false;
        openTrack_ = -1;
        progress_.overallTotal = plan_.totalFrames;
        plan = plan_;
        drive = drive_;
        binName = binName_;
    }
    std::int32_t result = 0;
    try {
        SetStatus(RECORDING_STATUS_STARTING);
        if (CancelCheck()) result = RECORDING_E_CANCELLED;
        auto* real = dynamic_cast<RealRecorder*>(drive.get());
        if (!result && real) result = RecordOnRecorder(*real, plan, first, write);
        if (!result && !real) {
            SetStatus(RECORDING_STATUS_PREPARING);
            SetStatus(RECORDING_STATUS_BUFFERING);
            {
                std::lock_guard lock(mutex_);
                progress_.bufferPercent = 100;
            }
            SetStatus(RECORDING_STATUS_WRITING_LEADIN);
            if (!PaceStage(RedBook::kLeadInFrames, true)) result = RECORDING_E_CANCELLED;
        }
        if (!result && !real) {
            auto& imageDrive = static_cast<VirtualDrive&>(*drive);
            SetStatus(RECORDING_STATUS_WRITING_TRACKS);
            std::unique_ptr<Win32File> image;
            std::wstring path = imageDrive.FilePath(binName + ".partial");
            if (write) {
                try {
                    image = std::make_unique<Win32File>(Win32File::Create(path, imageDrive.Config().faults.imageLimitBytes));
                } catch (const Win32File::base_exception& e) {
                    RECORDER_FAIL(RECORDING_E_IMAGE_WRITE, "RecordingSession::Record()", e.Context());
                }
                std::lock_guard lock(mutex_);
                wrote_ = true;
            }
            TrackOpeners openers = OpenersFor(Layout(), first, plan, Gains());
            Pacer pacer(speed_, waiter_);
            ImageRecorder::OpenImage openImage;
            if (verify_) openImage = [path] { return std::make_unique<Win32File>(Win32File::OpenRead(path)); };
            std::optional<CorruptingSink> corrupting;
            ByteSink* sink = image.get();
            if (image && corruptAtPercent_ >= 0) sink = &corrupting.emplace(*image, CorruptOffset(plan, corruptAtPercent_));
            ImageRecorder recorder(plan, openers.audio, *this, pacer, openImage);
            recorder.SetPregapSource(openers.pregap);
            result = recorder.Write(sink);
            if (image) image->Close();
            {
                std::lock_guard lock(mutex_);
                crcs_ = recorder.TrackCrcs();
            }
            if (result && result != RECORDING_E_CANCELLED)
                Report(result, failAtPercent_ >= 0 ? "(simulated fault at " + std::to_string(failAtPercent_) + "%)" : "");
        }
    } catch (...) {
        result = ReportCurrentException();
    }
    if (openTrack_ >= 0) events_.OnTrackEnd(openTrack_, result);
    if (result) {
        Discard(result == RECORDING_E_CANCELLED ? "cancelled" : "failed " + ErrorTexts::Hex(result));
        return result;
    }
    {
        std::lock_guard lock(mutex_);
        state_ = State::Written;
    }
    SetStatus(RECORDING_STATUS_WRITTEN);
    return 0;
}

void RecordingSession::OnTrackStart(std::size_t track) {
    int index = static_cast<int>(firstTrack_ + track);
    bool leadIn;
    {
        std::lock_guard lock(mutex_);
        progress_.track = index;
        openTrack_ = index;
        leadIn = progress_.status == RECORDING_STATUS_WRITING_LEADIN;
    }
    if (leadIn) SetStatus(RECORDING_STATUS_WRITING_TRACKS); // a real recorder's first track
    events_.OnTrackStart(index);
}

void RecordingSession::OnTrackEnd(std::size_t track) {
    {
        std::lock_guard lock(mutex_);
        openTrack_ = -1;
    }
    events_.OnTrackEnd(static_cast<int>(firstTrack_ + track), 0);
}

std::int32_t RecordingSession::OnChunk(const ImageRecorder::Progress& p) {
    Progress progress;
    {
        std::lock_guard lock(mutex_);
        progress_.trackDone = p.trackDone;
        progress_.trackTotal = p.trackTotal;
        progress_.overallDone = p.overallDone;
        progress_.overallTotal = p.overallTotal;
        progress = progress_;
    }
    events_.OnProgress(progress);
    if (std::int32_t cancel = CancelCheck()) return cancel;
    if (failAtPercent_ >= 0 && std::uint64_t{p.overallDone} * 100 >= std::uint64_t{p.overallTotal} * failAtPercent_)
        return failCode_;
    return 0;
}

std::int32_t RecordingSession::Close(bool finalize) {
    std::shared_ptr<Drive> drive;
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Written) return RECORDING_E_NOT_PREPARED;
        state_ = State::Closing;
        drive = drive_;
    }
    try {
        if (auto* real = dynamic_cast<RealRecorder*>(drive.get())) {
            SetStatus(RECORDING_STATUS_CLOSING_SESSION);
            if (finalize) SetStatus(RECORDING_STATUS_FINALIZING);
            real->Finish(finalize);
        } else {
            auto& imageDrive = static_cast<VirtualDrive&>(*drive);
            SetStatus(RECORDING_STATUS_CLOSING_SESSION);
            DiscState disc = drive->LoadDisc();
            // The lead-out is written whatever happens: an abort no longer stops the closing.
            PaceStage(disc.sessions == 0 ? RedBook::kFirstLeadOutFrames : RedBook::kLaterLeadOutFrames, false);
            if (finalize) SetStatus(RECORDING_STATUS_FINALIZING);
            if (wrote_) {
                DriveConfig config = imageDrive.Config();
                std::wstring partial = imageDrive.FilePath(binName_ + ".partial");
                std::wstring image = imageDrive.FilePath(binName_);
                if (!MoveFileExW(partial.c_str(), image.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                    RECORDER_FAIL(RECORDING_E_IMAGE_WRITE, "RecordingSession::Close()",
                                  (WinText::Utf8(image) + ": " + WinText::SystemMessage(GetLastError())).c_str());
                disc.AddSession(plan_, binName_, texts_, crcs_, plannedDiscText_, codes_);
                if (!layout_.Catalog().empty()) disc.catalog = layout_.Catalog();
                if (!layout_.DiscSongwriter().empty()) disc.songwriter = layout_.DiscSongwriter();
                if (!discRemarks_.empty()) disc.remarks = discRemarks_;
                disc.lastRecording = "complete";
                disc.incompleteImage.clear();
                disc.closed = finalize;
                std::wstring cue = imageDrive.FilePath(config.imageName + ".cue");
                // The same texts as a binary CD-Text file beside the cue sheet.
                std::string cdTextFile;
                if (std::vector<CdTextPacks::Pack> packs = RecorderWrite::DiscCdText(disc); !packs.empty()) {
                    cdTextFile = config.imageName + ".cdt";
                    try {
                        Win32File::ReplaceText(imageDrive.FilePath(cdTextFile), CdTextPacks::FileBytes(packs));
                    } catch (const Win32File::base_exception& e) {
                        RECORDER_FAIL(RECORDING_E_IMAGE_WRITE, "RecordingSession::Close()", e.Context());
                    }
                }
                try {
                    Win32File::ReplaceText(cue, CueSheet::Render(disc.CueFiles(), disc.discText, cdTextFile, disc.catalog,
                                                                 disc.songwriter, disc.remarks));
                } catch (const Win32File::base_exception& e) {
                    RECORDER_FAIL(RECORDING_E_IMAGE_WRITE, "RecordingSession::Close()", e.Context());
                }
                imageDrive.SaveDisc(disc);
                std::lock_guard lock(mutex_);
                lastImage_ = cue;
            }
        }
    } catch (...) {
        std::int32_t code = ReportCurrentException();
        Discard("failed " + ErrorTexts::Hex(code));
        return code;
    }
    ReleaseDrive();
    SetStatus(0);
    events_.OnDiscChanged(*drive);
    return 0;
}

void RecordingSession::Abort() {
    State state;
    std::shared_ptr<Drive> drive;
    {
        std::lock_guard lock(mutex_);
        state = state_;
        if (state == State::Prepared || state == State::Recording) {
            abort_ = true;
            waiter_.Interrupt();
            drive = drive_;
        }
    }
    // A recorder may wait for its write to stop: never under the session's lock.
    if (auto* real = dynamic_cast<RealRecorder*>(drive.get())) real->Cancel();
    if (state == State::Written) Discard("cancelled");
}

void RecordingSession::Discard(const std::string& outcome) {
    std::shared_ptr<Drive> drive;
    bool wrote;
    std::string partial;
    {
        std::lock_guard lock(mutex_);
        drive = drive_;
        wrote = wrote_;
        partial = binName_ + ".partial";
    }
    if (auto* real = dynamic_cast<RealRecorder*>(drive.get())) real->Abandon();
    auto* imageDrive = dynamic_cast<VirtualDrive*>(drive.get());
    if (imageDrive && wrote && !outcome.empty()) {
        try { // the image stays for inspection, but the disc state says it is incomplete
            DiscState disc = imageDrive->LoadDisc();
            disc.lastRecording = outcome;
            disc.incompleteImage = partial;
            imageDrive->SaveDisc(disc);
        } catch (const ContextException& e) {
            Report(RECORDING_E_IMAGE_WRITE, e.Context());
        }
    }
    ReleaseDrive();
    SetStatus(0);
    if (drive && wrote) events_.OnDiscChanged(*drive);
}

void RecordingSession::ReleaseDrive() {
    std::lock_guard lock(mutex_);
    if (drive_) {
        drive_->Release();
        drive_->EndActivity();
    }
    drive_.reset();
    state_ = State::Idle;
    abort_ = false;
}

std::int32_t RecordingSession::RecordOnRecorder(RealRecorder& recorder, const SessionPlan& plan, std::size_t first,
                                                bool write) {
    if (!write)
        RECORDER_FAIL(RECORDING_E_PREPARE_REFUSED, "RecordingSession::Record()", "A real recorder cannot simulate a recording.");
    SetStatus(RECORDING_STATUS_PREPARING);
    SetStatus(RECORDING_STATUS_BUFFERING);
    {
        std::lock_guard lock(mutex_);
        progress_.bufferPercent = 100;
        wrote_ = true;
    }
    SetStatus(RECORDING_STATUS_WRITING_LEADIN);
    TrackOpeners openers = OpenersFor(Layout(), first, plan, Gains());
    RecorderWrite::Carried carried;
    {
        std::lock_guard lock(mutex_);
        carried = {plan_, texts_, plannedDiscText_, codes_, layout_.DiscSongwriter(), layout_.Catalog()};
    }
    std::int32_t result = RecorderWrite(recorder, GetParams().Method(), writeSpeed_)
                              .Write(plan, carried, openers.audio, openers.pregap, *this);
    if (result && result != RECORDING_E_CANCELLED) Report(result, "");
    return result;
}

std::vector<double> RecordingSession::Gains() const {
    std::lock_guard lock(mutex_);
    return gains_;
}
