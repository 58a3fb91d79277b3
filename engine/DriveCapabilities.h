#pragma once
// DriveCapabilities: the twenty abilities of a recording device, decoded from the two
// capability masks of the engine. The caller sets version to 1 before asking.
#include <cstdint>

struct DriveCapabilities {
    std::uint16_t version = 1;
    // First mask: media abilities, bits 0 to 9.
    std::uint8_t readsCd = 0;
    std::uint8_t readsCdText = 0;
    std::uint8_t readsMultisession = 0;
    std::uint8_t readsAudio = 0;
    std::uint8_t writesCdR = 0;
    std::uint8_t writesCdRw = 0; // first rewrite ability
    std::uint8_t readsCdRw = 0;
    std::uint8_t erasesCdRw = 0; // second rewrite ability
    std::uint8_t testWrite = 0;
    std::uint8_t ejects = 0;
    // Second mask: write methods and features, bits 0 to 9.
    std::uint8_t writesDao = 0;
    std::uint8_t writesTao = 0;
    std::uint8_t writesSao = 0;
    std::uint8_t writesMultisession = 0;
    std::uint8_t underrunProtection = 0;
    std::uint8_t writesCdText = 0;
    std::uint8_t writesAudio = 0;
    std::uint8_t writesData = 0;
    std::uint8_t writesRaw = 0;
    std::uint8_t writesPaced = 0;

    // Fills the twenty flags from the masks; the version stays.
    void Decode(std::uint32_t mediaAbilities, std::uint32_t writeFeatures) {
        using Flag = std::uint8_t DriveCapabilities::*;
        static constexpr Flag kFirst[10] = {&DriveCapabilities::readsCd,     &DriveCapabilities::readsCdText,
                                            &DriveCapabilities::readsMultisession, &DriveCapabilities::readsAudio,
                                            &DriveCapabilities::writesCdR,   &DriveCapabilities::writesCdRw,
                                            &DriveCapabilities::readsCdRw,   &DriveCapabilities::erasesCdRw,
                                            &DriveCapabilities::testWrite,   &DriveCapabilities::ejects};
        static constexpr Flag kSecond[10] = {&DriveCapabilities::writesDao,  &DriveCapabilities::writesTao,
                                             &DriveCapabilities::writesSao,  &DriveCapabilities::writesMultisession,
                                             &DriveCapabilities::underrunProtection, &DriveCapabilities::writesCdText,
                                             &DriveCapabilities::writesAudio, &DriveCapabilities::writesData,
                                             &DriveCapabilities::writesRaw,  &DriveCapabilities::writesPaced};
        for (int bit = 0; bit < 10; ++bit) {
            this->*kFirst[bit] = (mediaAbilities >> bit) & 1u;
            this->*kSecond[bit] = (writeFeatures >> bit) & 1u;
        }
    }
};
static_assert(sizeof(DriveCapabilities) == 22, "twenty one-byte flags after the 16-bit version");
