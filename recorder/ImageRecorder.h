#pragma once
// ImageRecorder: writes the image of one recording session as its SessionPlan lays it out:
// for each track its pregap or pause as silence, then its audio as 16-bit stereo, padded
// with silence to the planned length. Reports each chunk to an observer, which may stop the
// writing with a code (cancel, injected failure), and paces the chunks with a Pacer. Keeps
// the CRC-32 of each track's bytes from index 1 to its end and, when given a way to open the
// image, has an ImageVerifier read each track back while it is written and compare it before
// the track ends. Runs on the recording thread; the observer is called on that thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "recorder/ByteSink.h"
#include "recorder/ByteSource.h"
#include "recorder/Crc32.h"
#include "recorder/ImageVerifier.h"
#include "recorder/Pacer.h"
#include "recorder/SessionPlan.h"
#include "recorder/AudioSource.h"
#include "support/ContextException.h"

class ImageRecorder {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(image_write_failure, base_exception); // the sink refused bytes
    FENNEL_EXCEPTION(audio_failure, base_exception);       // a track's audio could not be read
    FENNEL_EXCEPTION(verify_failure, base_exception);      // a track read back differs or is missing

    struct Progress {
        std::size_t track = 0; // index in the plan
        std::uint32_t trackDone = 0, trackTotal = 0;     // frames of this track, pregap included
        std::uint32_t overallDone = 0, overallTotal = 0; // frames of the session
    };

    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void OnTrackStart(std::size_t track) = 0;
        virtual void OnTrackEnd(std::size_t track) = 0;
        // After each written chunk: 0 goes on; any other code stops the writing with it.
        virtual std::int32_t OnChunk(const Progress& progress) = 0;
    };

    // Opens the audio of a track; may throw any ContextException.
    using OpenTrack = std::function<std::unique_ptr<AudioSource>(std::size_t track)>;

    // Opens the image for reading (once, on the verifier's thread); see ImageVerifier::OpenImage.
    using OpenImage = ImageVerifier::OpenImage;

    // Without openImage nothing is read back.
    ImageRecorder(const SessionPlan& plan, OpenTrack open, Observer& observer, Pacer& pacer, OpenImage openImage = {});

    // Where a track's pregap has audio of its own (an album's gaps): opens exactly the
    // pregap's bytes; null for a track whose pregap is silence. Without it, every pregap is.
    void SetPregapSource(OpenTrack openPregap) { openPregap_ = std::move(openPregap); }

    // Writes the image into sink, or nothing when sink is null (a test write). Answers 0 when
    // every frame has been written, the observer's code when it stopped the writing, and
    // RECORDING_E_CANCELLED when the pacer's wait was interrupted.
    std::int32_t Write(ByteSink* sink);
    // CRC-32 of each track written in full, in plan order.
    const std::vector<std::uint32_t>& TrackCrcs() const { return crcs_; }

private:
    // Writes frames frames of the current track; audio from reader (null: silence). Tells
    // verifier (when reading back) how far the image is readable.
    std::int32_t WriteFrames(std::uint32_t frames, AudioSource* reader, std::uint64_t& audioLeft, ByteSink* sink,
                             ImageVerifier* verifier);
    // Durable: on the disk; else only readable by the read-back check.
    static void Flush(ByteSink& sink, bool durable);

    const SessionPlan& plan_;
    OpenTrack open_;
    OpenTrack openPregap_;
    Observer& observer_;
    Pacer& pacer_;
    OpenImage openImage_;
    std::vector<std::uint8_t> buffer_;
    Progress progress_;
    std::uint64_t imageBytes_ = 0; // written so far
    Crc32 crc_;                    // of the current track's audio
    std::vector<std::uint32_t> crcs_;
};
