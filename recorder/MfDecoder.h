#pragma once
// MfDecoder: decodes one audio file through Media Foundation's Source Reader into 16-bit
// PCM, then into the 44,100 Hz stereo frames of an audio CD: mono is doubled, and any other
// rate or channel count goes through the resampler transform. Decodes as it is read, one
// compressed sample at a time, so memory stays bounded whatever the file's length. Owns
// its Media Foundation start-up and every COM object it uses; created, read and destroyed
// on one thread.
#include <mfidl.h>
#include <mfreadwrite.h>
#include <mftransform.h>

#include <cstdint>
#include <string>
#include <vector>

#include "recorder/MfStartup.h"
#include "support/ComPtr.h"
#include "support/ContextException.h"

class MfDecoder {
public:
    struct base_exception : ContextException { using ContextException::ContextException; };
    FENNEL_EXCEPTION(open_failure, base_exception);   // no decoder takes the file, or no audio in it
    FENNEL_EXCEPTION(decode_failure, base_exception); // the file failed part-way

    static constexpr unsigned kFrameBytes = 4;

    explicit MfDecoder(const std::wstring& path);

    std::uint32_t SourceRate() const { return sourceRate_; }
    unsigned SourceChannels() const { return sourceChannels_; }
    bool Resampled() const { return static_cast<bool>(resampler_); }

    // Fills output with up to size bytes (whole frames); answers the count, 0 at the end.
    std::size_t Read(std::uint8_t* output, std::size_t size);
    // Reads and drops up to frames frames; answers how many were dropped.
    std::uint64_t Skip(std::uint64_t frames);

private:
    void ConfigureResampler(IMFMediaType* input);
    // Decodes until pending_ holds audio or the file has ended; false at the end.
    bool Refill();
    // One compressed sample from the reader; null at the end of the stream.
    ComPtr<IMFSample> NextSample();
    bool PullResampled();
    void Append(IMFSample* sample, bool fromReader);

    MfStartup startup_;
    ComPtr<IMFSourceReader> reader_;
    ComPtr<IMFTransform> resampler_;
    std::uint32_t sourceRate_ = 0;
    unsigned sourceChannels_ = 0;
    unsigned readerChannels_ = 0; // channels the reader delivers (before doubling)
    bool readerDone_ = false;
    bool drained_ = false;
    std::vector<std::uint8_t> pending_; // decoded frames not yet handed out
    std::size_t pendingAt_ = 0;
    std::uint32_t outputCapacity_ = 0;
};
