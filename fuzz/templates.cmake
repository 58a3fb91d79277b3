# The dialog, menu and string-table translators over arbitrary bytes.
fennel_fuzzer(templates LIBS template_translation)
