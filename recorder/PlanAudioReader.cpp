#include "recorder/PlanAudioReader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "recorder/RedBook.h"

PlanAudioReader::PlanAudioReader(const SessionPlan& plan, ImageRecorder::OpenTrack open, std::size_t first,
                                 std::size_t last, bool withPregaps)
    : plan_(plan), open_(std::move(open)), last_(last), withPregaps_(withPregaps), track_(first) {
    for (std::size_t i = first; i <= last && i < plan.tracks.size(); ++i)
        size_ += std::uint64_t{(withPregaps ? plan.tracks[i].pregapFrames : 0) + plan.tracks[i].audioFrames} *
                 RedBook::kFrameBytes;
}

void PlanAudioReader::NextTrack() {
    if (started_) ++track_;
    started_ = true;
    audio_.reset();
    pregap_.reset();
    carryCount_ = 0;
    silenceBefore_ = audioLeft_ = paddingLeft_ = 0;
    if (track_ > last_ || track_ >= plan_.tracks.size()) return;
    const PlannedTrack& track = plan_.tracks[track_];
    const std::string name = "track " + std::to_string(track_ + 1) + ": ";
    try {
        audio_ = open_(track_);
    } catch (const ContextException& e) {
        FENNEL_THROW(ImageRecorder::audio_failure, "PlanAudioReader::NextTrack()", (name + e.Context()).c_str());
    }
    if (audio_->OutputBytes() != track.audioBytes)
        FENNEL_THROW(ImageRecorder::audio_failure, "PlanAudioReader::NextTrack()",
                     (name + "the file changed since it was added").c_str());
    silenceBefore_ = withPregaps_ ? std::uint64_t{track.pregapFrames} * RedBook::kFrameBytes : 0;
    try {
        if (withPregaps_ && openPregap_) pregap_ = openPregap_(track_);
    } catch (const ContextException& e) {
        FENNEL_THROW(ImageRecorder::audio_failure, "PlanAudioReader::NextTrack()", (name + e.Context()).c_str());
    }
    audioLeft_ = track.audioBytes;
    paddingLeft_ = std::uint64_t{track.audioFrames} * RedBook::kFrameBytes - track.audioBytes;
}

void PlanAudioReader::Read(std::uint8_t* output, std::size_t size) {
    while (size > 0) {
        if (!started_ || (silenceBefore_ == 0 && audioLeft_ == 0 && paddingLeft_ == 0)) {
            if (started_ && (track_ >= last_ || track_ + 1 >= plan_.tracks.size())) {
                std::memset(output, 0, size);
                return;
            }
            NextTrack();
            continue;
        }
        if (silenceBefore_ > 0 && pregap_) { // the pregap's own audio, in whole frames
            std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, silenceBefore_));
            std::size_t got = 0;
            try {
                got = pregap_->Read(output, count);
            } catch (const ContextException& e) {
                FENNEL_THROW(ImageRecorder::audio_failure, "PlanAudioReader::Read()",
                             ("track " + std::to_string(track_ + 1) + ": " + e.Context()).c_str());
            }
            if (got == 0) AudioEnded();
            silenceBefore_ -= got;
            output += got;
            size -= got;
            continue;
        }
        std::uint64_t& silence = silenceBefore_ > 0 ? silenceBefore_ : paddingLeft_;
        if (silenceBefore_ > 0 || audioLeft_ == 0) {
            std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(size, silence));
            std::memset(output, 0, count);
            silence -= count;
            output += count;
            size -= count;
            continue;
        }
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, audioLeft_));
        std::size_t got = 0;
        if (carryCount_ > 0) { // the rest of a frame split by an earlier read
            got = std::min(want, carryCount_);
            std::memcpy(output, carry_ + (sizeof carry_ - carryCount_), got);
            carryCount_ -= got;
        } else if (want < sizeof carry_) { // less than a frame asked for: read one, keep the rest
            if (ReadAudio(carry_, sizeof carry_) != sizeof carry_) AudioEnded();
            got = want;
            std::memcpy(output, carry_, got);
            carryCount_ = sizeof carry_ - got;
        } else if ((got = ReadAudio(output, want)) == 0) {
            AudioEnded();
        }
        audioLeft_ -= got;
        output += got;
        size -= got;
    }
}

std::size_t PlanAudioReader::ReadAudio(std::uint8_t* output, std::size_t size) {
    try {
        return audio_->Read(output, size);
    } catch (const ContextException& e) {
        FENNEL_THROW(ImageRecorder::audio_failure, "PlanAudioReader::Read()",
                     ("track " + std::to_string(track_ + 1) + ": " + e.Context()).c_str());
    }
}

void PlanAudioReader::AudioEnded() const {
    FENNEL_THROW(ImageRecorder::audio_failure, "PlanAudioReader::Read()",
                 ("track " + std::to_string(track_ + 1) + ": the audio ended early").c_str());
}
