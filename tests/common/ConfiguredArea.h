#pragma once
// The tests use the host kit's ConfiguredArea under the test support namespace.
#include "tools/hostkit/ConfiguredArea.h"

namespace testsupport {
using namespace hostkit;
}
