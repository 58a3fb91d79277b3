#pragma once
// The host kit (tools/hostkit) under the test support namespace.
#include "tools/hostkit/ChildProcess.h"
#include "tools/hostkit/ConfiguredArea.h"
#include "tools/hostkit/ProcessWindows.h"
#include "tools/hostkit/ProgramPaths.h"
#include "tools/hostkit/UserRegistry.h"

namespace testsupport {
using namespace hostkit;
}
