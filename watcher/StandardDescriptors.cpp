// Descriptors 0, 1 and 2 that the starting process left closed are opened on
// /dev/null before anything else runs: otherwise the first pipe or file that
// keywatchd opens takes their place, and a line meant for standard output
// lands in it (in the pipe that SIGINT wakes the main thread through, say).
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

#include "ExitStatus.h"

namespace {

bool isOpen(int descriptor) { return fcntl(descriptor, F_GETFD) != -1; }

}  // namespace

__attribute__((constructor(101))) static void OpenClosedStandardDescriptors(void) {
  bool closed[3];
  for (int descriptor = 0; descriptor <= 2; ++descriptor) closed[descriptor] = !isOpen(descriptor);
  // The free numbers are held with a pipe's ends while /dev/null is opened: a
  // library that opens a descriptor of its own on the way (umockdev's preload
  // does, for any path under /dev) must not get one of them.
  int spare[2] = {-1, -1};
  while (!isOpen(0) || !isOpen(1) || !isOpen(2)) {
    int ends[2];
    if (pipe(ends) != 0) _exit(kExitFailed);
    for (int end : ends)
      if (end > 2) spare[spare[0] < 0 ? 0 : 1] = end;
  }
  int null = open("/dev/null", O_RDWR);
  if (null < 0) _exit(kExitFailed);
  for (int descriptor = 0; descriptor <= 2; ++descriptor)
    if (closed[descriptor]) dup2(null, descriptor);
  for (int descriptor : {spare[0], spare[1], null})
    if (descriptor > 2) close(descriptor);
}
