#pragma once
// DriveConfig: one virtual drive as its section of the drive file describes it: identity,
// abilities, speeds, the disc it holds, the folder that receives its images, pacing, and the
// faults it simulates. Plain data, filled by EngineConfig.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/RecordingEngineTypes.h"

enum class DiscContent { Blank, Audio, Data, Mixed };

struct DiscConfig {
    std::int32_t media = RECORDING_MEDIA_CD_R; // RECORDING_MEDIA_*
    std::uint32_t capacityMinutes = 80;
    DiscContent content = DiscContent::Blank;
    std::uint32_t contentMinutes = 0; // audio or data already on the disc
    std::uint32_t contentTracks = 0;
    bool closed = false;

    // A text naming this disc; a disc state written for another origin belongs to another disc.
    std::string Origin() const;
};

struct FaultConfig {
    std::uint32_t startupMs = 0;      // the engine answers "starting" this long after it starts
    std::uint32_t busyCount = 0;      // the speed query answers "busy" this many times first
    bool mediaInfoFails = false;      // the media query fails as unreadable
    std::uint32_t readyAfterMs = 0;   // not ready this long after the engine starts
    int failAtPercent = -1;           // writing stops with failCode at this percentage (0 to 100)
    std::int32_t failCode = RECORDING_E_BUFFER_UNDERRUN;
    bool refusePrepare = false;       // Prepare answers RECORDING_E_PREPARE_REFUSED
    std::uint64_t imageLimitBytes = 0; // image files fail as on a full disk past this size; 0: none
    int corruptAtPercent = -1;        // image bytes at this percentage are damaged once counted
    int eraseFailAtPercent = -1;      // an erase stops with RECORDING_E_ERASE_FAILED at this percentage
};

struct DriveConfig {
    char letter = 0; // upper case
    std::string name;
    std::uint32_t mediaAbilities = 0; // RECORDING_CAN_*
    std::uint32_t writeFeatures = 0;  // RECORDING_WRITES_*
    std::vector<unsigned> readSpeeds;    // fastest first
    std::vector<unsigned> writeSpeeds;   // CD-R, fastest first
    std::vector<unsigned> rewriteSpeeds; // CD-RW, fastest first
    DiscConfig disc;
    bool ready = true;
    std::string imageFolder; // as written; empty: the default folder for this drive
    std::string imageName = "disc";
    bool paced = true;
    bool verify = true; // each track is read back from the image and its CRC compared
    FaultConfig faults;

    bool CanWrite(std::int32_t media) const;
    bool CanRead(std::int32_t media) const;
};
