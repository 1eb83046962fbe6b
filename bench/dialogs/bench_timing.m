#import "bench_timing.h"
#include <time.h>

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
