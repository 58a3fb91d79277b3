#pragma once
// RecordingSink: a BurnEventSink that writes every call as one line of text ("19",
// "12 t=0 a.wav p=40", "17 0x80004005 text"), so that tests compare event sequences as
// lists. Thread-safe: the client calls it from its own, the worker's and the engine's
// threads. An optional hook sees each line after it was logged (to cancel from a sink, say).
#include "engine/BurnEventSink.h"

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

class RecordingSink final : public BurnEventSink {
public:
    static std::string HexCode(HRESULT code) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
        return text;
    }

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

    HRESULT MediaChanged(bool present) override { return Add("0 " + Flag(present)); }
    HRESULT DeviceStateChanged(bool ready) override { return Add("1 " + Flag(ready)); }
    HRESULT EraseStarted() override { return Add("2"); }
    HRESULT EraseProgress(std::int32_t percent) override { return Add("3 " + std::to_string(percent)); }
    HRESULT DeviceFailure(HRESULT code) override { return Add("4 " + HexCode(code)); }
    HRESULT EraseCompleted() override { return Add("5"); }
    HRESULT RecordingStarted() override { return Add("6"); }
    HRESULT RecordingFailedShort(std::int32_t value) override { return Add("7 " + std::to_string(value)); }
    HRESULT StageStarted(std::int32_t stage) override { return Add("8 " + std::to_string(stage)); }
    HRESULT StageProgress(std::int32_t stage, std::int32_t p1, std::int32_t p2) override {
        return Add("9 " + std::to_string(stage) + " " + std::to_string(p1) + " " + std::to_string(p2));
    }
    HRESULT StageEnded(std::int32_t stage) override { return Add("10 " + std::to_string(stage)); }
    HRESULT StageError(std::int32_t stage, HRESULT code, const std::string& text) override {
        return Add("11 " + std::to_string(stage) + " " + HexCode(code) + " " + OneLine(text));
    }
    HRESULT TrackStarted(std::int32_t track, const TrackRecord* record, std::int32_t percent) override {
        return Add("12 " + Track(track, record) + " p=" + std::to_string(percent));
    }
    HRESULT TrackProgress(std::int32_t track, const TrackRecord* record, std::int32_t p1, std::int32_t p2) override {
        return Add("13 " + Track(track, record) + " " + std::to_string(p1) + " " + std::to_string(p2));
    }
    HRESULT TrackEnded(std::int32_t track, const TrackRecord* record, std::int32_t percent) override {
        return Add("14 " + Track(track, record) + " p=" + std::to_string(percent));
    }
    HRESULT TrackInterrupted(std::int32_t track, const TrackRecord* record) override {
        return Add("15 " + Track(track, record));
    }
    HRESULT TrackError(std::int32_t track, const TrackRecord* record, HRESULT code, const std::string& text) override {
        return Add("16 " + Track(track, record) + " " + HexCode(code) + " " + OneLine(text));
    }
    HRESULT RecordingFailed(HRESULT code, const std::string& text) override {
        return Add("17 " + HexCode(code) + " " + OneLine(text));
    }
    HRESULT RecordingCancelled(bool byUser) override { return Add("18 " + Flag(byUser)); }
    HRESULT RecordingFinished() override { return Add("19"); }
    HRESULT RunEnded(bool ended, bool cancelled) override { return Add("20 " + Flag(ended) + " " + Flag(cancelled)); }
    HRESULT TrackPreparationStarted() override { return Add("21"); }
    HRESULT CancelRequested(bool* cancel) override {
        if (cancel) *cancel = false;
        return Add("22");
    }
    HRESULT TrackPreparationProgress(std::int32_t position, const std::string& path, std::int32_t percent) override {
        return Add("23 " + std::to_string(position) + " " + path + " " + std::to_string(percent));
    }
    HRESULT TrackAccepted(std::int32_t position, const std::string& path, std::int32_t engineTrack) override {
        return Add("24 " + std::to_string(position) + " " + path + " " + std::to_string(engineTrack));
    }
    HRESULT TrackRefused(std::int32_t position, const std::string& path, HRESULT code) override {
        return Add("25 " + std::to_string(position) + " " + path + " " + HexCode(code));
    }
    HRESULT TrackPreparationFinished() override { return Add("26"); }

private:
    static std::string Flag(bool value) { return value ? "1" : "0"; }
    // "t=<index> <file name of the record>", "-" for a missing record.
    static std::string Track(std::int32_t track, const TrackRecord* record) {
        std::string name = record ? record->path.substr(record->path.find_last_of("\\/") + 1) : "-";
        return "t=" + std::to_string(track) + " " + name;
    }
    static std::string OneLine(std::string text) {
        for (char& c : text)
            if (c == '\n' || c == '\r') c = '|';
        return text;
    }
    HRESULT Add(std::string line) {
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
