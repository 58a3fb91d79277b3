#include "recorder/ImageRecorder.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "engine/RecordingEngineTypes.h"
#include "recorder/ImageVerifier.h"
#include "recorder/RedBook.h"

ImageRecorder::ImageRecorder(const SessionPlan& plan, OpenTrack open, Observer& observer, Pacer& pacer,
                             OpenImage openImage)
    : plan_(plan), open_(std::move(open)), observer_(observer), pacer_(pacer), openImage_(std::move(openImage)) {}

std::int32_t ImageRecorder::Write(ByteSink* sink) {
    buffer_.assign(std::size_t{pacer_.ChunkFrames()} * RedBook::kFrameBytes, 0);
    progress_ = {};
    imageBytes_ = 0;
    crcs_.clear();
    progress_.overallTotal = plan_.totalFrames;
    // Each track is read back while it is written, and compared once written in full.
    std::optional<ImageVerifier> reading;
    if (sink && openImage_) reading.emplace(openImage_);
    ImageVerifier* verifier = reading ? &*reading : nullptr;
    pacer_.Start();
    for (std::size_t i = 0; i < plan_.tracks.size(); ++i) {
        const PlannedTrack& track = plan_.tracks[i];
        progress_.track = i;
        progress_.trackDone = 0;
        progress_.trackTotal = track.pregapFrames + track.audioFrames;
        observer_.OnTrackStart(i);

        std::unique_ptr<AudioSource> reader;
        try {
            reader = open_(i);
        } catch (const ContextException& e) {
            FENNEL_THROW(audio_failure, "ImageRecorder::Write()", ("track " + std::to_string(i + 1) + ": " + e.Context()).c_str());
        }
        if (reader->OutputBytes() != track.audioBytes)
            FENNEL_THROW(audio_failure, "ImageRecorder::Write()",
                         ("track " + std::to_string(i + 1) + ": the file changed since it was added").c_str());

        std::unique_ptr<AudioSource> pregap;
        try {
            if (openPregap_) pregap = openPregap_(i);
        } catch (const ContextException& e) {
            FENNEL_THROW(audio_failure, "ImageRecorder::Write()", ("track " + std::to_string(i + 1) + ": " + e.Context()).c_str());
        }
        std::uint64_t pregapLeft = pregap ? pregap->OutputBytes() : 0;
        if (std::int32_t code = WriteFrames(track.pregapFrames, pregap.get(), pregapLeft, sink, verifier)) return code;
        std::uint64_t audioLeft = track.audioBytes;
        if (verifier) verifier->BeginTrack(i, imageBytes_);
        crc_ = {};
        if (std::int32_t code = WriteFrames(track.audioFrames, reader.get(), audioLeft, sink, verifier)) return code;
        crcs_.push_back(crc_.Value());
        if (verifier) verifier->EndTrack(imageBytes_, crc_.Value());
        observer_.OnTrackEnd(i);
    }
    if (sink) Flush(*sink, true);
    return 0;
}

void ImageRecorder::Flush(ByteSink& sink, bool durable) {
    try {
        durable ? sink.Flush() : sink.Publish();
    } catch (const ContextException& e) {
        FENNEL_THROW(image_write_failure, "ImageRecorder::Flush()", e.Context());
    }
}

std::int32_t ImageRecorder::WriteFrames(std::uint32_t frames, AudioSource* reader, std::uint64_t& audioLeft,
                                        ByteSink* sink, ImageVerifier* verifier) {
    while (frames > 0) {
        // Chunks end at multiples of the chunk size within the image, so that after a
        // pregap or a track's end the writes fall on page boundaries again.
        std::uint32_t chunk = pacer_.ChunkFrames();
        std::uint32_t count = std::min(frames, chunk - progress_.overallDone % chunk);
        std::size_t bytes = std::size_t{count} * RedBook::kFrameBytes;
        std::size_t filled = 0;
        while (reader && audioLeft > 0 && filled < bytes) {
            std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(bytes - filled, audioLeft));
            std::size_t got;
            try {
                got = reader->Read(buffer_.data() + filled, want);
            } catch (const ContextException& e) {
                FENNEL_THROW(audio_failure, "ImageRecorder::WriteFrames()",
                             ("track " + std::to_string(progress_.track + 1) + ": " + e.Context()).c_str());
            }
            if (got == 0)
                FENNEL_THROW(audio_failure, "ImageRecorder::WriteFrames()",
                             ("track " + std::to_string(progress_.track + 1) + ": the audio ended early").c_str());
            filled += got;
            audioLeft -= got;
        }
        std::memset(buffer_.data() + filled, 0, bytes - filled);
        if (reader) crc_.Update(buffer_.data(), bytes);
        if (sink) {
            try {
                sink->Write(buffer_.data(), bytes);
            } catch (const ContextException& e) {
                FENNEL_THROW(image_write_failure, "ImageRecorder::WriteFrames()", e.Context());
            }
        }
        imageBytes_ += bytes;
        if (verifier) {
            Flush(*sink, false);
            verifier->Published(imageBytes_);
        }
        frames -= count;
        progress_.trackDone += count;
        progress_.overallDone += count;
        if (std::int32_t code = observer_.OnChunk(progress_)) return code;
        if (!pacer_.Advance(count)) return RECORDING_E_CANCELLED;
    }
    return 0;
}
