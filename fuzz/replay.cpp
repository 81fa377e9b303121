// Runs inputs through their target outside libFuzzer, for the regression cases
// of the test suite (any compiler, no fuzzing runtime):
//   quirra_fuzz_replay [--address-space-mb N] <target> <file>
// With --address-space-mb the process limits its own address space first, so an
// input that would exhaust memory ends this process, not the machine. Prints one
// line: "refused" or "accepted", the milliseconds the target took, the peak
// resident kilobytes of the process, and the target's message.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <sys/resource.h>

#include "fuzz/fuzztargets.h"

int main(int argc, char **argv)
{
    int first = 1;
    if (argc > 2 && qstrcmp(argv[1], "--address-space-mb") == 0) {
        const rlim_t bytes = rlim_t(QByteArray(argv[2]).toULongLong()) * 1024 * 1024;
        const rlimit limit { bytes, bytes };
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            return 3;
        first = 3;
    }
    if (argc != first + 2)
        return 2;
    const QString name = QString::fromLocal8Bit(argv[first]);
    QFile file(QString::fromLocal8Bit(argv[first + 1]));
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray data = file.readAll();
    file.close();

    FuzzTargets::setUp(&argc, argv);
    const FuzzTargets::Target target = FuzzTargets::find(name);
    if (!target)
        return 2;
    QElapsedTimer timer;
    timer.start();
    const FuzzTargets::Outcome outcome = target(data);
    const qint64 elapsed = timer.elapsed();
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    QTextStream(stdout) << (outcome.refused ? "refused" : "accepted") << '\t' << elapsed << '\t' << usage.ru_maxrss
                        << '\t' << QString(outcome.message).replace(QLatin1Char('\n'), QLatin1Char(' ')) << Qt::endl;
    return 0;
}
