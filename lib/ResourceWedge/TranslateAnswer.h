#pragma once
// The three-way answer of a resource translator to the resource cache.
enum class TranslateAnswer : int {
    failure = 0,        // dialog and menu translators: use the resource untranslated, retry later
    nothing_done = 1,   // string-table and accelerator translators: the same as failure
    translated = 2,     // a new copy was handed out
    unchanged = 3,      // no text changed; the resource needs no copy
};

// Both failure answers mean that nothing may be cached.
inline bool IsFailure(TranslateAnswer answer) {
    return answer == TranslateAnswer::failure || answer == TranslateAnswer::nothing_done;
}
