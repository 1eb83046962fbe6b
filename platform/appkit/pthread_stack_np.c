#define _GNU_SOURCE
#include <pthread.h>

static int stackOf(pthread_t thread, void **lowest, size_t *size)
{
  pthread_attr_t attr;
  int ok = pthread_getattr_np(thread, &attr) == 0;
  if (ok)
    {
      ok = pthread_attr_getstack(&attr, lowest, size) == 0;
      pthread_attr_destroy(&attr);
    }
  return ok;
}

void *pthread_get_stackaddr_np(pthread_t thread)
{
  void *lowest;
  size_t size;
  return stackOf(thread, &lowest, &size) ? (char *)lowest + size : NULL;
}

size_t pthread_get_stacksize_np(pthread_t thread)
{
  void *lowest;
  size_t size;
  return stackOf(thread, &lowest, &size) ? size : 0;
}
