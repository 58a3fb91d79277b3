#include "recorder/SessionLayout.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include <windows.h>

#include "engine/RecordingEngineTypes.h"
#include "recorder/AudioFiles.h"
#include "recorder/EngineFailure.h"
#include "recorder/WinText.h"

namespace {

const std::string& FirstOf(const std::string& first, const std::string& second) {
    return first.empty() ? second : first;
}

} // namespace

std::uint64_t SessionLayout::Track::PregapBytes() const {
    std::uint64_t bytes = 0;
    for (const TrackPart& part : pregap) bytes += part.bytes;
    return bytes;
}

CueText SessionLayout::Track::Recorded() const {
    return {FirstOf(text.title, FirstOf(tags.title, title)), FirstOf(text.performer, tags.performer)};
}

SessionLayout::Track SessionLayout::TrackOf(const std::wstring& path, const std::optional<TrackPart>& range) {
    std::unique_ptr<AudioSource> audio = AudioFiles::Open(path);
    Track track;
    track.path = path;
    track.title = AudioFiles::Title(path);
    track.audioBytes = audio->OutputBytes();
    track.tags = audio->Tags();
    if (range) {
        track.parts = {*range};
        track.audioBytes = range->bytes;
    }
    return track;
}

TrackPart SessionLayout::PartOf(const std::wstring& path, std::uint64_t startFrame, std::optional<std::uint64_t> frames) {
    if (path.empty()) {
        if (!frames) RECORDER_FAIL(E_INVALIDARG, "RecordingSession::PartOf()", "silence without a length");
        return {{}, 0, *frames * RedBook::kFrameBytes};
    }
    std::uint64_t fileBytes = AudioFiles::Open(path)->OutputBytes();
    std::uint64_t start = startFrame * RedBook::kFrameBytes;
    if (start > fileBytes || (frames && start + *frames * RedBook::kFrameBytes > fileBytes))
        RECORDER_FAIL(E_INVALIDARG, "RecordingSession::PartOf()",
                      (WinText::Utf8(path) + ": the range lies past the audio's end (" +
                       RedBook::FormatMsf(static_cast<std::uint32_t>(fileBytes / RedBook::kFrameBytes)) + ")")
                          .c_str());
    return {path, start, frames ? *frames * RedBook::kFrameBytes : fileBytes - start};
}

void SessionLayout::CheckCodes(const std::string& isrc, std::uint32_t flags) {
    const bool isrcValid = isrc.empty() || (isrc.size() == 12 && std::all_of(isrc.begin(), isrc.begin() + 5, [](char c) {
                                               return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c));
                                           }) && std::all_of(isrc.begin() + 5, isrc.end(), [](char c) {
                                               return std::isdigit(static_cast<unsigned char>(c)) != 0;
                                           }));
    if (!isrcValid || flags > (RECORDING_TRACK_PREEMPHASIS | RECORDING_TRACK_COPY_PERMITTED | RECORDING_TRACK_FOUR_CHANNEL))
        RECORDER_FAIL(E_INVALIDARG, "RecordingSession::SetTrackCodes()", ("not an ISRC or flags: " + isrc).c_str());
}

void SessionLayout::CheckCatalog(const std::string& catalog) {
    if (!catalog.empty() && (catalog.size() != 13 || !std::all_of(catalog.begin(), catalog.end(), [](char c) {
                                 return std::isdigit(static_cast<unsigned char>(c)) != 0;
                             })))
        RECORDER_FAIL(E_INVALIDARG, "RecordingSession::SetCatalog()", ("not a catalog number: " + catalog).c_str());
}

CueText SessionLayout::DiscText(const CueText& given, const std::vector<Track>& tracks) {
    auto tagged = std::find_if(tracks.begin(), tracks.end(), [](const Track& track) {
        return !track.tags.album.empty() || !track.tags.performer.empty();
    });
    CueText tags = tagged == tracks.end() ? CueText{} : CueText{tagged->tags.album, tagged->tags.performer};
    return {FirstOf(given.title, tags.title), FirstOf(given.performer, tags.performer)};
}

void SessionLayout::CheckRoom() const {
    if (tracks_.size() >= RedBook::kMaxTracks)
        RECORDER_FAIL(RECORDING_E_TOO_MANY_TRACKS, "RecordingSession::AddFile()", "99 tracks in the layout");
}

std::size_t SessionLayout::Add(Track track) {
    CheckRoom();
    tracks_.push_back(std::move(track));
    return tracks_.size() - 1;
}

void SessionLayout::Clear() {
    tracks_.clear();
    discText_ = {};
    discSongwriter_.clear();
    catalog_.clear();
}

void SessionLayout::Remove(std::size_t index) {
    if (index >= tracks_.size()) RECORDER_FAIL(E_INVALIDARG, "RecordingSession::RemoveTrack()", "no such track");
    tracks_.erase(tracks_.begin() + static_cast<std::ptrdiff_t>(index));
}

void SessionLayout::AddPart(std::size_t index, bool pregap, const TrackPart& part) {
    if (index >= tracks_.size()) RECORDER_FAIL(E_INVALIDARG, "RecordingSession::AddTrackPart()", "no such track");
    Track& track = tracks_[index];
    if (pregap) {
        if (part.bytes % RedBook::kFrameBytes)
            RECORDER_FAIL(E_INVALIDARG, "RecordingSession::AddTrackPart()", "a pregap of whole frames only");
        track.ownPregap = true;
        if (part.bytes) track.pregap.push_back(part);
        return;
    }
    if (track.parts.empty()) track.parts.push_back({track.path, 0, track.audioBytes}); // the whole file so far
    if (part.bytes) track.parts.push_back(part);
    track.audioBytes += part.bytes;
}

void SessionLayout::SetTrackText(std::size_t index, const CueText& text) {
    if (index >= tracks_.size()) RECORDER_FAIL(E_INVALIDARG, "RecordingSession::SetTrackText()", "no such track");
    tracks_[index].text = text;
}

void SessionLayout::SetTrackCodes(std::size_t index, const std::string& isrc, std::uint32_t flags) {
    if (index >= tracks_.size()) RECORDER_FAIL(E_INVALIDARG, "RecordingSession::SetTrackCodes()", "no such track");
    tracks_[index].isrc = isrc;
    tracks_[index].flags = flags;
}

void SessionLayout::SetSongwriter(std::optional<std::size_t> index, const std::string& songwriter) {
    if (!index) {
        discSongwriter_ = songwriter;
        return;
    }
    if (*index >= tracks_.size()) RECORDER_FAIL(E_INVALIDARG, "RecordingSession::SetSongwriter()", "no such track");
    tracks_[*index].songwriter = songwriter;
}

void SessionLayout::SetDiscText(const CueText& text) {
    discText_ = text;
}

void SessionLayout::SetCatalog(const std::string& catalog) {
    catalog_ = catalog;
}

void SessionLayout::UpdateAudioBytes(const std::vector<Track>& measured) {
    for (std::size_t i = 0; i < measured.size() && i < tracks_.size(); ++i) tracks_[i].audioBytes = measured[i].audioBytes;
}

std::vector<std::uint64_t> SessionLayout::AudioBytes() const {
    std::vector<std::uint64_t> bytes;
    for (const Track& track : tracks_) bytes.push_back(track.audioBytes);
    return bytes;
}

std::vector<std::optional<std::uint32_t>> SessionLayout::OwnPregaps(std::size_t first, std::size_t count) const {
    std::vector<std::optional<std::uint32_t>> pregaps;
    for (std::size_t i = first; i < first + count && i < tracks_.size(); ++i)
        pregaps.push_back(tracks_[i].ownPregap
                              ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(tracks_[i].PregapBytes() / RedBook::kFrameBytes))
                              : std::nullopt);
    return pregaps;
}
