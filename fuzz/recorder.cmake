# The recording engine's parsers of untrusted files: audio files handed in by the user, and
# the drive file and disc state files a user may edit, the MP3 encoder tag of decoded files.
fennel_fuzzer(recorder_wav LIBS recorder_core)
fennel_fuzzer(recorder_state LIBS recorder_core)
fennel_fuzzer(recorder_lametag LIBS recorder_core)
