# The language-file parser with the store fill and the lookups over what it wrote, and the
# store reader over arbitrary bytes (a store damaged or half filled by another process).
fennel_fuzzer(lang_file LIBS langstrings)
fennel_fuzzer(lang_store LIBS langstrings)
