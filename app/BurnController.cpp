#include "app/BurnController.h"

#include "res/resource.h"

#include <iostream>
#include <vector>

bool BurnController::Initialise(HINSTANCE instance) {
    instance_ = instance;
    return PluginBase::Initialise(instance);
}

std::string BurnController::LoadText(UINT id) const {
    char text[4096];
    const int n = LoadStringA(instance_, id, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

EngineClient* BurnController::EngineAccess() {
    // No engine client exists in this build.
    return nullptr;
}

std::string BurnController::Caption() { return LoadText(IDS_PLUGIN_APP); }
std::string BurnController::DriveNotReadyText() { return LoadText(IDS_ERROR_DRIVE_NOT_READY); }
std::string BurnController::NoDiscInDriveText() { return LoadText(IDS_ERROR_NO_DISK_IN_DRIVE); }
std::string BurnController::ProblemReadingDiscText() { return LoadText(IDS_ERROR_PROBLEM_READING_DISK); }
std::string BurnController::DiscHasDataTracksText() { return LoadText(IDS_ERROR_DISK_HAS_DATA_TRACKS); }
std::string BurnController::DiscHasAudioTracksText() { return LoadText(IDS_ERROR_DISK_HAS_AUDIO_TRACKS); }
std::string BurnController::DiscIsFullText() { return LoadText(IDS_ERROR_DISK_IS_FULL); }
std::string BurnController::AskEraseRewritableText() { return LoadText(IDS_TEXT_ASK_ERASE_CDRW); }
std::string BurnController::EraseFailedText() { return LoadText(IDS_ERROR_ERASE_FAILED); }

void BurnController::ShowNoCommandLine() {
    MessageBoxA(nullptr, LoadText(IDS_ERROR_NO_COMMAND_LINE).c_str(), Caption().c_str(), MB_OK | MB_ICONERROR);
}

void BurnController::ReportUnknownFlag(const std::string& line) { std::cerr << line << std::endl; }

std::int32_t BurnController::EngineCheckClass(std::int32_t result) {
    switch (static_cast<std::uint32_t>(result)) {
    case 0x8004045D:
    case 0x80040015:
    case 0x800404E0:
        return 1;
    case 0x80040424:
    case 0x8004401C:
        return 2;
    default:
        return 0;
    }
}

std::int32_t BurnController::OpenEngineClient() {
    // No engine client exists in this build: the check finds no engine.
    return kNoEngine;
}

std::int32_t BurnController::EngineCheck(bool quiet) {
    const std::int32_t result = OpenEngineClient();
    SetEngineCheckResult(EngineCheckClass(result));
    if (!quiet) ShowEngineCheckMessage(result);
    return result;
}

void BurnController::ShowEngineCheckMessage(std::int32_t result) {
    const std::string caption = LoadText(IDS_PARTNER_APP);
    UINT text = 0;
    switch (static_cast<std::uint32_t>(result)) {
    case 0:
        return;
    case 0x80040424: {
        const int answer = MessageBoxA(nullptr, LoadText(IDS_TEXT_NO_ENGINE_FOUND).c_str(), caption.c_str(), MB_YESNO);
        if (answer == IDYES || answer == IDOK) OpenAddress(LoadText(IDS_URL_FREE_ENGINE));
        return;
    }
    case 0x8004045D:
    case 0x80040015:
        text = IDS_ERROR_DRIVE_NOT_READY;
        break;
    case 0x800404E0:
        text = IDS_TEXT_NO_BURNING_DEVICES_FOUND;
        break;
    default:
        text = IDS_TEXT_UNKNOWN_INIT_FAILURE;
        break;
    }
    MessageBoxA(nullptr, LoadText(text).c_str(), caption.c_str(), MB_OK);
}

void BurnController::OpenAddress(const std::string& address) {
    char windows[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    std::string line = "\"" + std::string(windows, n <= MAX_PATH ? n : 0) + "\\Explorer.exe\" " + address;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

void BurnController::MediaQuery() {
    // Without an engine there is no device to ask: both values are 0.
    SetMediaTimeAvailable(0);
    SetMediaType(0);
}

void BurnController::Run() {
    if (!request_.playlistPath.empty()) request_.ReadPlaylist(request_.playlistPath);
    // Recording needs the engine client and the burn window, which this build does not
    // have: both the silent and the window run end here.
}
