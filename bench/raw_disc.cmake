# The raw disc-at-once stream for real recorders: main channel and subcode per sector.
fennel_benchmark(raw_disc_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/RawDiscBench.cpp LIBS recorder_core)
