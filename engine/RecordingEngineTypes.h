#pragma once
// Values shared by the recording engine and its clients: result codes, the status word,
// capability, option and speed bits, and the records filled by a device's media query.
// Portable (no Win32 header): the engine's portable core uses these values too; the COM
// interfaces themselves are in engine/RecordingEngine.h.
#include <cstddef>
#include <cstdint>

constexpr std::int32_t RecordingCode(std::uint32_t value) { return static_cast<std::int32_t>(value); }

// ---- Result codes (32-bit, negative for failure). ----
constexpr std::int32_t RECORDING_E_FILE_NOT_FOUND = RecordingCode(0x80040002);     // audio file missing
constexpr std::int32_t RECORDING_E_TOO_MANY_TRACKS = RecordingCode(0x80040012);    // more than 99 tracks
constexpr std::int32_t RECORDING_E_NOT_READY = RecordingCode(0x80040015);          // drive not ready
constexpr std::int32_t RECORDING_E_UNREADABLE_FILE_TYPE = RecordingCode(0x80040032); // cannot decode the file
constexpr std::int32_t RECORDING_E_NO_SUCH_DEVICE = RecordingCode(0x80040037);     // index, identity or letter
constexpr std::int32_t RECORDING_E_UNSUPPORTED_FILE = RecordingCode(0x800403EE);   // not an audio file type
constexpr std::int32_t RECORDING_E_DISC_FULL = RecordingCode(0x8004044C);          // layout larger than the free space
constexpr std::int32_t RECORDING_E_NO_MEDIA = RecordingCode(0x80040458);           // no disc in the drive
constexpr std::int32_t RECORDING_E_CANNOT_REWRITE = RecordingCode(0x8004045D);     // device can't write or erase CD-RW
constexpr std::int32_t RECORDING_E_MEDIA_NOT_REWRITABLE = RecordingCode(0x800410DB); // erase of a non-CD-RW disc
constexpr std::int32_t RECORDING_E_MEDIA_UNREADABLE = RecordingCode(0x80041100);   // media information unreadable
constexpr std::int32_t RECORDING_E_NOT_INITIALIZED = RecordingCode(0x80041770);    // Initialize not called yet
constexpr std::int32_t RECORDING_E_CANCELLED = RecordingCode(0x80041771);          // stopped by Abort or the cancel query
constexpr std::int32_t RECORDING_E_BAD_AUDIO_FILE = RecordingCode(0x80041772);     // malformed or lying WAV header
constexpr std::int32_t RECORDING_E_DEVICE_BUSY = RecordingCode(0x80041773);        // device busy; ask again later
constexpr std::int32_t RECORDING_E_IMAGE_WRITE = RecordingCode(0x80041774);        // writing the image failed (disk full, ...)
constexpr std::int32_t RECORDING_E_IMAGE_FOLDER = RecordingCode(0x80041775);       // image folder can't be created or written
constexpr std::int32_t RECORDING_E_DISC_CLOSED = RecordingCode(0x80041776);        // disc closed or not writable here
constexpr std::int32_t RECORDING_E_NOT_PREPARED = RecordingCode(0x80041777);       // out of order: record/close without prepare
constexpr std::int32_t RECORDING_E_PREPARE_REFUSED = RecordingCode(0x80041778);    // the device refused to prepare
constexpr std::int32_t RECORDING_E_EMPTY_LAYOUT = RecordingCode(0x80041779);       // nothing to record
constexpr std::int32_t RECORDING_E_STARTING = RecordingCode(0x8004177A);           // engine still starting; ask again later
constexpr std::int32_t RECORDING_E_CONFIGURATION = RecordingCode(0x8004177B);      // drive configuration file unusable
constexpr std::int32_t RECORDING_E_ACTIVE = RecordingCode(0x8004177C);             // a recording or erase is running
constexpr std::int32_t RECORDING_E_AUDIO_READ = RecordingCode(0x8004177D);         // an audio file failed while recording
constexpr std::int32_t RECORDING_E_VERIFY_FAILED = RecordingCode(0x8004177E);      // the image read back differs from the audio
constexpr std::int32_t RECORDING_E_ERASE_FAILED = RecordingCode(0x8004177F);       // the erase stopped part-way
constexpr std::int32_t RECORDING_E_BUFFER_UNDERRUN = RecordingCode(0x80041899);    // the drive's buffer ran empty
constexpr std::int32_t RECORDING_E_RECORDER_FAILED = RecordingCode(0x80041780);   // a real recorder failed a command

// ---- Status word (GetProgress value 1, engine event OnStatusChange). ----
// A client derives the stage from the first matching bit: 0x10 finalizing, 0x80 closing the
// session, 0x20 writing the tracks, 0x08 lead-in, 0x04 buffering, 0x02 preparing, 0x01 starting.
constexpr std::uint32_t RECORDING_STATUS_STARTING = 0x0001;        // stage 1: opening the device
constexpr std::uint32_t RECORDING_STATUS_PREPARING = 0x0002;       // stage 2: opening the audio files
constexpr std::uint32_t RECORDING_STATUS_BUFFERING = 0x0004;       // stage 3: filling the write buffer
constexpr std::uint32_t RECORDING_STATUS_WRITING_LEADIN = 0x0008;  // stage 4: lead-in and table of contents
constexpr std::uint32_t RECORDING_STATUS_FINALIZING = 0x0010;      // stage 7: closing the disc for good
constexpr std::uint32_t RECORDING_STATUS_WRITING_TRACKS = 0x0020;  // stage 5: the tracks themselves
constexpr std::uint32_t RECORDING_STATUS_ERASING = 0x0040;         // a device of this engine is erasing
constexpr std::uint32_t RECORDING_STATUS_CLOSING_SESSION = 0x0080; // stage 6: lead-out, image committed
constexpr std::uint32_t RECORDING_STATUS_PREPARED = 0x0100;        // prepared, waiting for RecordTracks
constexpr std::uint32_t RECORDING_STATUS_WRITTEN = 0x0200;         // tracks written, waiting for CloseDisc

// ---- Capabilities: first mask (media abilities). ----
constexpr std::uint32_t RECORDING_CAN_READ_CD = 0x0001;           // bit 0: pressed CDs and CD-R
constexpr std::uint32_t RECORDING_CAN_READ_CD_TEXT = 0x0002;      // bit 1
constexpr std::uint32_t RECORDING_CAN_READ_MULTISESSION = 0x0004; // bit 2
constexpr std::uint32_t RECORDING_CAN_READ_AUDIO = 0x0008;        // bit 3: digital audio extraction
constexpr std::uint32_t RECORDING_CAN_WRITE_CD_R = 0x0010;        // bit 4
constexpr std::uint32_t RECORDING_CAN_WRITE_CD_RW = 0x0020;       // bit 5: first rewrite ability
constexpr std::uint32_t RECORDING_CAN_READ_CD_RW = 0x0040;        // bit 6
constexpr std::uint32_t RECORDING_CAN_ERASE_CD_RW = 0x0080;       // bit 7: second rewrite ability
constexpr std::uint32_t RECORDING_CAN_TEST_WRITE = 0x0100;        // bit 8: simulated recording
constexpr std::uint32_t RECORDING_CAN_EJECT = 0x0200;             // bit 9

// ---- Capabilities: second mask (write methods and features). ----
constexpr std::uint32_t RECORDING_WRITES_DAO = 0x0001;                 // bit 0: disc-at-once
constexpr std::uint32_t RECORDING_WRITES_TAO = 0x0002;                 // bit 1: track-at-once
constexpr std::uint32_t RECORDING_WRITES_SAO = 0x0004;                 // bit 2: session-at-once
constexpr std::uint32_t RECORDING_WRITES_MULTISESSION = 0x0008;        // bit 3: appends sessions
constexpr std::uint32_t RECORDING_WRITES_UNDERRUN_PROTECTION = 0x0010; // bit 4
constexpr std::uint32_t RECORDING_WRITES_CD_TEXT = 0x0020;             // bit 5
constexpr std::uint32_t RECORDING_WRITES_AUDIO = 0x0040;               // bit 6: Red Book audio
constexpr std::uint32_t RECORDING_WRITES_DATA = 0x0080;                // bit 7: data tracks
constexpr std::uint32_t RECORDING_WRITES_RAW = 0x0100;                 // bit 8: raw sectors
constexpr std::uint32_t RECORDING_WRITES_PACED = 0x0200;               // bit 9: paced to the write speed

// ---- Media type codes (GetMediaInfo value 1); also the media-kind flags of speed lists. ----
constexpr std::int32_t RECORDING_MEDIA_NONE = 0;
constexpr std::int32_t RECORDING_MEDIA_CD_ROM = 1; // pressed, read-only
constexpr std::int32_t RECORDING_MEDIA_CD_R = 2;   // write-once
constexpr std::int32_t RECORDING_MEDIA_CD_RW = 4;  // rewritable, erasable

// ---- Option word of the disc-creation parameters. ----
constexpr std::uint32_t RECORDING_OPTION_DATA_DISC = 1u << 0;   // disc format: data
constexpr std::uint32_t RECORDING_OPTION_AUDIO_DISC = 1u << 1;  // disc format: audio (the one recorded)
constexpr std::uint32_t RECORDING_OPTION_MIXED_DISC = 1u << 2;  // disc format: mixed mode
constexpr std::uint32_t RECORDING_OPTION_TAO_RUNOUT = 1u << 13; // track-at-once with run-out blocks
constexpr std::uint32_t RECORDING_OPTION_TAO_PAUSE = 1u << 14;  // track-at-once with pauses
constexpr std::uint32_t RECORDING_OPTION_SAO = 1u << 15;        // session-at-once: no gaps after track 1
constexpr std::uint32_t RECORDING_OPTION_DAO = 1u << 16;        // disc-at-once: no gaps after track 1
// Levels the tracks' loudness (ITU-R BS.1770-4) towards -18 LUFS, the true peak kept under
// -1 dBTP: one gain per track, or one for the album when the tracks share one.
constexpr std::uint32_t RECORDING_OPTION_LEVEL_LOUDNESS = 1u << 20;
constexpr std::uint32_t RECORDING_OPTION_RESERVED_24 = 1u << 24; // kept, no effect
constexpr std::uint32_t RECORDING_OPTION_RESERVED_26 = 1u << 26; // kept, no effect
constexpr std::uint32_t RECORDING_OPTION_RESERVED_27 = 1u << 27; // kept, no effect
constexpr std::uint32_t RECORDING_OPTION_UNDERRUN_PROTECTION = 1u << 28;
constexpr std::uint32_t RECORDING_OPTION_RESERVED_30 = 1u << 30; // kept, no effect
// Without SAO or DAO the tracks are written track-at-once, each after a pause whose length in
// frames is the first extra value of the parameters (150, two seconds, unless changed).

// ---- Arguments of single operations. ----
constexpr std::int32_t RECORDING_PREPARE_AUDIO = 4;   // IRecordingDisc::Prepare: Red Book audio disc
constexpr std::int32_t RECORDING_RECORD_WRITE = 1;    // RecordTracks: write (0: test write, disc unchanged)
constexpr std::uint32_t RECORDING_ALL_TRACKS = 0x8FFFFFFFu; // RecordTracks last track: to the end
constexpr std::int32_t RECORDING_CLOSE_FINALIZE = 1;  // CloseDisc: close the disc (0: the session only)
constexpr std::int32_t RECORDING_ERASE_FULL = 1;      // Erase: blank the whole disc (0: quick erase)
constexpr std::int32_t RECORDING_ERASE_ASYNC = 2;     // Erase: return at once; follow GetEraseProgress

// ---- Albums (IRecordingDisc::AddTrackPart, SetTrackCodes). ----
constexpr std::int32_t RECORDING_PART_AUDIO = 0;  // the part goes to the track's audio (from index 1)
constexpr std::int32_t RECORDING_PART_PREGAP = 1; // the part goes to the track's own pregap (index 0)
constexpr std::int32_t RECORDING_FRAMES_TO_END = -1; // a range to the file's end
constexpr std::uint32_t RECORDING_TRACK_PREEMPHASIS = 1;    // FLAGS PRE
constexpr std::uint32_t RECORDING_TRACK_COPY_PERMITTED = 2; // FLAGS DCP
constexpr std::uint32_t RECORDING_TRACK_FOUR_CHANNEL = 4;   // FLAGS 4CH

// ---- Speed codes: bit 0 is 1x, bit 1 2x, bit 2 3x, bit k from 3 to 31 is (2k - 2)x. ----
constexpr unsigned RecordingSpeedOfBit(unsigned bit) {
    return bit < 3 ? bit + 1 : (bit < 32 ? 2 * bit - 2 : 0);
}
// The mask bit of a speed in multiples of 176,400 bytes per second; 0 when no bit stands for it.
constexpr std::uint32_t RecordingSpeedMask(unsigned speed) {
    if (speed >= 1 && speed <= 3) return 1u << (speed - 1);
    if (speed >= 4 && speed <= 60 && speed % 2 == 0) return 1u << (speed / 2 + 1);
    return 0;
}

// ---- Records of IRecordingDevice::GetMediaInfo. ----
// Second out-argument: output only (the engine writes version 1).
struct RecordingMediaDetails {
    std::uint16_t version;               // 0: 1
    std::uint16_t sessionCount;          // 2: completed sessions
    std::uint16_t firstTrack;            // 4: number of the first track, 0 on a blank disc
    std::uint16_t lastTrack;             // 6: number of the last track, 0 on a blank disc
    std::uint16_t lastSessionFirstTrack; // 8
    std::uint16_t capacityMinutes;       // 10: 74, 80, ...
    std::uint32_t leadOutFrame;          // 12: frame after the last track, 0 on a blank disc
};
// Third out-argument: the caller sets version to 1.
struct RecordingMediaFlags {
    std::uint16_t version;      // 0: 1 on input
    std::uint8_t blank;         // 2: no track yet
    std::uint8_t rewritable;    // 3: CD-RW
    std::uint8_t appendable;    // 4: open and with room for another session
    std::uint8_t blocked;       // 5: this device can't record on it (closed, pressed, unwritable kind)
    std::uint8_t hasDataTracks; // 6
    std::uint8_t hasAudioTracks; // 7
    std::uint8_t closed;        // 8: finalized
    std::uint8_t incomplete;    // 9: the last recording on it was interrupted
    std::uint16_t reserved;     // 10
};
// Fourth out-argument: the caller sets version to 1. Frames: 75 per second, 2352 bytes each.
struct RecordingMediaCapacity {
    std::uint16_t version;           // 0: 1 on input
    std::uint16_t trackCount;        // 2
    std::uint32_t totalFrames;       // 4: capacity of the blank disc
    std::uint32_t usedFrames;        // 8: sessions written so far, gaps included
    std::uint32_t nextWritableFrame; // 12: where another session would start
    std::uint32_t overheadFrames;    // 16: lead-out, lead-in and pregap another session costs
    std::uint32_t freeFrames;        // 20: audio that still fits (0 when closed or blocked)
};

static_assert(offsetof(RecordingMediaFlags, blocked) == 5 && offsetof(RecordingMediaFlags, hasDataTracks) == 6 &&
              offsetof(RecordingMediaFlags, hasAudioTracks) == 7 && sizeof(RecordingMediaFlags) == 12);
static_assert(offsetof(RecordingMediaCapacity, freeFrames) == 20 && sizeof(RecordingMediaCapacity) == 24);
static_assert(sizeof(RecordingMediaDetails) == 16);
