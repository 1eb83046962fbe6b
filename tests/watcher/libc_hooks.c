/* Preloaded into keywatchd by the tests, to reach the failure paths that hang
 * on libc calls, and to see that the threads it starts are detached.
 *
 *   KT_FAIL_THREAD=<entry>[:N]  the N-th pthread_create (default 1) of a thread
 *                               running the exported function <entry> fails
 *                               with EAGAIN
 *   KT_FAIL_SIGNAL=N            the N-th signal(SIGINT, ...) returns SIG_ERR
 *   KT_FAIL_PIPE=1              pipe() fails with EMFILE when keywatchd's own
 *                               code calls it
 *
 * A thread that ends while it is still joinable (its resources would stay
 * until a join that never comes) writes "joinable thread ended" to stderr. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#ifdef __SANITIZE_THREAD__
#include <sanitizer/common_interface_defs.h>
/* ThreadSanitizer's symbolizer opens the program's files on its first report,
 * through umockdev's wrappers, and each wrapper looks libc up with dlsym on its
 * first call; dlsym frees the text of an error that dlerror still holds. Once
 * keywatchd's dlopen of a missing library has failed, that text lies in the
 * program's heap, and freed from inside the sanitizer it aborts the run (even
 * for a report that is then suppressed). The symbolizer is started here, while
 * no error is pending. */
__attribute__((constructor)) static void start_symbolizer(void) {
  char frame[256];
  __sanitizer_symbolize_pc(__builtin_return_address(0), "%F", frame, sizeof frame);
}
#endif

/* The real function, looked up once; both detection threads may be first. */
static void *real_function(void *_Atomic *cache, const char *name) {
  void *function = atomic_load(cache);
  if (!function) {
    function = dlsym(RTLD_NEXT, name);
    atomic_store(cache, function);
  }
  return function;
}

/* Whether this call is the planned occurrence of `planned` ("N"). */
static int due(const char *planned, atomic_int *seen) {
  long occurrence = planned && *planned ? strtol(planned, NULL, 10) : 1;
  return atomic_fetch_add(seen, 1) + 1 == occurrence;
}

static int thread_must_fail(void *(*start)(void *)) {
  static atomic_int seen;
  const char *plan = getenv("KT_FAIL_THREAD");
  if (!plan) return 0;
  char name[128];
  size_t length = strcspn(plan, ":");
  if (length >= sizeof name) return 0;
  memcpy(name, plan, length);
  name[length] = '\0';
  if (dlsym(RTLD_DEFAULT, name) != (void *)start) return 0;
  return due(plan[length] ? plan + length + 1 : NULL, &seen);
}

struct Start {
  void *(*start)(void *);
  void *argument;
};

static void *checked_start(void *data) {
  struct Start start = *(struct Start *)data;
  free(data);
  void *result = start.start(start.argument);
  pthread_attr_t attributes;
  int state = PTHREAD_CREATE_DETACHED;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getdetachstate(&attributes, &state);
    pthread_attr_destroy(&attributes);
  }
  if (state == PTHREAD_CREATE_JOINABLE) {
    static const char message[] = "joinable thread ended\n";
    ssize_t ignored = write(2, message, sizeof message - 1);
    (void)ignored;
  }
  return result;
}

int pthread_create(pthread_t *thread, const pthread_attr_t *attributes, void *(*start)(void *),
                   void *argument) {
  static void *_Atomic cache;
  int (*real)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *) =
      (int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *))real_function(&cache, "pthread_create");
  if (thread_must_fail(start)) return EAGAIN;
  struct Start *wrapped = malloc(sizeof *wrapped);
  if (!wrapped) return EAGAIN;
  wrapped->start = start;
  wrapped->argument = argument;
  int result = real(thread, attributes, checked_start, wrapped);
  if (result != 0) free(wrapped);
  return result;
}

sighandler_t signal(int number, sighandler_t handler) {
  static void *_Atomic cache;
  static atomic_int seen;
  sighandler_t (*real)(int, sighandler_t) = (sighandler_t(*)(int, sighandler_t))real_function(&cache, "signal");
  if (number == SIGINT && getenv("KT_FAIL_SIGNAL") && due(getenv("KT_FAIL_SIGNAL"), &seen)) {
    errno = EINVAL;
    return SIG_ERR;
  }
  return real(number, handler);
}

int pipe(int fds[2]) {
  static void *_Atomic cache;
  int (*real)(int[2]) = (int (*)(int[2]))real_function(&cache, "pipe");
  Dl_info caller, program;
  if (getenv("KT_FAIL_PIPE") && dladdr(__builtin_return_address(0), &caller) &&
      dladdr(dlsym(RTLD_DEFAULT, "pdpcde"), &program) && caller.dli_fbase == program.dli_fbase) {
    errno = EMFILE;
    return -1;
  }
  return real(fds);
}
