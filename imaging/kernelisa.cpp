#include "imaging/kernelisa.h"

#include <atomic>

namespace {

std::atomic<int> currentCeiling { KernelIsa::Avx512 };

} // namespace

void KernelIsa::setCeiling(Level level)
{
    currentCeiling.store(level);
}

KernelIsa::Level KernelIsa::ceiling()
{
    return Level(currentCeiling.load());
}
