#pragma once
// The tests use the host kit's ProgramPaths under the test support namespace.
#include "tools/hostkit/ProgramPaths.h"

namespace testsupport {
using namespace hostkit;
}
