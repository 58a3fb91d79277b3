// The program's message boxes through the wedge: system styles shown by the program's own
// box with the language's texts and button captions and the system's answers; other
// languages, unknown styles and texts the language's code page refuses go to the system's
// box. (The box's own rules are MsgBoxTest's.) Pictures of an English, a French and a
// Japanese box are saved into the build tree's artifacts for a person to look at.
#include "lib/LangStrings/LangSectionSet.h"
#include "lib/ResourceWedge/WedgeImpl.h"
#include "tests/GUI/BoxThread.h"
#include "tests/ResourceWedge/WedgeTestSupport.h"
#include "tests/common/ProcessWindows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using wedgetest::ButtonTexts;
using wedgetest::StartFrench;
using wedgetest::WideText;

namespace {

const wchar_t kOk[] = L"&D'accord", kCancel[] = L"&Annuler", kAbort[] = L"A&bandonner",
              kRetry[] = L"&R\u00e9essayer", kIgnore[] = L"&Ignorer", kYes[] = L"&Oui", kNo[] = L"&Non",
              kHelp[] = L"&Aide";
const wchar_t kQuestion[] = L"Voulez-vous graver le disque maintenant ? Les pistes de la liste sont "
                            L"\u00e9crites dans l'ordre affich\u00e9.";

// The wedge's language code page replaced while it lives.
struct LanguageCodePage {
    std::uint32_t saved = g_WedgeImpl.LanguageCodePage();
    explicit LanguageCodePage(std::uint32_t codePage) { g_WedgeImpl.SetLanguageCodePage(codePage); }
    ~LanguageCodePage() { g_WedgeImpl.SetLanguageCodePage(saved); }
};

} // namespace

TEST(WedgeMessageBox, StylesInTheProgramsOwnBox) {
    ASSERT_TRUE(StartFrench());
    struct Case {
        UINT style;
        std::vector<std::pair<int, std::wstring>> buttons;
        int press;
        int result;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, {{2, kOk}}, 2, IDOK},
        {MB_OKCANCEL, {{1, kOk}, {2, kCancel}}, 2, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {{3, kAbort}, {4, kRetry}, {5, kIgnore}}, 5, IDIGNORE},
        {MB_YESNOCANCEL | MB_HELP, {{6, kYes}, {7, kNo}, {2, kCancel}, {9, kHelp}}, 7, IDNO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("style 0x" + std::to_string(c.style));
        BoxThread thread([&] { return MessageBoxA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", c.style); });
        HWND box = thread.Find(L"MsgBox");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(WideText(box), L"Gravure");
        EXPECT_EQ(WideText(GetDlgItem(box, 0xFFFF)), kQuestion);
        EXPECT_EQ(ButtonTexts(box), c.buttons);
        testsupport::PressButton(box, c.press);
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
    struct Case {
        const char* name;
        std::function<int()> show;
        int press;
    };
    const Case cases[] = {
        {"another language", [] { return MessageBoxExA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_OK, 0x0407); }, IDOK},
        {"style 6", [] { return MessageBoxA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_CANCELTRYCONTINUE); }, IDCONTINUE},
        {"a code page that refuses the text",
         [] {
             const LanguageCodePage unknown(12345);
             return MessageBoxW(nullptr, L"{IDS_QUESTION}", L"{IDS_TITLE}", MB_OK);
         },
         IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoxThread thread(c.show);
        HWND box = thread.Find(L"#32770");
        ASSERT_NE(box, nullptr) << "the system's box";
        EXPECT_EQ(testsupport::WindowText(box), "{IDS_TITLE}");
        EXPECT_EQ(testsupport::MessageText(box), "{IDS_QUESTION}");
        testsupport::PressButton(box, c.press);
        EXPECT_EQ(thread.Wait(), c.press);
    }
}

TEST(WedgeMessageBox, PicturesInThreeLanguages) {
    ASSERT_TRUE(StartFrench());
    struct Case {
        const char* file;
        std::uint16_t language;
        std::wstring caption;
        std::wstring text;
        std::vector<std::pair<int, std::wstring>> buttons;
    };
    const Case cases[] = {
        {"msgbox-en.png", 0x0409, L"Recording",
         L"Do you want to record the disc now? The tracks of the playlist are written in the order shown.",
         {{6, L"&Yes"}, {7, L"&No"}}},
        {"msgbox-fr.png", 0x040C, L"Gravure", kQuestion, {{6, kYes}, {7, kNo}}},
        {"msgbox-ja.png", 0x0411, L"\u66f8\u304d\u8fbc\u307f",
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
        const std::string path = wedgetest::ArtifactsFolder() + "\\" + c.file;
        EXPECT_TRUE(SaveWindowPng(box, path)) << path;
        testsupport::PressButton(box, 6);
        EXPECT_EQ(thread.Wait(), IDYES);
    }
}
