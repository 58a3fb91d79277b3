#include "recorder/RealRecorder.h"

#include <algorithm>

#include "engine/Bstr.h"
#include "engine/EventConnection.h"
#include "recorder/EngineFailure.h"
#include "recorder/ErrorTexts.h"
#include "recorder/ImapiEventSinks.h"
#include "recorder/ImapiObject.h"
#include "recorder/ImapiResults.h"
#include "recorder/PlanStream.h"
#include "recorder/RedBook.h"
#include "recorder/VariantArray.h"
#include "recorder/WinText.h"

namespace {

constexpr auto kProbeLife = std::chrono::milliseconds(250);
constexpr std::uint32_t kEraseUnits = 100; // an erase's progress counts percent

// Speeds in x from the API's sectors per second, as the engine's speed codes can name them.
std::vector<unsigned> SpeedsOf(const std::vector<LONG>& sectorsPerSecond) {
    std::vector<unsigned> speeds;
    for (LONG rate : sectorsPerSecond) {
        unsigned x = static_cast<unsigned>(std::max<LONG>(rate, 0) / IMAPI_SECTORS_PER_SECOND_1X);
        if (x > 60) x = 60;
        if (x >= 4) x -= x % 2;
        if (x >= 1 && std::find(speeds.begin(), speeds.end(), x) == speeds.end()) speeds.push_back(x);
    }
    std::sort(speeds.rbegin(), speeds.rend());
    return speeds;
}

std::int32_t MediaOf(IMAPI_MEDIA_PHYSICAL_TYPE type) {
    switch (type) {
    case IMAPI_MEDIA_TYPE_CDR: return RECORDING_MEDIA_CD_R;
    case IMAPI_MEDIA_TYPE_CDRW: return RECORDING_MEDIA_CD_RW;
    case IMAPI_MEDIA_TYPE_CDROM: return RECORDING_MEDIA_CD_ROM;
    default: return RECORDING_MEDIA_NONE;
    }
}

// The recording API takes plain client names only.
std::wstring ClientNameOf(const std::wstring& name) {
    std::wstring plain;
    for (wchar_t c : name)
        if (plain.size() < 64 && ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                                  c == L' ' || c == L'.' || c == L'-' || c == L'_'))
            plain += c;
    return plain.empty() ? std::wstring(L"Fennel") : plain;
}

} // namespace

RealRecorder::RealRecorder(Description description, std::wstring clientName)
    : description_(std::move(description)), clientName_(ClientNameOf(clientName)) {}

RealRecorder::~RealRecorder() {
    Abandon();
    if (held_) held_->ReleaseExclusiveAccess();
}

// ---- Queries

ComPtr<IDiscRecorder2> RealRecorder::OpenRecorder() const {
    auto recorder = CreateImapiObject<IDiscRecorder2>(CLSID_MsftDiscRecorder2, "RealRecorder::OpenRecorder()");
    ImapiResults::Check(recorder->InitializeDiscRecorder(Bstr(description_.uniqueId).get()), "RealRecorder::OpenRecorder()",
                        "opening the recorder");
    return recorder;
}

ComPtr<IDiscRecorder2> RealRecorder::HeldRecorder() const {
    std::lock_guard lock(mutex_);
    if (!held_) RECORDER_FAIL(RECORDING_E_NOT_PREPARED, "RealRecorder::HeldRecorder()", "the recorder is not acquired");
    return held_;
}

template <class Format>
ComPtr<Format> RealRecorder::MakeFormat(REFCLSID clsid, IDiscRecorder2* recorder, const char* where) const {
    auto format = CreateImapiObject<Format>(clsid, where);
    ImapiResults::Check(format->put_Recorder(recorder), where, "choosing the recorder");
    return format;
}

RealRecorder::Probe RealRecorder::Query() const {
    const char* where = "RealRecorder::Query()";
    Probe p;
    p.when = Clock::now();
    try {
        ComPtr<IDiscRecorder2> recorder;
        {
            std::lock_guard lock(mutex_);
            recorder = held_;
        }
        if (!recorder) recorder = OpenRecorder();
        auto tao = MakeFormat<IDiscFormat2TrackAtOnce>(CLSID_MsftDiscFormat2TrackAtOnce, recorder.get(), where);
        IMAPI_MEDIA_PHYSICAL_TYPE type = IMAPI_MEDIA_TYPE_UNKNOWN;
        HRESULT hr = tao->get_CurrentPhysicalMediaType(&type);
        p.ready = hr != E_IMAPI_RECORDER_MEDIA_BECOMING_READY;
        if (hr == E_IMAPI_RECORDER_MEDIA_NO_MEDIA) return p;
        ImapiResults::Check(hr, where, "asking for the disc");
        p.present = true;
        DiscState& disc = p.disc;
        disc.origin = "recorder";
        disc.media = MediaOf(type);
        if (disc.media == RECORDING_MEDIA_NONE) { // a disc the engine does not write: never touched
            disc.media = RECORDING_MEDIA_CD_ROM;
            disc.closed = true;
            p.failure = {{RECORDING_E_MEDIA_UNREADABLE,
                          "The disc in the recorder is not a CD (its media type is " + std::to_string(type) + ")."}};
            return p;
        }
        VARIANT_BOOL supported = VARIANT_FALSE, blank = VARIANT_FALSE;
        if (FAILED(tao->IsCurrentMediaSupported(recorder.get(), &supported))) supported = VARIANT_FALSE;
        if (FAILED(tao->get_MediaHeuristicallyBlank(&blank))) blank = VARIANT_FALSE;
        LONG tracks = 0, total = 0, free = 0, used = 0;
        if (disc.media == RECORDING_MEDIA_CD_ROM) {
            if (FAILED(tao->get_NumberOfExistingTracks(&tracks)) || tracks < 1) tracks = 1;
            total = used = static_cast<LONG>(RedBook::FramesOfMinutes(74));
        } else {
            ImapiResults::Check(tao->get_NumberOfExistingTracks(&tracks), where, "asking for the disc's tracks");
            ImapiResults::Check(tao->get_TotalSectorsOnMedia(&total), where, "asking for the disc's size");
            ImapiResults::Check(tao->get_FreeSectorsOnMedia(&free), where, "asking for the disc's free space");
            ImapiResults::Check(tao->get_UsedSectorsOnMedia(&used), where, "asking for the disc's used space");
        }
        if (tracks < 0 || tracks > RedBook::kMaxTracks || total <= 0 || free < 0 || used < 0 || free > total) {
            // Figures no disc has: refuse the disc rather than guess.
            p.failure = {{RECORDING_E_MEDIA_UNREADABLE, "The recorder describes the disc in a way the engine does not "
                                                        "understand (" + std::to_string(tracks) + " tracks, " +
                                                        std::to_string(free) + " of " + std::to_string(total) +
                                                        " sectors free)."}};
            disc.closed = true;
            return p;
        }
        disc.capacityMinutes = static_cast<std::uint32_t>((total + RedBook::FramesOfMinutes(1) - 1) / RedBook::FramesOfMinutes(1));
        disc.closed = disc.media == RECORDING_MEDIA_CD_ROM || (!supported && !(blank && tracks == 0));
        disc.sessions = tracks > 0 ? 1 : 0;
        disc.usedFrames = static_cast<std::uint32_t>(used);
        disc.reportedFree = disc.closed ? 0 : static_cast<std::uint32_t>(free);
        for (int n = 1; n <= tracks; ++n) {
            DiscTrack track;
            track.number = n;
            disc.tracks.push_back(track);
        }
        VariantArray speeds;
        if (SUCCEEDED(tao->get_SupportedWriteSpeeds(speeds.put()))) p.speeds = SpeedsOf(speeds.Numbers());
    } catch (const EngineFailure& e) {
        p.failure = {{e.Code(), e.Context()}};
        p.ready = e.Code() != RECORDING_E_NOT_READY;
    } catch (const ContextException& e) {
        p.failure = {{RECORDING_E_RECORDER_FAILED, e.Context()}};
    } catch (const std::bad_alloc&) {
        p.failure = {{E_OUTOFMEMORY, "out of memory"}};
    }
    return p;
}

RealRecorder::Probe RealRecorder::Current() const {
    {
        std::lock_guard lock(mutex_);
        // A recording or an erase owns the recorder: its last known state stands meanwhile.
        bool busy = CurrentActivity() != Activity::None && probe_.when != Clock::time_point{};
        if (busy || Clock::now() - probe_.when < kProbeLife) return probe_;
    }
    Probe now = Query();
    std::lock_guard lock(mutex_);
    probe_ = now;
    return now;
}

void RealRecorder::ThrowFailure(const Probe& probe) const {
    if (probe.failure) RECORDER_FAIL(probe.failure->first, "RealRecorder::LoadDisc()", probe.failure->second.c_str());
}

DriveConfig RealRecorder::Config() const {
    Probe p = Current();
    DriveConfig config;
    config.letter = description_.letter;
    config.name = description_.name;
    config.mediaAbilities = description_.mediaAbilities;
    config.writeFeatures = description_.writeFeatures;
    config.readSpeeds = config.writeSpeeds = config.rewriteSpeeds = p.speeds; // the API tells no read speeds
    config.disc.media = p.present ? p.disc.media : RECORDING_MEDIA_NONE;
    config.disc.capacityMinutes = p.disc.capacityMinutes ? p.disc.capacityMinutes : 80;
    config.ready = p.ready;
    config.paced = false;
    config.verify = false;
    return config;
}

bool RealRecorder::Ready() const { return Current().ready; }

bool RealRecorder::MediaPresent() const { return Current().present; }

DiscState RealRecorder::LoadDisc() const {
    Probe p = Current();
    ThrowFailure(p);
    return p.disc;
}

MediaDescription RealRecorder::Describe() const {
    Probe p = Current();
    if (!p.ready) RECORDER_FAIL(RECORDING_E_NOT_READY, "RealRecorder::Describe()", "the recorder is not ready");
    if (!p.present) RECORDER_FAIL(RECORDING_E_NO_MEDIA, "RealRecorder::Describe()", "no disc");
    ThrowFailure(p);
    return p.disc.Describe(Config());
}

Drive::Summary RealRecorder::Summarize() const {
    Probe p = Current();
    Summary summary{p.ready, p.present, static_cast<int>(p.disc.tracks.size()), {}};
    summary.disc = p.failure ? p.failure->second
                             : std::to_string(p.disc.media) + " " + std::to_string(p.disc.usedFrames) + "/" +
                                   std::to_string(p.disc.FreeFrames()) + (p.disc.closed ? " closed" : " open");
    return summary;
}

// ---- Exclusive access

void RealRecorder::Acquire() {
    std::lock_guard lock(mutex_);
    if (holds_ > 0) {
        ++holds_;
        return;
    }
    ComPtr<IDiscRecorder2> recorder = OpenRecorder();
    HRESULT hr = recorder->AcquireExclusiveAccess(VARIANT_FALSE, Bstr(clientName_).get());
    if (FAILED(hr)) {
        Bstr owner;
        if (SUCCEEDED(recorder->get_ExclusiveAccessOwner(owner.put())) && !owner.Wide().empty())
            RECORDER_FAIL(RECORDING_E_DEVICE_BUSY, "RealRecorder::Acquire()",
                          (WinText::Utf8(owner.Wide()) + " is using the recorder (recorder result " + ErrorTexts::Hex(hr) +
                           ").").c_str());
        ImapiResults::Fail(hr, "RealRecorder::Acquire()", "taking the recorder");
    }
    held_ = recorder;
    holds_ = 1;
}

void RealRecorder::Release() {
    ComPtr<IDiscRecorder2> released;
    {
        std::lock_guard lock(mutex_);
        if (holds_ == 0 || --holds_ > 0) return;
        released = std::move(held_);
        held_.reset();
        probe_.when = {}; // the disc may have changed meanwhile
    }
    released->ReleaseExclusiveAccess();
}

bool RealRecorder::HoldsLock() const {
    std::lock_guard lock(mutex_);
    return holds_ > 0;
}

// ---- Erasing

void RealRecorder::CheckErasable() const {
    const std::uint32_t rewrite = RECORDING_CAN_WRITE_CD_RW | RECORDING_CAN_ERASE_CD_RW;
    if ((description_.mediaAbilities & rewrite) != rewrite)
        RECORDER_FAIL(RECORDING_E_CANNOT_REWRITE, "RealRecorder::CheckErasable()", "the recorder cannot erase CD-RW discs");
    if (Describe().type != RECORDING_MEDIA_CD_RW)
        RECORDER_FAIL(RECORDING_E_MEDIA_NOT_REWRITABLE, "RealRecorder::CheckErasable()", "the disc is not a CD-RW");
}

std::int32_t RealRecorder::Erase(bool full, Pacer::Waiter&, EraseObserver& observer) {
    const char* where = "RealRecorder::Erase()";
    StartEraseProgress();
    EraseDoneMark markDone(*this);
    CheckErasable();
    if (!BeginActivity(Activity::Erasing)) RECORDER_FAIL(RECORDING_E_DEVICE_BUSY, where, "the recorder is recording or erasing");
    struct Scope {
        RealRecorder& recorder;
        bool held = false;
        ~Scope() {
            if (held) recorder.Release();
            recorder.EndActivity();
        }
    } scope{*this};
    Acquire();
    scope.held = true;

    auto format = MakeFormat<IDiscFormat2Erase>(CLSID_MsftDiscFormat2Erase, HeldRecorder().get(), where);
    ImapiResults::Check(format->put_ClientName(Bstr(clientName_).get()), where, "naming the client");
    ImapiResults::Check(format->put_FullErase(full ? VARIANT_TRUE : VARIANT_FALSE), where, "choosing the erase");
    SetEraseProgress({false, 0, kEraseUnits});
    // The API cannot stop an erase once begun, so it runs to its end as a virtual drive's does.
    auto sink = imapi_sinks::EraseProgressSink::Create([this, &observer](LONG elapsed, LONG total) {
        if (total <= 0) return;
        int percent = static_cast<int>(std::clamp<LONG>(elapsed * 100 / total, 0, 99));
        SetEraseDone(static_cast<std::uint32_t>(percent));
        observer.OnEraseProgress(percent);
    });
    EventConnection events;
    events.Connect(format.get(), __uuidof(DDiscFormat2EraseEvents), sink.get()); // without events: no progress
    HRESULT hr = format->EraseMedia();
    events.Disconnect();
    ImapiResults::Check(hr, where, "erasing the disc");
    SetEraseDone(kEraseUnits);
    observer.OnEraseProgress(100);
    return 0;
}

// ---- Writing

std::int32_t RealRecorder::EndOfWrite(HRESULT result, PullStream& stream, const char* where, const char* what) {
    if (std::optional<PullStream::Failure> failure = stream.TakeFailure())
        RECORDER_FAIL(failure->code, where, failure->text.c_str());
    std::int32_t stopped;
    bool cancelled;
    {
        std::lock_guard lock(mutex_);
        stopped = stopCode_;
        cancelled = cancelled_;
    }
    if (stopped) return stopped;
    if (cancelled || result == E_IMAPI_REQUEST_CANCELLED) return RECORDING_E_CANCELLED;
    ImapiResults::Check(result, where, what);
    return 0;
}

template <class Format>
bool RealRecorder::PrepareWriter(const ComPtr<Format>& format, ComPtr<Format>& running, unsigned speed,
                                 const char* where) {
    ImapiResults::Check(format->put_ClientName(Bstr(clientName_).get()), where, "naming the client");
    ImapiResults::Check(format->put_BufferUnderrunFreeDisabled(VARIANT_FALSE), where, "asking for underrun protection");
    if (speed)
        ImapiResults::Check(format->SetWriteSpeed(static_cast<LONG>(speed) * IMAPI_SECTORS_PER_SECOND_1X, VARIANT_FALSE),
                            where, "choosing the speed");
    {
        std::lock_guard lock(mutex_);
        if (cancelled_) return false;
        stopCode_ = 0;
    }
    ImapiResults::Check(format->PrepareMedia(), where, "preparing the disc");
    std::lock_guard lock(mutex_);
    running = format;
    return true;
}

std::int32_t RealRecorder::WriteTrackAtOnce(const SessionPlan& plan, const ImageRecorder::OpenTrack& open,
                                            ImageRecorder::Observer& observer, unsigned speed) {
    const char* where = "RealRecorder::WriteTrackAtOnce()";
    auto tao = MakeFormat<IDiscFormat2TrackAtOnce>(CLSID_MsftDiscFormat2TrackAtOnce, HeldRecorder().get(), where);
    if (!PrepareWriter(tao, tao_, speed, where)) return RECORDING_E_CANCELLED;
    std::size_t current = 0;
    auto sink = imapi_sinks::WriteProgressSink<DDiscFormat2TrackAtOnceEvents>::Create([&](IDispatch* progress) {
        ComPtr<IDiscFormat2TrackAtOnceEventArgs> args;
        IMAPI_FORMAT2_TAO_WRITE_ACTION action = IMAPI_FORMAT2_TAO_WRITE_ACTION_UNKNOWN;
        LONG start = 0, count = 0, last = 0;
        if (!progress || FAILED(progress->QueryInterface(__uuidof(IDiscFormat2TrackAtOnceEventArgs), args.put_void())) ||
            FAILED(args->get_CurrentAction(&action)) || action != IMAPI_FORMAT2_TAO_WRITE_ACTION_WRITING ||
            FAILED(args->get_StartLba(&start)) || FAILED(args->get_SectorCount(&count)) ||
            FAILED(args->get_LastWrittenLba(&last)) || count <= 0)
            return;
        const PlannedTrack& track = plan.tracks[current];
        auto done = static_cast<std::uint32_t>(std::uint64_t{track.audioFrames} *
                                               static_cast<std::uint64_t>(std::clamp<LONG>(last - start + 1, 0, count)) /
                                               static_cast<std::uint64_t>(count));
        ImageRecorder::Progress p{current, track.pregapFrames + done, track.pregapFrames + track.audioFrames,
                                  track.IndexOneFrame() - plan.startFrame + done, plan.totalFrames};
        if (std::int32_t code = observer.OnChunk(p)) {
            {
                std::lock_guard lock(mutex_);
                if (!stopCode_) stopCode_ = code;
            }
            tao->CancelAddTrack();
        }
    });
    EventConnection events;
    events.Connect(tao.get(), __uuidof(DDiscFormat2TrackAtOnceEvents), sink.get()); // without events: no progress
    for (current = 0; current < plan.tracks.size(); ++current) {
        observer.OnTrackStart(current);
        ComPtr<PlanStream> stream = PlanStream::Track(plan, open, current);
        {
            std::lock_guard lock(mutex_);
            if (cancelled_) return RECORDING_E_CANCELLED;
        }
        HRESULT hr = tao->AddAudioTrack(stream.get());
        if (std::int32_t code = EndOfWrite(hr, *stream.get(), where, "writing a track")) return code;
        observer.OnTrackEnd(current);
    }
    return 0;
}

std::int32_t RealRecorder::WriteDiscAtOnce(const SessionPlan& plan, std::vector<CdTextPacks::Pack> text,
                                           RawDiscImage::Codes codes, const ImageRecorder::OpenTrack& open,
                                           const ImageRecorder::OpenTrack& openPregap, ImageRecorder::Observer& observer,
                                           unsigned speed) {
    const char* where = "RealRecorder::WriteDiscAtOnce()";
    if (plan.startFrame != 0 || plan.tracks.empty())
        RECORDER_FAIL(RECORDING_E_DISC_CLOSED, where, "Disc-at-once needs a blank disc.");
    auto raw = MakeFormat<IDiscFormat2RawCD>(CLSID_MsftDiscFormat2RawCD, HeldRecorder().get(), where);
    ImapiResults::Check(raw->put_RequestedSectorType(IMAPI_FORMAT2_RAW_CD_SUBCODE_IS_COOKED), where,
                        "choosing sectors with subcode");
    ComPtr<PlanStream> stream = PlanStream::RawDisc(plan, open, openPregap, std::move(text), std::move(codes));
    if (!PrepareWriter(raw, raw_, speed, where)) return RECORDING_E_CANCELLED;
    // Track starts and ends follow the written position; those the events skip come in order.
    std::size_t started = 0;
    bool trackOpen = false;
    auto reach = [&](std::size_t track) {
        while (started <= track && started < plan.tracks.size()) {
            if (trackOpen) observer.OnTrackEnd(started - 1);
            observer.OnTrackStart(started++);
            trackOpen = true;
        }
    };
    auto sink = imapi_sinks::WriteProgressSink<DDiscFormat2RawCDEvents>::Create([&](IDispatch* progress) {
        ComPtr<IDiscFormat2RawCDEventArgs> args;
        IMAPI_FORMAT2_RAW_CD_WRITE_ACTION action = IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_UNKNOWN;
        LONG last = 0;
        if (!progress || FAILED(progress->QueryInterface(__uuidof(IDiscFormat2RawCDEventArgs), args.put_void())) ||
            FAILED(args->get_CurrentAction(&action)) || action != IMAPI_FORMAT2_RAW_CD_WRITE_ACTION_WRITING ||
            FAILED(args->get_LastWrittenLba(&last)))
            return;
        LONG frame = last + static_cast<LONG>(RedBook::kPregapFrames); // disc position; negative in the lead-in
        if (frame < 0 || static_cast<std::uint32_t>(frame) >= plan.totalFrames) return;
        std::size_t track = 0;
        while (track + 1 < plan.tracks.size() && plan.tracks[track + 1].startFrame <= static_cast<std::uint32_t>(frame)) ++track;
        reach(track);
        const PlannedTrack& t = plan.tracks[track];
        ImageRecorder::Progress p{track, static_cast<std::uint32_t>(frame) - t.startFrame + 1,
                                  t.pregapFrames + t.audioFrames, static_cast<std::uint32_t>(frame) + 1, plan.totalFrames};
        if (std::int32_t code = observer.OnChunk(p)) {
            {
                std::lock_guard lock(mutex_);
                if (!stopCode_) stopCode_ = code;
            }
            raw->CancelWrite();
        }
    });
    EventConnection events;
    events.Connect(raw.get(), __uuidof(DDiscFormat2RawCDEvents), sink.get());
    HRESULT hr = raw->WriteMedia(stream.get());
    events.Disconnect();
    if (std::int32_t code = EndOfWrite(hr, *stream.get(), where, "writing the disc")) return code;
    reach(plan.tracks.size() - 1);
    if (trackOpen) observer.OnTrackEnd(plan.tracks.size() - 1);
    return 0;
}

std::pair<ComPtr<IDiscFormat2TrackAtOnce>, ComPtr<IDiscFormat2RawCD>> RealRecorder::TakeWriters() {
    std::lock_guard lock(mutex_);
    cancelled_ = false;
    std::pair writers{std::move(tao_), std::move(raw_)};
    tao_.reset();
    raw_.reset();
    return writers;
}

void RealRecorder::Finish(bool finalize) {
    const char* where = "RealRecorder::Finish()";
    auto [tao, raw] = TakeWriters();
    if (tao) {
        ImapiResults::Check(tao->put_DoNotFinalizeMedia(finalize ? VARIANT_FALSE : VARIANT_TRUE), where,
                            "choosing whether to close the disc");
        ImapiResults::Check(tao->ReleaseMedia(), where, "closing the session");
    }
    if (raw) ImapiResults::Check(raw->ReleaseMedia(), where, "closing the disc");
}

void RealRecorder::Abandon() noexcept {
    auto [tao, raw] = TakeWriters();
    if (tao) {
        tao->put_DoNotFinalizeMedia(VARIANT_TRUE);
        tao->ReleaseMedia();
    }
    if (raw) raw->ReleaseMedia();
}

void RealRecorder::Cancel() noexcept {
    ComPtr<IDiscFormat2TrackAtOnce> tao;
    ComPtr<IDiscFormat2RawCD> raw;
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        tao = tao_;
        raw = raw_;
    }
    if (tao) tao->CancelAddTrack();
    if (raw) raw->CancelWrite();
}
