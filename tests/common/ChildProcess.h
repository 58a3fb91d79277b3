#pragma once
// The tests use the host kit's ChildProcess under the test support namespace.
#include "tools/hostkit/ChildProcess.h"

namespace testsupport {
using namespace hostkit;
}
