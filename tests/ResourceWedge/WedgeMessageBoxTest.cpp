// The program's message boxes through the wedge: every system style shown by the
// program's own box with the language's button captions and the system's answers; other
// languages and unknown styles go to the system's box. Pictures of an English, a French
// and a Japanese box are saved into the build tree's artifacts for a person to look at.
#include "lib/LangStrings/LangSectionSet.h"
#include "tests/GUI/BoxThread.h"
#include "tests/ResourceWedge/WedgeTestSupport.h"
#include "tests/common/ProcessWindows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using wedgetest::StartFrench;

namespace {

const wchar_t kOk[] = L"&D'accord", kCancel[] = L"&Annuler", kAbort[] = L"A&bandonner",
              kRetry[] = L"&R\u00e9essayer", kIgnore[] = L"&Ignorer", kYes[] = L"&Oui", kNo[] = L"&Non",
              kHelp[] = L"&Aide";
const wchar_t kQuestion[] = L"Voulez-vous graver le disque maintenant ? Les pistes de la liste sont "
                            L"\u00e9crites dans l'ordre affich\u00e9.";

} // namespace

TEST(WedgeMessageBox, EveryStyleInTheProgramsOwnBox) {
    ASSERT_TRUE(StartFrench());
    enum Action { kPress, kEscape, kClose, kEnter };
    struct Case {
        UINT style;
        std::vector<std::pair<int, std::wstring>> buttons;
        std::vector<std::pair<Action, int>> steps;
        int result;
    };
    // Styles that can't close ignore Escape and Close; Enter presses the default button.
    const Case cases[] = {
        {MB_OK, {{2, kOk}}, {{kPress, 2}}, IDOK},
        {MB_OK | MB_HELP | MB_ICONERROR, {{2, kOk}, {9, kHelp}}, {{kPress, 9}, {kEscape, 0}}, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, {{1, kOk}, {2, kCancel}}, {{kEnter, 0}}, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {{3, kAbort}, {4, kRetry}, {5, kIgnore}}, {{kEscape, 0}, {kClose, 0}, {kPress, 5}}, IDIGNORE},
        {MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_HELP, {{6, kYes}, {7, kNo}, {2, kCancel}, {9, kHelp}}, {{kEnter, 0}}, IDNO},
        {MB_YESNO | MB_ICONQUESTION, {{6, kYes}, {7, kNo}}, {{kEscape, 0}, {kClose, 0}, {kPress, 7}}, IDNO},
        {MB_RETRYCANCEL | MB_DEFBUTTON3, {{4, kRetry}, {2, kCancel}}, {{kClose, 0}}, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("style 0x" + std::to_string(c.style));
        BoxThread thread([&] { return MessageBoxA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", c.style); });
        HWND box = thread.Find(L"MsgBox");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(WideText(box), L"Gravure");
        EXPECT_EQ(WideText(GetDlgItem(box, 0xFFFF)), kQuestion);
        EXPECT_EQ(ButtonTexts(box), c.buttons);
        for (const auto& [action, id] : c.steps) {
            if (action == kPress) testsupport::PressButton(box, id);
            else if (action == kClose) PostMessageW(box, WM_CLOSE, 0, 0);
            else PostMessageW(box, WM_KEYDOWN, action == kEscape ? VK_ESCAPE : VK_RETURN, 0);
        }
        EXPECT_EQ(thread.Wait(), c.result);
    }
}

TEST(WedgeMessageBox, WideCallsOtherLanguagesAndUnknownStyles) {
    ASSERT_TRUE(StartFrench());
    {
        // No caption: "Error".
        BoxThread thread([] { return MessageBoxW(nullptr, L"{IDS_BUTTON_RECORD}", nullptr, MB_OK); });
        HWND box = thread.Find(L"MsgBox");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(WideText(box), L"Error");
        EXPECT_EQ(WideText(GetDlgItem(box, 0xFFFF)), L"&Graver");
        testsupport::PressButton(box, 2);
        EXPECT_EQ(thread.Wait(), IDOK);
    }
    const std::pair<std::function<int()>, int> cases[] = {
        {[] { return MessageBoxExA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_OK, 0x0407); }, IDOK},
        {[] { return MessageBoxA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_CANCELTRYCONTINUE); }, IDCONTINUE},
    };
    for (const auto& [show, press] : cases) {
        SCOPED_TRACE(press == IDOK ? "another language" : "style 6");
        BoxThread thread(show);
        HWND box = thread.Find(L"#32770");
        ASSERT_NE(box, nullptr) << "the system's box";
        EXPECT_EQ(testsupport::WindowText(box), "{IDS_TITLE}");
        EXPECT_EQ(testsupport::MessageText(box), "{IDS_QUESTION}");
        testsupport::PressButton(box, press);
        EXPECT_EQ(thread.Wait(), press);
    }
}

// The pictures are saved as BMP files.
TEST(WedgeMessageBox, PicturesInThreeLanguages) {
    ASSERT_TRUE(StartFrench());
    struct Case {
        const char* file;
        std::uint16_t language;
        std::wstring caption, text;
        std::vector<std::pair<int, std::wstring>> buttons;
    };
    const Case cases[] = {
        {"msgbox-en.bmp", 0x0409, L"Recording",
         L"Do you want to record the disc now? The tracks of the playlist are written in the order shown.",
         {{6, L"&Yes"}, {7, L"&No"}}},
        {"msgbox-fr.bmp", 0x040C, L"Gravure", kQuestion, {{6, kYes}, {7, kNo}}},
        {"msgbox-ja.bmp", 0x0411, L"\u66f8\u304d\u8fbc\u307f",
         L"\u4eca\u3059\u3050\u30c7\u30a3\u30b9\u30af\u306b\u66f8\u304d\u8fbc\u307f\u307e\u3059\u304b\uff1f",
         {{6, L"\u306f\u3044(&Y)"}, {7, L"\u3044\u3044\u3048(&N)"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        LangSectionSet set(c.language);
        set.AddSection("Shared");
        BoxThread thread([&] { return set.MsgBox(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_YESNO | MB_ICONQUESTION); });
        HWND box = thread.Find(L"MsgBox");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(WideText(box), c.caption);
        EXPECT_EQ(WideText(GetDlgItem(box, 0xFFFF)), c.text);
        EXPECT_EQ(ButtonTexts(box), c.buttons);
        RECT client;
        GetClientRect(box, &client);
        EXPECT_GT(client.right, 100);
        const std::string path = wedgetest::ArtifactsFolder() + "\\" + c.file;
        EXPECT_TRUE(SaveWindowBmp(box, path)) << path;
        testsupport::PressButton(box, 6);
        EXPECT_EQ(thread.Wait(), IDYES);
    }
}
