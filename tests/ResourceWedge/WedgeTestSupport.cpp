#include "tests/ResourceWedge/WedgeTestSupport.h"

#include "lib/LangStrings/LangStrings.h"
#include "lib/ResourceWedge/WedgeStartup.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <utility>

namespace wedgetest {

namespace {

// The keys the English and Japanese pictures need.
const char kEnglish[] =
    "[Shared]\r\n"
    "IDS_TITLE = Recording\r\n"
    "IDS_QUESTION = Do you want to record the disc now? The tracks of the playlist are written in "
    "the order shown.\r\n";

const char kFrench[] =
    "[Shared]\r\n"
    "IDS_TITLE = Gravure\r\n"
    "IDS_BUTTON_RECORD = &Graver\r\n"
    "IDS_STATUS = pr\xEAt\r\n"
    "IDS_OK = D'accord\r\n"
    "IDS_PAGE = Options\r\n"
    "IDS_QUESTION = Voulez-vous graver le disque maintenant ? Les pistes de la liste sont "
    "\xE9" "crites dans l'ordre affich\xE9.\r\n"
    "IDS_MENU_FILE = &Fichier\r\n"
    "IDS_MENU_EXIT = &Quitter\r\n"
    "MSGBOX_OK = &D'accord\r\n"
    "MSGBOX_CANCEL = &Annuler\r\n"
    "MSGBOX_ABORT = A&bandonner\r\n"
    "MSGBOX_RETRY = &R\xE9" "essayer\r\n"
    "MSGBOX_IGNORE = &Ignorer\r\n"
    "MSGBOX_YES = &Oui\r\n"
    "MSGBOX_NO = &Non\r\n"
    "MSGBOX_HELP = &Aide\r\n"
    "<ACCEL VIRTKEY CONTROL N> = <ACCEL VIRTKEY CONTROL O>\r\n";

// The Japanese file, in code page 932.
std::string Japanese() {
    std::string file = "[Shared]\r\n<CODEPAGE 932>\r\n";
    const std::pair<const char*, const wchar_t*> texts[] = {
        {"IDS_TITLE", L"\u66f8\u304d\u8fbc\u307f"},
        {"IDS_QUESTION", L"\u4eca\u3059\u3050\u30c7\u30a3\u30b9\u30af\u306b\u66f8\u304d\u8fbc\u307f\u307e\u3059\u304b\uff1f"},
        {"MSGBOX_YES", L"\u306f\u3044(&Y)"}, {"MSGBOX_NO", L"\u3044\u3044\u3048(&N)"}};
    for (const auto& [key, text] : texts) {
        char bytes[128] = {};
        WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
        file += std::string(key) + " = " + bytes + "\r\n";
    }
    return file;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

bool StartFrench() {
    static bool started = false;
    if (started) return true;
    const std::string folder = testsupport::WindowsPath(std::string(FENNEL_BINARY_DIR) + "/wedge-languages");
    CreateDirectoryA(folder.c_str(), nullptr);
    Write(folder + "\\FN1033.lng", kEnglish);
    Write(folder + "\\FN1036.lng", kFrench);
    Write(folder + "\\FN1041.lng", Japanese());
    SetLoadFailureReporter([](const std::string& text) { ADD_FAILURE() << "language load: " << text; });
    std::string error;
    const std::uint16_t language = StartLocalisation(0x040C, folder, "FN", "lng", "", error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(language, 0x040C);
    return started = error.empty() && language == 0x040C;
}

} // namespace wedgetest
