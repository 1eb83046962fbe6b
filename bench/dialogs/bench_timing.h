// Timing pieces shared by the dialog benchmarks.
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
