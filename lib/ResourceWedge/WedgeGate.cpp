#include "lib/ResourceWedge/WedgeGate.h"

#include "lib/LangStrings/LangStrings.h"
#include "lib/ResourceWedge/WedgeImpl.h"

#include <atomic>

namespace {
std::atomic<bool> g_passThrough{true};
} // namespace

bool WedgeGate::Open() {
    if (!g_passThrough.load(std::memory_order_acquire)) return true;
    if (!LangStrings::Initialized() || !g_WedgeImpl.Initialized()) return false;
    g_passThrough.store(false, std::memory_order_release);
    return true;
}
