// The keyboard as a user meets it: typing straight into a dialog that has
// just opened, Escape, and what the PIN field shows while it is typed into.
// After every dialog, whatever ended it, none of its windows is on screen.
#import "kdt_alerts.h"
#import "kdt_xscreen.h"
#import <GNUstepGUI/GSDisplayServer.h>
#include <objc/runtime.h>
#include <stdbool.h>

#define PIN_TITLE "SelvikUSBKey管理工具"
#define CERT_TITLE "请选择要查看的证书"
#define KEY_TITLE "请选择Korvex"
#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"
#define PIN_MAX 64

static unsigned char buffer[PIN_MAX + 32];
static int length;

static void setUp(void)
{
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
}

static int pinWindow(const KDTStep *steps, int count)
{
  int (*blockPopPin)(char *, int *) = kdtSymbol("P11_BlockPopPin");
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  kdtDrive(steps, count);
  int result = blockPopPin((char *)buffer, &length);
  KDT_CHECK(kdtDriveFinished());
  kdtExpectNoWindowMapped();
  return result;
}

static int pinPrompt(const KDTStep *steps, int count)
{
  int (*blockPopPinPic)(char *, int *, const char *, const char *) =
    kdtSymbol("P11_BlockPopPin_pic");
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  kdtDrive(steps, count);
  int result = blockPopPinPic((char *)buffer, &length, "", BUNDLE);
  KDT_CHECK(kdtDriveFinished());
  kdtExpectNoWindowMapped();
  return result;
}

// Whether GNUstep's input server has an X input method open.
static BOOL inputMethodOpen(void)
{
  id server = nil;
  object_getInstanceVariable(GSCurrentServer(), "inputServer", (void **)&server);
  Ivar xim = server != nil ? class_getInstanceVariable([server class], "xim") : NULL;
  return xim == NULL || *(void **)((char *)server + ivar_getOffset(xim)) != NULL;
}

// Typed at once, before any click or Tab: the keys reach the PIN field,
// and in this host, which is no application, through no input method.
static void typedAtOpen(void)
{
  // Typed as soon as the window is on screen: GNUstep calls it visible as it
  // asks for the map, which a window manager carries out a moment later.
  const KDTStep window[] = {
    { KDTWaitWindow, PIN_TITLE }, { KDTPause, "100" }, { KDTTypeKeys, "4321" },
    { KDTClick, "确定" } };
  const KDTStep prompt[] = {
    { KDTWaitWindow }, { KDTPause, "100" }, { KDTTypeKeys, "4321xy" },
    { KDTPressKey, "Return" } };
  setUp();
  KDT_CHECK(pinWindow(KDT_STEPS(window)) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "4321");
  KDT_CHECK(pinPrompt(KDT_STEPS(prompt)) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "4321xy");
  KDT_CHECK(!inputMethodOpen());
}

// In a host that is an application the input method stays open for the
// host's own windows, and composes there (a dead key, then a letter); what
// is typed into the PIN field passes no input method: the dead key comes
// back as its own character, as in a host that is no application.
static void secureInputInApplication(void)
{
  NSWindow *own;
  NSTextField *field;
  const KDTStep pin[] = {
    { KDTWaitWindow, PIN_TITLE }, { KDTPressKey, "dead_acute" }, { KDTTypeKeys, "e1" },
    { KDTClick, "确定" } };
  const KDTStep composed[] = {
    { KDTWaitWindow }, { KDTPressKey, "dead_acute" }, { KDTTypeKeys, "e" }, { KDTStopModal } };

  kdtAddKeysym("dead_acute");
  setUp();
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  kdtDrive(KDT_STEPS(pin));
  KDT_CHECK(((int (*)(char *, int *))kdtSymbol("P11_BlockPopPin"))((char *)buffer, &length) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "´e1");
  KDT_CHECK(inputMethodOpen());

  own = [[NSWindow alloc] initWithContentRect: NSMakeRect(0, 0, 300, 60)
    styleMask: NSTitledWindowMask backing: NSBackingStoreBuffered defer: NO];
  field = [[[NSTextField alloc] initWithFrame: NSMakeRect(20, 18, 260, 24)] autorelease];
  [[own contentView] addSubview: field];
  [own center];
  kdtDrive(KDT_STEPS(composed));
  [NSApp runModalForWindow: own];
  KDT_CHECK([[field stringValue] isEqual: kdtUTF8("é")]);
  [own close];
}

// ---- Escape ----

// None of the library's buttons has Escape for its key equivalent, so
// Escape leaves every dialog open.
static void stillOpen(NSWindow *window)
{
  KDT_CHECK([NSApp modalWindow] == window && kdtIsMapped(window));
}

static NSArray *certificates(void)
{
  NSMutableArray *list = [NSMutableArray array];
  int i;
  for (i = 0; i < 3; i++)
    [list addObject: [NSDictionary dictionaryWithObjectsAndKeys:
      @"ok", @"cerState", [NSString stringWithFormat: @"S%d", i], @"sub",
      @"I", @"isser", nil]];
  return list;
}

static int selection(const char *function, NSArray *list, const KDTStep *steps, int count)
{
  int (*select)(NSArray *) = kdtSymbol(function);
  kdtDrive(steps, count);
  int result = select(list);
  KDT_CHECK(kdtDriveFinished());
  kdtExpectNoWindowMapped();
  return result;
}

static void escapeInWindows(void)
{
  const KDTStep pin[] = {
    { KDTWaitWindow, PIN_TITLE }, { KDTTypeKeys, "12" }, { KDTPressKey, "Escape" },
    { KDTInspect, NULL, stillOpen }, { KDTClick, "确定" } };
  const KDTStep cert[] = {
    { KDTWaitWindow, CERT_TITLE }, { KDTClickRow, "2" }, { KDTPressKey, "Escape" },
    { KDTInspect, NULL, stillOpen }, { KDTClick, "确定" } };
  const KDTStep key[] = {
    { KDTWaitWindow, KEY_TITLE }, { KDTClickRow, "1" }, { KDTPressKey, "Escape" },
    { KDTInspect, NULL, stillOpen }, { KDTClick, "确定" } };
  // Ended from outside, the selection window is not left on screen either.
  const KDTStep stopped[] = { { KDTWaitWindow, CERT_TITLE }, { KDTStopModal } };

  setUp();
  KDT_CHECK(pinWindow(KDT_STEPS(pin)) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "12");
  KDT_CHECK(selection("selectCertAlertWithArr", certificates(), KDT_STEPS(cert)) == 2);
  KDT_CHECK(selection("selectKeyAlertWithArr", certificates(), KDT_STEPS(key)) == 1);
  KDT_CHECK(selection("selectCertAlertWithArr", certificates(), KDT_STEPS(stopped)) == 0);
}

static void escapeInAlerts(void)
{
  const KDTStep prompt[] = {
    { KDTWaitWindow }, { KDTTypeKeys, "ab" }, { KDTPressKey, "Escape" },
    { KDTInspect, NULL, stillOpen }, { KDTClick, "OK" } };
  const KDTStep confirm[] = {
    { KDTWaitWindow }, { KDTPressKey, "Escape" }, { KDTInspect, NULL, stillOpen },
    { KDTClick, "确定" } };
  const KDTStep message[] = {
    { KDTWaitWindow }, { KDTPressKey, "Escape" }, { KDTInspect, NULL, stillOpen },
    { KDTClick, "OK" } };
  bool (*keyInit)(const char *, const char *) = kdtSymbol("keyInitAlert");
  int (*showMsg)(const char *, int) = kdtSymbol("P11_ShowMsg");
  int (*showMsg2)(const char *, int) = kdtSymbol("P11_ShowMsg2");

  setUp();
  KDT_CHECK(pinPrompt(KDT_STEPS(prompt)) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "ab");
  kdtDrive(KDT_STEPS(confirm));
  KDT_CHECK(keyInit("keyInitWarning", BUNDLE));
  kdtExpectNoWindowMapped();
  kdtDrive(KDT_STEPS(confirm));
  KDT_CHECK(showMsg2("m", 0) == 0);
  kdtExpectNoWindowMapped();
  kdtDrive(KDT_STEPS(message));
  KDT_CHECK(showMsg("m", 0) == 0);
  KDT_CHECK(kdtDriveFinished());
  kdtExpectNoWindowMapped();
}

// The countdown runs its time out: Escape neither closes it early nor
// passes for a close through its delegate.
static void escapeInCountdown(void)
{
  int (*showCountDown)(int, const char *, const char *, int, int, int *) =
    kdtSymbol("showCountDownWindow");
  const KDTStep steps[] = {
    { KDTWaitWindow, "按键提示" }, { KDTPressKey, "Escape" }, { KDTPause, "1200" },
    { KDTInspect, NULL, stillOpen } };
  int open = 1;

  setUp();
  kdtDrive(KDT_STEPS(steps));
  NSDate *start = [NSDate date];
  showCountDown(6, "QVLedChangepin", BUNDLE, 567, 400, &open);
  KDT_CHECK(-[start timeIntervalSinceNow] > 5.5);
  KDT_CHECK(kdtDriveFinished());
  KDT_CHECK(open == 1);
  kdtExpectNoWindowMapped();
}

// ---- Bullets ----

static void oneBulletEach(NSWindow *window)
{
  NSSecureTextField *field = kdtSecureField(window);
  int marks = kdtCountMarks(window, field, 10);
  if (marks != 6)
    fprintf(stderr, "%d bullets for 6 characters\n", marks);
  KDT_CHECK(marks == 6);
}

// Every character typed shows one bullet, whatever its script; the PIN comes
// back as the UTF-8 of what was typed.
static void nonAsciiBullets(void)
{
  const KDTStep window[] = {
    { KDTWaitWindow, PIN_TITLE }, { KDTClickField }, { KDTTypeKeys, "密码12ab" },
    { KDTInspect, NULL, oneBulletEach }, { KDTScreenshot, "pin-window-non-ascii" },
    { KDTClick, "确定" } };
  const KDTStep prompt[] = {
    { KDTWaitWindow }, { KDTClickField }, { KDTTypeKeys, "12ab密码" },
    { KDTInspect, NULL, oneBulletEach }, { KDTClick, "OK" } };
  setUp();
  KDT_CHECK(pinWindow(KDT_STEPS(window)) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "密码12ab");
  KDT_CHECK(pinPrompt(KDT_STEPS(prompt)) == 0);
  kdtExpectPin(buffer, sizeof buffer, length, "12ab密码");
}

const KDTScenario kdtKeyboardScenarios[] = {
  { "typed_at_open", typedAtOpen },
  { "escape_windows", escapeInWindows },
  { "escape_alerts", escapeInAlerts },
  { "escape_countdown", escapeInCountdown },
  { "non_ascii_bullets", nonAsciiBullets },
  { "secure_input_application", secureInputInApplication, YES },
  { NULL, NULL }
};
