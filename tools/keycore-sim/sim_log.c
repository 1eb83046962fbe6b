#include "sim_log.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

void sim_log(const char *call, const char *detail, int status)
{
    const char *path = getenv("KEYCORE_SIM_LOG");
    if (!path)
        return;
    char line[512];
    int n = snprintf(line, sizeof line - 1, "%s%s%s", call, detail ? " " : "", detail ? detail : "");
    if (n > (int)sizeof line - 2)
        n = (int)sizeof line - 2;
    if (status != 0) {
        int m = snprintf(line + n, sizeof line - 1 - n, " failed %d", status);
        n += m > (int)sizeof line - 2 - n ? (int)sizeof line - 2 - n : m;
    }
    line[n++] = '\n';
    // O_APPEND and a single write keep lines whole when callers overlap.
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    ssize_t ignored = write(fd, line, (size_t)n);
    (void)ignored;
    close(fd);
}
