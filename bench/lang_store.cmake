# Filling the shared string store, loading a section, looking keys up and translating text.
add_executable(lang_store_bench ${CMAKE_CURRENT_SOURCE_DIR}/LangStoreBench.cpp)
fennel_target_defaults(lang_store_bench)
target_link_libraries(lang_store_bench PRIVATE langstrings benchmark::benchmark)
