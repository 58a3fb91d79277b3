#pragma once
// The registry application area that a configuration file names (Plugin_RegistryBase), as
// the program reads it: the file deciphered with the built-in public key.
#include <string>

namespace hostkit {

// The area below HKEY_CURRENT_USER; empty when the file can't be read or names none.
std::string ConfiguredArea(const std::string& configurationFile);

} // namespace hostkit
