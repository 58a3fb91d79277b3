#pragma once
// A scripted partner for the window tests: the string table's texts unless a test replaces
// them, a queue of event records, and answers and counters for the window's requests.
#include "support/UniqueHandle.h"
#include "ui/BurnWindowPartner.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class FakePartner : public BurnWindowPartner {
public:
    std::map<UINT, std::string> texts; // replaces the string table's text
    std::vector<TrackEntry> tracks{{"C:\\Music\\a.wav"}, {"C:\\Music\\b.mp3"}, {"D:/c.wav"}};
    bool cancelAccepted = true, endAllowed = true;
    int records = 0, cancels = 0, queries = 0;
    std::atomic<int> preparations{0}; // counted on the window's preparation thread
    const UniqueKernelHandle prepared{CreateEventA(nullptr, TRUE, FALSE, nullptr)}; // set by the first preparation
    HWND window = nullptr;
    HANDLE hold = nullptr; // when set, preparation lasts until it is signalled (a long erase)

    // Queues the record and posts its message, as the controller's channel does.
    void PostRecord(UINT message, BurnEventRecord record) {
        auto owned = std::make_unique<BurnEventRecord>(std::move(record));
        const LPARAM address = reinterpret_cast<LPARAM>(owned.get());
        queue_[address] = std::move(owned);
        PostMessageA(window, message, 0, address);
    }
    std::size_t Queued() const { return queue_.size(); }

    std::unique_ptr<BurnEventRecord> TakeRecord(LPARAM address) override {
        auto node = queue_.extract(address);
        return node ? std::move(node.mapped()) : nullptr;
    }
    std::string LoadText(UINT id) const override {
        if (const auto found = texts.find(id); found != texts.end()) return found->second;
        char text[512];
        const int n = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
        return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    EngineClient* EngineAccess() override { return nullptr; }
    bool LevelLoudness() const override { return level; }
    void SetLevelLoudness(bool value) override { level = value; }
    bool level = false;
    const std::vector<TrackEntry>& Tracks() override { return tracks; }
    Modes RunModes() override { return {}; }
    UINT RefusalMessage(HRESULT) const override { return IDS_ERROR_ADDTRACK_DISALLOWED; }
    void PrepareTracks(bool) override {
        ++preparations;
        SetEvent(prepared.get());
        if (hold) WaitForSingleObject(hold, 30000);
    }
    RecordStart Record(HWND) override { return ++records, RecordStart::Recorded; }
    void DiscWaitEnded(DiscWait) override {}
    bool Cancel(HWND) override { return ++cancels, cancelAccepted; }
    bool QueryEndSession(HWND) override { return ++queries, endAllowed; }
    Completion CompleteBurn() override { return Completion::ShowCloseButton; }

private:
    std::map<LPARAM, std::unique_ptr<BurnEventRecord>> queue_;
};
