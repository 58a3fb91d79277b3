#pragma once
// PlanAudioReader: the program-area bytes of a session plan, front to back, as a recorder
// receives them: for each track its pregap or pause as silence (unless left out), its audio,
// then silence to its planned length. Opens each track's audio when it is reached and checks
// that it still has the length the plan was made from. One reader per write; one thread.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "recorder/AudioSource.h"
#include "recorder/ImageRecorder.h"
#include "recorder/SessionPlan.h"

class PlanAudioReader {
public:
    // Reads the tracks first to last of plan; without pregaps when withPregaps is false.
    PlanAudioReader(const SessionPlan& plan, ImageRecorder::OpenTrack open, std::size_t first, std::size_t last,
                    bool withPregaps);

    // As ImageRecorder::SetPregapSource; before the first Read.
    void SetPregapSource(ImageRecorder::OpenTrack openPregap) { openPregap_ = std::move(openPregap); }

    std::uint64_t Size() const { return size_; }
    // Fills size bytes; throws ImageRecorder::audio_failure. Past the end: silence.
    void Read(std::uint8_t* output, std::size_t size);

private:
    void NextTrack();
    std::size_t ReadAudio(std::uint8_t* output, std::size_t size);
    [[noreturn]] void AudioEnded() const;

    const SessionPlan& plan_;
    ImageRecorder::OpenTrack open_;
    ImageRecorder::OpenTrack openPregap_;
    std::unique_ptr<AudioSource> pregap_; // the current track's pregap audio; null: silence
    const std::size_t last_;
    const bool withPregaps_;
    std::uint64_t size_ = 0;
    std::size_t track_;
    bool started_ = false;
    std::unique_ptr<AudioSource> audio_;
    std::uint64_t silenceBefore_ = 0; // pregap bytes left of the current track
    std::uint64_t audioLeft_ = 0;
    std::uint64_t paddingLeft_ = 0;
    std::uint8_t carry_[4] = {}; // one frame, when a read ends inside it
    std::size_t carryCount_ = 0; // its bytes not yet delivered, at its end
};
