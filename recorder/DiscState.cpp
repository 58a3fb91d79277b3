#include "recorder/DiscState.h"

#include <algorithm>
#include <charconv>

#include "recorder/IniFile.h"
#include "recorder/RedBook.h"

namespace {

// Remark1=, Remark2=, ... in order, up to the first missing one.
std::vector<std::string> Remarks(const IniFile::Section& section) {
    std::vector<std::string> remarks;
    while (std::optional<std::string> remark = section.Get("Remark" + std::to_string(remarks.size() + 1)))
        remarks.push_back(*remark);
    return remarks;
}

const char* MediaName(std::int32_t media) {
    switch (media) {
    case RECORDING_MEDIA_CD_ROM: return "CD-ROM";
    case RECORDING_MEDIA_CD_R: return "CD-R";
    case RECORDING_MEDIA_CD_RW: return "CD-RW";
    default: return "none";
    }
}

[[noreturn]] void Invalid(const std::string& what) {
    FENNEL_THROW(DiscState::invalid_state, "DiscState::Parse()", what.c_str());
}

const std::string& Required(const IniFile::Section& section, std::string_view key) {
    for (const IniFile::Entry& entry : section.entries)
        if (IniFile::SameName(entry.key, key)) return entry.value;
    Invalid("[" + section.name + "] lacks " + std::string(key));
}

std::string Optional(const IniFile::Section& section, std::string_view key) {
    return section.Get(key).value_or(std::string());
}

std::uint64_t Number(const IniFile::Section& section, std::string_view key, std::uint64_t max) {
    const std::string& text = Required(section, key);
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value > max)
        Invalid("[" + section.name + "] " + std::string(key) + "=" + text + " is out of range");
    return value;
}

// A title the state file keeps unchanged: what a cue sheet can quote, no " ;" that would read
// as a comment, no spaces at the ends.
std::string StorableTitle(const std::string& title) {
    std::string text = CueSheet::QuotableText(title);
    for (char& c : text)
        if (c == ';') c = ',';
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

bool DiscState::PlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 200 || name == "." || name == "..") return false;
    return name.find_first_of("\\/:*?\"<>|") == std::string_view::npos &&
           std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

DiscState DiscState::FromConfig(const DiscConfig& config) {
    DiscState state;
    state.origin = config.Origin();
    state.media = config.media;
    if (!state.Present()) return state;
    state.capacityMinutes = config.capacityMinutes;
    state.closed = config.closed;
    if (config.content == DiscContent::Blank) return state;

    // Content the configuration puts on the disc: tracks of equal length in one session,
    // a data track first on a mixed disc. No image holds them.
    state.sessions = 1;
    std::uint32_t total = RedBook::FramesOfMinutes(config.contentMinutes);
    std::uint32_t each = total / config.contentTracks;
    std::uint32_t position = 0;
    for (std::uint32_t i = 0; i < config.contentTracks; ++i) {
        DiscTrack track;
        track.number = static_cast<int>(i) + 1;
        track.audio = config.content == DiscContent::Audio || (config.content == DiscContent::Mixed && i > 0);
        track.startFrame = position;
        track.pregapFrames = i == 0 ? RedBook::kPregapFrames : 0;
        track.lengthFrames = i + 1 == config.contentTracks ? total - each * i : each;
        position += track.pregapFrames + track.lengthFrames;
        state.tracks.push_back(track);
    }
    state.usedFrames = position;
    return state;
}

std::uint32_t DiscState::CapacityFrames() const { return RedBook::FramesOfMinutes(capacityMinutes); }

std::uint32_t DiscState::NextSessionStart() const {
    return sessions == 0 ? 0 : usedFrames + RedBook::SessionOverheadFrames(sessions);
}

std::uint32_t DiscState::FreeFrames() const {
    if (!Present() || closed || media == RECORDING_MEDIA_CD_ROM) return 0;
    if (reportedFree) return *reportedFree;
    std::uint32_t start = NextSessionStart();
    return start < CapacityFrames() ? CapacityFrames() - start : 0;
}

bool DiscState::HasAudio() const {
    return std::any_of(tracks.begin(), tracks.end(), [](const DiscTrack& t) { return t.audio; });
}

bool DiscState::HasData() const {
    return std::any_of(tracks.begin(), tracks.end(), [](const DiscTrack& t) { return !t.audio; });
}

void DiscState::AddSession(const SessionPlan& plan, const std::string& file, const std::vector<CueText>& texts,
                           const std::vector<std::uint32_t>& crcs, const CueText& disc,
                           const std::vector<TrackCodes>& codes) {
    if (!disc.title.empty()) discText.title = StorableTitle(disc.title);
    if (!disc.performer.empty()) discText.performer = StorableTitle(disc.performer);
    ++sessions;
    for (std::size_t i = 0; i < plan.tracks.size(); ++i) {
        const PlannedTrack& planned = plan.tracks[i];
        DiscTrack track;
        track.number = planned.number;
        track.session = sessions;
        track.startFrame = planned.startFrame;
        track.pregapFrames = planned.pregapFrames;
        track.lengthFrames = planned.audioFrames;
        track.file = file;
        track.fileOffset = planned.fileOffset;
        if (i < texts.size()) {
            track.title = StorableTitle(texts[i].title);
            track.performer = StorableTitle(texts[i].performer);
        }
        if (i < crcs.size()) track.crc = crcs[i];
        if (i < codes.size()) track.codes = codes[i];
        tracks.push_back(track);
    }
    usedFrames = plan.startFrame + plan.totalFrames;
}

void DiscState::Erase() {
    tracks.clear();
    sessions = 0;
    usedFrames = 0;
    closed = false;
    lastRecording.clear();
    incompleteImage.clear();
    discText = {};
}

MediaDescription DiscState::Describe(const DriveConfig& drive) const {
    MediaDescription d;
    d.type = media;
    d.details.version = 1;
    d.flags.version = 1;
    d.capacity.version = 1;
    if (!Present()) return d;

    bool blocked = closed || !drive.CanWrite(media);
    std::uint32_t free = blocked ? 0 : FreeFrames();
    d.details.sessionCount = static_cast<std::uint16_t>(sessions);
    d.details.capacityMinutes = static_cast<std::uint16_t>(capacityMinutes);
    if (!tracks.empty()) {
        d.details.firstTrack = static_cast<std::uint16_t>(tracks.front().number);
        d.details.lastTrack = static_cast<std::uint16_t>(tracks.back().number);
        auto last = std::find_if(tracks.begin(), tracks.end(), [&](const DiscTrack& t) { return t.session == sessions; });
        d.details.lastSessionFirstTrack = static_cast<std::uint16_t>(last == tracks.end() ? 0 : last->number);
        d.details.leadOutFrame = usedFrames;
    }
    d.flags.blank = tracks.empty();
    d.flags.rewritable = media == RECORDING_MEDIA_CD_RW;
    d.flags.appendable = !blocked && free >= RedBook::kPregapFrames + RedBook::kMinTrackFrames;
    d.flags.blocked = blocked;
    d.flags.hasDataTracks = HasData();
    d.flags.hasAudioTracks = HasAudio();
    d.flags.closed = closed;
    d.flags.incomplete = !incompleteImage.empty();
    d.capacity.trackCount = static_cast<std::uint16_t>(tracks.size());
    d.capacity.totalFrames = CapacityFrames();
    d.capacity.usedFrames = usedFrames;
    d.capacity.nextWritableFrame = NextSessionStart();
    d.capacity.overheadFrames = RedBook::SessionOverheadFrames(sessions);
    d.capacity.freeFrames = free;
    return d;
}

std::vector<CueFile> DiscState::CueFiles() const {
    std::vector<CueFile> files;
    for (const DiscTrack& track : tracks) {
        if (track.file.empty()) continue;
        if (files.empty() || files.back().name != track.file) files.push_back({track.file, track.session, {}});
        std::uint32_t fileFrame = static_cast<std::uint32_t>(track.fileOffset / RedBook::kFrameBytes);
        files.back().tracks.push_back({track.number, track.pregapFrames, fileFrame, track.title, track.performer, track.crc,
                                       track.codes.isrc, track.codes.flags, track.codes.songwriter, track.codes.remarks});
    }
    return files;
}

std::vector<std::string> DiscState::ImageFiles() const {
    std::vector<std::string> files;
    for (const DiscTrack& track : tracks)
        if (!track.file.empty() && std::find(files.begin(), files.end(), track.file) == files.end())
            files.push_back(track.file);
    if (!incompleteImage.empty()) files.push_back(incompleteImage);
    return files;
}

std::string DiscState::Serialize() const {
    std::string text = "; Disc in a virtual drive of the recording engine, written by the engine.\r\n";
    text += "; Delete this file to put the disc of the drive file back into the drive.\r\n";
    text += "[Disc]\r\n";
    text += "Origin=" + origin + "\r\n";
    text += std::string("Media=") + MediaName(media) + "\r\n";
    text += "Capacity=" + std::to_string(capacityMinutes) + "\r\n";
    text += std::string("Closed=") + (closed ? "1" : "0") + "\r\n";
    text += "Sessions=" + std::to_string(sessions) + "\r\n";
    text += "UsedFrames=" + std::to_string(usedFrames) + "\r\n";
    text += "LastRecording=" + lastRecording + "\r\n";
    text += "IncompleteImage=" + incompleteImage + "\r\n";
    text += "Title=" + discText.title + "\r\n";
    text += "Performer=" + discText.performer + "\r\n";
    if (!catalog.empty()) text += "Catalog=" + catalog + "\r\n";
    if (!songwriter.empty()) text += "Songwriter=" + songwriter + "\r\n";
    for (std::size_t i = 0; i < remarks.size(); ++i) text += "Remark" + std::to_string(i + 1) + "=" + remarks[i] + "\r\n";
    for (const DiscTrack& track : tracks) {
        text += "[Track " + std::to_string(track.number) + "]\r\n";
        text += "Session=" + std::to_string(track.session) + "\r\n";
        text += std::string("Type=") + (track.audio ? "audio" : "data") + "\r\n";
        text += "StartFrame=" + std::to_string(track.startFrame) + "\r\n";
        text += "PregapFrames=" + std::to_string(track.pregapFrames) + "\r\n";
        text += "LengthFrames=" + std::to_string(track.lengthFrames) + "\r\n";
        text += "File=" + track.file + "\r\n";
        text += "FileOffset=" + std::to_string(track.fileOffset) + "\r\n";
        text += "Title=" + track.title + "\r\n";
        text += "Performer=" + track.performer + "\r\n";
        if (track.crc) text += "CRC32=" + CueSheet::CrcText(*track.crc) + "\r\n";
        if (!track.codes.isrc.empty()) text += "ISRC=" + track.codes.isrc + "\r\n";
        if (track.codes.flags) text += "Flags=" + std::to_string(track.codes.flags) + "\r\n";
        if (!track.codes.songwriter.empty()) text += "Songwriter=" + track.codes.songwriter + "\r\n";
        for (std::size_t i = 0; i < track.codes.remarks.size(); ++i)
            text += "Remark" + std::to_string(i + 1) + "=" + track.codes.remarks[i] + "\r\n";
    }
    return text;
}

DiscState DiscState::Parse(std::string_view text) {
    IniFile ini = IniFile::Parse(text);
    const IniFile::Section* disc = ini.Find("Disc");
    if (!disc) Invalid("no [Disc] section");
    DiscState state;
    state.origin = Required(*disc, "Origin");
    const std::string& media = Required(*disc, "Media");
    state.media = -1;
    for (std::int32_t m : {RECORDING_MEDIA_NONE, RECORDING_MEDIA_CD_ROM, RECORDING_MEDIA_CD_R, RECORDING_MEDIA_CD_RW})
        if (IniFile::SameName(media, MediaName(m))) state.media = m;
    if (state.media < 0) Invalid("unknown media " + media);
    state.capacityMinutes = static_cast<std::uint32_t>(Number(*disc, "Capacity", 99));
    state.closed = Number(*disc, "Closed", 1) != 0;
    state.sessions = static_cast<int>(Number(*disc, "Sessions", RedBook::kMaxTracks));
    state.usedFrames = static_cast<std::uint32_t>(Number(*disc, "UsedFrames", RedBook::FramesOfMinutes(99)));
    state.lastRecording = Optional(*disc, "LastRecording");
    state.incompleteImage = Optional(*disc, "IncompleteImage");
    if (!state.incompleteImage.empty() && !PlainFileName(state.incompleteImage))
        Invalid("IncompleteImage is not a plain file name");
    state.discText = {Optional(*disc, "Title"), Optional(*disc, "Performer")};
    state.catalog = Optional(*disc, "Catalog");
    state.songwriter = Optional(*disc, "Songwriter");
    state.remarks = Remarks(*disc);
    if (state.Present() && state.capacityMinutes == 0) Invalid("a disc without capacity");

    for (const IniFile::Section& section : ini.Sections()) {
        if (&section == disc) continue;
        DiscTrack track;
        track.number = static_cast<int>(state.tracks.size()) + 1;
        if (!IniFile::SameName(section.name, "Track " + std::to_string(track.number)))
            Invalid("[" + section.name + "] where [Track " + std::to_string(track.number) + "] belongs");
        if (track.number > RedBook::kMaxTracks) Invalid("more than 99 tracks");
        track.session = static_cast<int>(Number(section, "Session", RedBook::kMaxTracks));
        const std::string& type = Required(section, "Type");
        if (!IniFile::SameName(type, "audio") && !IniFile::SameName(type, "data")) Invalid("unknown track type " + type);
        track.audio = IniFile::SameName(type, "audio");
        track.startFrame = static_cast<std::uint32_t>(Number(section, "StartFrame", state.usedFrames));
        track.pregapFrames = static_cast<std::uint32_t>(Number(section, "PregapFrames", state.usedFrames));
        track.lengthFrames = static_cast<std::uint32_t>(Number(section, "LengthFrames", state.usedFrames));
        track.file = Optional(section, "File");
        if (!track.file.empty() && !PlainFileName(track.file)) Invalid("File is not a plain file name");
        track.fileOffset = section.Get("FileOffset") ? Number(section, "FileOffset", UINT32_MAX * 2352ull) : 0;
        track.title = Optional(section, "Title");
        track.performer = Optional(section, "Performer");
        track.codes.isrc = Optional(section, "ISRC");
        track.codes.flags = section.Get("Flags") ? static_cast<std::uint32_t>(Number(section, "Flags", 7)) : 0;
        track.codes.songwriter = Optional(section, "Songwriter");
        track.codes.remarks = Remarks(section);
        if (std::optional<std::string> crc = section.Get("CRC32")) {
            std::uint32_t value = 0;
            auto [end, ec] = std::from_chars(crc->data(), crc->data() + crc->size(), value, 16);
            if (ec != std::errc() || end != crc->data() + crc->size() || crc->size() != 8)
                Invalid("[" + section.name + "] CRC32=" + *crc + " is not 8 hex digits");
            track.crc = value;
        }
        std::uint32_t previousEnd = state.tracks.empty() ? 0
                                                         : state.tracks.back().startFrame +
                                                               state.tracks.back().pregapFrames +
                                                               state.tracks.back().lengthFrames;
        std::uint64_t end = std::uint64_t{track.startFrame} + track.pregapFrames + track.lengthFrames;
        if (track.session < 1 || track.session > state.sessions ||
            (!state.tracks.empty() && track.session < state.tracks.back().session) || track.startFrame < previousEnd ||
            end > state.usedFrames)
            Invalid("[" + section.name + "] lies outside the disc's sessions");
        state.tracks.push_back(track);
    }
    if (state.sessions > 0 && state.tracks.empty()) Invalid("sessions without tracks");
    if (!state.Present() && (state.sessions > 0 || state.closed)) Invalid("content without a disc");
    return state;
}
