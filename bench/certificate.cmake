# Reading the configuration file: deciphering and parsing beside a plain copy of its bytes.
fennel_benchmark(certificate_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/CertificateBench.cpp LIBS certificate_maker)
