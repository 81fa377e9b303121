#include "app/environmentreport.h"

#include <QDebug>
#include <QSysInfo>
#include <QtGlobal>

namespace {

// Everything below is decided by the compiler for the target, not asked of the
// machine the program happens to run on.
constexpr const char *buildArchitecture()
{
#if defined(__x86_64__) || defined(_M_X64)
    return "x86_64";
#elif defined(__i386__) || defined(_M_IX86)
    return "i386";
#elif defined(__aarch64__) || defined(_M_ARM64)
    return "arm64";
#elif defined(__arm__) || defined(_M_ARM)
    return "arm";
#elif defined(__riscv)
    return "riscv64";
#elif defined(__powerpc64__)
    return "ppc64";
#else
    return "unknown";
#endif
}

constexpr const char *buildOperatingSystem()
{
#if defined(Q_OS_LINUX)
    return "Linux";
#elif defined(Q_OS_FREEBSD)
    return "FreeBSD";
#elif defined(Q_OS_MACOS)
    return "macOS";
#elif defined(Q_OS_WIN)
    return "Windows";
#else
    return "Unknown";
#endif
}

constexpr const char *compilerName()
{
#if defined(__clang__)
    return "Clang";
#elif defined(__GNUC__)
    return "GCC";
#elif defined(_MSC_VER)
    return "MSVC";
#else
    return "Unknown";
#endif
}

constexpr int compilerVersion()
{
#if defined(__clang__)
    return __clang_major__ * 10000 + __clang_minor__ * 100 + __clang_patchlevel__;
#elif defined(__GNUC__)
    return __GNUC__ * 10000 + __GNUC_MINOR__ * 100 + __GNUC_PATCHLEVEL__;
#elif defined(_MSC_VER)
    return _MSC_VER;
#else
    return 0;
#endif
}

constexpr const char *byteOrderName()
{
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    return "小端";
#else
    return "大端";
#endif
}

constexpr int cacheLineSize = 64;

} // namespace

void reportSystemEnvironment()
{
    qDebug() << "=== 系统环境信息 ===";
    qDebug() << "架构:" << buildArchitecture();
    qDebug() << "操作系统:" << buildOperatingSystem();
    qDebug() << "编译器:" << compilerName();
    qDebug() << "编译器版本:" << compilerVersion();
    qDebug() << "字节序:" << byteOrderName();
    qDebug() << "Qt版本:" << QT_VERSION_STR;
    qDebug() << "系统信息:" << QSysInfo::prettyProductName();
    qDebug() << "内核版本:" << QSysInfo::kernelVersion();
    qDebug() << "CPU架构:" << QSysInfo::currentCpuArchitecture();
    qDebug() << "构建CPU架构:" << QSysInfo::buildCpuArchitecture();
    qDebug() << "缓存行大小:" << cacheLineSize << "字节";
    qDebug() << "SIMD支持: x86 SSE/AVX";
    qDebug() << "=============================";
}
