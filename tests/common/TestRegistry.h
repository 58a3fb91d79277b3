#pragma once
// The tests use the host kit's UserRegistry under the test support namespace.
#include "tools/hostkit/UserRegistry.h"

namespace testsupport {
using namespace hostkit;
}
