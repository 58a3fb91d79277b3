# The CUE sheet reader, fed with arbitrary bytes.
fennel_fuzzer(cue_sheet LIBS fennel_request)
