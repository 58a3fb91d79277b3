#include "app/PluginSettings.h"
#include "lib/Certificate/Certificate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TextConfiguration : public Certificate {
public:
    explicit TextConfiguration(const std::string& text) { Parse(text.data(), text.size()); }
};

TEST(PluginSettingsTest, FieldsReadAsTheirTypesWithNeutralValuesWhenAbsent) {
    TextConfiguration full("Plugin_BurnMethod = TAO\n"
                           "Plugin_UseDiskWithDataTracks = -1\n"
                           "Plugin_UseDiskWithAudioTracks = 2\n"
                           "Plugin_ConfirmCancelBeforeBurnStarted = -1\n"
                           "Plugin_ConfirmCancelAfterBurnStarted = 1\n"
                           "MaxBurnSpeed = 24\n");
    PluginSettings settings(full);
    EXPECT_EQ(1, settings.WriteMethod());
    EXPECT_TRUE(settings.UseDiskWithDataTracks()); // non-zero is yes
    EXPECT_TRUE(settings.UseDiskWithAudioTracks());
    EXPECT_FALSE(settings.ConfirmCancelBeforeBurnStarted()); // only above 0 is yes
    EXPECT_TRUE(settings.ConfirmCancelAfterBurnStarted());
    EXPECT_EQ(24, settings.MaxBurnSpeed());

    TextConfiguration empty("");
    PluginSettings none(empty);
    EXPECT_EQ(3, none.WriteMethod());
    EXPECT_EQ(0, none.MaxBurnSpeed());
    EXPECT_TRUE(none.AllowedExtensions().empty()); // every track is refused
    EXPECT_FALSE(none.UseDiskWithDataTracks());
    EXPECT_FALSE(none.ConfirmCancelAfterBurnStarted());
}

TEST(PluginSettingsTest, AllowedExtensionsAreUpperCaseWithoutEmptyPieces) {
    const struct {
        const char* text;
        std::vector<std::string> expected;
    } cases[] = {
        {"", {}},
        {",wav,,mp3,", {"WAV", "MP3"}},
        {"Wav, wma ,", {"WAV", " WMA "}},
        {",,,", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, PluginSettings::ParseAllowedExtensions(c.text)) << c.text;
}

TEST(PluginSettingsTest, WriteMethodIsExactAndFallsBackToDiscAtOnce) {
    const struct {
        const char* text;
        std::int32_t code;
    } cases[] = {{"DAO", 3}, {"TAO", 1}, {"SAO", 2}, {"tao", 3}, {"", 3}, {"TAO ", 3}};
    for (const auto& c : cases) EXPECT_EQ(c.code, PluginSettings::WriteMethodCode(c.text)) << '"' << c.text << '"';
}

class FakeDevice : public PluginSettings::SpeedDevice {
public:
    std::int32_t speedsResult = 0;
    std::vector<std::uint16_t> write;
    std::vector<std::uint16_t> setCalls;

    std::int32_t GetSpeeds(std::uint32_t, std::vector<std::uint16_t>&, std::vector<std::uint16_t>& w) override {
        w = write;
        return speedsResult;
    }
    std::int32_t SetWriteSpeed(std::uint16_t speed) override {
        setCalls.push_back(speed);
        return static_cast<std::int32_t>(0x80070005); // refusals must not be passed on
    }
};

TEST(PluginSettingsTest, ChooseWriteSpeed) {
    const std::int32_t failed = static_cast<std::int32_t>(0x80004005);
    const struct {
        std::vector<std::uint16_t> speeds;
        std::int32_t limit;
        int mode;
        std::int32_t answer;
        std::vector<std::uint16_t> set;
        std::int32_t speedsResult = 0;
    } cases[] = {
        {{48, 24, 16, 8, 4}, 16, 1, 16, {16}},   // fastest not above the limit
        {{48, 24, 16, 8, 4}, 100, 1, 48, {48}},
        {{48, 24, 16, 8, 4}, 0, 1, 4, {4}},       // none qualifies: the slowest
        {{48, 24, 16, 8, 4}, 10, 2, 16, {16}},    // other modes: slowest not below
        {{48, 24, 16, 8, 4}, 64, 0, 4, {4}},
        {{48, 24, 16, 8, 4}, -1, 1, 4, {4}},      // a negative limit admits nothing
        {{0}, 8, 1, 0, {}},                        // 0 is never set
        {{}, 8, 1, 0, {}},
        {{8}, 8, 1, failed, {}, failed},           // the device's error is passed on
    };
    for (const auto& c : cases) {
        FakeDevice device;
        device.write = c.speeds;
        device.speedsResult = c.speedsResult;
        EXPECT_EQ(c.answer, PluginSettings::ChooseWriteSpeed(device, c.limit, c.mode))
            << "limit " << c.limit << " mode " << c.mode;
        EXPECT_EQ(c.set, device.setCalls) << "limit " << c.limit << " mode " << c.mode;
    }
}

} // namespace
