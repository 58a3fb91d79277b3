# The burn command line and the playlist reader, fed with arbitrary bytes.
fennel_fuzzer(burn_request LIBS fennel_request)
