#pragma once
// SessionLayout: the tracks a recording session will write (files, album parts, pregaps,
// texts, ISRCs and flags, songwriters) and the disc's own texts and catalog number, with the
// checks every change makes. Not locked: its owner (RecordingSession) serialises the calls
// and keeps file opening outside its lock through the static members. Owns its tracks by value.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recorder/AudioSource.h"
#include "recorder/CueSheet.h"
#include "recorder/PartsSource.h"
#include "recorder/RedBook.h"

class SessionLayout {
public:
    struct Track {
        std::wstring path; // the (first) file of its audio
        std::string title; // the file name
        std::uint64_t audioBytes = 0;
        AudioTags tags;
        CueText text; // given by the client; an empty text takes the default
        // An album's track: its audio as parts of files (empty: the whole file at path) and,
        // when ownPregap, its pregap too (parts, possibly none: no pregap).
        std::vector<TrackPart> parts;
        std::vector<TrackPart> pregap;
        bool ownPregap = false;
        std::string isrc;        // 12 characters, or none
        std::uint32_t flags = 0; // RECORDING_TRACK_*
        std::string songwriter;

        std::uint64_t PregapBytes() const;

        // The CD-Text recorded: the given texts, else the file's tags, else the file name.
        CueText Recorded() const;
    };

    // A track of the whole file at path, or of the given range of it; opens the file.
    static Track TrackOf(const std::wstring& path, const std::optional<TrackPart>& range);
    // A part of path from startFrame, frames long or to its end (no path: silence); throws
    // EngineFailure.
    static TrackPart PartOf(const std::wstring& path, std::uint64_t startFrame, std::optional<std::uint64_t> frames);
    // Throw EngineFailure(E_INVALIDARG) for a malformed ISRC, flags or catalog number.
    static void CheckCodes(const std::string& isrc, std::uint32_t flags);
    static void CheckCatalog(const std::string& catalog);
    // The disc's CD-Text: the given texts, else the album and performer tags of the first
    // track that carries either.
    static CueText DiscText(const CueText& given, const std::vector<Track>& tracks);

    // Throws EngineFailure(RECORDING_E_TOO_MANY_TRACKS) when no track can be added.
    void CheckRoom() const;
    std::size_t Add(Track track); // its index
    void Clear();                 // also the disc's texts and codes

    // Throw EngineFailure(E_INVALIDARG) for a track not in the layout.
    void Remove(std::size_t index);
    // Appends part to a track's audio or (pregap) to its own pregap.
    void AddPart(std::size_t index, bool pregap, const TrackPart& part);
    void SetTrackText(std::size_t index, const CueText& text);
    void SetTrackCodes(std::size_t index, const std::string& isrc, std::uint32_t flags);
    void SetSongwriter(std::optional<std::size_t> index, const std::string& songwriter); // none: the disc's
    void SetDiscText(const CueText& text);
    void SetCatalog(const std::string& catalog);
    // Takes the audio lengths of tracks measured again (the same tracks, in order).
    void UpdateAudioBytes(const std::vector<Track>& measured);

    const std::vector<Track>& Tracks() const { return tracks_; }
    const CueText& GivenDiscText() const { return discText_; }
    const std::string& DiscSongwriter() const { return discSongwriter_; }
    const std::string& Catalog() const { return catalog_; }
    std::vector<std::uint64_t> AudioBytes() const;
    // The own pregaps in frames (none: the plan's default) of count tracks from first.
    std::vector<std::optional<std::uint32_t>> OwnPregaps(std::size_t first, std::size_t count) const;

private:
    std::vector<Track> tracks_;
    CueText discText_; // given by the client
    std::string discSongwriter_;
    std::string catalog_; // the disc's media catalog number, or none
};
