#pragma once
// The program's formatted texts: a language text is used as the printf format for the
// arguments only when its conversions fit them (see FormatCheck), else the program's built-in
// format is; and those built-in formats. Any thread; no state.
#include <string>

namespace textformat {

inline constexpr char kPercentFormat[] = "%lu%%";
inline constexpr char kTrackStatusInitialFormat[] = "Tracks to record: %lu   Drive: %s";
inline constexpr char kTrackStatusRecordingFormat[] = "Track %lu of %lu: %s";
inline constexpr char kDriveNameFormat[] = "(%c:) %s";
inline constexpr char kSpeedFormat[] = "%lux";

// The language text as a format for these arguments (one letter each, as FormatCheck takes
// them), filled in; at most 1023 characters.
std::string Format(const std::string& languageText, const char* builtIn, const char* arguments, ...);

} // namespace textformat
