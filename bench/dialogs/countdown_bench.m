// Countdown window figures: how far the time from the call to its return
// drifts from the seconds asked for, with the window ending by itself.
//   countdown_bench LIBRARY [SECONDS [RUNS]]   (needs a display: run-gui.sh)
#import "kdt_harness.h"
#import "bench_timing.h"

int main(int argc, char **argv)
{
  int seconds = argc > 2 ? atoi(argv[2]) : 10;
  int runs = argc > 3 ? atoi(argv[3]) : 3, i;
  int open = 1;
  double drift[runs > 0 ? runs : 1];

  if (argc < 2 || runs < 1)
    {
      fprintf(stderr, "usage: countdown_bench LIBRARY [SECONDS [RUNS]]\n");
      return 2;
    }
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtOpenLibrary(argv[1]);
  int (*countdown)(int, const char *, const char *, int, int, int *) =
    kdtSymbol("showCountDownWindow");
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();

  for (i = 0; i < runs; i++)
    {
      double start = kdbNow();
      countdown(seconds, "QVLedChangepin", NULL, 567, 400, &open);
      drift[i] = kdbNow() - start - seconds;
      printf("countdown of %d s returned after %.3f s (drift %+.1f ms)\n",
             seconds, seconds + drift[i], drift[i] * 1e3);
    }
  printf("median drift over %d runs: %+.1f ms (%+.2f ms per tick)\n", runs,
         kdbMedian(drift, runs) * 1e3, kdbMedian(drift, runs) * 1e3 / seconds);
  [pool release];
  return 0;
}
