// PIN window figures: memory over many dialogs, and time from the call to
// the window being on screen next to a bare GNUstep window.
//   pin_bench LIBRARY [DIALOGS]     (needs a display: run it under run-gui.sh)
#import "kdt_harness.h"
#import "bench_timing.h"

#define TITLE "SelvikUSBKey管理工具"
#define BARE_TITLE "bare"

static int (*blockPopPin)(char *, int *);

static const KDTStep answerPin[] = {
  { KDTWaitWindow, TITLE }, { KDTSetText, "1234" }, { KDTClick, "确定" } };
static const KDTStep endBare[] = { { KDTWaitWindow, BARE_TITLE }, { KDTStopModal } };

// Seconds from the call to the PIN window on screen.
static double pinDialog(void)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];  // the driver's objects
  char pin[64];
  int length;
  kdtDrive(KDT_STEPS(answerPin));
  kdbWatchNextWindow();
  double start = kdbNow();
  blockPopPin(pin, &length);
  [pool release];
  return kdbShownAt() - start;
}

static double bareWindow(void)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtDrive(KDT_STEPS(endBare));
  kdbWatchNextWindow();
  double start = kdbNow();
  NSWindow *w = [[NSWindow alloc] initWithContentRect: NSMakeRect(0, 0, 420, 130)
    styleMask: NSTitledWindowMask backing: NSBackingStoreBuffered defer: NO];
  [w setReleasedWhenClosed: NO];
  [w setTitle: @BARE_TITLE];
  [w center];
  [w makeKeyAndOrderFront: nil];
  [NSApp runModalForWindow: w];
  [w close];
  [w release];
  [pool release];
  return kdbShownAt() - start;
}

static void pinDialogOnly(void)
{
  pinDialog();
}

static void bareWindowOnly(void)
{
  bareWindow();
}

int main(int argc, char **argv)
{
  enum { samples = 21, warmUp = 20 };
  double pinTimes[samples], bareTimes[samples];
  int dialogs = argc > 2 ? atoi(argv[2]) : 500, i;

  if (argc < 2)
    {
      fprintf(stderr, "usage: pin_bench LIBRARY [DIALOGS]\n");
      return 2;
    }
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtOpenLibrary(argv[1]);
  blockPopPin = kdtSymbol("P11_BlockPopPin");
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();

  printf("first PIN window on screen after   %6.1f ms\n", pinDialog() * 1e3);
  for (i = 0; i < samples; i++)
    {
      pinTimes[i] = pinDialog();
      bareTimes[i] = bareWindow();
    }
  printf("PIN window on screen after (median) %6.1f ms\n", kdbMedian(pinTimes, samples) * 1e3);
  printf("bare window on screen after (median) %5.1f ms\n", kdbMedian(bareTimes, samples) * 1e3);

  kdbReportRssGrowth("PIN dialogs", dialogs, warmUp, pinDialogOnly);
  // The same number of bare windows, for what GNUstep itself keeps.
  kdbReportRssGrowth("bare windows", dialogs, 0, bareWindowOnly);
  [pool release];
  return 0;
}
