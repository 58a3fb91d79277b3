#pragma once
// DiscState: the disc in a virtual drive: its kind and capacity, its sessions and tracks,
// whether it is closed, and what became of the last recording. Kept as a small INI text in
// the drive's image folder so that every process sees what the last one did; a state whose
// origin differs from the drive's configured disc belongs to a disc that has been replaced.
// Also derives the media records a device's media query answers. Plain data; any thread.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RecordingEngineTypes.h"
#include "recorder/CueSheet.h"
#include "recorder/DriveConfig.h"
#include "recorder/SessionPlan.h"
#include "support/ContextException.h"

// What an album gives a track beside its texts (missing in older states: none).
struct TrackCodes {
    std::string isrc;
    std::uint32_t flags = 0; // RECORDING_TRACK_*
    std::string songwriter;
    std::vector<std::string> remarks; // REM lines of the cue sheet (the measured loudness)
    bool operator==(const TrackCodes&) const = default;
};

struct DiscTrack {
    int number = 0;
    int session = 1;
    bool audio = true;
    std::uint32_t startFrame = 0;   // disc position of the track's first frame (its pregap)
    std::uint32_t pregapFrames = 0;
    std::uint32_t lengthFrames = 0; // from index 1
    std::string file;               // image file holding the track; empty: no image of it exists
    std::uint64_t fileOffset = 0;   // byte offset of startFrame in file
    std::string title;
    std::string performer;
    std::optional<std::uint32_t> crc; // of the image bytes from index 1 on; unknown for old states
    TrackCodes codes = {};            // an album track's ISRC, flags and songwriter
};

struct MediaDescription {
    std::int32_t type = RECORDING_MEDIA_NONE;
    RecordingMediaDetails details{};
    RecordingMediaFlags flags{};
    RecordingMediaCapacity capacity{};
};

class DiscState {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(invalid_state, base_exception);

    std::string origin; // DiscConfig::Origin() of the disc this state belongs to
    std::int32_t media = RECORDING_MEDIA_NONE;
    std::uint32_t capacityMinutes = 0;
    bool closed = false;
    int sessions = 0;
    std::uint32_t usedFrames = 0; // end of the last session
    std::vector<DiscTrack> tracks;
    std::string lastRecording;   // "", "complete", "cancelled", "failed 0x8xxxxxxx"
    std::string incompleteImage; // image file of an interrupted recording, beside the state
    CueText discText;            // the disc's CD-Text
    std::string catalog;         // the disc's media catalog number (missing in older states: none)
    std::string songwriter;      // the disc's songwriter
    std::vector<std::string> remarks; // the disc's REM lines of the cue sheet (the album's loudness)
    // Free frames as a real recorder reports them, in place of the figure derived from the
    // capacity and the sessions; never stored.
    std::optional<std::uint32_t> reportedFree;

    // The disc as the drive's configuration describes it before anything was recorded.
    static DiscState FromConfig(const DiscConfig& config);
    // Throws IniFile::syntax_error or invalid_state.
    static DiscState Parse(std::string_view text);
    std::string Serialize() const;

    bool Present() const { return media != RECORDING_MEDIA_NONE; }
    std::uint32_t CapacityFrames() const;
    std::uint32_t NextSessionStart() const;
    std::uint32_t FreeFrames() const; // 0 when closed or pressed
    int NextTrackNumber() const { return tracks.empty() ? 1 : tracks.back().number + 1; }
    bool HasAudio() const;
    bool HasData() const;

    // Records a written session: its tracks now stand in file, with their texts and CRCs by
    // track of the plan (either list may be short). Each disc text given replaces the old one.
    void AddSession(const SessionPlan& plan, const std::string& file, const std::vector<CueText>& texts,
                    const std::vector<std::uint32_t>& crcs = {}, const CueText& disc = {},
                    const std::vector<TrackCodes>& codes = {});
    // The blank disc of the same kind (a CD-RW after erasing).
    void Erase();
    MediaDescription Describe(const DriveConfig& drive) const;
    // The cue sheet's files: every session whose tracks have an image.
    std::vector<CueFile> CueFiles() const;
    // Image files this state refers to, the incomplete one included.
    std::vector<std::string> ImageFiles() const;

    static bool PlainFileName(std::string_view name);
};
