#pragma once
// MenuTranslator: the part common to the translators of normal and extended menu
// templates. Popups nest by their own item lists; the lists are walked without recursion
// so that a deeply nested template can't exhaust the stack.
#include "lib/ResourceWedge/TemplateTranslator.h"

#include <cstdint>
#include <vector>

class MenuTranslator : public TemplateTranslator {
public:
    using TemplateTranslator::TemplateTranslator;

    // Copies the header and moves to the first item.
    virtual void ReadHeader() = 0;
    // Reads every item list up to the end of the top-level list.
    virtual void ReadItems() = 0;

    // The template's version word: 0 normal, 1 extended.
    static std::uint16_t Version(const void* input, std::size_t size);

protected:
    // Copies the header words and whatever lies between them and the first item, which
    // begins offset bytes after the header's offset word.
    void CopyHeader();

    // Bookkeeping of the open item lists. A popup opens a list; the item that ends a list
    // also ends the parent list when the popup that opened it was its parent's last item.
    void OpenList(bool openerWasLast) { openLists_.push_back(openerWasLast); }
    void CloseList();
    bool AllListsClosed() const { return openLists_.empty(); }

private:
    std::vector<bool> openLists_{false};
};
