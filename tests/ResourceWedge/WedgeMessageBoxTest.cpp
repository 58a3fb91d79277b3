// The program's message boxes through the wedge, with the language's texts and button
// captions and the system's answers (the box's own rules are MsgBoxTest's).
#include "lib/LangStrings/LangSectionSet.h"
#include "lib/ResourceWedge/WedgeImpl.h"
#include "tests/GUI/BoxThread.h"
#include "tests/ResourceWedge/WedgeTestSupport.h"
#include "tests/common/HostKit.h"

#include <gtest/gtest.h>

#include <functional>

using wedgetest::StartFrench;

// Texts as ReadMessageBox gives them (UTF-8).
static const char kQuestion[] = "Voulez-vous graver le disque maintenant ? Les pistes de la liste sont "
                                "\u00e9crites dans l'ordre affich\u00e9.";

// Another language, an unknown style and a text the code page refuses go to the system's box.
// The English file lacks the button captions, which then are the box's own.
TEST(WedgeMessageBox, OwnOrSystemBoxInTheLanguage) {
    ASSERT_TRUE(StartFrench());
    const auto ownBox = [](UINT style) { return [style] { return MessageBoxA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", style); }; };
    const auto setBox = [](std::uint16_t language) {
        return [language] { LangSectionSet set(language); set.AddSection("Shared");
                            return set.MsgBox(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_YESNO | MB_ICONQUESTION); };
    };
    const testsupport::MessageBoxTexts untranslated{"{IDS_TITLE}", "{IDS_QUESTION}", {}};
    struct Case { std::function<int()> show; const char* windowClass; testsupport::MessageBoxTexts shown; int press, result; };
    const Case cases[] = {
        {ownBox(MB_ABORTRETRYIGNORE), "MsgBox", {"Gravure", kQuestion, {"A&bandonner", "&R\u00e9essayer", "&Ignorer"}},
         5, IDIGNORE},
        {ownBox(MB_YESNOCANCEL | MB_HELP), "MsgBox", {"Gravure", kQuestion, {"&Oui", "&Non", "&Annuler", "&Aide"}}, 7, IDNO},
        // A wide call without a caption: "Error"; the OK button carries Cancel's identifier.
        {[] { return MessageBoxW(nullptr, L"{IDS_BUTTON_RECORD}", nullptr, MB_OK); }, "MsgBox",
         {"Error", "&Graver", {"&D'accord"}}, 2, IDOK},
        {[] { return MessageBoxExA(nullptr, "{IDS_QUESTION}", "{IDS_TITLE}", MB_OK, 0x0407); }, "#32770", untranslated,
         IDOK, IDOK},
        {ownBox(MB_CANCELTRYCONTINUE), "#32770", untranslated, IDCONTINUE, IDCONTINUE},
        {[] { const std::uint32_t saved = g_WedgeImpl.LanguageCodePage();
              g_WedgeImpl.SetLanguageCodePage(12345);
              const int answer = MessageBoxW(nullptr, L"{IDS_QUESTION}", L"{IDS_TITLE}", MB_OK);
              return g_WedgeImpl.SetLanguageCodePage(saved), answer; }, "#32770", untranslated, IDOK, IDOK},
        {setBox(0x0409), "MsgBox", {"Recording", "Do you want to record the disc now? The tracks of the playlist are written in "
                                    "the order shown.", {"&Yes", "&No"}}, 6, IDYES},
        {setBox(0x0411), "MsgBox", {"\u66f8\u304d\u8fbc\u307f",
                                    "\u4eca\u3059\u3050\u30c7\u30a3\u30b9\u30af\u306b\u66f8\u304d\u8fbc\u307f\u307e\u3059\u304b\uff1f",
                                    {"\u306f\u3044(&Y)", "\u3044\u3044\u3048(&N)"}}, 6, IDYES},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        BoxThread thread(c.show);
        HWND box = thread.Find(c.windowClass);
        ASSERT_NE(box, nullptr);
        const testsupport::MessageBoxTexts seen = testsupport::ReadMessageBox(box);
        EXPECT_EQ(seen.caption, c.shown.caption);
        EXPECT_EQ(seen.text, c.shown.text);
        if (!c.shown.buttons.empty()) { EXPECT_EQ(seen.buttons, c.shown.buttons); }
        EXPECT_TRUE(testsupport::PressButton(box, c.press));
        EXPECT_EQ(thread.Wait(), c.result);
    }
}
