#include "support/ContextException.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const char kNoName[] = "<exception not named>";


// Appends text to the block at pos, cutting it so that its terminating zero still fits.
// Returns the start of the copied text.
char* Put(char* block, std::size_t size, std::size_t& pos, const char* text, std::size_t len) {
    if (pos >= size) {
        return block + size - 1; // the block's last byte is always a zero
    }
    char* start = block + pos;
    std::size_t room = size - pos - 1;
    if (len > room) len = room;
    if (len) std::memcpy(start, text, len);
    start[len] = '\0';
    pos += len + 1;
    return start;
}

} // namespace

ContextException::ContextException(const char* where, const char* context, const char* sourceFile,
                                   int line, const char* name)
    : block_(inline_), blockSize_(kInlineSize) {
    const char* nm = (name && *name) ? name : kNoName;
    const char* wh = where ? where : "";
    const char* ctx = context ? context : "";
    const char* src = sourceFile ? sourceFile : "";

    char lineText[16];
    std::snprintf(lineText, sizeof lineText, "%d", line);

    const std::size_t nameLen = std::strlen(nm), whereLen = std::strlen(wh), ctxLen = std::strlen(ctx);
    // name " thrown by " where " [" file ":" line "]" [" with context\n" context]
    std::size_t fullLen = nameLen + 11 + whereLen + 2 + std::strlen(src) + 1 + std::strlen(lineText) + 1;
    if (ctxLen) fullLen += 14 + ctxLen;
    const std::size_t needed = nameLen + 1 + whereLen + 1 + ctxLen + 1 + fullLen + 1;

    if (needed > kInlineSize) {
        if (char* heap = static_cast<char*>(std::malloc(needed))) {
            block_ = heap;
            blockSize_ = needed;
        }
    }

    std::size_t pos = 0;
    inline_[kInlineSize - 1] = '\0';
    name_ = Put(block_, blockSize_, pos, nm, nameLen);
    where_ = Put(block_, blockSize_, pos, wh, whereLen);
    context_ = Put(block_, blockSize_, pos, ctx, ctxLen);

    // The full text is composed in place; when the block is the inline area it is cut to fit.
    char* full = block_ + (pos < blockSize_ ? pos : blockSize_ - 1);
    std::size_t room = blockSize_ - static_cast<std::size_t>(full - block_);
    std::size_t used = 0;
    auto add = [&](const char* text) {
        std::size_t len = std::strlen(text);
        if (room == 0) return;
        if (used + len > room - 1) len = room - 1 - used;
        std::memcpy(full + used, text, len);
        used += len;
        full[used] = '\0';
    };
    if (room) full[0] = '\0';
    add(nm);
    add(" thrown by ");
    add(wh);
    add(" [");
    add(src);
    add(":");
    add(lineText);
    add("]");
    if (ctxLen) {
        add(" with context\n");
        add(ctx);
    }
    full_ = full;
}

ContextException::ContextException(const ContextException& other)
    : std::exception(other), block_(inline_), blockSize_(kInlineSize) {
    CopyFrom(other);
}

ContextException& ContextException::operator=(const ContextException& other) {
    if (this != &other) {
        Release();
        CopyFrom(other);
    }
    return *this;
}

ContextException::~ContextException() { Release(); }

void ContextException::Release() noexcept {
    if (block_ != inline_) std::free(block_);
    block_ = inline_;
    blockSize_ = kInlineSize;
}

bool ContextException::OwnsText(const char* text) const noexcept {
    return text && text >= block_ && text < block_ + blockSize_;
}

const char* ContextException::Rebase(const char* text, const ContextException& other) const noexcept {
    if (!other.OwnsText(text)) return "";
    return block_ + (text - other.block_);
}

void ContextException::CopyFrom(const ContextException& other) {
    if (other.blockSize_ > kInlineSize) {
        if (char* heap = static_cast<char*>(std::malloc(other.blockSize_))) {
            block_ = heap;
            blockSize_ = other.blockSize_;
        }
    }
    // When the heap block can't be had, the inline area takes what fits.
    std::size_t n = other.blockSize_ < blockSize_ ? other.blockSize_ : blockSize_;
    std::memcpy(block_, other.block_, n);
    block_[blockSize_ - 1] = '\0';
    if (n < other.blockSize_) {
        // Texts beyond the copied bytes would not lie in this block.
        auto fit = [&](const char* t) -> const char* {
            const char* r = Rebase(t, other);
            return (r >= block_ && r < block_ + blockSize_) ? r : "";
        };
        name_ = fit(other.name_);
        where_ = fit(other.where_);
        context_ = fit(other.context_);
        full_ = fit(other.full_);
        return;
    }
    name_ = Rebase(other.name_, other);
    where_ = Rebase(other.where_, other);
    context_ = Rebase(other.context_, other);
    full_ = Rebase(other.full_, other);
}
