# Writing disc images: unpaced against a plain copy of the same bytes, and paced CPU use.
add_executable(recorder_bench ${CMAKE_CURRENT_LIST_DIR}/RecorderBench.cpp)
fennel_target_defaults(recorder_bench)
target_link_libraries(recorder_bench PRIVATE recorder_core benchmark::benchmark)
target_compile_definitions(recorder_bench PRIVATE FENNEL_BINARY_DIR="${CMAKE_BINARY_DIR}")
