#pragma once
// ContextException: the one exception shape of the libraries. Its text says which
// failure was thrown (name), by which function (where), from which source place, and
// with which detail (context). All four texts live in one block: an inline area of
// 256 bytes, or an owned heap block of exactly the needed size when they don't fit.
// Libraries nest their own base_exception and named failures derived from this class.
#include <cstddef>
#include <exception>

class ContextException : public std::exception {
public:
    // Any text may be null. line is the source line of the throw.
    ContextException(const char* where, const char* context, const char* sourceFile, int line,
                     const char* name);
    ContextException(const ContextException& other);
    ContextException& operator=(const ContextException& other);
    ~ContextException() override;

    const char* what() const noexcept override { return full_; }

    // The parts of the text, for catch sites that report them separately.
    const char* Name() const noexcept { return name_; }
    const char* Where() const noexcept { return where_; }
    const char* Context() const noexcept { return context_; }

private:
    static constexpr std::size_t kInlineSize = 256;

    void CopyFrom(const ContextException& other);
    void Release() noexcept;
    const char* Rebase(const char* text, const ContextException& other) const noexcept;
    bool OwnsText(const char* text) const noexcept;

    char inline_[kInlineSize];
    char* block_;           // inline_ or an owned heap block
    std::size_t blockSize_; // bytes usable in block_
    const char* name_;
    const char* where_;
    const char* context_;
    const char* full_;
};

// Declares a failure class nested in a library class: struct name : base { ... }.
// Thrown with FENNEL_THROW so that the source place is recorded.
#define FENNEL_EXCEPTION(name, base)                                                        \
    struct name : base {                                                                    \
        name(const char* where, const char* context, const char* file, int line,            \
             const char* exceptionName = #name)                                             \
            : base(where, context, file, line, exceptionName) {}                            \
    }

#define FENNEL_THROW(type, where, context) throw type((where), (context), __FILE__, __LINE__)
