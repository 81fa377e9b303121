// One libFuzzer program per target: QUIRRA_FUZZ_TARGET names it.
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzztargets.h"

namespace {

FuzzTargets::Target target = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzTargets::setUp(argc, *argv);
    target = FuzzTargets::find(QStringLiteral(QUIRRA_FUZZ_TARGET));
    if (!target)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy rather than a view: Qt may read the terminating zero a QByteArray promises.
    target(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    return 0;
}
