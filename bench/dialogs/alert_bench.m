// Alert dialog figures: the time from a button press to the return of
// P11_ShowMsg2 (whose settle wait must cost nothing once decided) next to
// P11_ShowMsg (which has none), and memory over many PIN prompts with picture.
//   alert_bench LIBRARY [DIALOGS]     (needs a display: run it under run-gui.sh)
#import "kdt_harness.h"
#import "bench_timing.h"

#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"

static int (*showMsg)(const char *, int);
static int (*showMsg2)(const char *, int);
static int (*blockPopPinPic)(char *, int *, const char *, const char *);
static double pressedAt;

static void markPress(NSWindow *window)
{
  pressedAt = kdbNow();
}

static const KDTStep pressOk[] = {
  { KDTWaitWindow }, { KDTInspect, NULL, markPress }, { KDTClick, "确定" } };
static const KDTStep pressOnly[] = {
  { KDTWaitWindow }, { KDTInspect, NULL, markPress }, { KDTClick, "OK" } };
static const KDTStep answerPin[] = {
  { KDTWaitWindow }, { KDTSetText, "123456" }, { KDTClick, "OK" } };

// Seconds from the press of the button to the return of the call.
static double pressToReturn(int (*box)(const char *, int), const KDTStep *steps, int count)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtDrive(steps, count);
  box("消息", 0);
  double seconds = kdbNow() - pressedAt;
  [pool release];
  return seconds;
}

static void pinPrompt(void)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  char pin[64];
  int length;
  kdtDrive(KDT_STEPS(answerPin));
  blockPopPinPic(pin, &length, "", BUNDLE);
  [pool release];
}

int main(int argc, char **argv)
{
  enum { samples = 21, warmUp = 20 };
  double two[samples], one[samples];
  int dialogs = argc > 2 ? atoi(argv[2]) : 300, i;

  if (argc < 2)
    {
      fprintf(stderr, "usage: alert_bench LIBRARY [DIALOGS]\n");
      return 2;
    }
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtOpenLibrary(argv[1]);
  showMsg = kdtSymbol("P11_ShowMsg");
  showMsg2 = kdtSymbol("P11_ShowMsg2");
  blockPopPinPic = kdtSymbol("P11_BlockPopPin_pic");
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();

  for (i = 0; i < samples; i++)
    {
      two[i] = pressToReturn(showMsg2, KDT_STEPS(pressOk));
      one[i] = pressToReturn(showMsg, KDT_STEPS(pressOnly));
    }
  printf("P11_ShowMsg2 returns after the press (median) %6.1f ms\n", kdbMedian(two, samples) * 1e3);
  printf("P11_ShowMsg returns after the press (median)  %6.1f ms\n", kdbMedian(one, samples) * 1e3);

  kdbReportRssGrowth("PIN prompts with picture", dialogs, warmUp, pinPrompt);
  [pool release];
  return 0;
}
