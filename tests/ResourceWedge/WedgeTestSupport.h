#pragma once
// Shared by the wedge tests: the language start-up in French from the test language files
// (English, French, Japanese).
#include "lib/LangStrings/LangStrings.h"
#include "lib/ResourceWedge/WedgeStartup.h"
#include "tests/common/HostKit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

namespace wedgetest {

// The keys the English and Japanese boxes need.
inline constexpr char kEnglish[] = "[Shared]\r\nIDS_TITLE = Recording\r\nIDS_QUESTION = Do you want to record the disc now? "
                                   "The tracks of the playlist are written in the order shown.\r\n";

inline constexpr char kFrench[] =
    "[Shared]\r\nIDS_TITLE = Gravure\r\nIDS_BUTTON_RECORD = &Graver\r\nIDS_STATUS = pr\xEAt\r\nIDS_OK = D'accord\r\n"
    "IDS_PAGE = Options\r\nIDS_QUESTION = Voulez-vous graver le disque maintenant ? Les pistes de la liste sont "
    "\xE9" "crites dans l'ordre affich\xE9.\r\nIDS_MENU_FILE = &Fichier\r\nIDS_MENU_EXIT = &Quitter\r\n"
    "MSGBOX_OK = &D'accord\r\nMSGBOX_CANCEL = &Annuler\r\nMSGBOX_ABORT = A&bandonner\r\nMSGBOX_RETRY = &R\xE9" "essayer\r\n"
    "MSGBOX_IGNORE = &Ignorer\r\nMSGBOX_YES = &Oui\r\nMSGBOX_NO = &Non\r\nMSGBOX_HELP = &Aide\r\n"
    "<ACCEL VIRTKEY CONTROL N> = <ACCEL VIRTKEY CONTROL O>\r\n";

// The Japanese file, in code page 932 (the texts WedgeMessageBoxTest expects).
inline constexpr char kJapanese[] =
    "[Shared]\r\n<CODEPAGE 932>\r\n"
    "IDS_TITLE = \x8F\x91\x82\xAB\x8D\x9E\x82\xDD\r\n"
    "IDS_QUESTION = \x8D\xA1\x82\xB7\x82\xAE\x83" "f\x83" "B\x83X\x83N\x82\xC9"
    "\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x82\xDC\x82\xB7\x82\xA9\x81H\r\n"
    "MSGBOX_YES = \x82\xCD\x82\xA2(&Y)\r\n"
    "MSGBOX_NO = \x82\xA2\x82\xA2\x82\xA6(&N)\r\n";

// Starts the localisation in French once per process; false when it doesn't come up.
inline bool StartFrench() {
    static bool started = false;
    if (started) return true;
    const std::string folder = testsupport::WindowsPath(std::string(FENNEL_BINARY_DIR) + "/wedge-languages");
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "\\FN1033.lng", std::ios::binary) << kEnglish;
    std::ofstream(folder + "\\FN1036.lng", std::ios::binary) << kFrench;
    std::ofstream(folder + "\\FN1041.lng", std::ios::binary) << kJapanese;
    SetLoadFailureReporter([](const std::string& text) { ADD_FAILURE() << "language load: " << text; });
    std::string error;
    const std::uint16_t language = StartLocalisation(0x040C, folder, "FN", "lng", "", error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(language, 0x040C);
    return started = error.empty() && language == 0x040C;
}

} // namespace wedgetest
