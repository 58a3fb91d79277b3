# The burn command line, fed with arbitrary bytes.
fennel_fuzzer(burn_request LIBS fennel_request)
