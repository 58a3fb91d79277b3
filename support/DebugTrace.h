#pragma once
// DebugTrace: the developers' printf. Formats at most 255 characters and sends them,
// unchanged, to the sink of the process-wide trace mode (fixed at build time, 1 = the
// debugger output). Any thread may trace; it never throws and never reports failure.
//
// Modes: 0 off, 1 debugger output, 2..5 serial ports COM1..COM4 (19200 8N1, LF sent as
// CR LF), 6 the file beside the executable named after it with ".trace" appended,
// 7 standard output, 8 standard error (std::clog), any other value: formatted and dropped.
#ifndef FENNEL_TRACE_MODE
#define FENNEL_TRACE_MODE 1
#endif

constexpr int kDebugTraceMode = FENNEL_TRACE_MODE;

void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same with an explicit mode, for the tools and tests that exercise every sink.
void DebugTraceTo(int mode, const char* format, ...) __attribute__((format(printf, 2, 3)));
