// The drive and speed dialog on the engine of recorder/ with three virtual drives (two
// writers, one reader): what its lists show, which speed it selects, and what OK and Cancel
// leave in the engine client and its next recording. A helper thread plays the user while
// the dialog runs modally.
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

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

class DriveSpeedDialogTest : public EngineFixture {
protected:
    void Connect() {
        UseConfig(Drive('R', "Name=Recorder R\nWriteSpeeds=48,24,16\n") + Drive('S', "Name=Recorder S\nWriteSpeeds=8,4\n") +
                  Drive('T', "Name=Reader T\nWrites=none\n"));
        client_ = EngineClientPtr::Attach(new EngineClient);
        ASSERT_EQ(S_OK, client_->Initialize("dialog tests", 0));
    }
    // Runs the dialog while user() acts on it from another thread; answers its end code.
    INT_PTR Run(const std::function<void(HWND)>& user) {
        DriveSpeedDialog dialog(partner_, *client_.get());
        const DWORD thread = GetCurrentThreadId();
        std::thread helper([&] {
            HWND found = nullptr;
            for (int i = 0; i < 500 && !found; ++i) {
                EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&found));
                if (!found) Sleep(10);
            }
            if (!found) return;
            user(found);
            if (IsWindow(found)) PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
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

TEST_F(DriveSpeedDialogTest, ListsTheDrivesAndEachDrivesSpeedsByTheSelectionRule) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    ASSERT_EQ(S_OK, client_->SetWriteSpeed(20));
    std::vector<std::string> seen;
    Run([&](HWND dialog) {
        seen.push_back(Read(dialog));
        Choose(dialog, IDC_DEVICE_LIST, 1); // a drive whose speeds are all below the target
        seen.push_back(Read(dialog));
        Choose(dialog, IDC_DEVICE_LIST, 2); // a reader: no write speeds
        seen.push_back(Read(dialog));
    });
    // The first drive's speed is 16 (the fastest not above 20): the list opens on it.
    EXPECT_EQ(seen, (std::vector<std::string>{"[(R:) Recorder R] (S:) Recorder S (T:) Reader T | 48x 24x [16x]",
                                              "(R:) Recorder R [(S:) Recorder S] (T:) Reader T | [8x] 4x",
                                              "(R:) Recorder R (S:) Recorder S [(T:) Reader T] | "}));
}

TEST_F(DriveSpeedDialogTest, CancelChangesNothingAndOkAppliesDriveAndSpeedToTheNextRecording) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    const std::string before = Current();
    const struct {
        int button;
        int device, speed; // list entries chosen (-1: none)
        const char* after; // "": unchanged
    } rows[] = {
        {IDCANCEL, 1, 1, ""},
        {IDOK, 1, 1, "S 4"},
        {IDOK, 2, -1, "T 4"}, // a drive without write speeds: only the drive changes
        {IDOK, 1, 0, "S 8"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.after);
        const INT_PTR result = Run([&](HWND dialog) {
            Choose(dialog, IDC_DEVICE_LIST, row.device);
            if (row.speed >= 0) Choose(dialog, IDC_SPEED_LIST, row.speed);
            PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(row.button), 0);
        });
        EXPECT_EQ(row.button, result);
        EXPECT_EQ(*row.after ? std::string(row.after) : before, Current());
    }
    LONG index = -1;
    ASSERT_EQ(S_OK, client_->AddTrack(Wav("tune.wav", 4.5), &index));
    ASSERT_EQ(S_OK, client_->Record());
    EXPECT_FALSE(std::filesystem::is_empty(Path("images-S")));
    EXPECT_FALSE(std::filesystem::exists(Path("images-R")) && !std::filesystem::is_empty(Path("images-R")));
}

} // namespace
