# The playlist reader over every format, fed with arbitrary bytes.
fennel_fuzzer(playlist LIBS fennel_request)
