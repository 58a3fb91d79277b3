#pragma once
// The tests use the host kit's ProcessWindows under the test support namespace.
#include "tools/hostkit/ProcessWindows.h"

namespace testsupport {
using namespace hostkit;
}
