#include "recorder/EngineConfig.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <functional>
#include <map>

#include "recorder/RedBook.h"

namespace {

constexpr std::uint32_t kReadCdAbilities =
    RECORDING_CAN_READ_CD | RECORDING_CAN_READ_CD_TEXT | RECORDING_CAN_READ_MULTISESSION | RECORDING_CAN_READ_AUDIO;

[[noreturn]] void Invalid(const IniFile::Entry& entry, const std::string& why) {
    std::string context = "line " + std::to_string(entry.line) + ": " + entry.key + "=" + entry.value + ": " + why;
    FENNEL_THROW(EngineConfig::invalid_value, "EngineConfig::FromIni()", context.c_str());
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> items;
    std::string item;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!item.empty()) items.push_back(Lower(item));
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.empty()) items.push_back(Lower(item));
    return items;
}

std::uint64_t Number(const IniFile::Entry& entry, std::uint64_t max) {
    std::string_view text = entry.value;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) Invalid(entry, "not a number");
    if (value > max) Invalid(entry, "larger than " + std::to_string(max));
    return value;
}

bool Boolean(const IniFile::Entry& entry) {
    std::string value = Lower(entry.value);
    if (value == "1" || value == "yes" || value == "true" || value == "on") return true;
    if (value == "0" || value == "no" || value == "false" || value == "off") return false;
    Invalid(entry, "not 1 or 0 (yes or no)");
}

std::vector<unsigned> Speeds(const IniFile::Entry& entry) {
    std::vector<unsigned> speeds;
    for (const std::string& item : SplitList(entry.value)) {
        std::string text = item;
        if (!text.empty() && text.back() == 'x') text.pop_back();
        unsigned speed = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), speed);
        if (ec != std::errc() || end != text.data() + text.size() || RecordingSpeedMask(speed) == 0)
            Invalid(entry, "speed " + item + " has no speed code (1, 2, 3 or an even number from 4 to 60)");
        if (std::find(speeds.begin(), speeds.end(), speed) == speeds.end()) speeds.push_back(speed);
    }
    std::sort(speeds.begin(), speeds.end(), std::greater<>());
    return speeds;
}

std::int32_t Media(const IniFile::Entry& entry) {
    std::string value = Lower(entry.value);
    if (value == "none") return RECORDING_MEDIA_NONE;
    if (value == "cd-r") return RECORDING_MEDIA_CD_R;
    if (value == "cd-rw") return RECORDING_MEDIA_CD_RW;
    if (value == "cd-rom" || value == "cd") return RECORDING_MEDIA_CD_ROM;
    Invalid(entry, "not none, CD-R, CD-RW or CD-ROM");
}

DiscContent Content(const IniFile::Entry& entry) {
    std::string value = Lower(entry.value);
    if (value == "blank") return DiscContent::Blank;
    if (value == "audio") return DiscContent::Audio;
    if (value == "data") return DiscContent::Data;
    if (value == "mixed") return DiscContent::Mixed;
    Invalid(entry, "not blank, audio, data or mixed");
}

bool ValidImageName(const std::string& name) {
    if (name.empty() || name.size() > 64 || name == "." || name == "..") return false;
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos &&
           std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
}

DriveConfig ParseDrive(const IniFile::Section& section, char letter) {
    DriveConfig drive;
    drive.letter = letter;
    drive.name = std::string("Virtual Recorder ") + letter + ":";
    std::vector<std::string> reads{"cd", "cd-rw"};
    std::vector<std::string> writes{"cd-r", "cd-rw"};
    bool haveContent = false, haveMinutes = false, haveTracks = false, haveReadSpeeds = false,
         haveWriteSpeeds = false, haveRewriteSpeeds = false, haveClosed = false;

    using Handler = std::function<void(const IniFile::Entry&)>;
    const std::map<std::string, Handler> handlers{
        {"name", [&](const auto& e) { drive.name = e.value; }},
        {"reads", [&](const auto& e) { reads = SplitList(e.value); }},
        {"writes", [&](const auto& e) { writes = SplitList(e.value); }},
        {"readspeeds", [&](const auto& e) { drive.readSpeeds = Speeds(e); haveReadSpeeds = true; }},
        {"writespeeds", [&](const auto& e) { drive.writeSpeeds = Speeds(e); haveWriteSpeeds = true; }},
        {"rewritespeeds", [&](const auto& e) { drive.rewriteSpeeds = Speeds(e); haveRewriteSpeeds = true; }},
        {"media", [&](const auto& e) { drive.disc.media = Media(e); }},
        {"capacity", [&](const auto& e) {
             drive.disc.capacityMinutes = static_cast<std::uint32_t>(Number(e, 99));
             if (drive.disc.capacityMinutes == 0) Invalid(e, "a disc holds at least one minute");
         }},
        {"content", [&](const auto& e) { drive.disc.content = Content(e); haveContent = true; }},
        {"contentminutes", [&](const auto& e) { drive.disc.contentMinutes = static_cast<std::uint32_t>(Number(e, 99)); haveMinutes = true; }},
        {"contenttracks", [&](const auto& e) {
             drive.disc.contentTracks = static_cast<std::uint32_t>(Number(e, RedBook::kMaxTracks));
             haveTracks = true;
         }},
        {"closed", [&](const auto& e) { drive.disc.closed = Boolean(e); haveClosed = true; }},
        {"ready", [&](const auto& e) { drive.ready = Boolean(e); }},
        {"images", [&](const auto& e) { drive.imageFolder = e.value; }},
        {"imagename", [&](const auto& e) {
             if (!ValidImageName(e.value)) Invalid(e, "not a plain file name");
             drive.imageName = e.value;
         }},
        {"paced", [&](const auto& e) { drive.paced = Boolean(e); }},
        {"verify", [&](const auto& e) { drive.verify = Boolean(e); }},
        {"fault.startupms", [&](const auto& e) { drive.faults.startupMs = static_cast<std::uint32_t>(Number(e, 600000)); }},
        {"fault.busycount", [&](const auto& e) { drive.faults.busyCount = static_cast<std::uint32_t>(Number(e, 1000000)); }},
        {"fault.mediainfo", [&](const auto& e) { drive.faults.mediaInfoFails = Boolean(e); }},
        {"fault.readyafterms", [&](const auto& e) { drive.faults.readyAfterMs = static_cast<std::uint32_t>(Number(e, 600000)); }},
        {"fault.failatpercent", [&](const auto& e) { drive.faults.failAtPercent = static_cast<int>(Number(e, 100)); }},
        {"fault.failcode", [&](const auto& e) {
             drive.faults.failCode = static_cast<std::int32_t>(static_cast<std::uint32_t>(Number(e, 0xFFFFFFFF)));
             if (drive.faults.failCode >= 0) Invalid(e, "a failure code is negative (0x8...)");
         }},
        {"fault.refuseprepare", [&](const auto& e) { drive.faults.refusePrepare = Boolean(e); }},
        {"fault.imagelimitbytes", [&](const auto& e) { drive.faults.imageLimitBytes = Number(e, UINT64_MAX); }},
        {"fault.erasefailatpercent", [&](const auto& e) { drive.faults.eraseFailAtPercent = static_cast<int>(Number(e, 100)); }},
        {"fault.corruptatpercent", [&](const auto& e) { drive.faults.corruptAtPercent = static_cast<int>(Number(e, 100)); }},
    };
    for (const IniFile::Entry& entry : section.entries) {
        auto handler = handlers.find(Lower(entry.key));
        if (handler == handlers.end()) Invalid(entry, "unknown key in [" + section.name + "]");
        handler->second(entry);
    }

    for (const std::string& kind : reads) {
        if (kind == "cd" || kind == "cd-r" || kind == "cd-rom") drive.mediaAbilities |= kReadCdAbilities;
        else if (kind == "cd-rw") drive.mediaAbilities |= RECORDING_CAN_READ_CD_RW;
        else if (kind != "none")
            FENNEL_THROW(EngineConfig::invalid_value, "EngineConfig::FromIni()",
                         ("[" + section.name + "] Reads: unknown kind " + kind).c_str());
    }
    for (const std::string& kind : writes) {
        if (kind == "cd-r") drive.mediaAbilities |= kReadCdAbilities | RECORDING_CAN_WRITE_CD_R | RECORDING_CAN_TEST_WRITE;
        else if (kind == "cd-rw")
            drive.mediaAbilities |= RECORDING_CAN_READ_CD_RW | RECORDING_CAN_WRITE_CD_RW | RECORDING_CAN_ERASE_CD_RW;
        else if (kind != "none")
            FENNEL_THROW(EngineConfig::invalid_value, "EngineConfig::FromIni()",
                         ("[" + section.name + "] Writes: unknown kind " + kind).c_str());
    }
    drive.mediaAbilities |= RECORDING_CAN_EJECT;
    bool writer = drive.mediaAbilities & (RECORDING_CAN_WRITE_CD_R | RECORDING_CAN_WRITE_CD_RW);
    if (writer)
        drive.writeFeatures = RECORDING_WRITES_DAO | RECORDING_WRITES_TAO | RECORDING_WRITES_SAO |
                              RECORDING_WRITES_MULTISESSION | RECORDING_WRITES_UNDERRUN_PROTECTION |
                              RECORDING_WRITES_AUDIO | (drive.paced ? RECORDING_WRITES_PACED : 0);
    if (!haveReadSpeeds) drive.readSpeeds = {48, 32, 24, 16};
    if (!haveWriteSpeeds && (drive.mediaAbilities & RECORDING_CAN_WRITE_CD_R)) drive.writeSpeeds = {48, 40, 32, 24, 16, 8, 4};
    if (!haveRewriteSpeeds && (drive.mediaAbilities & RECORDING_CAN_WRITE_CD_RW)) drive.rewriteSpeeds = {10, 8, 4};
    if (!(drive.mediaAbilities & RECORDING_CAN_WRITE_CD_R)) drive.writeSpeeds.clear();
    if (!(drive.mediaAbilities & RECORDING_CAN_WRITE_CD_RW)) drive.rewriteSpeeds.clear();

    DiscConfig& disc = drive.disc;
    if (disc.media == RECORDING_MEDIA_CD_ROM) {
        if (!haveContent) disc.content = DiscContent::Data;
        if (disc.content == DiscContent::Blank)
            FENNEL_THROW(EngineConfig::invalid_value, "EngineConfig::FromIni()",
                         ("[" + section.name + "] a CD-ROM is never blank").c_str());
        if (haveClosed && !disc.closed)
            FENNEL_THROW(EngineConfig::invalid_value, "EngineConfig::FromIni()",
                         ("[" + section.name + "] a CD-ROM is always closed").c_str());
        disc.closed = true;
    }
    if (disc.media == RECORDING_MEDIA_NONE) {
        disc = DiscConfig{};
        disc.media = RECORDING_MEDIA_NONE;
    } else if (disc.content == DiscContent::Blank) {
        if (disc.closed || (haveMinutes && disc.contentMinutes) || (haveTracks && disc.contentTracks))
            FENNEL_THROW(EngineConfig::invalid_value, "EngineConfig::FromIni()",
                         ("[" + section.name + "] a blank disc has no content and isn't closed").c_str());
        disc.contentMinutes = 0;
        disc.contentTracks = 0;
    } else {
        if (!haveMinutes) disc.contentMinutes = 10;
        if (!haveTracks) disc.contentTracks = disc.content == DiscContent::Mixed ? 2 : 1;
        std::uint32_t minTracks = disc.content == DiscContent::Mixed ? 2 : 1;
        if (disc.contentMinutes == 0 || disc.contentTracks < minTracks ||
            RedBook::FramesOfMinutes(disc.contentMinutes) < disc.contentTracks * RedBook::kMinTrackFrames ||
            disc.contentMinutes >= disc.capacityMinutes)
            FENNEL_THROW(EngineConfig::invalid_value, "EngineConfig::FromIni()",
                         ("[" + section.name + "] content needs ContentMinutes below Capacity and ContentTracks"
                          " (two for mixed) of at least four seconds each").c_str());
    }
    return drive;
}

} // namespace

std::string DiscConfig::Origin() const {
    static const char* const kMedia[] = {"none", "CD-ROM", "CD-R", "?", "CD-RW"};
    static const char* const kContent[] = {"blank", "audio", "data", "mixed"};
    if (media == RECORDING_MEDIA_NONE) return "none";
    return std::string(kMedia[media]) + " " + std::to_string(capacityMinutes) + " " +
           kContent[static_cast<int>(content)] + " " + std::to_string(contentMinutes) + "/" +
           std::to_string(contentTracks) + (closed ? " closed" : " open");
}

bool DriveConfig::CanWrite(std::int32_t media) const {
    if (media == RECORDING_MEDIA_CD_R) return mediaAbilities & RECORDING_CAN_WRITE_CD_R;
    if (media == RECORDING_MEDIA_CD_RW) return mediaAbilities & RECORDING_CAN_WRITE_CD_RW;
    return false;
}

bool DriveConfig::CanRead(std::int32_t media) const {
    if (media == RECORDING_MEDIA_CD_RW) return mediaAbilities & RECORDING_CAN_READ_CD_RW;
    return mediaAbilities & RECORDING_CAN_READ_CD;
}

EngineConfig EngineConfig::Parse(std::string_view text) { return FromIni(IniFile::Parse(text)); }

EngineConfig EngineConfig::FromIni(const IniFile& ini) {
    EngineConfig config;
    const IniFile::Entry* preferred = nullptr;
    for (const IniFile::Section& section : ini.Sections()) {
        std::string name = Lower(section.name);
        if (name == "engine") {
            for (const IniFile::Entry& entry : section.entries) {
                std::string key = Lower(entry.key);
                if (key == "realrecorders") {
                    config.realRecorders = Boolean(entry);
                    continue;
                }
                if (key != "preferreddrive") Invalid(entry, "unknown key in [Engine]");
                if (entry.value.empty() || !std::isalpha(static_cast<unsigned char>(entry.value[0])))
                    Invalid(entry, "not a drive letter");
                config.preferredDrive = static_cast<char>(std::toupper(static_cast<unsigned char>(entry.value[0])));
                preferred = &entry;
            }
        } else if (name.size() == 7 && name.compare(0, 6, "drive ") == 0 && name[6] >= 'a' && name[6] <= 'z') {
            char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[6])));
            if (config.Find(letter))
                FENNEL_THROW(invalid_value, "EngineConfig::FromIni()",
                             ("line " + std::to_string(section.line) + ": a second drive " + letter).c_str());
            config.drives.push_back(ParseDrive(section, letter));
        } else {
            FENNEL_THROW(invalid_value, "EngineConfig::FromIni()",
                         ("line " + std::to_string(section.line) + ": unknown section [" + section.name +
                          "] (expected [Engine] or [Drive X])").c_str());
        }
    }
    // With real recorders the preferred letter may name one of them, found only when the engine starts.
    if (preferred && !config.realRecorders && !config.Find(config.preferredDrive)) Invalid(*preferred, "no such drive");
    return config;
}

const DriveConfig* EngineConfig::Find(char letter) const {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (const DriveConfig& drive : drives)
        if (drive.letter == letter) return &drive;
    return nullptr;
}
