// SANE frames as a backend delivers them: parameters, then bytes in pieces of
// any length.
#include <QtEndian>

#include "fuzz/fuzztargets.h"
#include "scanner/frameassembler.h"

namespace FuzzTargets {

Outcome saneFrames(const QByteArray &data)
{
    constexpr int headerBytes = 20;
    if (data.size() < headerBytes)
        return { true, QStringLiteral("no parameters") };
    const auto field = [&data](int index) {
        return qFromLittleEndian<qint32>(data.constData() + 4 * index);
    };
    FrameParameters parameters;
    parameters.format = field(0);
    parameters.depth = field(1);
    parameters.pixelsPerLine = field(2);
    parameters.lines = field(3);
    parameters.bytesPerLine = field(4);
    FrameAssembler::expectedBytes(parameters);
    FrameAssembler assembler(parameters);
    if (!assembler.isValid())
        return { true, QStringLiteral("frame refused") };
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    int at = headerBytes;
    while (at < data.size()) {
        const int length = qMin(int(bytes[at]), data.size() - at - 1);
        assembler.append(bytes + at + 1, length);
        at += 1 + length;
    }
    const QImage image = assembler.takeImage();
    return { image.isNull(), QStringLiteral("%1 rows").arg(image.height()) };
}

} // namespace FuzzTargets
