// One keywatchd per user: a lock on a file in the user's runtime directory
// ($XDG_RUNTIME_DIR, else $TMPDIR, else /tmp), held for the life of the
// process. The lock goes with the process, however it ends, so a copy that
// crashed leaves nothing behind that blocks the next one.
#pragma once

#include <sys/types.h>

enum SessionLockResult { kSessionLockTaken, kSessionLockHeld, kSessionLockFailed };

// On kSessionLockHeld, `holder` is the pid of the keywatchd that holds the
// lock (0 if it has not written it yet); on kSessionLockFailed, errno says why.
// `path` receives the lock file's path either way.
SessionLockResult TakeSessionLock(char *path, size_t pathSize, pid_t *holder);
