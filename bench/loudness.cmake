# Levelling audio CD tracks: the loudness meter and the gain stage over a minute of audio.
fennel_benchmark(loudness_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/LoudnessBench.cpp LIBS recorder_core)
