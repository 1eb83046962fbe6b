// No copy of a typed PIN stays in the host once a PIN dialog has returned and
// the caller has wiped its own buffer. The PIN is typed by a child process, so
// the host itself never holds it in the clear (kdt_secret.h).
#import "kdt_harness.h"
#import "kdt_memscan.h"

#define TITLE "SelvikUSBKey管理工具"
#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"
#define PIN_LENGTH 12

static unsigned char buffer[96];
static int length;

typedef int (*Dialog)(const KDTSecret *secret);

static int windowDialog(const KDTSecret *secret)
{
  int (*blockPopPin)(char *, int *) = kdtSymbol("P11_BlockPopPin");
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTClickField }, { KDTTypeSecret, NULL, NULL, secret },
    { KDTClick, "确定" } };
  kdtDrive(KDT_STEPS(steps));
  return blockPopPin((char *)buffer, &length);
}

// Tab before the click: the field, the only view that takes the keyboard,
// keeps it, and the PIN stays in its field editor.
static int windowDialogTabbedOut(const KDTSecret *secret)
{
  int (*blockPopPin)(char *, int *) = kdtSymbol("P11_BlockPopPin");
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTClickField }, { KDTTypeSecret, NULL, NULL, secret },
    { KDTPressKey, "Tab" }, { KDTClick, "确定" } };
  kdtDrive(KDT_STEPS(steps));
  return blockPopPin((char *)buffer, &length);
}

static int promptDialog(const KDTSecret *secret)
{
  int (*blockPopPinPic)(char *, int *, const char *, const char *) =
    kdtSymbol("P11_BlockPopPin_pic");
  const KDTStep steps[] = {
    { KDTWaitWindow }, { KDTClickField }, { KDTTypeSecret, NULL, NULL, secret },
    { KDTPressKey, "Return" } };
  kdtDrive(KDT_STEPS(steps));
  return blockPopPinPic((char *)buffer, &length, "", BUNDLE);
}

// One dialog answered with `secret`, then the caller wipes its buffer.
static void answer(Dialog dialog, const KDTSecret *secret)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  KDT_CHECK(dialog(secret) == 0);
  KDT_CHECK(kdtDriveFinished());
  KDT_CHECK(kdtSecretEquals(secret, buffer, length));
  explicit_bzero(buffer, sizeof buffer);
  [pool release];
}

static void setUp(const KDTSecret *secret)
{
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  KDT_CHECK(kdtScanForSecret(secret, "before the dialog") == 0);
  KDT_CHECK(kdtScanFindsPlantedCopies(secret));
}

static void traceOfOne(Dialog dialog, const char *label)
{
  KDTSecret secret;
  kdtNewSecret(&secret, PIN_LENGTH);
  setUp(&secret);
  answer(dialog, &secret);
  KDT_CHECK(kdtScanForSecret(&secret, label) == 0);
}

static void windowTrace(void)
{
  traceOfOne(windowDialog, "after P11_BlockPopPin");
}

static void promptTrace(void)
{
  traceOfOne(promptDialog, "after P11_BlockPopPin_pic");
}

// Three dialogs in a row, each with a PIN of its own: none of the three stays.
static void answerWindow(void *secret)
{
  answer(windowDialog, secret);
}

// The application object made on the main thread, the PIN typed on another,
// as a browser's worker thread asks.
static void windowTraceOtherThread(void)
{
  KDTSecret secret;
  kdtNewSecret(&secret, PIN_LENGTH);
  setUp(&secret);
  kdtOnNewThread(answerWindow, &secret);
  KDT_CHECK(kdtScanForSecret(&secret, "after P11_BlockPopPin on another thread") == 0);
}

static void threeInARow(void)
{
  static const Dialog dialogs[3] = { windowDialog, promptDialog, windowDialogTabbedOut };
  KDTSecret secrets[3];
  char label[64];
  int i, j;

  for (i = 0; i < 3; i++)
    kdtNewSecret(&secrets[i], PIN_LENGTH);
  setUp(&secrets[0]);
  for (i = 0; i < 3; i++)
    {
      answer(dialogs[i], &secrets[i]);
      for (j = 0; j <= i; j++)
        {
          snprintf(label, sizeof label, "after dialog %d, PIN %d", i + 1, j + 1);
          KDT_CHECK(kdtScanForSecret(&secrets[j], label) == 0);
        }
    }
}

const KDTScenario kdtPinTraceScenarios[] = {
  { "pin_trace_window", windowTrace },
  { "pin_trace_prompt", promptTrace },
  { "pin_trace_three_in_a_row", threeInARow },
  { "pin_trace_other_thread", windowTraceOtherThread },
  { NULL, NULL }
};
