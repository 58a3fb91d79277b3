# Reading playlists of about 4 MB in each format, and malformed ones.
fennel_benchmark(playlist_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/PlaylistBench.cpp LIBS fennel_request)
