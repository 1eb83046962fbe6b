// Memory over many calls of every dialog kind in one process: the growth of
// the resident set and of the heap in use per call, after a warm-up.
//   soak_bench LIBRARY [CALLS [COUNTDOWN_CALLS [KIND]]]   (under run-gui.sh --bundle)
// A countdown window lasts at least a second, so it gets fewer calls
// (default 1000 and 100). KIND runs only the kinds whose name contains it.
#import "kdt_harness.h"
#import "bench_timing.h"
#include <malloc.h>

#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"

static int (*blockPopPin)(char *, int *);
static int (*blockPopPinPic)(char *, int *, const char *, const char *);
static int (*selectCert)(NSArray *);
static int (*selectKey)(NSArray *);
static BOOL (*keyInit)(const char *, const char *);
static int (*showMsg)(const char *, int);
static int (*showMsg2)(const char *, int);
static int (*countdown)(int, const char *, const char *, int, int, int *);
static void (*closeNow)(void);
static NSArray *certs, *keys;

static void endCountdown(NSWindow *window)
{
  closeNow();
}

static const KDTStep pinSteps[] = {
  { KDTWaitWindow, "SelvikUSBKey管理工具" }, { KDTSetText, "123456" }, { KDTClick, "确定" } };
static const KDTStep emptyPinSteps[] = {
  { KDTWaitWindow, "SelvikUSBKey管理工具" }, { KDTClick, "确定" } };
static const KDTStep promptSteps[] = {
  { KDTWaitWindow }, { KDTSetText, "123456" }, { KDTClick, "OK" } };
static const KDTStep okSteps[] = { { KDTWaitWindow }, { KDTClick, "确定" } };
static const KDTStep plainOkSteps[] = { { KDTWaitWindow }, { KDTClick, "OK" } };
static const KDTStep countdownSteps[] = {
  { KDTWaitWindow }, { KDTInspect, NULL, endCountdown } };

static void pinWindow(void)
{
  char pin[64];
  int length;
  kdtDrive(KDT_STEPS(pinSteps));
  blockPopPin(pin, &length);
}

static void emptyPinWindow(void)
{
  char pin[64];
  int length;
  kdtDrive(KDT_STEPS(emptyPinSteps));
  blockPopPin(pin, &length);
}

static void pinPrompt(void)
{
  char pin[64];
  int length;
  kdtDrive(KDT_STEPS(promptSteps));
  blockPopPinPic(pin, &length, "", BUNDLE);
}

static void certSelection(void)
{
  kdtDrive(KDT_STEPS(okSteps));
  selectCert(certs);
}

static void keySelection(void)
{
  kdtDrive(KDT_STEPS(okSteps));
  selectKey(keys);
}

static void initConfirmation(void)
{
  kdtDrive(KDT_STEPS(okSteps));
  keyInit("QV64", BUNDLE);
}

static void message(void)
{
  kdtDrive(KDT_STEPS(plainOkSteps));
  showMsg("消息", 0);
}

static void messageWithCancel(void)
{
  kdtDrive(KDT_STEPS(okSteps));
  showMsg2("消息", 0);
}

static void countdownWindow(void)
{
  int open = 1;
  kdtDrive(KDT_STEPS(countdownSteps));
  countdown(30, "QVLedChangepin", NULL, 567, 400, &open);
}

static void (*current)(void);
static const char *only;

// One call in a pool of its own, as a host's run loop would give it.
static void pooled(void)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  current();
  [pool release];
}

static size_t heapInUse(void)
{
  return mallinfo2().uordblks;
}

static void soak(const char *what, void (*dialog)(void), int calls)
{
  int warmUp = calls / 10 > 5 ? calls / 10 : 5, i;
  if (only != NULL && strstr(what, only) == NULL)
    return;
  current = dialog;
  for (i = 0; i < warmUp; i++)
    pooled();
  long rss = kdbRssKilobytes();
  size_t heap = heapInUse();
  for (i = 0; i < calls; i++)
    pooled();
  long rssGrowth = kdbRssKilobytes() - rss;
  long heapGrowth = (long)heapInUse() - (long)heap;
  printf("%-26s %5d calls after %3d: RSS %+6ld kB (%+7.1f B/call), heap in use %+8ld B (%+7.1f B/call)\n",
         what, calls, warmUp, rssGrowth, rssGrowth * 1024.0 / calls, heapGrowth,
         (double)heapGrowth / calls);
  fflush(stdout);
}

static NSArray *newList(NSString *k1, NSString *k2, NSString *k3)
{
  NSMutableArray *list = [NSMutableArray new];
  int i;
  for (i = 0; i < 5; i++)
    {
      NSString *n = [NSString stringWithFormat: @"%d", i];
      [list addObject: [NSDictionary dictionaryWithObjectsAndKeys: n, k1, n, k2, n, k3, nil]];
    }
  return list;
}

int main(int argc, char **argv)
{
  int calls = argc > 2 ? atoi(argv[2]) : 1000;
  int countdownCalls = argc > 3 ? atoi(argv[3]) : 100;
  only = argc > 4 ? argv[4] : NULL;

  if (argc < 2 || calls < 1 || countdownCalls < 1)
    {
      fprintf(stderr, "usage: soak_bench LIBRARY [CALLS [COUNTDOWN_CALLS [KIND]]]\n");
      return 2;
    }
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtOpenLibrary(argv[1]);
  blockPopPin = kdtSymbol("P11_BlockPopPin");
  blockPopPinPic = kdtSymbol("P11_BlockPopPin_pic");
  selectCert = kdtSymbol("selectCertAlertWithArr");
  selectKey = kdtSymbol("selectKeyAlertWithArr");
  keyInit = kdtSymbol("keyInitAlert");
  showMsg = kdtSymbol("P11_ShowMsg");
  showMsg2 = kdtSymbol("P11_ShowMsg2");
  countdown = kdtSymbol("showCountDownWindow");
  closeNow = kdtSymbol("closeWindow_t");
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  certs = newList(@"cerState", @"sub", @"isser");
  keys = newList(@"label", @"name", @"serial");

  soak("PIN window", pinWindow, calls);
  soak("PIN window left empty", emptyPinWindow, calls);
  soak("PIN prompt with picture", pinPrompt, calls);
  soak("certificate selection", certSelection, calls);
  soak("token selection", keySelection, calls);
  soak("initialisation alert", initConfirmation, calls);
  soak("message box", message, calls);
  soak("message box with cancel", messageWithCancel, calls);
  soak("countdown window", countdownWindow, countdownCalls);
  [pool release];
  return 0;
}
