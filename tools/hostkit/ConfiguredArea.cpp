#include "tools/hostkit/ConfiguredArea.h"

#include "lib/Certificate/BuiltInPublicKey.h"
#include "lib/Certificate/Certificate.h"

namespace hostkit {

std::string ConfiguredArea(const std::string& configurationFile) {
    Certificate configuration;
    std::string area;
    if (configuration.Read(configurationFile.c_str(), BuiltInPublicKey())) {
        configuration.GetFieldAsText("Plugin_RegistryBase", area);
    }
    return area;
}

} // namespace hostkit
