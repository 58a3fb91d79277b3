#include "recorder/MfDecoder.h"

#include <mfapi.h>
#include <mferror.h>
#include <wmcodecdsp.h>

#include <algorithm>
#include <cstring>

#include "recorder/ErrorTexts.h"
#include "recorder/SampleConverter.h"

namespace {

constexpr std::uint32_t kCdRate = 44100;
constexpr DWORD kAudioStream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

std::string Failed(const char* what, HRESULT hr) { return std::string(what) + " failed: " + ErrorTexts::Hex(hr); }

// A media buffer's bytes for the object's life.
class BufferLock {
public:
    explicit BufferLock(IMFMediaBuffer* buffer) : buffer_(buffer) {
        hr_ = buffer_->Lock(&data_, nullptr, &length_);
    }
    ~BufferLock() { if (SUCCEEDED(hr_)) buffer_->Unlock(); }
    BufferLock(const BufferLock&) = delete;
    BufferLock& operator=(const BufferLock&) = delete;
    HRESULT Result() const { return hr_; }
    const std::uint8_t* Data() const { return data_; }
    DWORD Length() const { return length_; }

private:
    IMFMediaBuffer* buffer_;
    BYTE* data_ = nullptr;
    DWORD length_ = 0;
    HRESULT hr_;
};

ComPtr<IMFMediaType> PcmType(const MfLibrary& mf, std::uint32_t rate, unsigned channels) {
    ComPtr<IMFMediaType> type;
    HRESULT hr = mf.createMediaType(type.put());
    if (SUCCEEDED(hr)) hr = type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    if (SUCCEEDED(hr)) hr = type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
    if (SUCCEEDED(hr)) hr = type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    if (SUCCEEDED(hr) && rate) {
        hr = type->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, rate);
        if (SUCCEEDED(hr)) hr = type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels);
        if (SUCCEEDED(hr)) hr = type->SetUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, channels * 2);
        if (SUCCEEDED(hr)) hr = type->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, rate * channels * 2);
        if (SUCCEEDED(hr)) hr = type->SetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, TRUE);
    }
    if (FAILED(hr)) FENNEL_THROW(MfDecoder::open_failure, "PcmType()", Failed("making a PCM type", hr).c_str());
    return type;
}

} // namespace

MfDecoder::MfDecoder(const std::wstring& path) {
    HRESULT hr = startup_.Library().createSourceReaderFromUrl(path.c_str(), nullptr, reader_.put());
    if (FAILED(hr)) FENNEL_THROW(open_failure, "MfDecoder::MfDecoder()", Failed("opening the file", hr).c_str());
    hr = reader_->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    if (SUCCEEDED(hr)) hr = reader_->SetStreamSelection(kAudioStream, TRUE);
    if (FAILED(hr)) FENNEL_THROW(open_failure, "MfDecoder::MfDecoder()", Failed("choosing the audio stream", hr).c_str());
    hr = reader_->SetCurrentMediaType(kAudioStream, nullptr, PcmType(startup_.Library(), 0, 0).get());
    if (FAILED(hr)) FENNEL_THROW(open_failure, "MfDecoder::MfDecoder()", Failed("asking for PCM", hr).c_str());
    ComPtr<IMFMediaType> current;
    hr = reader_->GetCurrentMediaType(kAudioStream, current.put());
    UINT32 rate = 0, channels = 0, bits = 0;
    if (SUCCEEDED(hr)) hr = current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
    if (SUCCEEDED(hr)) hr = current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
    if (SUCCEEDED(hr)) hr = current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
    if (FAILED(hr)) FENNEL_THROW(open_failure, "MfDecoder::MfDecoder()", Failed("reading the PCM type", hr).c_str());
    if (bits != 16 || rate == 0 || channels == 0)
        FENNEL_THROW(open_failure, "MfDecoder::MfDecoder()",
                     ("the decoder gives " + std::to_string(channels) + " channels of " + std::to_string(bits) +
                      " bits at " + std::to_string(rate) + " Hz").c_str());
    sourceRate_ = rate;
    sourceChannels_ = channels;
    readerChannels_ = channels;
    if (rate != kCdRate || channels > 2) ConfigureResampler(current.get());
}

void MfDecoder::ConfigureResampler(IMFMediaType* input) {
    HRESULT hr = CoCreateInstance(CLSID_CResamplerMediaObject, nullptr, CLSCTX_INPROC_SERVER, IID_IMFTransform,
                                  resampler_.put_void());
    if (FAILED(hr)) FENNEL_THROW(open_failure, "MfDecoder::ConfigureResampler()", Failed("creating the resampler", hr).c_str());
    unsigned outChannels = std::min(sourceChannels_, 2u);
    hr = resampler_->SetInputType(0, input, 0);
    if (SUCCEEDED(hr)) hr = resampler_->SetOutputType(0, PcmType(startup_.Library(), kCdRate, outChannels).get(), 0);
    if (SUCCEEDED(hr)) hr = resampler_->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0);
    if (FAILED(hr))
        FENNEL_THROW(open_failure, "MfDecoder::ConfigureResampler()",
                     (Failed("resampling", hr) + " (" + std::to_string(sourceChannels_) + " channels at " +
                      std::to_string(sourceRate_) + " Hz)").c_str());
    readerChannels_ = outChannels;
    MFT_OUTPUT_STREAM_INFO info{};
    hr = resampler_->GetOutputStreamInfo(0, &info);
    outputCapacity_ = std::max<std::uint32_t>(SUCCEEDED(hr) ? info.cbSize : 0, 64 * 1024);
}

ComPtr<IMFSample> MfDecoder::NextSample() {
    while (!readerDone_) {
        DWORD stream = 0, flags = 0;
        LONGLONG time = 0;
        ComPtr<IMFSample> sample;
        HRESULT hr = reader_->ReadSample(kAudioStream, 0, &stream, &flags, &time, sample.put());
        if (FAILED(hr) || (flags & MF_SOURCE_READERF_ERROR))
            FENNEL_THROW(decode_failure, "MfDecoder::NextSample()", Failed("decoding", FAILED(hr) ? hr : E_FAIL).c_str());
        if (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED)
            FENNEL_THROW(decode_failure, "MfDecoder::NextSample()", "the audio format changed within the file");
        if (flags & MF_SOURCE_READERF_ENDOFSTREAM) readerDone_ = true;
        if (sample) return sample;
    }
    return {};
}

void MfDecoder::Append(IMFSample* sample, bool fromReader) {
    ComPtr<IMFMediaBuffer> buffer;
    HRESULT hr = sample->ConvertToContiguousBuffer(buffer.put());
    if (FAILED(hr)) FENNEL_THROW(decode_failure, "MfDecoder::Append()", Failed("reading a sample", hr).c_str());
    BufferLock lock(buffer.get());
    if (FAILED(lock.Result())) FENNEL_THROW(decode_failure, "MfDecoder::Append()", Failed("locking a sample", lock.Result()).c_str());
    unsigned channels = fromReader ? sourceChannels_ : readerChannels_;
    std::size_t inFrame = std::size_t{channels} * 2;
    std::size_t frames = lock.Length() / inFrame;
    // Handed-out bytes are dropped before new ones come, so the buffer holds one sample's worth.
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingAt_));
    pendingAt_ = 0;
    std::size_t at = pending_.size();
    pending_.resize(at + frames * kFrameBytes);
    SampleConverter::Convert(lock.Data(), frames, channels, 2, pending_.data() + at);
}

bool MfDecoder::PullResampled() {
    for (;;) {
        ComPtr<IMFSample> sample;
        ComPtr<IMFMediaBuffer> buffer;
        HRESULT hr = startup_.Library().createSample(sample.put());
        if (SUCCEEDED(hr)) hr = startup_.Library().createMemoryBuffer(outputCapacity_, buffer.put());
        if (SUCCEEDED(hr)) hr = sample->AddBuffer(buffer.get());
        if (FAILED(hr)) FENNEL_THROW(decode_failure, "MfDecoder::PullResampled()", Failed("making a sample", hr).c_str());
        MFT_OUTPUT_DATA_BUFFER out{};
        out.pSample = sample.get();
        DWORD status = 0;
        hr = resampler_->ProcessOutput(0, 1, &out, &status);
        const ComPtr<IMFCollection> events = ComPtr<IMFCollection>::Attach(out.pEvents); // not read
        if (hr == MF_E_TRANSFORM_NEED_MORE_INPUT) return pending_.size() > pendingAt_;
        if (FAILED(hr)) FENNEL_THROW(decode_failure, "MfDecoder::PullResampled()", Failed("resampling", hr).c_str());
        Append(sample.get(), false);
        if (!(out.dwStatus & MFT_OUTPUT_DATA_BUFFER_INCOMPLETE) && pending_.size() > pendingAt_) return true;
    }
}

bool MfDecoder::Refill() {
    while (pending_.size() == pendingAt_) {
        if (!resampler_) {
            ComPtr<IMFSample> sample = NextSample();
            if (!sample) return false;
            Append(sample.get(), true);
            continue;
        }
        if (PullResampled()) return true;
        if (drained_) return false;
        ComPtr<IMFSample> sample = NextSample();
        HRESULT hr;
        if (sample) {
            hr = resampler_->ProcessInput(0, sample.get(), 0);
        } else {
            hr = resampler_->ProcessMessage(MFT_MESSAGE_COMMAND_DRAIN, 0);
            drained_ = true;
        }
        if (FAILED(hr)) FENNEL_THROW(decode_failure, "MfDecoder::Refill()", Failed("resampling", hr).c_str());
    }
    return true;
}

std::size_t MfDecoder::Read(std::uint8_t* output, std::size_t size) {
    std::size_t done = 0;
    size -= size % kFrameBytes;
    while (done < size && Refill()) {
        std::size_t count = std::min(size - done, pending_.size() - pendingAt_);
        std::memcpy(output + done, pending_.data() + pendingAt_, count);
        pendingAt_ += count;
        done += count;
    }
    return done;
}

std::uint64_t MfDecoder::Skip(std::uint64_t frames) {
    std::uint64_t done = 0;
    while (done < frames && Refill()) {
        std::uint64_t count = std::min<std::uint64_t>(frames - done, (pending_.size() - pendingAt_) / kFrameBytes);
        pendingAt_ += static_cast<std::size_t>(count) * kFrameBytes;
        done += count;
    }
    return done;
}
