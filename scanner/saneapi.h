#pragma once

extern "C" {
#include <sane/sane.h>
}

// The one seam between Quirra and the SANE library: the SANE calls the scanner
// code makes, one virtual function each, with SANE's own types. The
// real implementation forwards to libsane; tests script statuses, devices,
// options and frames that SANE's test backend cannot produce.
//
// Threading: the controller calls it from the GUI thread and the thread pool
// (initialisation), the worker from its thread, never on the same handle at
// the same time. Implementations must tolerate that.
class SaneApi
{
public:
    virtual ~SaneApi();

    virtual SANE_Status init(SANE_Int *versionCode) = 0;
    virtual void exit() = 0;
    virtual SANE_Status getDevices(const SANE_Device ***deviceList, SANE_Bool localOnly) = 0;
    virtual SANE_Status open(const char *name, SANE_Handle *handle) = 0;
    virtual void close(SANE_Handle handle) = 0;
    virtual const SANE_Option_Descriptor *getOptionDescriptor(SANE_Handle handle, SANE_Int option) = 0;
    virtual SANE_Status controlOption(
        SANE_Handle handle, SANE_Int option, SANE_Action action, void *value, SANE_Int *info)
        = 0;
    virtual SANE_Status start(SANE_Handle handle) = 0;
    virtual SANE_Status getParameters(SANE_Handle handle, SANE_Parameters *parameters) = 0;
    virtual SANE_Status read(SANE_Handle handle, SANE_Byte *data, SANE_Int maxLength, SANE_Int *length) = 0;
    virtual SANE_String_Const strstatus(SANE_Status status) = 0;
    // Ends the acquisition begun by start(). SANE requires it once a frontend
    // is done with a scan, and backends that read through a helper thread
    // only stop and join it here; without it a cut-off scan leaves that
    // thread running into the unloaded backend after sane_exit.
    virtual void cancel(SANE_Handle handle) = 0;
};
