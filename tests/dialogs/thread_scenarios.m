// Dialogs called from threads that the host starts, as browsers call the
// token's module from worker threads: every window painted and answered, and
// two callers at once served one after the other.
#import "kdt_harness.h"
#include <time.h>
#include <unistd.h>

#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"

// Whether the screenshot `name` shows more than one flat colour: a window that
// is mapped but never drawn shows the black root or stale pixels.
static BOOL screenshotPainted(const char *name)
{
  char command[512];
  double spread = 0;
  FILE *out;

  snprintf(command, sizeof command,
           "convert '%s/%s.png' -format '%%[fx:standard_deviation]' info:",
           getenv("KDT_SCREENSHOT_DIR"), name);
  out = popen(command, "r");
  if (out == NULL || fscanf(out, "%lf", &spread) != 1)
    spread = 0;
  if (out != NULL)
    pclose(out);
  return spread > 0.05;
}

static int countdownFlag;

static void closeCountdown(NSWindow *window)
{
  __atomic_store_n(&countdownFlag, 0, __ATOMIC_SEQ_CST);
}

static void pinWindow(void *unused)
{
  static const KDTStep steps[] = {
    { KDTWaitWindow, "SelvikUSBKey管理工具" }, { KDTClickField }, { KDTTypeKeys, "4711" },
    { KDTScreenshot, "thread-pin-window" }, { KDTClick, "确定" } };
  unsigned char pin[80];
  int length;
  kdtMarkPinBuffer(pin, sizeof pin, &length);
  kdtDrive(KDT_STEPS(steps));
  KDT_CHECK(((int (*)(char *, int *))kdtSymbol("P11_BlockPopPin"))((char *)pin, &length) == 0);
  kdtExpectPin(pin, sizeof pin, length, "4711");
}

static void pinPrompt(void *unused)
{
  static const KDTStep steps[] = {
    { KDTWaitWindow }, { KDTClickField }, { KDTTypeKeys, "0815" },
    { KDTScreenshot, "thread-pin-prompt" }, { KDTPressKey, "Return" } };
  unsigned char pin[80];
  int length;
  kdtMarkPinBuffer(pin, sizeof pin, &length);
  kdtDrive(KDT_STEPS(steps));
  KDT_CHECK(((int (*)(char *, int *, const char *, const char *))kdtSymbol(
    "P11_BlockPopPin_pic"))((char *)pin, &length, "", BUNDLE) == 0);
  kdtExpectPin(pin, sizeof pin, length, "0815");
}

static void tokenChoice(void *unused)
{
  static const KDTStep steps[] = {
    { KDTWaitWindow, "请选择Korvex" }, { KDTClickRow, "1" },
    { KDTScreenshot, "thread-token-choice" }, { KDTClick, "确定" } };
  NSArray *tokens = [NSArray arrayWithObjects:
    [NSDictionary dictionaryWithObjectsAndKeys: @"A", @"label", @"R0", @"name", @"1", @"serial", nil],
    [NSDictionary dictionaryWithObjectsAndKeys: @"B", @"label", @"R1", @"name", @"2", @"serial", nil],
    nil];
  kdtDrive(KDT_STEPS(steps));
  KDT_CHECK(((int (*)(NSArray *))kdtSymbol("selectKeyAlertWithArr"))(tokens) == 1);
}

static void certificateChoice(void *unused)
{
  static const KDTStep steps[] = {
    { KDTWaitWindow, "请选择要查看的证书" }, { KDTScreenshot, "thread-certificate-choice" },
    { KDTClick, "确定" } };
  NSArray *certificates = [NSArray arrayWithObject: [NSDictionary dictionaryWithObjectsAndKeys:
    @"valid", @"cerState", @"A", @"sub", @"B", @"isser", nil]];
  kdtDrive(KDT_STEPS(steps));
  KDT_CHECK(((int (*)(NSArray *))kdtSymbol("selectCertAlertWithArr"))(certificates) == 0);
}

static void initConfirmation(void *unused)
{
  static const KDTStep steps[] = {
    { KDTWaitWindow }, { KDTScreenshot, "thread-init-confirmation" }, { KDTClick, "确定" } };
  kdtDrive(KDT_STEPS(steps));
  KDT_CHECK(((bool (*)(const char *, const char *))kdtSymbol("keyInitAlert"))(
    "keyInitWarning", BUNDLE));
}

static void twoButtonMessage(void *unused)
{
  static const KDTStep steps[] = {
    { KDTWaitWindow }, { KDTScreenshot, "thread-message" }, { KDTClick, "取消" } };
  kdtDrive(KDT_STEPS(steps));
  KDT_CHECK(((int (*)(const char *, int))kdtSymbol("P11_ShowMsg2"))("线程", 0) == 1);
}

static void countdown(void *unused)
{
  static const KDTStep steps[] = {
    { KDTWaitWindow, "按键提示" }, { KDTScreenshot, "thread-countdown" },
    { KDTInspect, NULL, closeCountdown } };
  countdownFlag = 1;
  kdtDrive(KDT_STEPS(steps));
  KDT_CHECK(((int (*)(int, const char *, const char *, int, int, int *))kdtSymbol(
    "showCountDownWindow"))(30, "QVLedChangepin", BUNDLE, 567, 400, &countdownFlag) == 0);
}

// Each dialog on a thread of its own, after the application object was made
// on the main thread; the PIN window once more at the end, on yet another.
static void everyDialogOnNewThreads(void)
{
  static void (*const dialogs[])(void *) = { pinWindow, pinPrompt, tokenChoice,
    certificateChoice, initConfirmation, twoButtonMessage, countdown, pinWindow };
  static const char *const shots[] = { "thread-pin-window", "thread-pin-prompt",
    "thread-token-choice", "thread-certificate-choice", "thread-init-confirmation",
    "thread-message", "thread-countdown" };
  size_t i;

  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  for (i = 0; i < sizeof dialogs / sizeof dialogs[0]; i++)
    {
      kdtOnNewThread(dialogs[i], NULL);
      KDT_CHECK(kdtDriveFinished());
    }
  for (i = 0; i < sizeof shots / sizeof shots[0]; i++)
    if (!screenshotPainted(shots[i]))
      {
        fprintf(stderr, "not painted: %s\n", shots[i]);
        KDT_CHECK(NO);
      }
}

static struct timespec secondEnded;
static volatile int secondResult = -5;

static void secondCaller(void *unused)
{
  // Not driven: answered with Return once it is up, after the first.
  secondResult = ((int (*)(const char *, int))kdtSymbol("P11_ShowMsg2"))("第二个", 0);
  clock_gettime(CLOCK_MONOTONIC, &secondEnded);
}

static void firstCaller(void *unused)
{
  static const KDTStep steps[] = {
    { KDTWaitWindow, "SelvikUSBKey管理工具" }, { KDTPause, "700" }, { KDTClickField },
    { KDTTypeKeys, "12" }, { KDTClick, "确定" } };
  unsigned char pin[80];
  int length;
  pthread_t second;

  kdtMarkPinBuffer(pin, sizeof pin, &length);
  kdtDrive(KDT_STEPS(steps));
  kdtStartThread(&second, secondCaller, NULL);  // comes while this window is up
  KDT_CHECK(((int (*)(char *, int *))kdtSymbol("P11_BlockPopPin"))((char *)pin, &length) == 0);
  kdtExpectPin(pin, sizeof pin, length, "12");
  KDT_CHECK(secondResult == -5);  // still waiting for this dialog to end
  while (secondResult == -5)
    {
      system("/usr/bin/xdotool key Return");
      usleep(300 * 1000);
    }
  pthread_join(second, NULL);
}

static void twoCallersAtOnce(void)
{
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  kdtOnNewThread(firstCaller, NULL);
  KDT_CHECK(secondResult == 0);
}

const KDTScenario kdtThreadScenarios[] = {
  { "threads_every_dialog", everyDialogOnNewThreads },
  { "threads_two_callers", twoCallersAtOnce },
  { NULL, NULL }
};
