#pragma once
// Builds dialog templates, menu templates and string-table blocks in their binary layouts
// from a description, so that tests can write an input and the translation they expect.
#include <cstdint>
#include <string>
#include <vector>

namespace templates {

using Bytes = std::vector<std::uint8_t>;

// A name-or-ordinal field: an ordinal when ordinal >= 0, else the text (empty: the zero word).
struct Field {
    std::u16string text;
    int ordinal = -1;
};

struct Item {
    Field cls;
    Field title;
    Bytes data; // creation data after the size word
    std::uint32_t style = 0x50000000;
    std::uint16_t id = 0;
};

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
struct Menu {
    std::uint16_t version = 0;
    std::vector<MenuItem> items;
};

class Writer {
public:
    Bytes bytes;
    void Word(std::uint32_t w) {
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((w >> 8) & 0xFF));
    }
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
