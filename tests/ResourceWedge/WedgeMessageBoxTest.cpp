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

using wedgetest::StartFrench;

namespace {

// Texts as ReadMessageBox gives them (UTF-8).
const char kOk[] = "&D'accord", kCancel[] = "&Annuler", kYes[] = "&Oui", kNo[] = "&Non";
const char kQuestion[] = "Voulez-vous graver le disque maintenant ? Les pistes de la liste sont "
                         "\u00e9crites dans l'ordre affich\u00e9.";

// Shows the box on a worker thread, compares its texts and presses the button.
void ExpectBox(const std::function<int()>& show, const wchar_t* windowClass, const testsupport::MessageBoxTexts& shown,
               int press, int result, const std::string& picture = "") {
    BoxThread thread(show);
    HWND box = thread.Find(windowClass);
    ASSERT_NE(box, nullptr);
    const testsupport::MessageBoxTexts seen = testsupport::ReadMessageBox(box);
    EXPECT_EQ(seen.caption, shown.caption);
    EXPECT_EQ(seen.text, shown.text);
    if (!shown.buttons.empty()) { EXPECT_EQ(seen.buttons, shown.buttons); }
    if (!picture.empty()) { EXPECT_TRUE(SaveWindowPng(box, wedgetest::ArtifactsFolder() + "\\" + picture)) << picture; }
    EXPECT_TRUE(testsupport::PressButton(box, press));
    EXPECT_EQ(thread.Wait(), result);
}

} // namespace

TEST(WedgeMessageBox, StylesInTheProgramsOwnBox) {
    ASSERT_TRUE(StartFrench());
    struct Case {
        UINT style;
        std::vector<std::string> buttons;
        int press;
        int result;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, {kOk}, 2, IDOK},
        {MB_OKCANCEL, {kOk, kCancel}, 2, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {"A&bandonner", "&R\u00e9essayer", "&Ignorer"}, 5, IDIGNORE},
        {MB_YESNOCANCEL | MB_HELP, {kYes, kNo, kCancel, "&Aide"}, 7, IDNO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style));
        ExpectBox([&] { return MessageBoxA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", c.style); }, L"MsgBox",
                  {"Gravure", kQuestion, c.buttons}, c.press, c.result);
    }
    // A wide call without a caption: "Error".
    ExpectBox([] { return MessageBoxW(nullptr, L"{IDS_BUTTON_RECORD}", nullptr, MB_OK); }, L"MsgBox",
              {"Error", "&Graver", {kOk}}, 2, IDOK);
}

TEST(WedgeMessageBox, OtherLanguagesUnknownStylesAndRefusedTextsGoToTheSystemsBox) {
    ASSERT_TRUE(StartFrench());
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
             const std::uint32_t saved = g_WedgeImpl.LanguageCodePage();
             g_WedgeImpl.SetLanguageCodePage(12345);
             const int answer = MessageBoxW(nullptr, L"{IDS_QUESTION}", L"{IDS_TITLE}", MB_OK);
             g_WedgeImpl.SetLanguageCodePage(saved);
             return answer;
         },
         IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectBox(c.show, L"#32770", {"{IDS_TITLE}", "{IDS_QUESTION}", {}}, c.press, c.press);
    }
}

TEST(WedgeMessageBox, PicturesInThreeLanguages) {
    ASSERT_TRUE(StartFrench());
    struct Case {
        const char* file;
        std::uint16_t language;
        testsupport::MessageBoxTexts shown;
    };
    const Case cases[] = {
        {"msgbox-en.png", 0x0409,
         {"Recording", "Do you want to record the disc now? The tracks of the playlist are written in the order shown.",
          {"&Yes", "&No"}}},
        {"msgbox-fr.png", 0x040C, {"Gravure", kQuestion, {kYes, kNo}}},
        {"msgbox-ja.png", 0x0411,
         {"\u66f8\u304d\u8fbc\u307f", "\u4eca\u3059\u3050\u30c7\u30a3\u30b9\u30af\u306b\u66f8\u304d\u8fbc\u307f\u307e\u3059\u304b\uff1f",
          {"\u306f\u3044(&Y)", "\u3044\u3044\u3048(&N)"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        LangSectionSet set(c.language);
        set.AddSection("Shared");
        ExpectBox([&] { return set.MsgBox(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_YESNO | MB_ICONQUESTION); },
                  L"MsgBox", c.shown, 6, IDYES, c.file);
    }
}
