#pragma once

#include "scanner/saneapi.h"

#include <memory>

// SaneApi over the real libsane.
//
// libsane is one library state per process: a second sane_init without a
// sane_exit in between re-reads the backends under the feet of open handles,
// and one owner's sane_exit pulls the library away from every other owner.
// So init and exit are counted across all instances: only the first init of
// the process initialises the library and only the last exit shuts it down.
// An owner that exits and initialises again while it is the only one (the
// search-mode change) gets a real re-initialisation that re-reads the
// configuration.
class LibSaneApi : public SaneApi
{
public:
    // The process-wide instance that production code uses.
    static std::shared_ptr<SaneApi> shared();

    SANE_Status init(SANE_Int *versionCode) override;
    void exit() override;
    SANE_Status getDevices(const SANE_Device ***deviceList, SANE_Bool localOnly) override;
    SANE_Status open(const char *name, SANE_Handle *handle) override;
    void close(SANE_Handle handle) override;
    const SANE_Option_Descriptor *getOptionDescriptor(SANE_Handle handle, SANE_Int option) override;
    SANE_Status controlOption(
        SANE_Handle handle, SANE_Int option, SANE_Action action, void *value, SANE_Int *info) override;
    SANE_Status start(SANE_Handle handle) override;
    SANE_Status getParameters(SANE_Handle handle, SANE_Parameters *parameters) override;
    SANE_Status read(SANE_Handle handle, SANE_Byte *data, SANE_Int maxLength, SANE_Int *length) override;
    SANE_String_Const strstatus(SANE_Status status) override;
    void cancel(SANE_Handle handle) override;

private:
    // This instance's own count of successful inits not yet matched by exit.
    int ownInits = 0;
};
