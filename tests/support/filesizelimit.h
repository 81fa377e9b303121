#pragma once

#include <sys/resource.h>

// Limits the size of files this process may write, like a nearly full disk, for the
// lifetime of the object. Writes past the limit fail with EFBIG instead of raising
// SIGXFSZ. Tests run as root, so permissions alone cannot make a write fail.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit previous {};
    void (*previousHandler)(int) = nullptr;
};
