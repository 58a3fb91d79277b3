// The drive and speed dialog on the engine of recorder/ with two writers and a reader: its
// lists, and what OK and Cancel leave for the next recording.
#include "common/HostKit.h"
#include "engine/EngineClient.h"
#include "res/resource.h"
#include "tests/recorder/EngineFixture.h"
#include "tests/ui/FakePartner.h"
#include "ui/DriveSpeedDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

namespace {

// A list's entries, the selected one in brackets.
std::string Entries(HWND dialog, int id) {
    std::string entries;
    const LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    const LRESULT selected = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = {};
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries += std::string(i ? " " : "") + (i == selected ? "[" + std::string(text) + "]" : text);
    }
    return entries;
}
std::string Read(HWND dialog) { return Entries(dialog, IDC_DEVICE_LIST) + " | " + Entries(dialog, IDC_SPEED_LIST); }

// What the user does, on another thread than the dialog's.
void Choose(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

class DriveSpeedDialogTest : public EngineFixture {
protected:
    // Runs the dialog while user() acts on it from another thread; answers its end code.
    INT_PTR Run(const std::function<void(HWND)>& user) {
        DriveSpeedDialog dialog(partner_, *client_.get());
        std::thread helper([&] {
            if (HWND found = testsupport::FindProcessWindow(GetCurrentProcessId(), "#32770", "", 5000)) {
                user(found);
                if (IsWindow(found)) PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
            }
        });
        const INT_PTR result = dialog.RunModal(GetModuleHandleA(nullptr), IDD_DRIVE_SPEED, nullptr);
        helper.join();
        return result;
    }
    std::string Current() {
        char letter = 0;
        LONG speed = 0;
        client_->GetCurrentDeviceLetter(&letter), client_->GetWriteSpeed(&speed);
        return std::string(1, letter) + " " + std::to_string(speed);
    }

    FakePartner partner_;
    EngineClientPtr client_;
};

TEST_F(DriveSpeedDialogTest, TheListsFollowTheDriveAndOnlyOkAppliesItToTheNextRecording) {
    UseConfig(Drive('R', "Name=Recorder R\nWriteSpeeds=48,24,16\n") + Drive('S', "Name=Recorder S\nWriteSpeeds=8,4\n") +
              Drive('T', "Name=Reader T\nWrites=none\n"));
    client_ = EngineClientPtr::Attach(new EngineClient);
    ASSERT_EQ(S_OK, client_->Initialize("dialog tests", 0));
    ASSERT_EQ(S_OK, client_->SetWriteSpeed(20));
    const std::string before = Current();
    const std::string r = "[(R:) Recorder R] (S:) Recorder S (T:) Reader T";
    const std::string s = "(R:) Recorder R [(S:) Recorder S] (T:) Reader T";
    const std::string t = "(R:) Recorder R (S:) Recorder S [(T:) Reader T]";
    // device, speed: the list entries chosen (-1: none); opened, chosen: the lists as the dialog
    // opens and once the drive is chosen; after: the drive and speed left ("": unchanged).
    const struct { int button, device, speed; std::string opened, chosen; const char* after; } rows[] = {
        // 16x is the fastest not above 20; all of S's speeds are below it: its fastest.
        {IDCANCEL, 1, 1, r + " | 48x 24x [16x]", s + " | [8x] 4x", ""},
        {IDOK, 1, 1, r + " | 48x 24x [16x]", s + " | [8x] 4x", "S 4"},
        {IDOK, 2, -1, s + " | 8x [4x]", t + " | ", "T 4"}, // a drive without write speeds: only the drive changes
        {IDOK, 1, 0, t + " | ", s + " | 8x [4x]", "S 8"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.after);
        std::string opened, chosen;
        // The levelled-loudness box shows the option; OK keeps what it shows, Cancel the option.
        const bool level = partner_.level;
        UINT shown = BST_INDETERMINATE;
        const INT_PTR result = Run([&](HWND dialog) {
            shown = IsDlgButtonChecked(dialog, IDC_LEVEL_LOUDNESS);
            CheckDlgButton(dialog, IDC_LEVEL_LOUDNESS, shown == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
            opened = Read(dialog);
            Choose(dialog, IDC_DEVICE_LIST, row.device);
            chosen = Read(dialog);
            if (row.speed >= 0) Choose(dialog, IDC_SPEED_LIST, row.speed);
            PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(row.button), 0);
        });
        EXPECT_EQ(row.button, result);
        EXPECT_EQ(row.opened, opened);
        EXPECT_EQ(row.chosen, chosen);
        EXPECT_EQ(*row.after ? std::string(row.after) : before, Current());
        EXPECT_EQ(level ? BST_CHECKED : BST_UNCHECKED, shown);
        EXPECT_EQ(row.button == IDOK ? !level : level, partner_.level);
    }
    LONG index = -1;
    ASSERT_EQ(S_OK, client_->AddTrack(Wav("tune.wav", 4.5), &index));
    ASSERT_EQ(S_OK, client_->Record());
    EXPECT_FALSE(std::filesystem::is_empty(Path("images-S")));
    EXPECT_FALSE(std::filesystem::exists(Path("images-R")) && !std::filesystem::is_empty(Path("images-R")));
}

} // namespace
