#include "recorder/VirtualDrive.h"

#include <algorithm>

#include "recorder/EngineFailure.h"
#include "recorder/Win32File.h"
#include "recorder/WinText.h"

namespace {

constexpr std::size_t kMaxStateBytes = 1 << 20;

// Ends an activity and lets the drive lock go on every way out of an erase.
class EraseScope {
public:
    explicit EraseScope(VirtualDrive& drive) : drive_(drive) {}
    ~EraseScope() {
        if (locked_) drive_.Release();
        drive_.EndActivity();
    }
    void Locked() { locked_ = true; }

private:
    VirtualDrive& drive_;
    bool locked_ = false;
};

} // namespace

VirtualDrive::VirtualDrive(const DriveConfig& config, std::wstring imageFolder, Clock::time_point engineStart)
    : letter_(config.letter), engineStart_(engineStart), config_(config), folder_(std::move(imageFolder)),
      busyLeft_(config.faults.busyCount) {}

DriveConfig VirtualDrive::Config() const {
    std::lock_guard lock(mutex_);
    return config_;
}

void VirtualDrive::UpdateConfig(const DriveConfig& config, std::wstring imageFolder) {
    std::lock_guard lock(mutex_);
    config_ = config;
    folder_ = std::move(imageFolder);
}

std::wstring VirtualDrive::Identity() const { return std::wstring(L"VirtualRecorder:") + static_cast<wchar_t>(letter_); }

std::wstring VirtualDrive::ImageFolder() const {
    std::lock_guard lock(mutex_);
    return folder_;
}

std::wstring VirtualDrive::FilePath(const std::string& name) const { return WinText::Join(ImageFolder(), WinText::Wide(name)); }

std::wstring VirtualDrive::StatePath() const { return WinText::Join(ImageFolder(), kStateFile); }

bool VirtualDrive::Ready() const {
    DriveConfig config = Config();
    return config.ready && Clock::now() - engineStart_ >= std::chrono::milliseconds(config.faults.readyAfterMs);
}

bool VirtualDrive::MediaPresent() const { return Config().disc.media != RECORDING_MEDIA_NONE; }

DiscState VirtualDrive::LoadDisc() const {
    DriveConfig config = Config();
    std::wstring path = StatePath();
    if (config.disc.media == RECORDING_MEDIA_NONE || !WinText::FileExists(path)) return DiscState::FromConfig(config.disc);
    std::string text;
    try {
        text = Win32File::ReadText(path, kMaxStateBytes);
    } catch (const Win32File::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_MEDIA_UNREADABLE, "VirtualDrive::LoadDisc()", e.Context());
    }
    try {
        DiscState state = DiscState::Parse(text);
        if (state.origin == config.disc.Origin()) return state;
    } catch (const ContextException& e) {
        RECORDER_FAIL(RECORDING_E_MEDIA_UNREADABLE, "VirtualDrive::LoadDisc()",
                      (WinText::Utf8(path) + " is damaged: " + e.Context()).c_str());
    }
    return DiscState::FromConfig(config.disc); // the state of a disc since replaced
}

void VirtualDrive::SaveDisc(const DiscState& disc) {
    EnsureFolder();
    try {
        Win32File::ReplaceText(StatePath(), disc.Serialize());
    } catch (const Win32File::base_exception& e) {
        RECORDER_FAIL(RECORDING_E_IMAGE_WRITE, "VirtualDrive::SaveDisc()", e.Context());
    }
}

MediaDescription VirtualDrive::Describe() const {
    DriveConfig config = Config();
    if (!Ready()) RECORDER_FAIL(RECORDING_E_NOT_READY, "VirtualDrive::Describe()", "the drive is not ready");
    if (config.disc.media == RECORDING_MEDIA_NONE) RECORDER_FAIL(RECORDING_E_NO_MEDIA, "VirtualDrive::Describe()", "no disc");
    if (config.faults.mediaInfoFails)
        RECORDER_FAIL(RECORDING_E_MEDIA_UNREADABLE, "VirtualDrive::Describe()", "the disc cannot be read (simulated fault)");
    if (!config.CanRead(config.disc.media))
        RECORDER_FAIL(RECORDING_E_MEDIA_UNREADABLE, "VirtualDrive::Describe()", "the drive cannot read this kind of disc");
    return LoadDisc().Describe(config);
}

std::int32_t VirtualDrive::TakeBusyFault() {
    std::lock_guard lock(mutex_);
    if (busyLeft_ == 0) return 0;
    --busyLeft_;
    return RECORDING_E_DEVICE_BUSY;
}

VirtualDrive::Summary VirtualDrive::Summarize() const {
    Summary summary;
    summary.ready = Ready();
    summary.present = MediaPresent();
    try {
        DiscState disc = LoadDisc();
        summary.tracks = static_cast<int>(disc.tracks.size());
        summary.disc = disc.Serialize();
    } catch (const ContextException& e) {
        summary.disc = e.what();
    }
    return summary;
}

void VirtualDrive::EnsureFolder() const {
    std::wstring folder = ImageFolder();
    if (!WinText::CreateFolders(folder))
        RECORDER_FAIL(RECORDING_E_IMAGE_FOLDER, "VirtualDrive::EnsureFolder()",
                      (WinText::Utf8(folder) + ": " + WinText::SystemMessage(GetLastError())).c_str());
}

void VirtualDrive::Acquire() {
    std::lock_guard lock(mutex_);
    if (lockCount_ > 0) {
        ++lockCount_;
        return;
    }
    if (!WinText::CreateFolders(folder_))
        RECORDER_FAIL(RECORDING_E_IMAGE_FOLDER, "VirtualDrive::Acquire()",
                      (WinText::Utf8(folder_) + ": " + WinText::SystemMessage(GetLastError())).c_str());
    std::wstring path = WinText::Join(folder_, kLockFile);
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED)
            RECORDER_FAIL(RECORDING_E_DEVICE_BUSY, "VirtualDrive::Acquire()", "another program is using the drive");
        RECORDER_FAIL(RECORDING_E_IMAGE_FOLDER, "VirtualDrive::Acquire()",
                      (WinText::Utf8(path) + ": " + WinText::SystemMessage(error)).c_str());
    }
    lock_ = std::move(file);
    lockCount_ = 1;
}

void VirtualDrive::Release() {
    std::lock_guard lock(mutex_);
    if (lockCount_ > 0 && --lockCount_ == 0) lock_.reset();
}

bool VirtualDrive::HoldsLock() const {
    std::lock_guard lock(mutex_);
    return lockCount_ > 0;
}

void VirtualDrive::CheckErasable() const {
    DriveConfig config = Config();
    const std::uint32_t rewrite = RECORDING_CAN_WRITE_CD_RW | RECORDING_CAN_ERASE_CD_RW;
    if ((config.mediaAbilities & rewrite) != rewrite)
        RECORDER_FAIL(RECORDING_E_CANNOT_REWRITE, "VirtualDrive::CheckErasable()", "the drive cannot erase CD-RW discs");
    MediaDescription media = Describe();
    if (media.type != RECORDING_MEDIA_CD_RW)
        RECORDER_FAIL(RECORDING_E_MEDIA_NOT_REWRITABLE, "VirtualDrive::CheckErasable()", "the disc is not a CD-RW");
}

std::int32_t VirtualDrive::Erase(bool full, Pacer::Waiter& waiter, EraseObserver& observer) {
    StartEraseProgress();
    EraseDoneMark markDone(*this);

    CheckErasable();
    if (!BeginActivity(Activity::Erasing))
        RECORDER_FAIL(RECORDING_E_DEVICE_BUSY, "VirtualDrive::Erase()", "the drive is recording or erasing");
    EraseScope scope(*this);
    Acquire();
    scope.Locked();

    DriveConfig config = Config();
    DiscState disc = LoadDisc();
    std::uint32_t total = full ? disc.CapacityFrames() : kQuickEraseFrames;
    unsigned speed = config.paced && !config.rewriteSpeeds.empty() ? config.rewriteSpeeds.front() : 0;
    SetEraseProgress({false, 0, total});
    Pacer pacer(speed, waiter);
    pacer.Start();
    std::uint32_t done = 0;
    int percent = -1;
    while (done < total) {
        std::uint32_t step = std::min(total - done, pacer.ChunkFrames());
        done += step;
        SetEraseDone(done);
        int now = static_cast<int>(std::uint64_t{done} * 100 / total);
        if (now != percent) observer.OnEraseProgress(percent = now);
        // The disc keeps what it held: a real one would be unusable until erased again.
        if (config.faults.eraseFailAtPercent >= 0 && now >= config.faults.eraseFailAtPercent)
            RECORDER_FAIL(RECORDING_E_ERASE_FAILED, "VirtualDrive::Erase()",
                          ("(simulated fault at " + std::to_string(config.faults.eraseFailAtPercent) + "%)").c_str());
        if (!pacer.Advance(step)) return RECORDING_E_CANCELLED;
    }

    std::vector<std::string> files = disc.ImageFiles();
    files.push_back(config.imageName + ".cue");
    files.push_back(config.imageName + ".cdt");
    for (const std::string& name : files) {
        std::wstring path = FilePath(name);
        if (!DeleteFileW(path.c_str())) {
            DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND)
                RECORDER_FAIL(RECORDING_E_IMAGE_WRITE, "VirtualDrive::Erase()",
                              (WinText::Utf8(path) + ": " + WinText::SystemMessage(error)).c_str());
        }
    }
    disc.Erase();
    SaveDisc(disc);
    return 0;
}
