#include "scanner/libsaneapi.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex libraryMutex;
int libraryUsers = 0;
SANE_Int libraryVersion = 0;

} // namespace

std::shared_ptr<SaneApi> LibSaneApi::shared()
{
    static std::shared_ptr<SaneApi> instance = std::make_shared<LibSaneApi>();
    return instance;
}

SANE_Status LibSaneApi::init(SANE_Int *versionCode)
{
    QMutexLocker lock(&libraryMutex);
    if (libraryUsers == 0) {
        const SANE_Status status = sane_init(&libraryVersion, nullptr);
        if (status != SANE_STATUS_GOOD)
            return status;
    }
    ++libraryUsers;
    ++ownInits;
    if (versionCode)
        *versionCode = libraryVersion;
    return SANE_STATUS_GOOD;
}

void LibSaneApi::exit()
{
    QMutexLocker lock(&libraryMutex);
    // Every owner exits as often as it initialised; a surplus exit (after a
    // failed init) must not take the library away from the others.
    if (ownInits == 0 || libraryUsers == 0)
        return;
    --ownInits;
    if (--libraryUsers == 0)
        sane_exit();
}

SANE_Status LibSaneApi::getDevices(const SANE_Device ***deviceList, SANE_Bool localOnly)
{
    return sane_get_devices(deviceList, localOnly);
}

SANE_Status LibSaneApi::open(const char *name, SANE_Handle *handle)
{
    return sane_open(name, handle);
}

void LibSaneApi::close(SANE_Handle handle)
{
    sane_close(handle);
}

const SANE_Option_Descriptor *LibSaneApi::getOptionDescriptor(SANE_Handle handle, SANE_Int option)
{
    return sane_get_option_descriptor(handle, option);
}

SANE_Status LibSaneApi::controlOption(
    SANE_Handle handle, SANE_Int option, SANE_Action action, void *value, SANE_Int *info)
{
    return sane_control_option(handle, option, action, value, info);
}

SANE_Status LibSaneApi::start(SANE_Handle handle)
{
    return sane_start(handle);
}

SANE_Status LibSaneApi::getParameters(SANE_Handle handle, SANE_Parameters *parameters)
{
    return sane_get_parameters(handle, parameters);
}

SANE_Status LibSaneApi::read(SANE_Handle handle, SANE_Byte *data, SANE_Int maxLength, SANE_Int *length)
{
    return sane_read(handle, data, maxLength, length);
}

SANE_String_Const LibSaneApi::strstatus(SANE_Status status)
{
    return sane_strstatus(status);
}

void LibSaneApi::cancel(SANE_Handle handle)
{
    sane_cancel(handle);
}
