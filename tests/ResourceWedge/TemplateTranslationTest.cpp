// The dialog, menu and string-table translators over templates built in their binary
// layouts: what is translated, what is copied, and that damaged input fails without a
// read outside the given size.
#include "lib/ResourceWedge/DialogTranslator.h"
#include "lib/ResourceWedge/TemplateTranslation.h"
#include "tests/ResourceWedge/TemplateBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

using namespace templates;

namespace {

// Replaces every "{KEY}" of its table; counts the texts it was given.
class TableTranslator : public TextTranslator {
public:
    std::map<std::u16string, std::u16string> table{
        {u"TITLE", u"Gravure"}, {u"OK", u"D'accord"},
        {u"FILE", u"&Fichier"}, {u"OPEN", u"&Ouvrir"}, {u"RECENT", u"R\u00e9cents"},
        {u"ONE", u"Un"}, {u"EXIT", u"&Quitter"}, {u"HELP", u"&Aide"}};
    int calls = 0;
    bool fail = false;

    bool Translate(const std::u16string& text, std::u16string& result) override {
        ++calls;
        if (fail) throw std::runtime_error("lookup failed");
        bool changed = false;
        result.clear();
        std::size_t pos = 0, open = 0, close = 0;
        while ((open = text.find(u'{', pos)) != std::u16string::npos &&
               (close = text.find(u'}', open)) != std::u16string::npos) {
            auto it = table.find(text.substr(open + 1, close - open - 1));
            result += text.substr(pos, open - pos);
            result += it != table.end() ? it->second : text.substr(open, close - open + 1);
            changed |= it != table.end();
            pos = close + 1;
        }
        result += text.substr(pos);
        return changed;
    }
};

const DialogFont kGuiFont{u"Tahoma", 9};
enum Kind { kDialog, kMenu, kBlock };

struct Outcome {
    TranslateAnswer answer;
    Bytes copy;
};

// Translates a copy of the template held in a block of exactly its size, so that the
// sanitizer sees any read past its end.
Outcome Apply(Kind kind, const Bytes& in, TableTranslator& texts, const DialogFont& font = kGuiFont) {
    auto block = std::make_unique<std::uint8_t[]>(in.size() + !in.size());
    if (!in.empty()) std::memcpy(block.get(), in.data(), in.size());
    Outcome o{TranslateAnswer::failure, {}};
    o.answer = kind == kDialog ? TranslateDialogTemplate(block.get(), in.size(), texts, font, &o.copy)
               : kind == kMenu ? TranslateMenuTemplate(block.get(), in.size(), texts, &o.copy)
                               : TranslateStringBlock(block.get(), in.size(), texts, &o.copy);
    return o;
}

Dialog SampleDialog(bool extended, const std::u16string& title, const std::u16string& ok,
                    const std::u16string& face = u"Tahoma") {
    Dialog d;
    d.extended = extended;
    d.title.text = title;
    d.face = face;
    d.items = {Item{Field{u"BUTTON"}, Field{ok}, {}, 0x50010000, 1},
               Item{Field{u"", 0x82}, Field{u"", 0x65}, {}, 0x50000003, 2},
               Item{Field{u"STATIC"}, Field{u"plain {UNKNOWN}"}, {}, 0x50000000, 3}};
    return d;
}

Bytes Cut(const Bytes& full, std::size_t size) { return Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)); }

} // namespace

TEST(DialogTranslation, KeysAreReplacedAndEverythingElseCopied) {
    struct Case {
        const char* name;
        std::function<void(Dialog& in, Dialog& out, TableTranslator&)> change;
    };
    const Case cases[] = {
        {"keys in title and items", [](Dialog&, Dialog&, TableTranslator&) {}},
        // Items start on four-byte boundaries of the new template: a title whose length
        // changes parity moves them (no font, so the title directly precedes the first item).
        {"odd to even title", [](Dialog& in, Dialog& out, TableTranslator& t) {
             t.table[u"TITLE"] = u"abcd";
             in.style = out.style = 0x80000000;
             in.title.text = u"{TITLE}x";
             out.title.text = u"abcdx";
         }},
        {"even to odd title", [](Dialog& in, Dialog& out, TableTranslator& t) {
             t.table[u"TITLE"] = u"ab";
             in.style = out.style = 0x80000000;
             out.title.text = u"ab";
         }},
        {"creation data", [](Dialog& in, Dialog& out, TableTranslator&) {
             in.items[0].data = out.items[0].data = Bytes{9, 8, 7};
             in.items[1].data = out.items[1].data = Bytes{0xAA, 0xBB, 1, 2};
         }},
        // A zero would otherwise end the title early and shift every later field.
        {"zero in a language text", [](Dialog&, Dialog& out, TableTranslator& t) {
             t.table[u"TITLE"] = std::u16string(u"Grav") + u'\0' + u"ure";
             out.title.text = u"Grav";
         }},
    };
    for (bool extended : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (extended ? " extended" : " normal"));
            TableTranslator texts;
            Dialog in = SampleDialog(extended, u"{TITLE}", u"{OK}"), out = SampleDialog(extended, u"Gravure", u"D'accord");
            c.change(in, out, texts);
            Outcome o = Apply(kDialog, Build(in), texts);
            ASSERT_EQ(o.answer, TranslateAnswer::translated);
            EXPECT_EQ(o.copy, Build(out));
        }
    }
}

TEST(DialogTranslation, FontRuleAndUnchangedAnswers) {
    struct Case {
        std::u16string face;
        DialogFont gui;
        bool replaced;
    };
    const Case cases[] = {
        {u"Arial", kGuiFont, false},
        {u"MS Shell Dlg", kGuiFont, true},
        {u"ms SHELL dlg", kGuiFont, true},
        {u"MS Shell Dlg 2", kGuiFont, false},
        {u"MS Shell Dlg", DialogFont{u"", 9}, false}, // no default face
    };
    for (bool extended : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.face.begin(), c.face.end()) + (extended ? " extended" : " normal"));
            TableTranslator texts;
            Outcome o = Apply(kDialog, Build(SampleDialog(extended, u"No key", u"OK", c.face)), texts, c.gui);
            ASSERT_EQ(o.answer, c.replaced ? TranslateAnswer::translated : TranslateAnswer::unchanged);
            if (!c.replaced) continue;
            Dialog expected = SampleDialog(extended, u"No key", u"OK", u"Tahoma");
            expected.pointSize = 9;
            EXPECT_EQ(o.copy, Build(expected)); // weight, italic and character set kept
        }
    }
}

TEST(DialogTranslation, OrdinalsAreCopiedAndNeverTranslated) {
    for (bool extended : {false, true}) {
        Dialog d;
        d.extended = extended;
        d.menu = Field{u"", 0x10};
        d.cls = Field{u"MyClass"};
        d.title = Field{u"", 7};
        d.items = {Item{Field{u"", 0x80}, Field{u"", 0xFFFE}, {}, 0x50000000, 1}};
        TableTranslator texts;
        EXPECT_EQ(Apply(kDialog, Build(d), texts).answer, TranslateAnswer::unchanged);
        EXPECT_EQ(texts.calls, 0);
    }
}

TEST(DialogTranslation, DamagedOversizedOrMissingInputFails) {
    for (bool extended : {false, true}) {
        Dialog d = SampleDialog(extended, u"{TITLE}", u"{OK}");
        d.items[2].data = Bytes{1, 2, 3, 4, 5, 6};
        const Bytes full = Build(d);
        for (std::size_t size = 0; size < full.size(); ++size) {
            TableTranslator texts;
            EXPECT_EQ(Apply(kDialog, Cut(full, size), texts).answer, TranslateAnswer::failure) << "size " << size;
        }
        // Reading stops at 64 KiB: a title just short of the bound fits, one across it doesn't.
        for (std::size_t units : {30000u, 33000u}) {
            TableTranslator texts;
            Outcome o = Apply(kDialog, Build(SampleDialog(extended, std::u16string(units, u'x') + u"{TITLE}", u"{OK}")), texts);
            EXPECT_EQ(o.answer, units == 30000u ? TranslateAnswer::translated : TranslateAnswer::failure) << units;
        }
    }
    TableTranslator texts;
    Bytes copy;
    const Bytes in = Build(SampleDialog(false, u"{TITLE}", u"{OK}"));
    EXPECT_EQ(TranslateDialogTemplate(nullptr, 100, texts, kGuiFont, &copy), TranslateAnswer::failure);
    EXPECT_EQ(TranslateDialogTemplate(in.data(), in.size(), texts, kGuiFont, nullptr), TranslateAnswer::failure);
    texts.fail = true;
    EXPECT_EQ(Apply(kDialog, in, texts).answer, TranslateAnswer::failure);
}

namespace {

// File > (Open, Recent > (One, <separator>), Exit), Help > (About): the inner list of
// Recent ends before Exit, and Recent's own END bit is clear.
std::vector<MenuItem> SampleMenu(bool translated) {
    auto t = [&](const char16_t* key, const char16_t* text) { return std::u16string(translated ? text : key); };
    MenuItem recent{t(u"{RECENT}", u"R\u00e9cents"), 0, {{t(u"{ONE}", u"Un"), 11}, {u"", 0}}, 5};
    return {{t(u"{FILE}", u"&Fichier"), 0, {{t(u"{OPEN}", u"&Ouvrir"), 10}, recent, {t(u"{EXIT}", u"&Quitter"), 12}}},
            {t(u"{HELP}", u"&Aide"), 0, {{u"About {UNKNOWN}", 20}}}};
}

} // namespace

TEST(MenuTranslation, NestedPopupsAreTranslatedAtEveryDepth) {
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "extended" : "normal");
        TableTranslator texts;
        Outcome o = Apply(kMenu, Build(SampleMenu(false), extended), texts);
        ASSERT_EQ(o.answer, TranslateAnswer::translated);
        EXPECT_EQ(o.copy, Build(SampleMenu(true), extended));
        EXPECT_EQ(texts.calls, 7); // every text but the separator's empty one
    }
}

TEST(MenuTranslation, VersionsAndDamagedMenus) {
    TableTranslator texts;
    Bytes version2 = Build(SampleMenu(false), false);
    version2[0] = 2;
    EXPECT_EQ(Apply(kMenu, version2, texts).answer, TranslateAnswer::failure);
    EXPECT_EQ(Apply(kMenu, Build({{u"Exit", 1}}, false), texts).answer, TranslateAnswer::unchanged);
    for (bool extended : {false, true}) {
        const Bytes full = Build(SampleMenu(false), extended);
        // The extended menu's last item ends in 2 bytes of padding that may be missing.
        for (std::size_t size = 0; size < full.size() - (extended ? 2 : 0); ++size) {
            EXPECT_EQ(Apply(kMenu, Cut(full, size), texts).answer, TranslateAnswer::failure) << "size " << size;
        }
    }
}

TEST(MenuTranslation, LayoutsTheTranslatorMustFollow) {
    // An extended menu without its last item's padding.
    Bytes unpadded = Build({{u"{EXIT}", 1}, {u"{ONE}", 2}}, true);
    unpadded.resize(unpadded.size() - 2);
    // A normal header whose offset word skips four bytes before the first item.
    auto offsetMenu = [](const std::u16string& text) {
        Writer w;
        w.Word(0); w.Word(4); w.Dword(0xDEADBEEF);
        w.Word(0x80); w.Word(1); w.Text(text);
        return w.bytes;
    };
    // 10000 popups inside each other, within the 64 KiB bound: no recursion on the stack.
    Writer deep, deepOut;
    for (Writer* w : {&deep, &deepOut}) {
        w->Word(0); w->Word(0);
        for (int i = 0; i < 10000; ++i) { w->Word(0x90); w->Word(0); }
        w->Word(0x80); w->Word(1); w->Text(w == &deep ? u"{EXIT}" : u"&Quitter");
    }
    const std::pair<Bytes, Bytes> cases[] = {
        {unpadded, Build({{u"&Quitter", 1}, {u"Un", 2}}, true)},
        {offsetMenu(u"{EXIT}"), offsetMenu(u"&Quitter")},
        {deep.bytes, deepOut.bytes},
    };
    for (const auto& [in, out] : cases) {
        TableTranslator texts;
        Outcome o = Apply(kMenu, in, texts);
        ASSERT_EQ(o.answer, TranslateAnswer::translated) << in.size() << " bytes";
        EXPECT_EQ(o.copy, out);
    }
}

TEST(StringBlockTranslation, EntriesAndAnswers) {
    TableTranslator texts;
    Outcome o = Apply(kBlock, BuildBlock({u"", u"{OK}", u"keep", u"{TITLE} {EXIT}"}), texts);
    ASSERT_EQ(o.answer, TranslateAnswer::translated);
    EXPECT_EQ(o.copy, BuildBlock({u"", u"D'accord", u"keep", u"Gravure &Quitter"}));
    // A text longer than a length word can hold is cut.
    texts.table[u"BIG"] = std::u16string(70000, u'z');
    o = Apply(kBlock, BuildBlock({u"{BIG}", u"after"}), texts);
    ASSERT_EQ(o.answer, TranslateAnswer::translated);
    EXPECT_EQ(o.copy, BuildBlock({std::u16string(65535, u'z'), u"after"}));

    EXPECT_EQ(Apply(kBlock, BuildBlock({u"no keys"}), texts).answer, TranslateAnswer::unchanged);
    const Bytes full = BuildBlock({u"{OK}", u"x"});
    EXPECT_EQ(Apply(kBlock, Cut(full, full.size() - 1), texts).answer, TranslateAnswer::nothing_done);
    Bytes copy;
    EXPECT_EQ(TranslateStringBlock(nullptr, 64, texts, &copy), TranslateAnswer::nothing_done);
    texts.fail = true;
    EXPECT_EQ(Apply(kBlock, full, texts).answer, TranslateAnswer::nothing_done);
}
