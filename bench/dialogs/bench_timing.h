// Timing and memory pieces shared by the dialog benchmarks.
#pragma once
#import <AppKit/AppKit.h>

// Monotonic time in seconds.
double kdbNow(void);

// Starts watching for the next modal window: kdbShownAt() is then the moment
// it was first on screen, and kdbDrawnAt() the moment it had been drawn in
// full once after that (0 until then).
void kdbWatchNextWindow(void);
double kdbShownAt(void);
double kdbDrawnAt(void);

// The median of `v` (sorts it).
double kdbMedian(double *v, int n);

// Resident set size of this process, in kB.
long kdbRssKilobytes(void);

// Calls `dialog` `warmUp` times, then `count` times while printing the RSS
// every 100 calls, and prints the growth over those `count` calls.
void kdbReportRssGrowth(const char *what, int count, int warmUp, void (*dialog)(void));
