#pragma once
// The fixture of the process tests: the user's locale English, no recording engine unless a
// case writes a drive file, and the result values of the shipped configuration's area.
#include "FennelRun.h"
#include "common/TempFolder.h"
#include "recorder/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fenneltest {

// The bytes of a WAV file of 16-bit stereo samples (4 s is the disc's minimum).
inline std::string Tune(int seconds) {
    WavBuilder wav;
    wav.samples = WavBuilder::Pattern(static_cast<std::size_t>(seconds) * 44100, 1);
    const WavBuilder::Buffer bytes = wav.Bytes();
    return std::string(bytes.begin(), bytes.end());
}

// A box a run must show: caption, start of its text, buttons (when given), the answer.
struct ExpectedBox {
    std::string caption, text;
    std::vector<std::string> buttons = {};
    int answer = IDOK;
};
using Values = std::map<std::string, std::int32_t>;

class BurnCase : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Area().empty());
        ASSERT_TRUE(english_.Set());
        ASSERT_TRUE(UseDriveFile(kNoEngine));
        ASSERT_TRUE(testsupport::DeleteKeyTree(Area()));
    }
    void TearDown() override { testsupport::DeleteKeyTree(Area()); }

    static const std::string& Area() { return ShippedArea(); }

    // The drive R with the disc lines (unpaced unless they say otherwise), images in the folder.
    void Drive(const std::string& discLines) {
        const auto unless = [&](const char* key, const char* line) { return discLines.find(key) == std::string::npos ? line : ""; };
        const std::string ini = temp_.Write("recorder.ini", "[Drive R]\r\n" + std::string(unless("Name=", "Name=Test Recorder\r\n")) +
                                                            "Images=images\r\nImageName=disc\r\n" + discLines +
                                                            unless("Paced", "Paced=0\r\n"));
        ASSERT_TRUE(UseDriveFile(ini));
    }
    // The disc of the drive file again, as the last process did not leave it.
    void FreshDisc() const {
        DeleteFileA(temp_.File("images\\disc-state.ini").c_str());
        DeleteFileA(temp_.File("images\\disc.cue").c_str());
    }
    Outcome Fennel(const std::string& arguments, const std::vector<int>& answers = {}) {
        return RunFennel(FennelExe(), arguments, temp_.Path(), answers);
    }
    // Runs fennel.exe: exactly these boxes, with no placeholder left, and these values.
    Outcome Expect(const std::string& arguments, const std::vector<ExpectedBox>& boxes, const Values& values) {
        std::vector<int> answers;
        for (const ExpectedBox& box : boxes) answers.push_back(box.answer);
        const Outcome outcome = Fennel(arguments, answers);
        EXPECT_EQ(boxes.size(), outcome.boxes.size());
        for (std::size_t i = 0; i < boxes.size() && i < outcome.boxes.size(); ++i) {
            const ShownBox& box = outcome.boxes[i];
            EXPECT_EQ(boxes[i].caption, box.caption);
            EXPECT_EQ(0u, box.text.rfind(boxes[i].text, 0)) << box.text;
            if (!boxes[i].buttons.empty()) {
                EXPECT_EQ(boxes[i].buttons, box.buttons);
            }
            std::string all = box.caption + box.text;
            for (const std::string& button : box.buttons) all += button;
            EXPECT_EQ(std::string::npos, all.find('{')) << all;
        }
        Values seen;
        for (const std::string& name : testsupport::ValueNames(Area())) seen[name] = Value(name).value_or(-99);
        EXPECT_EQ(values, seen);
        return outcome;
    }
    // A playlist of the named files, created as tunes.
    std::string Playlist(const std::vector<std::string>& names, int seconds = 4) {
        std::string list;
        for (const std::string& name : names) list += temp_.Write(name, Tune(seconds)) + "\r\n";
        return temp_.Write("list.m3u", list);
    }
    static std::optional<std::int32_t> Value(const std::string& name, const std::string& key = Area()) {
        const auto value = testsupport::ReadDword(key, name);
        return value ? std::optional<std::int32_t>(static_cast<std::int32_t>(*value)) : std::nullopt;
    }
    // TrackResults 1 to count; 99 for a value that is missing.
    static std::vector<std::int32_t> Tracks(std::size_t count) {
        std::vector<std::int32_t> values;
        for (std::size_t i = 1; i <= count; ++i) values.push_back(Value(std::to_string(i), Area() + "\\TrackResults").value_or(99));
        return values;
    }
    bool ImageExists() const { return GetFileAttributesA(temp_.File("images\\disc.cue").c_str()) != INVALID_FILE_ATTRIBUTES; }

    UserLocale english_{"00000409"};
    testsupport::TempFolder temp_;
};

} // namespace fenneltest
