// The dialog, menu and string-table translators over templates built in their binary
// layouts: what is translated, what is copied, and that damaged input fails without a
// read outside the given size.
#include "lib/ResourceWedge/DialogTranslator.h"
#include "lib/ResourceWedge/TemplateTranslation.h"
#include "tests/ResourceWedge/TemplateBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

using namespace templates;

namespace {

// Replaces every "{KEY}" of its table; counts the texts it was given.
class TableTranslator : public TextTranslator {
public:
    std::map<std::u16string, std::u16string> table{
        {u"TITLE", u"Gravure"}, {u"OK", u"D'accord"}, {u"ODD", u"abc"}, {u"EVEN", u"ab"},
        {u"FILE", u"&Fichier"}, {u"OPEN", u"&Ouvrir"}, {u"RECENT", u"R\u00e9cents"},
        {u"ONE", u"Un"}, {u"EXIT", u"&Quitter"}, {u"HELP", u"&Aide"}};
    int calls = 0;
    bool fail = false;

    bool Translate(const std::u16string& text, std::u16string& result) override {
        ++calls;
        if (fail) throw std::runtime_error("lookup failed");
        result = text;
        for (const auto& [key, value] : table) {
            const std::u16string braced = u"{" + key + u"}";
            for (std::size_t at; (at = result.find(braced)) != std::u16string::npos;) result.replace(at, braced.size(), value);
        }
        return result != text;
    }
};

const DialogFont kGuiFont{u"Tahoma", 9};

struct Outcome {
    TranslateAnswer answer = TranslateAnswer::failure;
    Bytes copy;
};

// Runs a translator over a copy of the template in a block of exactly its size, so that
// the sanitizer sees any read past its end.
template <class Translate>
Outcome Run(const Bytes& in, Translate translate) {
    auto block = std::make_unique<std::uint8_t[]>(in.size());
    std::copy(in.begin(), in.end(), block.get());
    Outcome o;
    o.answer = translate(block.get(), in.size(), &o.copy);
    return o;
}

Outcome Dialog_(const Bytes& in, TableTranslator& texts, const DialogFont& font = kGuiFont) {
    return Run(in, [&](const void* p, std::size_t n, Bytes* c) { return TranslateDialogTemplate(p, n, texts, font, c); });
}
Outcome Menu_(const Bytes& in, TableTranslator& texts) {
    return Run(in, [&](const void* p, std::size_t n, Bytes* c) { return TranslateMenuTemplate(p, n, texts, c); });
}
Outcome Block_(const Bytes& in, TableTranslator& texts) {
    return Run(in, [&](const void* p, std::size_t n, Bytes* c) { return TranslateStringBlock(p, n, texts, c); });
}

templates::Dialog SampleDialog(bool extended, const std::u16string& title, const std::u16string& ok,
                               const std::u16string& face = u"Tahoma") {
    templates::Dialog d;
    d.extended = extended;
    d.title.text = title;
    d.face = face;
    d.items = {Item{Field{u"BUTTON"}, Field{ok}, {}, 0x50010000, 1},
               Item{Field{u"", 0x82}, Field{u"", 0x65}, {}, 0x50000003, 2},
               Item{Field{u"STATIC"}, Field{u"plain {UNKNOWN}"}, {}, 0x50000000, 3}};
    return d;
}

} // namespace

TEST(DialogTranslation, FontRuleAndUnchangedAnswers) {
    struct Case {
        const char* name;
        std::u16string face;
        DialogFont gui;
        TranslateAnswer answer;
        std::u16string expectedFace;
        std::uint16_t expectedSize;
    };
    const Case cases[] = {
        {"other face", u"Arial", kGuiFont, TranslateAnswer::unchanged, u"Arial", 8},
        {"shell face", u"MS Shell Dlg", kGuiFont, TranslateAnswer::translated, u"Tahoma", 9},
        {"shell face any case", u"ms SHELL dlg", kGuiFont, TranslateAnswer::translated, u"Tahoma", 9},
        {"longer face", u"MS Shell Dlg 2", kGuiFont, TranslateAnswer::unchanged, u"MS Shell Dlg 2", 8},
        {"no default face", u"MS Shell Dlg", DialogFont{u"", 9}, TranslateAnswer::unchanged, u"MS Shell Dlg", 8},
    };
    for (bool extended : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (extended ? " extended" : " normal"));
            TableTranslator texts;
            Outcome o = Dialog_(Build(SampleDialog(extended, u"No key", u"OK", c.face)), texts, c.gui);
            ASSERT_EQ(o.answer, c.answer);
            if (c.answer != TranslateAnswer::translated) continue;
            auto expected = SampleDialog(extended, u"No key", u"OK", c.expectedFace);
            expected.pointSize = c.expectedSize;
            EXPECT_EQ(o.copy, Build(expected)); // weight, italic and character set kept
        }
    }
}

TEST(DialogTranslation, ItemsStartOnFourByteBoundariesOfTheNewTemplate) {
    // A title of odd length before the first item leaves the input aligned one way and the
    // output the other; the builder aligns each expected template by itself.
    for (bool extended : {false, true}) {
        for (const char16_t* title : {u"{ODD}", u"{EVEN}", u"{ODD}x", u"{EVEN}x"}) {
            TableTranslator texts;
            templates::Dialog in = SampleDialog(extended, title, u"{EVEN}");
            in.style &= ~0x40u; // no font: the title directly precedes the first item
            templates::Dialog out = in;
            texts.Translate(in.title.text, out.title.text);
            out.items[0].title.text = u"ab";
            Outcome o = Dialog_(Build(in), texts);
            ASSERT_EQ(o.answer, TranslateAnswer::translated);
            EXPECT_EQ(o.copy, Build(out)) << "title " << out.title.text.size() << " units";
        }
    }
}

TEST(DialogTranslation, OrdinalsAreCopiedAndNeverTranslated) {
    for (bool extended : {false, true}) {
        templates::Dialog d;
        d.extended = extended;
        d.menu = Field{u"", 0x10};
        d.cls = Field{u"MyClass"};
        d.title = Field{u"", 7};
        d.items = {Item{Field{u"", 0x80}, Field{u"", 0xFFFE}, {}, 0x50000000, 1}};
        TableTranslator texts;
        Outcome o = Dialog_(Build(d), texts);
        EXPECT_EQ(o.answer, TranslateAnswer::unchanged);
        EXPECT_EQ(texts.calls, 0);
    }
}

TEST(DialogTranslation, KeysAreReplacedAndCreationDataIsCopiedWhole) {
    for (bool extended : {false, true}) {
        for (Bytes data : {Bytes{1, 2, 3, 4}, Bytes{9, 8, 7}, Bytes{}}) {
            templates::Dialog in = SampleDialog(extended, u"{TITLE}", u"{OK}");
            in.items[0].data = data;
            in.items[1].data = Bytes{0xAA, 0xBB};
            templates::Dialog out = in;
            out.title.text = u"Gravure";
            out.items[0].title.text = u"D'accord";
            TableTranslator texts;
            Outcome o = Dialog_(Build(in), texts);
            ASSERT_EQ(o.answer, TranslateAnswer::translated);
            EXPECT_EQ(o.copy, Build(out)) << data.size() << " bytes of data";
        }
    }
}

TEST(DialogTranslation, EveryByteIsReadAndNoneBeyondSixtyFourKilobytes) {
    // The template's last byte (the last item's creation data) is needed; a template of
    // exactly 64 KiB translates and one byte more fails. Other cuts are the fuzz target's.
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "extended" : "normal");
        templates::Dialog d = SampleDialog(extended, u"{TITLE}", u"{OK}");
        d.items[2].data = Bytes{1, 2, 3};
        TableTranslator texts;
        Bytes full = Build(d);
        EXPECT_EQ(Dialog_(full, texts).answer, TranslateAnswer::translated);
        full.pop_back();
        EXPECT_EQ(Dialog_(full, texts).answer, TranslateAnswer::failure);

        // A size that ends where the padding before the last item starts: the aligned
        // position lies past the end, though the bytes beyond it are readable.
        templates::Dialog head = d;
        head.items.pop_back();
        while (Build(head).size() % 4 != 2) head.items.back().data.push_back(0);
        templates::Dialog padded = d;
        padded.items[1].data = head.items.back().data;
        const Bytes readable = Build(padded);
        Bytes copy;
        EXPECT_EQ(TranslateDialogTemplate(readable.data(), Build(head).size(), texts, kGuiFont, &copy), TranslateAnswer::failure);

        d.title.text += std::u16string((65536 - Build(d).size()) / 2 - 2, u'x');
        while (Build(d).size() < 65536) d.items[2].data.push_back(0);
        ASSERT_EQ(Build(d).size(), 65536u);
        EXPECT_EQ(Dialog_(Build(d), texts).answer, TranslateAnswer::translated);
        d.items[2].data.push_back(0);
        EXPECT_EQ(Dialog_(Build(d), texts).answer, TranslateAnswer::failure);
    }
}

TEST(DialogTranslation, LanguageTextsThatWouldShiftLaterFieldsAreCut) {
    // A zero would end the title early; a leading 0xFFFF would make it read as an ordinal.
    const std::u16string cases[][2] = {{std::u16string(u"Grav") + u'\0' + u"ure", u"Grav"},
                                       {u"\xFFFF\xFFFFGravure", u"Gravure"}};
    for (const auto& [language, title] : cases) {
        TableTranslator texts;
        texts.table[u"TITLE"] = language;
        Outcome o = Dialog_(Build(SampleDialog(true, u"{TITLE}", u"{OK}")), texts);
        ASSERT_EQ(o.answer, TranslateAnswer::translated);
        EXPECT_EQ(o.copy, Build(SampleDialog(true, title, u"D'accord")));
    }
}

TEST(DialogTranslation, MissingArgumentsShortTemplatesAndTranslatorFailuresAnswerFailure) {
    TableTranslator texts;
    Bytes copy;
    const Bytes in = Build(SampleDialog(false, u"{TITLE}", u"{OK}"));
    EXPECT_EQ(TranslateDialogTemplate(nullptr, 100, texts, kGuiFont, &copy), TranslateAnswer::failure);
    EXPECT_EQ(TranslateDialogTemplate(in.data(), in.size(), texts, kGuiFont, nullptr), TranslateAnswer::failure);
    // Shorter than the 4-byte signature that tells the two layouts apart.
    for (std::size_t size : {2u, 3u}) EXPECT_EQ(Dialog_(Bytes(in.begin(), in.begin() + size), texts).answer, TranslateAnswer::failure);
    texts.fail = true;
    EXPECT_EQ(Dialog_(in, texts).answer, TranslateAnswer::failure);
}

namespace {

templates::Menu SampleMenu(bool extended, bool translated) {
    auto t = [&](const char16_t* key, const char16_t* text) { return std::u16string(translated ? text : key); };
    // File > (Open, Recent > (One, <separator>), Exit), Help > (About): the inner list of
    // Recent ends before Exit, and Recent's own END bit is clear.
    const MenuItem recent{t(u"{RECENT}", u"R\u00e9cents"), 0, {{t(u"{ONE}", u"Un"), 11}, {u"", 0}}, 5};
    const MenuItem file{t(u"{FILE}", u"&Fichier"), 0, {{t(u"{OPEN}", u"&Ouvrir"), 10}, recent, {t(u"{EXIT}", u"&Quitter"), 12}}};
    return {static_cast<std::uint16_t>(extended), {file, {t(u"{HELP}", u"&Aide"), 0, {{u"About {UNKNOWN}", 20}}}}};
}

} // namespace

TEST(MenuTranslation, NestedPopupsAreTranslatedAtEveryDepth) {
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "extended" : "normal");
        TableTranslator texts;
        Outcome o = Menu_(Build(SampleMenu(extended, false)), texts);
        ASSERT_EQ(o.answer, TranslateAnswer::translated);
        EXPECT_EQ(o.copy, Build(SampleMenu(extended, true)));
        EXPECT_EQ(texts.calls, 7); // every text but the separator's empty one
    }
}

TEST(MenuTranslation, VersionsAndDamagedMenus) {
    TableTranslator texts;
    for (std::uint16_t version : {2, 0x0100}) { // the high byte counts
        EXPECT_EQ(Menu_(Build(templates::Menu{version, {{u"{EXIT}", 1}}}), texts).answer, TranslateAnswer::failure) << version;
    }
    EXPECT_EQ(Menu_(Build(templates::Menu{0, {{u"Exit", 1}}}), texts).answer, TranslateAnswer::unchanged);
    for (bool extended : {false, true}) {
        // One byte short of the last text's terminator (the extended menu's last item ends
        // in 2 bytes of padding that may be missing).
        Bytes cut = Build(SampleMenu(extended, false));
        cut.resize(cut.size() - (extended ? 3 : 1));
        EXPECT_EQ(Menu_(cut, texts).answer, TranslateAnswer::failure) << (extended ? "extended" : "normal");
    }
}

TEST(MenuTranslation, AnExtendedMenuMayEndWithoutItsLastPadding) {
    // The last item: 26 bytes, 2 of padding.
    Bytes bytes = Build(templates::Menu{1, {{u"{EXIT}", 1}, {u"{ONE}", 2}}});
    bytes.resize(bytes.size() - 2);
    TableTranslator texts;
    Outcome o = Menu_(bytes, texts);
    ASSERT_EQ(o.answer, TranslateAnswer::translated);
    EXPECT_EQ(o.copy, Build(templates::Menu{1, {{u"&Quitter", 1}, {u"Un", 2}}}));
}

TEST(MenuTranslation, HeaderOffsetIsHonoured) {
    // A normal header whose offset word skips four bytes before the first item.
    auto menu = [](const std::u16string& text) {
        Writer w;
        w.Word(0); w.Word(4); w.Dword(0xDEADBEEF);
        w.Word(0x80); w.Word(1); w.Text(text);
        return w.bytes;
    };
    TableTranslator texts;
    Outcome o = Menu_(menu(u"{EXIT}"), texts);
    ASSERT_EQ(o.answer, TranslateAnswer::translated);
    EXPECT_EQ(o.copy, menu(u"&Quitter"));
}

TEST(MenuTranslation, DeepNestingNeedsNoRecursion) {
    // 10000 popups inside each other, within the 64 KiB bound.
    Writer w;
    w.Word(0); w.Word(0);
    for (int i = 0; i < 10000; ++i) { w.Word(0x90); w.Word(0); }
    w.Word(0x80); w.Word(1); w.Text(u"{EXIT}");
    TableTranslator texts;
    EXPECT_EQ(Menu_(w.bytes, texts).answer, TranslateAnswer::translated);
}

TEST(StringBlockTranslation, EntriesAndAnswers) {
    TableTranslator texts;
    texts.table[u"BIG"] = std::u16string(70000, u'z'); // more than a length word can hold: cut
    Outcome o = Block_(BuildBlock({u"", u"{OK}", u"keep", u"{TITLE} {EXIT}", u"{BIG}", u"after"}), texts);
    ASSERT_EQ(o.answer, TranslateAnswer::translated);
    EXPECT_EQ(o.copy, BuildBlock({u"", u"D'accord", u"keep", u"Gravure &Quitter", std::u16string(65535, u'z'), u"after"}));

    EXPECT_EQ(Block_(BuildBlock({}), texts).answer, TranslateAnswer::unchanged);
    EXPECT_EQ(Block_(BuildBlock({u"no keys"}), texts).answer, TranslateAnswer::unchanged);

    const Bytes full = BuildBlock({u"{OK}", u"x"});
    EXPECT_EQ(Block_(Bytes(full.begin(), full.end() - 1), texts).answer, TranslateAnswer::nothing_done);
    Bytes copy;
    EXPECT_EQ(TranslateStringBlock(nullptr, 64, texts, &copy), TranslateAnswer::nothing_done);
    texts.fail = true;
    EXPECT_EQ(Block_(full, texts).answer, TranslateAnswer::nothing_done);
}
