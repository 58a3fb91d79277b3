#pragma once
// RecordingSink: a BurnEventSink that writes every call as one line of text, its slot number
// and arguments ("19", "12 t=0 a.wav p=40", "17 0x80004005 text"). Thread-safe. An optional
// hook sees each line after it was logged.
#include "engine/BurnEventSink.h"
#include "tests/recorder/EngineFixture.h"

#include <functional>
#include <mutex>
#include <string>

class RecordingSink final : public BurnEventSink {
public:
    Lines Get() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }
    // The lines whose slot (first word) keep accepts.
    Lines Get(const std::function<bool(int slot, const std::string& line)>& keep) const {
        Lines out;
        for (const std::string& line : Get())
            if (keep(std::stoi(line), line)) out.push_back(line);
        return out;
    }
    std::function<void(const std::string&)> hook;

    HRESULT MediaChanged(bool present) override { return Add(0, present); }
    HRESULT DeviceStateChanged(bool ready) override { return Add(1, ready); }
    HRESULT EraseStarted() override { return Add(2); }
    HRESULT EraseProgress(std::int32_t percent) override { return Add(3, percent); }
    HRESULT DeviceFailure(HRESULT code) override { return Add(4, Hex(code)); }
    HRESULT EraseCompleted() override { return Add(5); }
    HRESULT RecordingStarted() override { return Add(6); }
    HRESULT RecordingFailedShort(std::int32_t value) override { return Add(7, value); }
    HRESULT StageStarted(std::int32_t stage) override { return Add(8, stage); }
    HRESULT StageProgress(std::int32_t stage, std::int32_t p1, std::int32_t p2) override { return Add(9, stage, p1, p2); }
    HRESULT StageEnded(std::int32_t stage) override { return Add(10, stage); }
    HRESULT StageError(std::int32_t stage, HRESULT code, const std::string& text) override {
        return Add(11, stage, Hex(code), OneLine(text));
    }
    HRESULT TrackStarted(std::int32_t track, const TrackRecord* record, std::int32_t percent) override {
        return Add(12, Track(track, record), "p=" + std::to_string(percent));
    }
    HRESULT TrackProgress(std::int32_t track, const TrackRecord* record, std::int32_t p1, std::int32_t p2) override {
        return Add(13, Track(track, record), p1, p2);
    }
    HRESULT TrackEnded(std::int32_t track, const TrackRecord* record, std::int32_t percent) override {
        return Add(14, Track(track, record), "p=" + std::to_string(percent));
    }
    HRESULT TrackInterrupted(std::int32_t track, const TrackRecord* record) override { return Add(15, Track(track, record)); }
    HRESULT TrackError(std::int32_t track, const TrackRecord* record, HRESULT code, const std::string& text) override {
        return Add(16, Track(track, record), Hex(code), OneLine(text));
    }
    HRESULT RecordingFailed(HRESULT code, const std::string& text) override { return Add(17, Hex(code), OneLine(text)); }
    HRESULT RecordingCancelled(bool byUser) override { return Add(18, byUser); }
    HRESULT RecordingFinished() override { return Add(19); }
    // The controller's slots, which the client never uses.
    HRESULT RunEnded(bool, bool) override { return Add(20); }
    HRESULT TrackPreparationStarted() override { return Add(21); }
    HRESULT CancelRequested(bool*) override { return Add(22); }
    HRESULT TrackPreparationProgress(std::int32_t, const std::string&, std::int32_t) override { return Add(23); }
    HRESULT TrackAccepted(std::int32_t, const std::string&, std::int32_t) override { return Add(24); }
    HRESULT TrackRefused(std::int32_t, const std::string&, HRESULT) override { return Add(25); }
    HRESULT TrackPreparationFinished() override { return Add(26); }

private:
    static std::string Word(const std::string& text) { return text; }
    static std::string Word(std::int32_t value) { return std::to_string(value); }
    static std::string Word(bool value) { return value ? "1" : "0"; }
    // "t=<index> <file name of the record>", "-" for a missing record.
    static std::string Track(std::int32_t track, const TrackRecord* record) {
        return "t=" + std::to_string(track) + " " + (record ? record->path.substr(record->path.find_last_of("\\/") + 1) : "-");
    }
    static std::string OneLine(std::string text) {
        for (char& c : text)
            if (c == '\n' || c == '\r') c = '|';
        return text;
    }
    template <class... Words>
    HRESULT Add(int slot, const Words&... words) {
        const std::string line = (std::to_string(slot) + ... + (" " + Word(words)));
        {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        }
        if (hook) hook(line);
        return S_OK;
    }

    mutable std::mutex mutex_;
    Lines lines_;
};
