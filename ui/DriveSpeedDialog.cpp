#include "ui/DriveSpeedDialog.h"

#include "engine/EngineClient.h"
#include "res/resource.h"
#include "ui/SpeedSelection.h"
#include "ui/TextFormat.h"
#include "ui/UiText.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kWriteSpeedMediaKind = 2;

void AddEntry(HWND list, const std::wstring& text, LPARAM data) {
    const LRESULT index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index >= 0) SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

LPARAM SelectedData(HWND list) {
    const LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
    return index < 0 ? -1 : static_cast<LPARAM>(SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

} // namespace

std::wstring DriveSpeedDialog::DriveName(const BurnWindowPartner& partner, char letter, const std::string& name) {
    return uitext::WithName(textformat::Format(partner.LoadText(IDS_FORMAT_DRIVE_NAME), textformat::kDriveNameFormat,
                                                   "cs", static_cast<int>(static_cast<unsigned char>(letter)),
                                                   uitext::kNameMark),
                            uitext::NameWide(name));
}

bool DriveSpeedDialog::OnInitDialog() {
    Centre();
    // The speed set now is the first target, so the list opens on it.
    LONG current = -1;
    if (SUCCEEDED(client_.GetWriteSpeed(&current)) && current > 0) speed_ = static_cast<std::int32_t>(current);
    FillDevices();
    CheckDlgButton(Handle(), IDC_LEVEL_LOUDNESS, partner_.LevelLoudness() ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

void DriveSpeedDialog::Centre() {
    HWND window = Handle();
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    if (HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoA(monitor, &info)) work = info.rcWork;
    }
    RECT own{}, over = work;
    GetWindowRect(window, &own);
    if (HWND owner = GetWindow(window, GW_OWNER)) GetWindowRect(owner, &over);
    const int width = own.right - own.left, height = own.bottom - own.top;
    int x = over.left + ((over.right - over.left) - width) / 2;
    int y = over.top + ((over.bottom - over.top) - height) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DriveSpeedDialog::FillDevices() {
    HWND list = Item(IDC_DEVICE_LIST);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    LONG count = 0, current = -1;
    client_.GetDeviceCount(&count);
    client_.GetCurrentDeviceIndex(&current);
    int selected = -1;
    for (LONG i = 0; i < count; ++i) {
        DeviceHandle* device = nullptr;
        char letter = 0;
        std::string name;
        if (FAILED(client_.GetDevice(i, &device)) || !device || FAILED(device->GetName(letter, name))) continue;
        AddEntry(list, DriveName(partner_, letter, name), static_cast<LPARAM>(i));
        if (i == current) {
            selected = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0)) - 1;
            letter_ = letter;
        }
    }
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    FillSpeeds(current);
}

void DriveSpeedDialog::FillSpeeds(LONG deviceIndex) {
    HWND list = Item(IDC_SPEED_LIST);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    DeviceHandle* device = nullptr;
    std::vector<std::uint16_t> reads, writes;
    if (deviceIndex < 0 || FAILED(client_.GetDevice(deviceIndex, &device)) || !device ||
        FAILED(device->GetSpeeds(kWriteSpeedMediaKind, reads, writes))) {
        writes.clear();
    }
    for (std::uint16_t speed : writes) {
        AddEntry(list,
                 uitext::Wide(textformat::Format(partner_.LoadText(IDS_FORMAT_SPEED), textformat::kSpeedFormat,
                                                     "u", static_cast<unsigned long>(speed))),
                 static_cast<LPARAM>(speed));
    }
    const int index = SpeedSelection::Index(writes, speed_);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool DriveSpeedDialog::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_DEVICE_LIST:
        if (code == CBN_SELCHANGE) {
            const LONG device = static_cast<LONG>(SelectedData(Item(IDC_DEVICE_LIST)));
            DeviceHandle* handle = nullptr;
            char letter = 0;
            std::string name;
            if (device >= 0 && SUCCEEDED(client_.GetDevice(device, &handle)) && handle &&
                SUCCEEDED(handle->GetName(letter, name))) {
                letter_ = letter;
            }
            FillSpeeds(device);
        }
        return true;
    case IDC_SPEED_LIST:
        if (code == CBN_SELCHANGE) {
            const LPARAM speed = SelectedData(Item(IDC_SPEED_LIST));
            if (speed >= 0) speed_ = static_cast<std::int32_t>(speed);
        }
        return true;
    case IDOK:
        if (letter_) client_.SelectDeviceByLetter(letter_);
        if (speed_ != -1) client_.SetWriteSpeed(speed_);
        partner_.SetLevelLoudness(IsDlgButtonChecked(Handle(), IDC_LEVEL_LOUDNESS) == BST_CHECKED);
        EndDialog(Handle(), IDOK);
        return true;
    case IDCANCEL:
        EndDialog(Handle(), IDCANCEL);
        return true;
    default:
        return false;
    }
}
