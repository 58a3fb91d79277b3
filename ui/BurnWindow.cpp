#include "ui/BurnWindow.h"

#include "engine/EngineClient.h"
#include "engine/RecordingEngineTypes.h"
#include "res/resource.h"
#include "support/DebugTrace.h"
#include "ui/BurnMessages.h"
#include "ui/DiscWaitThread.h"
#include "ui/DriveSpeedDialog.h"
#include "ui/FormatCheck.h"
#include "ui/ProgressBarPainter.h"
#include "ui/TextFormat.h"
#include "ui/TrackPreparationThread.h"
#include "ui/UiText.h"

#include <algorithm>
#include <vector>

namespace {

using textformat::kPercentFormat;

// The keys of the texts shown for the results of adding tracks.
constexpr UINT kTrackMessages[] = {IDS_TEXT_FILE_PREP_SUCCEEDED,  IDS_ERROR_FILETYPE_NOT_SUPPORTED,
                                   IDS_ERROR_INSUFFICIENT_SPACE,  IDS_ERROR_TOO_MANY_TRACKS,
                                   IDS_ERROR_ADDTRACK_DISALLOWED, IDS_ERROR_INVALID_FILE,
                                   IDS_ERROR_FILE_NOT_FOUND,      IDS_TEXT_TRACK_RECORDED,
                                   IDS_TEXT_TRACK_FAILED,         IDS_TEXT_TRACK_INTERRUPTED,
                                   IDS_TEXT_BURNING};

constexpr int kTrackIcons[] = {IDI_TRACK_WAITING, IDI_TRACK_RECORDING, IDI_TRACK_DONE, IDI_TRACK_FAILED,
                               IDI_TRACK_INTERRUPTED};

// The box of a failed recording: an underrun has its own text.
UINT FailureMessage(HRESULT code) {
    return code == RECORDING_E_BUFFER_UNDERRUN ? IDS_ERROR_BURN_UNDERRUN : IDS_ERROR_BURN_FAILED;
}

} // namespace

BurnWindow::BurnWindow(BurnWindowPartner& partner, HINSTANCE instance) : partner_(partner), instance_(instance) {}

BurnWindow::~BurnWindow() {
    ThreadMessageFilters::Remove(this);
    StopThreads(true);
}

bool BurnWindow::PreTranslateMessage(MSG* msg) {
    // IsDialogMessage takes only the window's own messages and those of its controls.
    return Handle() && IsDialogMessageA(Handle(), msg);
}

HWND BurnWindow::Create() { return CreateModeless(instance_, IDD_BURN_WINDOW, nullptr); }

std::string BurnWindow::FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---- Initialisation.

bool BurnWindow::OnInitDialog() {
    HWND window = Handle();
    bigIcon_.reset(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_FENNEL), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_FENNEL), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

    percentFormat_ = FormatCheck::Choose(Text(IDS_FORMAT_PERCENT), kPercentFormat, "u");

    // The bold status line: the dialog's own font (face and character set of the
    // language) at weight 700.
    LOGFONTW font{};
    if (HFONT dialogFont = UseLanguageFont(); dialogFont && GetObjectW(dialogFont, sizeof font, &font) == sizeof font) {
        font.lfWeight = FW_BOLD;
        font.lfOutPrecision = OUT_TT_PRECIS;
        font.lfQuality = PROOF_QUALITY;
        boldFont_.reset(CreateFontIndirectW(&font));
        if (boldFont_) SendMessageW(Item(IDC_OVERALL_STATUS), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), TRUE);
    }

    frames_.Load(instance_, {IDB_BURN_DISC, IDB_BURN_DISC_FRAME1, IDB_BURN_DISC_FRAME2, IDB_BURN_DISC_FRAME3});
    if (HBITMAP first = frames_.First()) {
        SendMessageA(Item(IDC_PICTURE), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(first));
    }

    // Track states as small icons of the list; the list owns the image list.
    HWND list = Item(IDC_TRACK_LIST);
    if (HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 5, 0)) {
        for (int id : kTrackIcons) {
            UniqueIcon icon(static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0)));
            ImageList_AddIcon(images, icon.get());
        }
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

    uitext::SetText(window, Text(IDS_TEXT_BURN_WINDOW_TITLE));
    SetText(IDC_VERSION, Text(IDS_TEXT_VERSION));
    for (UINT key : kTrackMessages) messages_[key] = Text(key);

    for (int bar : {IDC_OVERALL_BAR, IDC_SECOND_BAR}) ProgressBarPainter::Attach(Item(bar));
    taskbar_.Attach(window);
    ShowInitialDescription();
    HideRows();
    ThreadMessageFilters::Add(this);
    SetLayout(Layout::Busy); // the end of the preparation enables what the run allows
    PostMessageA(window, kStartWork, 0, 0);
    return false; // the layout has set the focus
}

void BurnWindow::ShowInitialDescription() {
    std::wstring drive;
    if (EngineClient* client = partner_.EngineAccess()) {
        DeviceHandle* device = nullptr;
        char letter = '?';
        std::string name;
        if (SUCCEEDED(client->GetCurrentDevice(&device)) && device && SUCCEEDED(device->GetName(letter, name))) {
            drive = DriveSpeedDialog::DriveName(partner_, letter, name);
        }
    }
    const auto count = static_cast<unsigned long>(partner_.Tracks().size());
    SetTrackStatus(uitext::WithName(textformat::Format(Text(IDS_FORMAT_TRACKSTATUS_INITIAL),
                                                       textformat::kTrackStatusInitialFormat, "us", count, uitext::kNameMark),
                                    drive));
    SetOverallStatus(IDS_OVERALLSTATUS_INITIAL);
}

// ---- Display operations.

void BurnWindow::SetText(int id, const std::string& text) {
    if (!Closing()) uitext::SetText(Item(id), text);
}

void BurnWindow::SetOverallStatus(UINT key) { SetText(IDC_OVERALL_STATUS, Text(key)); }

void BurnWindow::SetTrackStatus(const std::string& text) { SetText(IDC_TRACK_STATUS, text); }
void BurnWindow::SetTrackStatus(const std::wstring& text) {
    if (!Closing()) uitext::SetText(Item(IDC_TRACK_STATUS), text);
}

void BurnWindow::SetSecondLabel(UINT key) {
    if (Closing()) return;
    SetText(IDC_SECOND_LABEL, Text(key));
    ShowWindow(Item(IDC_SECOND_LABEL), SW_SHOW);
    ShowWindow(Item(IDC_SECOND_BAR), SW_SHOW);
}

void BurnWindow::SetBar(int label, int bar, std::int32_t percent) {
    if (Closing()) return;
    ShowWindow(Item(IDC_TRACK_LIST), SW_HIDE);
    const std::int32_t shown = std::clamp<std::int32_t>(percent, 0, 100);
    ShowWindow(Item(IDC_TRACK_STATUS), SW_SHOW);
    ShowWindow(Item(label), SW_SHOW);
    ShowWindow(Item(bar), SW_SHOW);
    SendMessageA(Item(bar), PBM_SETPOS, static_cast<WPARAM>(shown), 0);
    SetText(bar, textformat::Format(percentFormat_, kPercentFormat, "u", static_cast<unsigned long>(shown)));
    InvalidateRect(Item(bar), nullptr, FALSE);
}

void BurnWindow::SetSecondBar(std::int32_t percent) { SetBar(IDC_SECOND_LABEL, IDC_SECOND_BAR, percent); }
void BurnWindow::SetOverallBar(std::int32_t percent) {
    SetBar(IDC_OVERALL_LABEL, IDC_OVERALL_BAR, percent);
    if (!Closing()) taskbar_.Percent(std::clamp<std::int32_t>(percent, 0, 100));
}

void BurnWindow::ShowTrackList() {
    if (Closing()) return;
    for (int id : {IDC_SECOND_LABEL, IDC_SECOND_BAR, IDC_OVERALL_LABEL, IDC_OVERALL_BAR}) ShowWindow(Item(id), SW_HIDE);
    // The track status line above the list describes the run.
    ShowWindow(Item(IDC_TRACK_STATUS), SW_SHOW);
    ShowWindow(Item(IDC_TRACK_LIST), SW_SHOW);
}

void BurnWindow::HideRows() {
    if (Closing()) return;
    for (int id : {IDC_SECOND_LABEL, IDC_SECOND_BAR, IDC_OVERALL_LABEL, IDC_OVERALL_BAR, IDC_TRACK_LIST}) {
        ShowWindow(Item(id), SW_HIDE);
    }
}

void BurnWindow::SetLayout(Layout layout) {
    if (Closing() || waitingToClose_) return;
    layout_ = layout;
    const bool record = layout == Layout::Ready && accepted_ > 0;
    const int target = record ? IDC_RECORD : IDCANCEL;
    if (layout == Layout::Completed) SetText(IDCANCEL, Text(IDS_BUTTON_CLOSE));
    // The target first, so the focus never rests on a button being disabled.
    EnableWindow(Item(target), TRUE);
    SendMessageW(Handle(), DM_SETDEFID, static_cast<WPARAM>(target), 0);
    // Only an active window takes the focus; another one (a box of the window's) keeps it, and
    // the window gets its focus back when it is active again.
    if (GetActiveWindow() == Handle()) {
        SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(target)), TRUE);
    }
    EnableWindow(Item(IDC_RECORD), record);
    EnableWindow(Item(IDC_OPTIONS), layout == Layout::Ready);
    EnableWindow(Item(IDCANCEL), TRUE);
}

void BurnWindow::SetRow(std::int32_t position, TrackIcon icon, const std::string& text) {
    if (Closing() || position < 0) return;
    HWND list = Item(IDC_TRACK_LIST);
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = position;
    item.iImage = icon;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    const std::wstring wide = uitext::Wide(text);
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<wchar_t*>(wide.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&sub));
}

void BurnWindow::ShowMessage(UINT key) {
    if (Closing() || waitingToClose_) return;
    MessageBoxA(Handle(), Text(key).c_str(), Text(IDS_PLUGIN_APP).c_str(), MB_OK | MB_ICONERROR);
}

void BurnWindow::ShowFailure(UINT status, UINT message) {
    SetOverallStatus(status);
    taskbar_.Error();
    SetLayout(Layout::Completed);
    if (failureShown_) return;
    // A general text gives way to a more specific one of the same failure.
    if (!failureBox_) PostMessageA(Handle(), kShowFailureBox, 0, 0);
    if (!failureBox_ || failureBox_ == IDS_ERROR_BURN_FAILED) failureBox_ = message;
}

void BurnWindow::FillTrackList() {
    if (Closing()) return;
    HWND list = Item(IDC_TRACK_LIST);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
    }
    RECT area{};
    GetClientRect(list, &area);
    const int width = area.right - area.left - GetSystemMetrics(SM_CXVSCROLL);
    const std::wstring titles[] = {uitext::Wide(Text(IDS_TEXT_COLUMN_FILE)), uitext::Wide(Text(IDS_TEXT_COLUMN_STATE))};
    for (int c = 0; c < 2; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = c == 0 ? width * 11 / 20 : width - width * 11 / 20;
        column.pszText = const_cast<wchar_t*>(titles[c].c_str());
        column.iSubItem = c;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
    const std::vector<TrackEntry>& tracks = partner_.Tracks();
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const std::wstring name = uitext::NameWide(FileName(tracks[i].path), tracks[i].utf8);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.iImage = kWaiting;
        item.pszText = const_cast<wchar_t*>(name.c_str());
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    ShowTrackList();
}

// ---- Messages.

void BurnWindow::StartWork() {
    if (Closing() || preparation_) return;
    // Record and Options wait until the tracks are prepared (the engine's track list is
    // being filled meanwhile).
    try {
        preparation_ = std::make_unique<TrackPreparationThread>(partner_, Handle(), partner_.RunModes().eraseFirst,
                                                                kPreparationEnded);
        preparing_ = true;
        preparation_->Start();
    } catch (const Thread::base_exception& e) {
        preparing_ = false;
        DebugTrace("BurnWindow: %s\n", e.what());
    }
    SetTimer(Handle(), kFrameTimer, kFrameIntervalMs, nullptr);
}

bool BurnWindow::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_RECORD:
        if (code == BN_CLICKED) StartRecording();
        return true;
    case IDC_OPTIONS:
        if (code == BN_CLICKED) ShowOptions();
        return true;
    case IDCANCEL:
        CancelPressed();
        return true;
    default:
        return false;
    }
}

bool BurnWindow::OnClose() {
    CancelPressed();
    return true;
}

bool BurnWindow::OnNotify(int id, const NMHDR& header) {
    if (id != IDC_TRACK_LIST || header.code != static_cast<UINT>(NM_DBLCLK)) return false;
    // A double click on a row tells the row's whole path and state.
    const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
    const std::vector<TrackEntry>& tracks = partner_.Tracks();
    if (activate.iItem < 0 || static_cast<std::size_t>(activate.iItem) >= tracks.size()) return true;
    wchar_t state[512] = {};
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = state;
    sub.cchTextMax = 512;
    SendMessageW(header.hwndFrom, LVM_GETITEMTEXTW, static_cast<WPARAM>(activate.iItem), reinterpret_cast<LPARAM>(&sub));
    const TrackEntry& entry = tracks[static_cast<std::size_t>(activate.iItem)];
    const std::wstring text = uitext::NameWide(entry.path, entry.utf8) + L"\n\n" + state;
    MessageBoxW(Handle(), text.c_str(), uitext::Wide(Text(IDS_PLUGIN_APP)).c_str(), MB_OK | MB_ICONINFORMATION);
    return true;
}

void BurnWindow::StartRecording() {
    if (recordingStarted_ || Closing() || waitingToClose_) return;
    SetLayout(Layout::Busy);
    // The disc check may ask; a refused disc comes back as the ready layout (message 1).
    if (partner_.Record(Handle()) == BurnWindowPartner::RecordStart::EraseFirst && !Closing()) StartDiscWait();
}

void BurnWindow::StartDiscWait() {
    DeviceHandle* device = nullptr;
    EngineClient* client = partner_.EngineAccess();
    if (!client || FAILED(client->GetCurrentDevice(&device))) device = nullptr;
    // A thread of an earlier attempt has already posted its outcome and is ending.
    if (discWait_) discWait_->WaitForThread();
    // Only a request with tracks is worth erasing for.
    discWait_ = std::make_unique<DiscWaitThread>(Handle(), device, !partner_.Tracks().empty(), kDiscWaitEnded);
    try {
        discWaiting_ = true;
        discWait_->Start();
    } catch (const Thread::base_exception& e) {
        discWaiting_ = false;
        DebugTrace("BurnWindow: %s\n", e.what());
        partner_.DiscWaitEnded(BurnWindowPartner::DiscWait::NotReady);
    }
}

void BurnWindow::ShowOptions() {
    EngineClient* client = partner_.EngineAccess();
    if (!client || Closing()) return;
    DriveSpeedDialog dialog(partner_, *client);
    dialog.RunModal(instance_, IDD_DRIVE_SPEED, Handle());
    if (Closing()) return;
    ShowInitialDescription();
    PostMessageA(Handle(), BurnMessages::kMediaChanged, 0, 0);
}

void BurnWindow::CancelPressed() {
    if (!Handle() || waitingToClose_) return;
    if (!partner_.Cancel(Handle())) return;
    StopThreads(false);
    if (WorkerBusy()) {
        // An erase can't be stopped part-way: the window stays responsive, says that it waits
        // (the erase's progress goes on showing) and goes when the worker has ended.
        if (erasing_) SetOverallStatus(IDS_OVERALLSTATUS_WAITING_FOR_ERASE);
        for (int id : {IDC_RECORD, IDC_OPTIONS, IDCANCEL}) EnableWindow(Item(id), FALSE);
        waitingToClose_ = true;
        return;
    }
    closing_ = true;
    if (Handle()) DestroyWindow(Handle());
}

void BurnWindow::CloseWhenIdle() {
    if (!waitingToClose_ || WorkerBusy() || !Handle()) return;
    closing_ = true;
    DestroyWindow(Handle());
}

bool BurnWindow::OnQueryEndSession(bool& allow) {
    if (!recordingStarted_) {
        allow = true;
        return true;
    }
    allow = partner_.QueryEndSession(Handle());
    if (allow) {
        // The answer must reach the system first; the window goes right after.
        closing_ = true;
        StopThreads(false);
        PostMessageA(Handle(), kDestroyNow, 0, 0);
    }
    return true;
}

void BurnWindow::OnDestroy() {
    closing_ = true;
    ThreadMessageFilters::Remove(this);
    StopThreads(true);
    // Events already posted would never reach the window again: their records are taken
    // out now, changing nothing.
    MSG msg;
    while (PeekMessageA(&msg, Handle(), BurnMessages::kRunEnded, BurnMessages::kRecordingFinished, PM_REMOVE)) {
        OnUserMessage(msg.message, msg.wParam, msg.lParam);
    }
    PostQuitMessage(2);
}

void BurnWindow::StopThreads(bool wait) {
    if (Handle()) KillTimer(Handle(), kFrameTimer);
    for (Thread* thread : {static_cast<Thread*>(preparation_.get()), static_cast<Thread*>(discWait_.get())}) {
        if (!thread) continue;
        if (wait) {
            thread->WaitForThread();
        } else {
            thread->RequestStop();
        }
    }
}

bool BurnWindow::OnTimer(UINT_PTR id) {
    if (id != kFrameTimer) return false;
    if (Closing()) return true;
    if (HBITMAP next = frames_.Next()) {
        SendMessageA(Item(IDC_PICTURE), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(next));
    }
    return true;
}

bool BurnWindow::OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDestroyNow) {
        DestroyWindow(Handle());
        return true;
    }
    if (message == kStartWork) {
        StartWork();
        return true;
    }
    if (message == kPreparationEnded) {
        preparing_ = false;
        CloseWhenIdle();
        return true;
    }
    if (message == kDiscWaitEnded) {
        discWaiting_ = false;
        if (!Closing() && !waitingToClose_ && wParam != DiscWaitThread::kStopped) {
            partner_.DiscWaitEnded(static_cast<BurnWindowPartner::DiscWait>(wParam));
        }
        CloseWhenIdle();
        return true;
    }
    if (message == kShowFailureBox) {
        const UINT box = failureBox_;
        failureBox_ = 0;
        if (box && !failureShown_) {
            failureShown_ = true;
            ShowMessage(box);
        }
        return true;
    }
    if (!BurnMessages::IsEvent(message)) return false;
    // A queued record is taken out even while closing, so none is left behind.
    std::unique_ptr<BurnEventRecord> record;
    if (BurnMessages::CarriesRecord(message)) {
        record = partner_.TakeRecord(lParam);
        if (!record) return true;
    }
    if (Closing()) return true;
    HandleEvent(message, wParam, lParam, record.get());
    return true;
}

// ---- The partner's events.

void BurnWindow::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam, const BurnEventRecord* record) {
    using namespace BurnMessages;
    // The events that carry a record have one here (see OnUserMessage).
    switch (message) {
    case kRunEnded: return OnRunEnded(wParam != 0);
    case kPreparationStarted: return OnPreparationStarted();
    case kPreparationProgress: return OnPreparationProgress(*record);
    case kTrackAccepted: return OnTrackAccepted(*record);
    case kTrackRefused: return OnTrackRefused(*record);
    case kPreparationFinished: return OnPreparationFinished();
    case kMediaChanged:
    case kDeviceStateChanged: return OnMediaChanged();
    case kEraseStarted: return OnEraseStarted();
    case kEraseProgress: return OnEraseProgress(static_cast<std::int32_t>(wParam));
    case kDeviceFailure: return OnDeviceFailure(static_cast<HRESULT>(lParam));
    case kEraseCompleted: return OnEraseCompleted();
    case kRecordingStarted: return OnRecordingStarted();
    case kRecordingFailedShort: return OnRecordingFailedShort();
    case kStageStarted: return OnStageStarted(static_cast<std::int32_t>(wParam));
    case kStageProgress: return OnStageProgress(*record);
    case kStageError:
    case kRecordingFailed: return OnRecordingError(*record);
    case kTrackStarted: return OnTrackStarted(*record);
    case kTrackProgress: return OnTrackProgress(*record);
    case kTrackError: return OnTrackError(*record);
    case kTrackEnded: return OnTrackEnded(*record);
    case kRecordingCancelled: return OnRecordingCancelled();
    case kRecordingFinished: return OnRecordingFinished();
    default: return; // kStageEnded changes nothing
    }
}

std::wstring BurnWindow::TrackText(const BurnEventRecord& record) {
    const std::vector<TrackEntry>& tracks = partner_.Tracks();
    const bool utf8 = record.position >= 0 && static_cast<std::size_t>(record.position) < tracks.size() &&
                      tracks[static_cast<std::size_t>(record.position)].utf8;
    return uitext::WithName(textformat::Format(Text(IDS_FORMAT_TRACKSTATUS_RECORDING),
                                               textformat::kTrackStatusRecordingFormat, "uus",
                                               static_cast<unsigned long>(record.position + 1),
                                               static_cast<unsigned long>(tracks.size()), uitext::kNameMark),
                            uitext::NameWide(FileName(record.path), utf8));
}

void BurnWindow::OnRunEnded(bool ended) { SetLayout(ended ? Layout::Busy : Layout::Ready); }

void BurnWindow::OnPreparationStarted() {
    accepted_ = 0;
    FillTrackList();
    SetOverallStatus(IDS_OVERALLSTATUS_PREPARING);
}

void BurnWindow::OnPreparationProgress(const BurnEventRecord& record) {
    SendMessageA(Item(IDC_TRACK_LIST), LVM_ENSUREVISIBLE, static_cast<WPARAM>(std::max(0, record.position)), FALSE);
}

void BurnWindow::OnTrackAccepted(const BurnEventRecord& record) {
    ++accepted_;
    SetRow(record.position, kWaiting, messages_[IDS_TEXT_FILE_PREP_SUCCEEDED]);
}

void BurnWindow::OnTrackRefused(const BurnEventRecord& record) {
    SetRow(record.position, kFailed, messages_[partner_.RefusalMessage(record.code)]);
}

void BurnWindow::OnPreparationFinished() {
    const bool atOnce = partner_.RunModes().burnAtOnce;
    SetOverallStatus(atOnce ? IDS_OVERALLSTATUS_PREPARE_COMPLETE : IDS_OVERALLSTATUS_INITIAL);
    // At once: recording starts as if Record had been pressed, also with no track
    // accepted (the partner then completes a burn of nothing).
    const bool recordNow = atOnce && !partner_.Tracks().empty();
    SetLayout(recordNow ? Layout::Busy : Layout::Ready);
    if (recordNow) PostMessageA(Handle(), WM_COMMAND, MAKEWPARAM(IDC_RECORD, BN_CLICKED), 0);
}

void BurnWindow::OnMediaChanged() {
    // The media is read again; the lines change only while nothing else is on show.
    if (layout_ == Layout::Ready && !waitingToClose_) ShowInitialDescription();
}

void BurnWindow::OnEraseStarted() {
    erasing_ = true;
    SetLayout(Layout::Busy);
    SetOverallStatus(IDS_OVERALLSTATUS_ERASING_DISK);
    SetOverallBar(0);
}

void BurnWindow::OnEraseProgress(std::int32_t percent) {
    SetOverallBar(percent);
    SetTrackStatus(textformat::Format(percentFormat_, kPercentFormat, "u",
                                      static_cast<unsigned long>(std::clamp<std::int32_t>(percent, 0, 100))));
}

void BurnWindow::OnDeviceFailure(HRESULT code) {
    erasing_ = false;
    ShowFailure(IDS_OVERALLSTATUS_ERASE_FAILED,
                code == RECORDING_E_MEDIA_NOT_REWRITABLE ? IDS_ERROR_DISK_NOT_ERASABLE : IDS_ERROR_ERASE_FAILED);
}

void BurnWindow::OnEraseCompleted() {
    erasing_ = false;
    SetOverallStatus(IDS_OVERALLSTATUS_ERASE_COMPLETED);
    SetOverallBar(100);
    if (partner_.RunModes().eraseOnly) SetLayout(Layout::Completed); // the run's whole job
}

void BurnWindow::OnRecordingStarted() {
    recordingStarted_ = true;
    failureShown_ = false;
    SetLayout(Layout::Busy);
    SetOverallStatus(IDS_TEXT_BURNING);
    SetTrackStatus(std::string());
    SetOverallBar(0);
    SetSecondLabel(IDS_TEXT_TRACK_PROGRESS);
    SetSecondBar(0);
}

void BurnWindow::OnRecordingFailedShort() { ShowFailure(IDS_OVERALLSTATUS_BURN_ERROR, IDS_ERROR_BURN_FAILED); }

void BurnWindow::OnStageStarted(std::int32_t stage) {
    static const std::map<std::int32_t, UINT> kStatus = {{2, IDS_OVERALLSTATUS_PREPARING},
                                                         {3, IDS_OVERALLSTATUS_BUFFERING},
                                                         {4, IDS_OVERALLSTATUS_WRITINGTOC},
                                                         {6, IDS_OVERALLSTATUS_CLOSING_SESSION},
                                                         {7, IDS_OVERALLSTATUS_FINALIZING}};
    if (const auto found = kStatus.find(stage); found != kStatus.end()) SetOverallStatus(found->second);
    SetTrackStatus(std::string());
    if (stage == 5) {
        SetSecondLabel(IDS_TEXT_TRACK_PROGRESS);
    } else if (stage <= 7) {
        SetSecondLabel(IDS_TEXT_SESSION_PROGRESS);
    }
    SetSecondBar(0);
}

void BurnWindow::OnStageProgress(const BurnEventRecord& record) {
    SetSecondBar(record.percent1);
    SetOverallBar(record.percent2);
}

void BurnWindow::OnRecordingError(const BurnEventRecord& record) {
    ShowFailure(IDS_OVERALLSTATUS_BURN_ERROR, FailureMessage(record.code));
}

void BurnWindow::OnTrackStarted(const BurnEventRecord& record) {
    SetSecondLabel(IDS_TEXT_TRACK_PROGRESS);
    SetOverallStatus(IDS_TEXT_BURNING);
    SetTrackStatus(TrackText(record));
    SetRow(record.position, kRecording, messages_[IDS_TEXT_BURNING]);
}

void BurnWindow::OnTrackProgress(const BurnEventRecord& record) {
    SetTrackStatus(TrackText(record));
    SetSecondBar(record.percent1);
    SetOverallBar(record.percent2);
}

void BurnWindow::OnTrackError(const BurnEventRecord& record) {
    SetRow(record.position, kFailed, messages_[IDS_TEXT_TRACK_FAILED]);
    ShowFailure(IDS_OVERALLSTATUS_BURN_ERROR, FailureMessage(record.code));
}

void BurnWindow::OnTrackEnded(const BurnEventRecord& record) {
    SetSecondBar(100);
    SetRow(record.position, kDone, messages_[IDS_TEXT_TRACK_RECORDED]);
}

void BurnWindow::OnRecordingCancelled() {
    SetOverallStatus(IDS_OVERALLSTATUS_ABORTED);
    taskbar_.Paused();
    SetLayout(Layout::Completed);
}

void BurnWindow::OnRecordingFinished() {
    recordingFinished_ = true;
    switch (partner_.CompleteBurn()) {
    case BurnWindowPartner::Completion::Nothing:
        break;
    case BurnWindowPartner::Completion::CloseWindow:
        SetOverallStatus(IDS_OVERALLSTATUS_COMPLETE);
        SetOverallBar(100);
        PostMessageA(Handle(), WM_CLOSE, 0, 0);
        break;
    case BurnWindowPartner::Completion::ShowCloseButton:
        SetOverallStatus(IDS_OVERALLSTATUS_COMPLETE);
        SetOverallBar(100);
        SetLayout(Layout::Completed);
        break;
    }
}
