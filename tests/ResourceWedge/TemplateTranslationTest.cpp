// The dialog, menu and string-table translators over templates built in their binary
// layouts: what is translated, what is copied, and that damaged input fails without a
// read outside the given size.
#include "lib/ResourceWedge/DialogTranslator.h"
#include "lib/ResourceWedge/TemplateTranslation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Templates built from a description in their binary layouts: dialogs, menus and
// string-table blocks, so that a test writes an input and the translation it expects.
namespace templates {

using Bytes = std::vector<std::uint8_t>;

// A name-or-ordinal field: an ordinal when ordinal >= 0, else the text (empty: the zero word).
struct Field { std::u16string text; int ordinal = -1; };

// data: the creation data after the size word.
struct Item { Field cls, title; Bytes data; std::uint32_t style = 0x50000000; std::uint16_t id = 0; };

struct Dialog {
    bool extended = false;
    std::uint32_t style = 0x80000000 | 0x40; // WS_POPUP | DS_SETFONT
    Field menu, cls, title;
    std::uint16_t pointSize = 8;
    std::u16string face = u"Tahoma";
    std::vector<Item> items;
};

struct MenuItem {
    std::u16string text;
    std::uint32_t id = 0;
    std::vector<MenuItem> children = {}; // a popup when not empty
    std::uint32_t helpId = 0;
};

// version 0 or 1 (extended); another version is written with a normal menu's items.
struct Menu { std::uint16_t version = 0; std::vector<MenuItem> items; };

class Writer {
public:
    Bytes bytes;
    void Word(std::uint32_t w) { bytes.insert(bytes.end(), {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8)}); }
    void Dword(std::uint32_t d) { Word(d & 0xFFFF); Word(d >> 16); }
    void Text(const std::u16string& t) { for (char16_t c : t) Word(c); Word(0); }
    void Name(const Field& f) {
        if (f.ordinal >= 0) { Word(0xFFFF); Word(static_cast<std::uint32_t>(f.ordinal)); }
        else if (f.text.empty()) Word(0);
        else Text(f.text);
    }
    void Align4() { while (bytes.size() % 4) bytes.push_back(0); }
};

// Extended templates carry weight 400, not italic, character set 1.
inline Bytes Build(const Dialog& d) {
    Writer w;
    if (d.extended) { w.Word(1); w.Word(0xFFFF); w.Dword(0); w.Dword(0); w.Dword(d.style); }
    else { w.Dword(d.style); w.Dword(0); }
    w.Word(static_cast<std::uint32_t>(d.items.size()));
    w.Word(0); w.Word(0); w.Word(200); w.Word(100);
    w.Name(d.menu); w.Name(d.cls); w.Name(d.title);
    if (d.style & 0x40) {
        w.Word(d.pointSize);
        if (d.extended) { w.Word(400); w.Word(0x0100); }
        w.Text(d.face);
    }
    for (const Item& item : d.items) {
        w.Align4();
        if (d.extended) { w.Dword(0); w.Dword(0); w.Dword(item.style); }
        else { w.Dword(item.style); w.Dword(0); }
        w.Word(5); w.Word(5); w.Word(50); w.Word(14);
        if (d.extended) w.Dword(item.id); else w.Word(item.id);
        w.Name(item.cls); w.Name(item.title);
        w.Word(static_cast<std::uint32_t>(item.data.size()));
        w.bytes.insert(w.bytes.end(), item.data.begin(), item.data.end());
    }
    return w.bytes;
}

inline void BuildItems(Writer& w, const std::vector<MenuItem>& items, bool extended) {
    for (const MenuItem& item : items) {
        const bool last = &item == &items.back(), popup = !item.children.empty();
        if (extended) {
            w.Dword(0); w.Dword(0); w.Dword(item.id); // type, state, id
            w.Word((last ? 0x80 : 0) | (popup ? 0x01 : 0));
            w.Text(item.text);
            w.Align4();
            if (popup) w.Dword(item.helpId);
        } else {
            w.Word((last ? 0x80 : 0) | (popup ? 0x10 : 0));
            if (!popup) w.Word(item.id);
            w.Text(item.text);
        }
        if (popup) BuildItems(w, item.children, extended);
    }
}

inline Bytes Build(const Menu& m) {
    Writer w;
    w.Word(m.version);
    if (m.version == 1) { w.Word(4); w.Dword(0); } else w.Word(0);
    BuildItems(w, m.items, m.version == 1);
    return w.bytes;
}

// A string-table block of 16 entries; missing entries are empty.
inline Bytes BuildBlock(const std::vector<std::u16string>& entries) {
    Writer w;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::u16string t = i < entries.size() ? entries[i] : std::u16string();
        w.Word(static_cast<std::uint32_t>(t.size()));
        for (char16_t c : t) w.Word(c);
    }
    return w.bytes;
}

} // namespace templates

using namespace templates;

namespace {

// Replaces every "{KEY}" of its table.
class TableTranslator : public TextTranslator {
public:
    std::map<std::u16string, std::u16string> table{
        {u"TITLE", u"Gravure"}, {u"OK", u"D'accord"}, {u"ODD", u"abc"}, {u"EVEN", u"ab"},
        {u"FILE", u"&Fichier"}, {u"OPEN", u"&Ouvrir"}, {u"RECENT", u"R\u00e9cents"},
        {u"ONE", u"Un"}, {u"EXIT", u"&Quitter"}, {u"HELP", u"&Aide"}, {u"FFFF", u"\xFFFF\xFFFFGravure"},
        {u"ZERO", std::u16string(u"Grav\0ure", 8)}};
    bool fail = false;

    bool Translate(const std::u16string& text, std::u16string& result) override {
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

struct Outcome { TranslateAnswer answer = TranslateAnswer::failure; Bytes copy; };

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
    d.extended = extended, d.title.text = title, d.face = face;
    d.items = {Item{Field{u"BUTTON"}, Field{ok}, {}, 0x50010000, 1},
               Item{Field{u"", 0x82}, Field{u"", 0x65}, {}, 0x50000003, 2},
               Item{Field{u"STATIC"}, Field{u"plain {UNKNOWN}"}, {}, 0x50000000, 3}};
    return d;
}

templates::Menu SampleMenu(bool extended, bool translated) {
    auto t = [&](const char16_t* key, const char16_t* text) { return std::u16string(translated ? text : key); };
    // File > (Open, Recent > (One, <separator>), Exit), Help > (About): the inner list of
    // Recent ends before Exit, and Recent's own END bit is clear.
    const MenuItem recent{t(u"{RECENT}", u"R\u00e9cents"), 0, {{t(u"{ONE}", u"Un"), 11}, {u"", 0}}, 5};
    const MenuItem file{t(u"{FILE}", u"&Fichier"), 0, {{t(u"{OPEN}", u"&Ouvrir"), 10}, recent, {t(u"{EXIT}", u"&Quitter"), 12}}};
    return {static_cast<std::uint16_t>(extended), {file, {t(u"{HELP}", u"&Aide"), 0, {{u"About {UNKNOWN}", 20}}}}};
}

} // namespace

// Input templates against the exact copies they give, in both layouts; items aligned after
// titles of both parities, and language texts cut where they would shift later fields.
TEST(DialogTranslation, CopiesAreExact) {
    struct Case { const char* name; templates::Dialog in, out; TranslateAnswer answer; DialogFont gui = kGuiFont; }; // out: translated
    for (bool extended : {false, true}) {
        // An empty face: no font.
        const auto dialog = [extended](const std::u16string& title, const std::u16string& ok,
                                       const std::u16string& face, std::uint16_t pointSize = 8, const Bytes& data = {}) {
            templates::Dialog d = SampleDialog(extended, title, ok, face);
            if (face.empty()) d.style &= ~0x40u;
            d.pointSize = pointSize;
            d.items[0].data = data;
            return d;
        };
        const templates::Dialog keyless = dialog(u"No key", u"OK", u"MS Shell Dlg");
        templates::Dialog ordinals[] = {dialog(u"", u"{OK}", u"Arial"), dialog(u"", u"D'accord", u"Arial")};
        for (templates::Dialog& d : ordinals) d.menu = d.title = Field{u"", 7}; // never texts
        const Case cases[] = {
            {"other face", dialog(u"No key", u"OK", u"Arial"), {}, TranslateAnswer::unchanged},
            {"shell face", keyless, dialog(u"No key", u"OK", u"Tahoma", 9), TranslateAnswer::translated},
            {"shell face any case", dialog(u"No key", u"OK", u"ms SHELL dlg"), dialog(u"No key", u"OK", u"Tahoma", 9),
             TranslateAnswer::translated},
            {"longer face", dialog(u"No key", u"OK", u"MS Shell Dlg 2"), {}, TranslateAnswer::unchanged},
            {"no default face", keyless, {}, TranslateAnswer::unchanged, {u"", 9}},
            {"menu and title by ordinal", ordinals[0], ordinals[1], TranslateAnswer::translated},
            {"odd title", dialog(u"{ODD}", u"{EVEN}", u""), dialog(u"abc", u"ab", u""), TranslateAnswer::translated},
            {"even title", dialog(u"{EVEN}", u"{EVEN}", u""), dialog(u"ab", u"ab", u""), TranslateAnswer::translated},
            {"4 bytes of data", dialog(u"{TITLE}", u"{OK}", u"Arial", 8, {1, 2, 3, 4}),
             dialog(u"Gravure", u"D'accord", u"Arial", 8, {1, 2, 3, 4}), TranslateAnswer::translated},
            {"3 bytes of data", dialog(u"{TITLE}", u"{OK}", u"Arial", 8, {9, 8, 7}),
             dialog(u"Gravure", u"D'accord", u"Arial", 8, {9, 8, 7}), TranslateAnswer::translated},
            {"a zero in the language text", dialog(u"{ZERO}", u"{OK}", u"Arial"),
             dialog(u"Grav", u"D'accord", u"Arial"), TranslateAnswer::translated},
            {"a leading 0xFFFF in the language text", dialog(u"{FFFF}", u"{OK}", u"Arial"),
             dialog(u"Gravure", u"D'accord", u"Arial"), TranslateAnswer::translated},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (extended ? " extended" : " normal"));
            TableTranslator texts;
            const Outcome o = Dialog_(Build(c.in), texts, c.gui);
            ASSERT_EQ(o.answer, c.answer);
            if (c.answer == TranslateAnswer::translated) { EXPECT_EQ(o.copy, Build(c.out)); }
        }
    }
}

TEST(DialogTranslation, EveryByteIsReadAndNoneBeyondSixtyFourKilobytes) {
    // The last byte is needed; exactly 64 KiB translates. Other cuts are the fuzz target's.
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

TEST(MenuTranslation, CopiesAndRefusals) {
    const auto cut = [](Bytes bytes, std::size_t bytesLess) { return bytes.resize(bytes.size() - bytesLess), bytes; };
    // A normal header whose offset word skips four bytes before the first item.
    const auto offsetMenu = [](const std::u16string& text) {
        Writer w;
        w.Word(0), w.Word(4), w.Dword(0xDEADBEEF), w.Word(0x80), w.Word(1), w.Text(text);
        return w.bytes;
    };
    // 10000 popups inside each other, within the 64 KiB bound: no recursion.
    const auto deepMenu = [](const std::u16string& text) {
        Writer w;
        w.Word(0), w.Word(0);
        for (int i = 0; i < 10000; ++i) w.Word(0x90), w.Word(0);
        w.Word(0x80), w.Word(1), w.Text(text);
        return w.bytes;
    };
    struct Case { const char* name; Bytes in; TranslateAnswer answer; Bytes copy; };
    const Case cases[] = {
        {"nested popups", Build(SampleMenu(false, false)), TranslateAnswer::translated, Build(SampleMenu(false, true))},
        {"nested extended popups", Build(SampleMenu(true, false)), TranslateAnswer::translated,
         Build(SampleMenu(true, true))},
        {"extended menu without its last item's 2 bytes of padding",
         cut(Build(templates::Menu{1, {{u"{EXIT}", 1}, {u"{ONE}", 2}}}), 2), TranslateAnswer::translated,
         Build(templates::Menu{1, {{u"&Quitter", 1}, {u"Un", 2}}})},
        {"header offset", offsetMenu(u"{EXIT}"), TranslateAnswer::translated, offsetMenu(u"&Quitter")},
        {"deep nesting", deepMenu(u"{EXIT}"), TranslateAnswer::translated, deepMenu(u"&Quitter")},
        {"no keys", Build(templates::Menu{0, {{u"Exit", 1}}}), TranslateAnswer::unchanged, {}},
        {"version 2", Build(templates::Menu{2, {{u"{EXIT}", 1}}}), TranslateAnswer::failure, {}},
        {"version 0x0100", Build(templates::Menu{0x0100, {{u"{EXIT}", 1}}}), TranslateAnswer::failure, {}},
        {"one byte short of the last terminator", cut(Build(SampleMenu(false, false)), 1), TranslateAnswer::failure, {}},
        {"extended: one byte short of it", cut(Build(SampleMenu(true, false)), 3), TranslateAnswer::failure, {}},
    };
    for (const Case& c : cases) {
        TableTranslator texts;
        const Outcome o = Menu_(c.in, texts);
        EXPECT_EQ(o.answer, c.answer) << c.name;
        EXPECT_EQ(o.copy, c.copy) << c.name;
    }
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
