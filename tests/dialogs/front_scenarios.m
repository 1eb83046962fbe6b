// Every dialog opened while another application's window has the keyboard:
// it comes to the front, centred, and takes the keys. Under a window manager
// it also has the manager's frame. The manager gives the focus a moment
// after the window maps, and a user types no sooner.
#import "kdt_alerts.h"
#import "kdt_xscreen.h"
#include <stdbool.h>

#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"

static unsigned char buffer[96];
static int length;
static int countdownOpen;

static void inFront(NSWindow *window)
{
  NSRect onScreen = kdtOnScreen(window);
  NSSize screen = [[window screen] frame].size;
  KDT_CHECK(kdtHasInputFocus(window));
  KDT_CHECK(fabs(NSMidX(onScreen) - screen.width / 2) <= 2);
  KDT_CHECK(NSMinY(onScreen) >= 0 && NSMaxY(onScreen) <= screen.height);
  if (kdtWindowManagerRuns())
    {
      NSRect frame = kdtFrameExtents(window);
      KDT_CHECK(kdtIsTopmost(window));
      KDT_CHECK(NSHeight(frame) > 10);  // a title bar of the manager's
      // GNUstep draws no title bar of its own inside the manager's frame.
      KDT_CHECK(NSEqualSizes(kdtClientSize(window), [[window contentView] frame].size));
    }
}

static void endCountdown(NSWindow *window)
{
  countdownOpen = 0;
}

static void everyDialogInFront(void)
{
  const KDTStep pin[] = {
    { KDTWaitWindow, "SelvikUSBKey管理工具" }, { KDTPause, "300" }, { KDTInspect, NULL, inFront },
    { KDTScreenshot, "front-pin" }, { KDTTypeKeys, "1234" }, { KDTClick, "确定" } };
  const KDTStep prompt[] = {
    { KDTWaitWindow }, { KDTPause, "300" }, { KDTInspect, NULL, inFront }, { KDTScreenshot, "front-pin-picture" },
    { KDTTypeKeys, "5678" }, { KDTPressKey, "Return" } };
  const KDTStep cert[] = {
    { KDTWaitWindow, "请选择要查看的证书" }, { KDTPause, "300" }, { KDTInspect, NULL, inFront },
    { KDTScreenshot, "front-certificates" }, { KDTPressKey, "Down" }, { KDTClick, "确定" } };
  const KDTStep key[] = {
    { KDTWaitWindow, "请选择Korvex" }, { KDTPause, "300" }, { KDTInspect, NULL, inFront },
    { KDTScreenshot, "front-tokens" }, { KDTPressKey, "Down" }, { KDTClick, "确定" } };
  const KDTStep init[] = {
    { KDTWaitWindow }, { KDTPause, "300" }, { KDTInspect, NULL, inFront }, { KDTScreenshot, "front-init" },
    { KDTPressKey, "Return" } };
  const KDTStep message[] = {
    { KDTWaitWindow }, { KDTPause, "300" }, { KDTInspect, NULL, inFront }, { KDTScreenshot, "front-message" },
    { KDTPressKey, "Return" } };
  const KDTStep countdown[] = {
    // Its polled run turns once a second, one step a turn: no pause, and no
    // screenshot, whose helper's end was in a loaded parallel run noticed only
    // after the countdown had run out (twice in CI).
    { KDTWaitWindow, "按键提示" }, { KDTInspect, NULL, inFront },
    { KDTInspect, NULL, endCountdown } };
  NSArray *rows = [NSArray arrayWithObjects:
    [NSDictionary dictionaryWithObjectsAndKeys: kdtUTF8("有效"), @"cerState", @"A", @"sub",
      @"B", @"isser", @"L1", @"label", @"N1", @"name", @"S1", @"serial", nil],
    [NSDictionary dictionaryWithObjectsAndKeys: kdtUTF8("过期"), @"cerState", @"C", @"sub",
      @"D", @"isser", @"L2", @"label", @"N2", @"name", @"S2", @"serial", nil], nil];

  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  kdtDrive(KDT_STEPS(pin));
  KDT_CHECK(((int (*)(char *, int *))kdtSymbol("P11_BlockPopPin"))((char *)buffer, &length) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "1234");

  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  kdtDrive(KDT_STEPS(prompt));
  ((int (*)(char *, int *, const char *, const char *))kdtSymbol("P11_BlockPopPin_pic"))(
    (char *)buffer, &length, "", BUNDLE);
  kdtExpectPin(buffer, sizeof buffer, length, "5678");

  // Down moves the list's selection from the first row to the second.
  kdtDrive(KDT_STEPS(cert));
  KDT_CHECK(((int (*)(NSArray *))kdtSymbol("selectCertAlertWithArr"))(rows) == 1);
  kdtDrive(KDT_STEPS(key));
  KDT_CHECK(((int (*)(NSArray *))kdtSymbol("selectKeyAlertWithArr"))(rows) == 1);

  kdtDrive(KDT_STEPS(init));
  KDT_CHECK(((bool (*)(const char *, const char *))kdtSymbol("keyInitAlert"))(
    "keyInitWarning", BUNDLE));
  kdtDrive(KDT_STEPS(message));
  KDT_CHECK(((int (*)(const char *, int))kdtSymbol("P11_ShowMsg2"))(
    "message", 0) == 0);

  countdownOpen = 1;
  kdtDrive(KDT_STEPS(countdown));
  ((int (*)(int, const char *, const char *, int, int, int *))kdtSymbol(
    "showCountDownWindow"))(20, "QVLedChangepin", BUNDLE, 567, 400, &countdownOpen);
  KDT_CHECK(kdtDriveFinished());
  kdtExpectNoWindowMapped();
}

// The window manager's buttons on a dialog that has none of its own: close
// leaves it open (the manager ended the whole host where the window did not
// take the request), and an iconified dialog comes back to be answered.
static void askClose(NSWindow *window)
{
  kdtAskManagerToClose(window);
}

static void askIconify(NSWindow *window)
{
  kdtAskManagerToIconify(window);
}

static void stillOnScreen(NSWindow *window)
{
  KDT_CHECK([NSApp modalWindow] == window && kdtIsMapped(window));
}

static void managerButtons(void)
{
  const KDTStep pin[] = {
    { KDTWaitWindow, "SelvikUSBKey管理工具" }, { KDTPause, "300" }, { KDTInspect, NULL, askClose },
    { KDTPause, "500" }, { KDTInspect, NULL, stillOnScreen }, { KDTInspect, NULL, askIconify },
    { KDTPause, "1000" }, { KDTInspect, NULL, stillOnScreen }, { KDTInspect, NULL, inFront },
    { KDTTypeKeys, "1234" }, { KDTClick, "确定" } };

  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  kdtDrive(KDT_STEPS(pin));
  KDT_CHECK(((int (*)(char *, int *))kdtSymbol("P11_BlockPopPin"))((char *)buffer, &length) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "1234");
}

const KDTScenario kdtFrontScenarios[] = {
  { "in_front", everyDialogInFront },
  { "manager_buttons", managerButtons },
  { NULL, NULL }
};
