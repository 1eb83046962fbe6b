#include "AtomicFileWrite.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// What the platform's own atomic file writes give a new file.
const mode_t kFileMode = 0644;

bool WriteAll(int fd, const char *bytes, size_t length)
{
    while (length > 0) {
        ssize_t written = write(fd, bytes, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += written;
        length -= (size_t)written;
    }
    return true;
}

}  // namespace

bool ReplaceFileAtomically(const char *path, const void *bytes, size_t length)
{
    // mkstemp picks a name nobody can foresee and creates it exclusively, so a
    // link planted in a shared directory is never followed; rename() then
    // replaces the target itself, even when the target is a link.
    std::string temporary = std::string(path) + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool written = fchmod(fd, kFileMode) == 0 && WriteAll(fd, (const char *)bytes, length);
    if (close(fd) != 0)
        written = false;
    if (written && rename(temporary.c_str(), path) == 0)
        return true;
    unlink(temporary.c_str());
    return false;
}
