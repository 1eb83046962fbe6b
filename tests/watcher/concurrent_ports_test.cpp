// Two threads that make their notification ports at the same moment both get
// one that works. Each try is a fresh process: a clash between the two shows
// mostly on a process's first sockets. Runs under umockdev-wrapper.
#include <IOKit/IOKitLib.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <umockdev.h>

#include <cstdio>
#include <cstring>

extern char **environ;

namespace {

pthread_barrier_t gStart;
mach_port_t gMaster;

void *makePort(void *result) {
  pthread_barrier_wait(&gStart);
  *static_cast<IONotificationPortRef *>(result) = IONotificationPortCreate(gMaster);
  return nullptr;
}

// 0 when both threads got a port.
int tryOnce() {
  if (IOMasterPort(MACH_PORT_NULL, &gMaster) != kIOReturnSuccess) return 2;
  pthread_barrier_init(&gStart, nullptr, 2);
  IONotificationPortRef ports[2] = {};
  pthread_t threads[2];
  for (int i = 0; i < 2; ++i) pthread_create(&threads[i], nullptr, makePort, &ports[i]);
  int made = 0;
  for (int i = 0; i < 2; ++i) {
    pthread_join(threads[i], nullptr);
    if (ports[i]) ++made, IONotificationPortDestroy(ports[i]);
  }
  mach_port_deallocate(mach_task_self(), gMaster);
  return made == 2 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "--try") == 0) return tryOnce();
  UMockdevTestbed *testbed = umockdev_testbed_new();  // its UMOCKDEV_DIR reaches the tries
  const int tries = 300;
  int failed = 0;
  char *tryArgv[] = {argv[0], const_cast<char *>("--try"), nullptr};
  for (int i = 0; i < tries; ++i) {
    pid_t pid;
    int status;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, tryArgv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      ++failed;
  }
  std::printf("%d of %d tries did not get both ports\n", failed, tries);
  g_object_unref(testbed);
  return failed != 0;
}
