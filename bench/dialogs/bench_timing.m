#import "bench_timing.h"
#include <stdio.h>
#include <time.h>
#include <unistd.h>

static double shownAt, drawnAt;

double kdbNow(void)
{
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Fires every millisecond inside the modal run.
@interface KDBVisibleProbe : NSObject
- (void) probe: (NSTimer *)t;
@end

@implementation KDBVisibleProbe
- (void) probe: (NSTimer *)t
{
  NSWindow *window = [NSApp modalWindow];
  if ([window isVisible])
    {
      shownAt = kdbNow();
      [window display];
      drawnAt = kdbNow();
      [t invalidate];
    }
}
@end

void kdbWatchNextWindow(void)
{
  static KDBVisibleProbe *probe;
  if (probe == nil)
    probe = [KDBVisibleProbe new];
  shownAt = drawnAt = 0;
  NSTimer *t = [NSTimer timerWithTimeInterval: 0.001 target: probe
                                     selector: @selector(probe:)
                                     userInfo: nil repeats: YES];
  [[NSRunLoop currentRunLoop] addTimer: t forMode: NSModalPanelRunLoopMode];
}

double kdbShownAt(void)
{
  return shownAt;
}

double kdbDrawnAt(void)
{
  return drawnAt;
}

static int byValue(const void *a, const void *b)
{
  double x = *(const double *)a, y = *(const double *)b;
  return x < y ? -1 : x > y;
}

double kdbMedian(double *v, int n)
{
  qsort(v, n, sizeof *v, byValue);
  return v[n / 2];
}

long kdbRssKilobytes(void)
{
  long pages = 0, resident = 0;
  FILE *f = fopen("/proc/self/statm", "r");
  if (f != NULL)
    {
      if (fscanf(f, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
      fclose(f);
    }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void kdbReportRssGrowth(const char *what, int count, int warmUp, void (*dialog)(void))
{
  int i;
  for (i = 0; i < warmUp; i++)
    dialog();
  long before = kdbRssKilobytes();
  for (i = 1; i <= count; i++)
    {
      dialog();
      if (i % 100 == 0)
        printf("  RSS after %3d %s: %ld kB\n", i, what, kdbRssKilobytes());
    }
  long after = kdbRssKilobytes();
  printf("RSS over %d %s: %ld kB -> %ld kB (growth %ld kB)\n",
         count, what, before, after, after - before);
}
