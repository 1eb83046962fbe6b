#include "demo_countdown.h"
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "keydialogs.h"

static const char *endWay;   // "int", "closeWindow" or "closeWindow_t"
static int endAfterMs;
static int keepOpen = 1;     // the int that the window watches
static void (*closeFunction)(void);

static double now(void)
{
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

static void *endLater(void *unused)
{
  (void)unused;
  usleep((useconds_t)endAfterMs * 1000);
  if (closeFunction != NULL)
    closeFunction();
  else
    keepOpen = 0;
  return NULL;
}

static const char *nameOrNull(const char *arg)
{
  return strcmp(arg, "-") == 0 ? NULL : arg;
}

int demoCountdown(void *(*symbol)(const char *), int argc, char **argv)
{
  __typeof__(showCountDownWindow) *countdown = symbol("showCountDownWindow");
  pthread_t thread;
  int width = 400, height = 567;

  if (argc < 1 || argc == 4 || argc == 6 || argc > 7)
    {
      fprintf(stderr, "countdown SECONDS [NAME [BUNDLE [WIDTH HEIGHT "
                      "[END_MS int|closeWindow|closeWindow_t]]]]\n");
      return 2;
    }
  if (argc >= 5)
    {
      width = atoi(argv[3]);
      height = atoi(argv[4]);
    }
  if (argc == 7)
    {
      endAfterMs = atoi(argv[5]);
      endWay = argv[6];
      if (strcmp(endWay, "int") != 0)
        closeFunction = symbol(endWay);
      pthread_create(&thread, NULL, endLater, NULL);
    }

  double start = now();
  int result = countdown(atoi(argv[0]), argc > 1 ? nameOrNull(argv[1]) : "QVLedChangepin",
                         argc > 2 ? nameOrNull(argv[2]) : NULL, height, width, &keepOpen);
  double took = now() - start;
  if (endWay != NULL)
    pthread_join(thread, NULL);
  printf("result: %d\nint: %d\nTIME: %d\nblocked: %.2f s\n",
         result, keepOpen, *(int *)symbol("TIME"), took);
  return 0;
}
