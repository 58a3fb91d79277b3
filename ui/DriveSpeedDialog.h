#pragma once
// DriveSpeedDialog: the modal drive and speed dialog (template 103). Lists the engine's
// devices and the chosen device's write speeds; OK selects the device by its drive letter
// and sets the chosen speed and the levelled-loudness option, Cancel changes nothing. Runs on the burn window's thread; the
// engine client and the partner (for the texts) must outlive it.
#include "ui/BurnWindowPartner.h"
#include "ui/DialogBase.h"

#include <cstdint>
#include <string>
#include <vector>

class DeviceHandle;

class DriveSpeedDialog : public DialogBase {
public:
    DriveSpeedDialog(BurnWindowPartner& partner, EngineClient& client) : partner_(partner), client_(client) {}

    // The device list's text for a drive: IDS_FORMAT_DRIVE_NAME with letter and name (in the
    // system's code page).
    static std::wstring DriveName(const BurnWindowPartner& partner, char letter, const std::string& name);

    // What the dialog has chosen so far: drive letter (0 before one is known), speed (-1 none).
    char ChosenLetter() const { return letter_; }
    std::int32_t ChosenSpeed() const { return speed_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    // Centres the dialog over its owner (or the work area) and keeps it inside the work area.
    void Centre();
    void FillDevices();
    void FillSpeeds(LONG deviceIndex);

    BurnWindowPartner& partner_;
    EngineClient& client_;
    char letter_ = 0;
    std::int32_t speed_ = -1;
};
