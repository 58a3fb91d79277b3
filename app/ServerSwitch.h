#pragma once
// The registration and server switches of the full process command line. A switch follows
// a '-' or '/' anywhere in the line (the program's path included) and must run to the end
// of the line; case does not matter.
#include <string>

enum class ServerSwitch { None, UnregServer, RegServer, Automation, Embedding };

ServerSwitch ScanServerSwitches(const std::string& commandLine);
