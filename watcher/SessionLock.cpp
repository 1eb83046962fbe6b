#include "SessionLock.h"

#include <errno.h>
#include <initializer_list>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *lockDirectory() {
  for (const char *name : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
    const char *directory = getenv(name);
    if (directory && *directory) return directory;
  }
  return "/tmp";
}

pid_t readHolder(int descriptor) {
  char text[24] = {0};
  if (pread(descriptor, text, sizeof text - 1, 0) <= 0) return 0;
  return (pid_t)strtol(text, NULL, 10);
}

}  // namespace

SessionLockResult TakeSessionLock(char *path, size_t pathSize, pid_t *holder) {
  snprintf(path, pathSize, "%s/keywatchd-%u.lock", lockDirectory(), (unsigned)getuid());
  // Kept open, never inherited: a launched application must not hold it on.
  int descriptor = open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (descriptor < 0) return kSessionLockFailed;
  struct stat file;
  if (fstat(descriptor, &file) != 0 || file.st_uid != getuid()) {
    close(descriptor);
    errno = EPERM;  // a file of another user's, in a shared directory
    return kSessionLockFailed;
  }
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    *holder = error == EWOULDBLOCK ? readHolder(descriptor) : 0;
    close(descriptor);
    errno = error;
    return error == EWOULDBLOCK ? kSessionLockHeld : kSessionLockFailed;
  }
  char text[24];
  int length = snprintf(text, sizeof text, "%ld\n", (long)getpid());
  // The pid only names us to a second copy; the lock holds without it.
  if (ftruncate(descriptor, 0) == 0) {
    ssize_t ignored = pwrite(descriptor, text, length, 0);
    (void)ignored;
  }
  return kSessionLockTaken;
}
