#pragma once
// PluginSettings: the fields the program reads from its signed configuration file, and the
// rules it applies to them: the allowed-extension list, the write-method code and the
// choice of write speed. Every field is read through the configuration's accessors that
// never fail (an absent text field reads as "", an absent number as 0). The extension
// list and the maximum burn speed are loaded together on first use and then held. Owned
// by the application object; the configuration it reads must outlive it.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class Certificate;

class PluginSettings {
public:
    // Field names of the configuration file.
    static constexpr char kRegistryBase[] = "Plugin_RegistryBase";
    static constexpr char kBurnMethod[] = "Plugin_BurnMethod";
    static constexpr char kMaxBurnSpeed[] = "MaxBurnSpeed";
    static constexpr char kAllowedFileExtensions[] = "AllowedFileExtensions";
    static constexpr char kUseDiskWithDataTracks[] = "Plugin_UseDiskWithDataTracks";
    static constexpr char kUseDiskWithAudioTracks[] = "Plugin_UseDiskWithAudioTracks";
    static constexpr char kConfirmCancelBeforeBurnStarted[] = "Plugin_ConfirmCancelBeforeBurnStarted";
    static constexpr char kConfirmCancelAfterBurnStarted[] = "Plugin_ConfirmCancelAfterBurnStarted";
    static constexpr char kCloseAppWhenBurnComplete[] = "Plugin_CloseAppWhenBurnComplete";
    static constexpr char kUpdateExeFilename[] = "Plugin_UpdateExeFilename";

    explicit PluginSettings(Certificate& configuration) : configuration_(configuration) {}
    PluginSettings(const PluginSettings&) = delete;
    PluginSettings& operator=(const PluginSettings&) = delete;

    // The two accessors every field goes through.
    std::string Text(const char* field) const;
    std::int32_t Number(const char* field) const;

    std::string RegistryBase() const { return Text(kRegistryBase); }
    // The code of Plugin_BurnMethod for the recording options (see WriteMethodCode).
    std::int32_t WriteMethod() const { return WriteMethodCode(Text(kBurnMethod)); }
    // Non-zero is yes.
    bool UseDiskWithDataTracks() const { return Number(kUseDiskWithDataTracks) != 0; }
    bool UseDiskWithAudioTracks() const { return Number(kUseDiskWithAudioTracks) != 0; }
    // Greater than 0 is yes.
    bool ConfirmCancelBeforeBurnStarted() const { return Number(kConfirmCancelBeforeBurnStarted) > 0; }
    bool ConfirmCancelAfterBurnStarted() const { return Number(kConfirmCancelAfterBurnStarted) > 0; }
    bool CloseAppWhenBurnComplete() const { return Number(kCloseAppWhenBurnComplete) > 0; }
    std::string UpdateExeFilename() const { return Text(kUpdateExeFilename); }

    // Loaded with MaxBurnSpeed on the first call of either; any thread may make it.
    const std::vector<std::string>& AllowedExtensions();
    std::int32_t MaxBurnSpeed();

    // Upper-cases the whole text and splits it at every ','; empty pieces are dropped, spaces
    // inside or around a piece stay part of it.
    static std::vector<std::string> ParseAllowedExtensions(const std::string& text);

    // Write-method codes of the recording options.
    enum WriteMethodCodes : std::int32_t { kWriteMethodTao = 1, kWriteMethodSao = 2, kWriteMethodDao = 3 };
    // Maps "DAO", "TAO" or "SAO" (exact, case-sensitive) to its code. Any other text, the
    // empty text of an absent field included, gives disc-at-once, the program's preset.
    static std::int32_t WriteMethodCode(const std::string& text);

    // The device side of the write-speed choice.
    class SpeedDevice {
    public:
        virtual ~SpeedDevice() = default;
        // Fills the read and write speeds for a media kind, fastest first; answers a COM result.
        virtual std::int32_t GetSpeeds(std::uint32_t mediaKind, std::vector<std::uint16_t>& readSpeeds,
                                       std::vector<std::uint16_t>& writeSpeeds) = 0;
        virtual std::int32_t SetWriteSpeed(std::uint16_t speed) = 0;
    };
    static constexpr std::uint32_t kWriteSpeedMediaKind = 2;

    // Mode 1 takes the fastest speed not above the limit; any other mode the slowest speed
    // not below it; when none qualifies, the slowest listed speed. The speed is set on the
    // device only when it is above 0 and not above the fastest listed speed; a refusal is
    // not passed on. Answers the chosen speed, or the device's error when its speeds can't
    // be read.
    static std::int32_t ChooseWriteSpeed(SpeedDevice& device, std::int32_t limit, int mode);

private:
    void Load();

    Certificate& configuration_;
    std::once_flag loaded_;
    std::vector<std::string> allowedExtensions_;
    std::int32_t maxBurnSpeed_ = 0;
};
