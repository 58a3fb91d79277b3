// hostsim: plays the media player host. Writes a playlist (or takes one), starts fennel.exe
// with a burn command line, answers the message boxes it shows, waits for its end and
// prints the result values it left in the registry.
//
//   hostsim [options] [-- fennel arguments...]
//     --fennel <path>     the program to run (default: fennel.exe beside hostsim.exe)
//     --area <key>        application area below HKEY_CURRENT_USER (default: the one that the
//                         Fennel.qcf beside the program names)
//     --track <path>      add a track to a playlist that hostsim writes (repeatable)
//     --asx               write that playlist as an entry list instead of a plain list
//     --playlist <file>   where to write it (default: a temporary file, deleted afterwards)
//     --answer <button>   how to answer message boxes: ok, cancel, yes, no, retry (default no)
//     --timeout <s>       give up (and end fennel.exe) after this many seconds (default 120)
//     --keep              keep the result values of an earlier run instead of clearing them
//     --locale <hex>      the user's locale for the run, as HKCU\Control Panel\International
//                         holds it (for example 0000040C for French); restored afterwards
//     --quiet-poll        don't print BurnResults while fennel.exe runs
//     --image <cue>       at the end, print each track of this cue sheet with its CRC32 and
//                         CD-Text, to compare with a later rip of the disc
//     --level             levelled loudness on for this run (the area's Options\LevelLoudness,
//                         put back afterwards)
//     --drives            only list the drives the recording engine sees, with their discs
// The playlist path, when hostsim wrote one, is appended to the fennel arguments. While
// fennel.exe runs, hostsim polls BurnResults as a host does and prints every change. At the
// end it prints every result value with its meaning, and TrackResults as a table with each
// track's file; when the program found no engine, why the engine would not start.
// Exit code: for a burn, 0 when it succeeded (BurnResults 0 or 1), 1 when it did not; for
// the check-only runs (flags C, T or U) fennel.exe's exit code; 2 for a usage error or a
// program that can't be started, 3 when fennel.exe had to be ended.
#include "engine/EngineClient.h"
#include "engine/EngineRefusal.h"
#include "tools/hostkit/ChildProcess.h"
#include "tools/hostkit/ConfiguredArea.h"
#include "tools/hostkit/ImageCue.h"
#include "tools/hostkit/ProcessWindows.h"
#include "tools/hostkit/ProgramPaths.h"
#include "tools/hostkit/UserRegistry.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace hostkit;

struct Options {
    std::string fennel = SelfFolder() + "\\fennel.exe";
    std::string area; // empty: taken from the configuration file beside the program
    std::vector<std::string> tracks;
    bool asx = false;
    std::string playlist;
    int answer = IDNO;
    DWORD timeoutMs = 120000;
    bool keep = false;
    std::string locale;
    bool pollQuietly = false;
    std::string image;
    bool drives = false;
    bool level = false;
    std::vector<std::string> fennelArguments;
};

const std::map<std::string, int> kButtons = {
    {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}, {"retry", IDRETRY}};

const char kInternational[] = "Control Panel\\International";

const char* const kResultValues[] = {"BurnResults", "EngineCheckResult", "MediaTimeAvailable", "MediaType"};

const char* ButtonName(int id) {
    for (const auto& [name, button] : kButtons) {
        if (button == id) return name.c_str();
    }
    return "?";
}

// The tracks of a cue sheet as the engine writes it: number, REM CRC32, TITLE, PERFORMER.
void PrintImageTracks(const std::string& cuePath) {
    ImageCue cue;
    if (!ReadImageCue(cuePath, cue)) {
        std::printf("hostsim: no image at %s\n", cuePath.c_str());
        return;
    }
    std::printf("Image %s: %zu track(s)\n    %-4s %-8s %s\n", cuePath.c_str(), cue.tracks.size(), "#", "CRC32",
                "title / performer (UTF-8)");
    for (const ImageCueTrack& track : cue.tracks) {
        std::printf("    %-4s %-8s %s%s%s\n", track.number.c_str(), track.crc.empty() ? "-" : track.crc.c_str(),
                    track.title.c_str(), track.performer.empty() ? "" : " / ", track.performer.c_str());
    }
}

int Usage(const char* problem) {
    std::fprintf(stderr, "hostsim: %s\nusage: hostsim [--fennel exe] [--area key] [--track path]... [--asx] "
                         "[--playlist file] [--answer ok|cancel|yes|no|retry] [--timeout s] [--keep] "
                         "[--locale hex] [--quiet-poll] [--image cue] [--level] [-- fennel arguments]\n"
                         "       hostsim --drives\n",
                 problem);
    return 2;
}

std::optional<Options> ParseOptions(int argc, char** argv, std::string& problem) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--") {
            for (++i; i < argc; ++i) o.fennelArguments.push_back(argv[i]);
        } else if (a == "--help") {
            problem = "plays the media player host: runs fennel.exe and prints its result values";
            return std::nullopt;
        } else if (a == "--asx") {
            o.asx = true;
        } else if (a == "--keep") {
            o.keep = true;
        } else if (a == "--quiet-poll") {
            o.pollQuietly = true;
        } else if (a == "--drives") {
            o.drives = true;
        } else if (a == "--level") {
            o.level = true;
        } else if (a == "--fennel" || a == "--area" || a == "--track" || a == "--playlist" || a == "--answer" ||
                   a == "--timeout" || a == "--locale" || a == "--image") {
            const char* value = next();
            if (!value) {
                problem = a + " needs a value";
                return std::nullopt;
            }
            if (a == "--fennel") o.fennel = value;
            if (a == "--area") o.area = value;
            if (a == "--track") o.tracks.push_back(value);
            if (a == "--playlist") o.playlist = value;
            if (a == "--locale") o.locale = value;
            if (a == "--image") o.image = value;
            if (a == "--timeout") o.timeoutMs = static_cast<DWORD>(std::strtoul(value, nullptr, 10) * 1000);
            if (a == "--answer") {
                const auto button = kButtons.find(value);
                if (button == kButtons.end()) {
                    problem = std::string("unknown button ") + value;
                    return std::nullopt;
                }
                o.answer = button->second;
            }
        } else {
            problem = "unknown option " + a;
            return std::nullopt;
        }
    }
    if (o.area.empty() && !o.drives) {
        const std::size_t slash = o.fennel.find_last_of("\\/");
        const std::string configuration =
            (slash == std::string::npos ? std::string() : o.fennel.substr(0, slash + 1)) + "Fennel.qcf";
        o.area = ConfiguredArea(configuration);
        if (o.area.empty()) {
            problem = "no registry area in " + configuration + "; name one with --area";
            return std::nullopt;
        }
    }
    return o;
}

std::string WritePlaylist(const Options& o) {
    std::string path = o.playlist;
    if (path.empty()) {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "hostsim-" + std::to_string(GetCurrentProcessId()) + (o.asx ? ".asx" : ".m3u");
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (o.asx) out << "<ASX version = \"3.0\">\r\n";
    for (const std::string& track : o.tracks) {
        if (o.asx) {
            out << "<ENTRY>\r\n<REF HREF=\"" << track << "\"/>\r\n</ENTRY>\r\n";
        } else {
            out << track << "\r\n";
        }
    }
    if (o.asx) out << "</ASX>\r\n";
    return path;
}

std::optional<std::int32_t> Signed(const std::optional<DWORD>& value) {
    return value ? std::optional<std::int32_t>(static_cast<std::int32_t>(*value)) : std::nullopt;
}

const char* BurnResultsMeaning(std::int32_t code) {
    switch (code) {
    case 0: return "burn finished, every track accepted";
    case 1: return "burn finished, some tracks refused";
    case -1: return "burn failed or aborted";
    case -2: return "burn cancelled by the user";
    case -3: return "started (configuration read), no burn result yet";
    case -4: return "command line unusable";
    case -6: return "disc not erasable";
    case -7: return "erasing";
    case -8: return "erase failed";
    case -9: return "erase completed";
    case -10: return "disc unusable for the burn";
    case -19: return "recording";
    default: return "unknown code";
    }
}

const char* TrackMeaning(std::int32_t code) {
    switch (code) {
    case 0: return "recorded";
    case -1: return "recording failed";
    case -2: return "interrupted";
    case -3: return "accepted, waiting to be recorded";
    case -5: return "refused: file not found";
    case -6: return "refused: invalid file";
    case -7: return "refused: file type not supported or not allowed";
    case -8: return "being recorded";
    case -9: return "refused: not enough space";
    case -10: return "refused: too many tracks";
    default: return "unknown code";
    }
}

const char* EngineCheckMeaning(std::int32_t code) {
    switch (code) {
    case 0: return "engine and drive usable (or an unlisted failure)";
    case 1: return "no usable drive";
    case 2: return "no recording engine";
    default: return "unknown code";
    }
}

std::string MediaTimeMeaning(std::int32_t seconds) {
    if (seconds == -1) return "no disc in the drive";
    if (seconds == 0) return "no time (no engine or drive, or a full disc)";
    return std::to_string(seconds / 60) + " min " + std::to_string(seconds % 60) + " s free";
}

const char* MediaTypeMeaning(std::int32_t type) {
    switch (type) {
    case 0: return "none or unknown";
    case 1: return "CD-ROM";
    case 2: return "CD-R";
    case 4: return "CD-RW (erasable)";
    default: return "other";
    }
}

void PrintValue(const char* name, const std::optional<std::int32_t>& value, const std::string& meaning) {
    if (!value) {
        std::printf("  %-20s (not set)\n", name);
    } else {
        std::printf("  %-20s %-6ld %s\n", name, static_cast<long>(*value), meaning.c_str());
    }
}

std::optional<std::int32_t> PrintResults(const std::string& area, const std::vector<std::string>& tracks) {
    std::printf("HKCU\\%s\n", area.c_str());
    const auto burn = Signed(ReadDword(area, "BurnResults"));
    PrintValue("BurnResults", burn, burn ? BurnResultsMeaning(*burn) : "");
    const auto engine = Signed(ReadDword(area, "EngineCheckResult"));
    PrintValue("EngineCheckResult", engine, engine ? EngineCheckMeaning(*engine) : "");
    const auto time = Signed(ReadDword(area, "MediaTimeAvailable"));
    PrintValue("MediaTimeAvailable", time, time ? MediaTimeMeaning(*time) : "");
    const auto type = Signed(ReadDword(area, "MediaType"));
    PrintValue("MediaType", type, type ? MediaTypeMeaning(*type) : "");

    const std::string key = area + "\\TrackResults";
    if (!KeyExists(key)) {
        std::printf("  %-20s (no key)\n", "TrackResults");
        return burn;
    }
    std::vector<std::string> names = ValueNames(key);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    std::printf("  TrackResults: %zu value(s)\n    %-4s %-6s %-48s %s\n", names.size(), "#", "value", "meaning", "file");
    for (const std::string& name : names) {
        const auto value = Signed(ReadDword(key, name));
        const unsigned long position = std::strtoul(name.c_str(), nullptr, 10);
        const std::string file =
            position >= 1 && position <= tracks.size() ? tracks[position - 1] : std::string("(not in hostsim's list)");
        std::printf("    %-4s %-6s %-48s %s\n", name.c_str(), value ? std::to_string(*value).c_str() : "?",
                    value ? TrackMeaning(*value) : "not a number", file.c_str());
    }
    return burn;
}

const char* MediaName(LONG type) {
    switch (type) {
    case RECORDING_MEDIA_NONE: return "no disc";
    case RECORDING_MEDIA_CD_ROM: return "CD-ROM";
    case RECORDING_MEDIA_CD_R: return "CD-R";
    case RECORDING_MEDIA_CD_RW: return "CD-RW";
    default: return "unknown disc";
    }
}

// The drives the engine sees, as the program would open it: letter, name, the disc with its
// free time, readiness and write speeds; the current drive marked.
int ListDrives() {
    ScopedComInit com;
    EngineClientPtr client = EngineClientPtr::Attach(new EngineClient);
    if (FAILED(client->Initialize("hostsim", 0))) {
        const std::string refusal = EngineRefusal();
        std::printf("hostsim: %s\n", refusal.empty() ? "the recording engine has no usable drive" : refusal.c_str());
        return 1;
    }
    LONG count = 0, current = -1;
    client->GetDeviceCount(&count);
    client->GetCurrentDeviceIndex(&current);
    std::printf("hostsim: %ld drive(s) (* the current one)\n", static_cast<long>(count));
    for (LONG i = 0; i < count; ++i) {
        DeviceHandle* device = nullptr;
        char letter = '?';
        std::string name;
        if (FAILED(client->GetDevice(i, &device)) || !device || FAILED(device->GetName(letter, name))) {
            std::printf("  %c drive %ld: cannot be read\n", i == current ? '*' : ' ', static_cast<long>(i));
            continue;
        }
        LONG type = RECORDING_MEDIA_NONE;
        RecordingMediaDetails details{};
        RecordingMediaFlags flags{};
        RecordingMediaCapacity capacity{};
        flags.version = capacity.version = 1;
        bool present = false, ready = false;
        device->IsMediaPresent(present);
        const bool media = present && SUCCEEDED(device->GetMediaInfo(&type, &details, &flags, &capacity));
        device->IsReady(ready);
        std::vector<std::uint16_t> reads, writes;
        device->GetSpeeds(RECORDING_MEDIA_CD_R, reads, writes);
        std::string speeds;
        for (const std::uint16_t speed : writes) speeds += " " + std::to_string(speed) + "x";
        const unsigned long seconds = media ? capacity.freeFrames / 75 : 0;
        std::printf("  %c %c: %-32s %s, %lu:%02lu free, %s, writes%s\n", i == current ? '*' : ' ', letter, name.c_str(),
                    !present ? "no disc" : media ? MediaName(type) : "disc unreadable", seconds / 60, seconds % 60,
                    ready ? "ready" : "not ready", speeds.empty() ? " nothing" : speeds.c_str());
    }
    return 0;
}

// Whether the fennel arguments ask only for a check (engine, media) or a parse, not a burn.
bool CheckOnly(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument.size() != 2 || (argument[0] != '/' && argument[0] != '-')) continue;
        const char flag = static_cast<char>(std::toupper(static_cast<unsigned char>(argument[1])));
        if (flag == 'C' || flag == 'T' || flag == 'U') return true;
    }
    return false;
}

int RunHost(const Options& o) {
    std::string commandLine = Quoted(o.fennel);
    for (const std::string& argument : o.fennelArguments) {
        commandLine += " " + (argument.find(' ') != std::string::npos ? Quoted(argument) : argument);
    }
    std::string temporaryPlaylist;
    if (!o.tracks.empty()) {
        const std::string playlist = WritePlaylist(o);
        std::printf("hostsim: wrote %s with %zu track(s)\n", playlist.c_str(), o.tracks.size());
        commandLine += " " + Quoted(playlist);
        if (o.playlist.empty()) temporaryPlaylist = playlist;
    }
    struct RemoveLater {
        std::string path;
        ~RemoveLater() {
            if (!path.empty()) DeleteFileA(path.c_str());
        }
    } removeLater{temporaryPlaylist};
    struct LocaleForTheRun {
        std::optional<std::string> saved;
        bool changed = false;
        ~LocaleForTheRun() {
            if (!changed) return;
            if (saved) {
                WriteString(kInternational, "Locale", *saved);
            } else {
                DeleteValue(kInternational, "Locale");
            }
        }
    } locale;
    if (!o.locale.empty()) {
        locale.saved = ReadString(kInternational, "Locale");
        locale.changed = WriteString(kInternational, "Locale", o.locale);
        std::printf("hostsim: user locale %s\n", o.locale.c_str());
    }
    if (!o.keep) {
        for (const char* name : kResultValues) DeleteValue(o.area, name);
        DeleteKeyTree(o.area + "\\TrackResults");
    }
    // Levelled loudness for this run only: the user's own setting comes back afterwards.
    struct LevelOption {
        std::string key;
        std::optional<DWORD> saved;
        ~LevelOption() {
            if (key.empty()) return;
            if (saved) WriteDword(key, "LevelLoudness", *saved);
            else DeleteValue(key, "LevelLoudness");
        }
    } level;
    if (o.level) {
        level.key = o.area + "\\Options";
        level.saved = ReadDword(level.key, "LevelLoudness");
        if (WriteDword(level.key, "LevelLoudness", 1)) std::printf("hostsim: levelled loudness on\n");
    }
    std::printf("hostsim: running %s\n", commandLine.c_str());
    std::fflush(stdout);

    const ULONGLONG start = GetTickCount64();
    ChildProcess fennel(commandLine);
    if (!fennel.Started()) {
        std::fprintf(stderr, "hostsim: cannot start %s (error %lu)\n", o.fennel.c_str(), fennel.Error());
        return 2;
    }
    std::optional<std::int32_t> lastBurn;
    while (fennel.Running()) {
        if (GetTickCount64() - start > o.timeoutMs) {
            std::printf("hostsim: no end after %lu s; ending fennel.exe\n", o.timeoutMs / 1000);
            fennel.Kill();
            PrintResults(o.area, o.tracks);
            return 3;
        }
        if (!o.pollQuietly) {
            const auto burn = Signed(ReadDword(o.area, "BurnResults"));
            if (burn != lastBurn) {
                if (burn) {
                    std::printf("hostsim: %6.1f s  BurnResults %ld (%s)\n",
                                static_cast<double>(GetTickCount64() - start) / 1000.0, static_cast<long>(*burn),
                                BurnResultsMeaning(*burn));
                    std::fflush(stdout);
                }
                lastBurn = burn;
            }
        }
        if (HWND box = FindMessageBox(fennel.Id())) {
            Sleep(50); // let the box finish filling in its controls
            const MessageBoxTexts seen = ReadMessageBox(box);
            AnswerMessageBox(fennel.Id(), o.answer, 0);
            std::string buttons;
            for (const std::string& button : seen.buttons) buttons += (buttons.empty() ? "" : " ") + ("[" + button + "]");
            std::printf("hostsim: message box \"%s\": %s %s -> %s\n", seen.caption.c_str(), seen.text.c_str(),
                        buttons.c_str(), ButtonName(o.answer));
            std::fflush(stdout);
            Sleep(200); // let the box close before looking again
        }
        Sleep(50);
    }
    const DWORD exitCode = fennel.ExitCode();
    std::printf("hostsim: fennel.exe ended with exit code %lu after %.1f s\n", exitCode,
                static_cast<double>(GetTickCount64() - start) / 1000.0);
    const std::optional<std::int32_t> burn = PrintResults(o.area, o.tracks);
    // "No engine" is also what an installed engine that refuses to start looks like to the
    // host: its own words tell which it was.
    if (Signed(ReadDword(o.area, "EngineCheckResult")) == 2) {
        const std::string refusal = EngineRefusal();
        std::printf("hostsim: %s\n", refusal.empty() ? "the recording engine starts here now" : refusal.c_str());
    }
    if (!o.image.empty()) PrintImageTracks(o.image);
    if (CheckOnly(o.fennelArguments)) return static_cast<int>(exitCode);
    const bool succeeded = exitCode == 0 && burn && (*burn == 0 || *burn == 1);
    std::printf("hostsim: the burn %s\n", succeeded ? "succeeded" : "did not succeed");
    return succeeded ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        std::string problem;
        const std::optional<Options> options = ParseOptions(argc, argv, problem);
        if (!options) return Usage(problem.c_str());
        return options->drives ? ListDrives() : RunHost(*options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hostsim: %s\n", e.what());
        return 2;
    }
}
