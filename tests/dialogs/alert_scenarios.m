// The initialisation confirmation and the message boxes, driven as a user
// would drive them.
#import "kdt_alerts.h"
#include <stdbool.h>

#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"
#define INIT_ICON "keyInitWarning"  // 96 pixels wide in the test bundle
#define INIT_TEXT "初始化会将TarvosaKorvex恢复到出厂状态, 证书将被删除!\n" \
                  "初始化后不可恢复! 是否真的要初始化?"

static void (*consoleInit)(void);
static NSInteger policyBefore;

static void setUp(void)
{
  consoleInit = kdtSymbol("P11_ConsoleInit");
  consoleInit();
  policyBefore = [NSApp activationPolicy];
}

// An alert leaves the activation policy as it found it.
static void expectPolicyKept(void)
{
  KDT_CHECK([NSApp activationPolicy] == policyBefore);
}

// ---- keyInitAlert ----

static bool (*keyInit)(const char *, const char *);

static bool confirmInit(const char *name, const char *bundle, const KDTStep *steps, int count)
{
  kdtDrive(steps, count);
  bool confirmed = keyInit(name, bundle);
  KDT_CHECK(kdtDriveFinished());
  return confirmed;
}

// The two-line text alone, "确定" first and "取消" second, and no title.
static void checkInitAlert(NSWindow *window)
{
  NSString *text = kdtUTF8(INIT_TEXT);
  NSTextField *message = kdtLabel(window, text);
  NSArray *buttons = kdtTitledButtons(window);

  KDT_CHECK([[window title] length] == 0);
  KDT_CHECK(message != nil);
  KDT_CHECK([[text componentsSeparatedByString: @"\n"] count] == 2);
  KDT_CHECK([text rangeOfString: @"!\n"].location == [text rangeOfString: @"!"].location);
  KDT_CHECK(NSHeight([message frame]) >= 2 * [[message font] defaultLineHeightForFont]);
  KDT_CHECK([kdtVisibleTexts(window) count] == 1);
  KDT_CHECK([buttons count] == 2);
  if ([buttons count] == 2)
    {
      KDT_CHECK([[[buttons objectAtIndex: 0] title] isEqual: kdtUTF8("确定")]);
      KDT_CHECK([[[buttons objectAtIndex: 1] title] isEqual: kdtUTF8("取消")]);
    }
}

static void checkInitIcon(NSWindow *window)
{
  KDT_CHECK(kdtPixelsWide(kdtAlertIcon(window)) == 96);
}

static void checkDefaultIcon(NSWindow *window)
{
  NSImage *icon = kdtAlertIcon(window);
  KDT_CHECK(icon != nil && kdtPixelsWide(icon) != 96 && kdtPixelsWide(icon) != 128);
}

static void keyInitAnswers(void)
{
  const KDTStep ok[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkInitAlert },
    { KDTInspect, NULL, checkInitIcon }, { KDTScreenshot, "key-init-alert" },
    { KDTClick, "确定" } };
  const KDTStep cancel[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkInitIcon }, { KDTClick, "取消" } };
  // Return through the X server reaches the default button.
  const KDTStep returnKey[] = {
    { KDTWaitWindow }, { KDTPressKey, "Return" } };
  const KDTStep ended[] = { { KDTWaitWindow }, { KDTStopModal } };
  const KDTStep defaultIcon[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkDefaultIcon }, { KDTClick, "确定" } };
  const KDTStep defaultIconShot[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkDefaultIcon },
    { KDTScreenshot, "key-init-alert-default-icon" }, { KDTClick, "取消" } };
  id *pinwin = kdtSymbol("pinwin");

  setUp();
  keyInit = kdtSymbol("keyInitAlert");
  KDT_CHECK(confirmInit(INIT_ICON, BUNDLE, KDT_STEPS(ok)) == true);
  id first = *pinwin;
  KDT_CHECK([first isKindOfClass: NSClassFromString(@"p11Win")]);
  KDT_CHECK(confirmInit(INIT_ICON, BUNDLE, KDT_STEPS(cancel)) == false);
  KDT_CHECK(*pinwin != first);
  KDT_CHECK(confirmInit(INIT_ICON, BUNDLE, KDT_STEPS(returnKey)) == true);
  KDT_CHECK(confirmInit(INIT_ICON, BUNDLE, KDT_STEPS(ended)) == false);

  // No such picture (the name is given without its extension), no such
  // bundle, and names that are no text at all: the default icon.
  KDT_CHECK(confirmInit(INIT_ICON ".png", BUNDLE, KDT_STEPS(defaultIcon)) == true);
  KDT_CHECK(confirmInit(INIT_ICON, "/nonexistent/x.bundle", KDT_STEPS(defaultIconShot)) == false);
  KDT_CHECK(confirmInit(NULL, BUNDLE, KDT_STEPS(defaultIcon)) == true);
  KDT_CHECK(confirmInit(INIT_ICON, NULL, KDT_STEPS(defaultIcon)) == true);
  KDT_CHECK(confirmInit("keyInit\xff\xfe", BUNDLE, KDT_STEPS(defaultIcon)) == true);
  KDT_CHECK(confirmInit(INIT_ICON, BUNDLE "\xc3", KDT_STEPS(defaultIcon)) == true);
  expectPolicyKept();
}

// ---- P11_ShowMsg, P11_ShowMsg2 ----

static int (*showMsg)(const char *, int);
static int (*showMsg2)(const char *, int);
static NSString *expectedText;
static NSDate *pressedAt;

static void checkMessage(NSWindow *window)
{
  NSArray *texts = kdtVisibleTexts(window);
  KDT_CHECK([[window title] length] == 0);
  // Nothing but the message: no placeholder for the missing informative text.
  KDT_CHECK([texts count] == 1);
  KDT_CHECK([texts count] == 1 && [[texts objectAtIndex: 0] isEqual: expectedText]);
}

static void checkOneButton(NSWindow *window)
{
  KDT_CHECK([kdtTitledButtons(window) count] == 1);
}

static void checkTwoButtons(NSWindow *window)
{
  NSArray *buttons = kdtTitledButtons(window);
  KDT_CHECK([buttons count] == 2);
  KDT_CHECK([[[buttons objectAtIndex: 0] title] isEqual: kdtUTF8("确定")]);
}

static void markPress(NSWindow *window)
{
  [pressedAt release];
  pressedAt = [NSDate new];
}

static int show(int (*box)(const char *, int), const char *message, int unused,
                const KDTStep *steps, int count)
{
  expectedText = message != NULL ? kdtUTF8(message) : nil;
  if (expectedText == nil)
    expectedText = @"";
  kdtDrive(steps, count);
  int result = box(message, unused);
  KDT_CHECK(kdtDriveFinished());
  return result;
}

// From the press of a button to the return of P11_ShowMsg2: no settle wait
// once the answer is known.
static void expectQuickReturn(const char *button)
{
  double seconds = -[pressedAt timeIntervalSinceNow];
  fprintf(stderr, "P11_ShowMsg2 returned %.3f s after %s\n", seconds, button);
  KDT_CHECK(seconds < 0.3);
}

static void messageBoxes(void)
{
  const KDTStep one[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkMessage },
    { KDTInspect, NULL, checkOneButton }, { KDTScreenshot, "message-box" },
    { KDTPressKey, "Return" } };
  const KDTStep oneEnded[] = { { KDTWaitWindow }, { KDTStopModal } };
  const KDTStep ok[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkMessage },
    { KDTInspect, NULL, checkTwoButtons }, { KDTScreenshot, "message-box-two-buttons" },
    { KDTInspect, NULL, markPress }, { KDTClick, "确定" } };
  const KDTStep cancel[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, markPress }, { KDTClick, "取消" } };
  const KDTStep ended[] = { { KDTWaitWindow }, { KDTStopModal } };
  const KDTStep emptyText[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkMessage },
    { KDTScreenshot, "message-box-no-text" }, { KDTStopModal } };
  const KDTStep emptyAgain[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkMessage }, { KDTStopModal } };
  const KDTStep emptyOk[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkMessage }, { KDTClick, "确定" } };

  setUp();
  showMsg = kdtSymbol("P11_ShowMsg");
  showMsg2 = kdtSymbol("P11_ShowMsg2");
  KDT_CHECK(show(showMsg, "证书已导入。", 7, KDT_STEPS(one)) == 0);
  KDT_CHECK(show(showMsg, "证书已导入。", 0, KDT_STEPS(oneEnded)) == 0);
  KDT_CHECK(show(showMsg2, "确定要删除证书吗?", 0, KDT_STEPS(ok)) == 0);
  expectQuickReturn("确定");
  KDT_CHECK(show(showMsg2, "确定要删除证书吗?", 1, KDT_STEPS(cancel)) == 1);
  expectQuickReturn("取消");
  KDT_CHECK(show(showMsg2, "确定要删除证书吗?", 0, KDT_STEPS(ended)) == 1);

  // A missing or undecodable message shows an empty text.
  KDT_CHECK(show(showMsg, NULL, 0, KDT_STEPS(emptyText)) == 0);
  KDT_CHECK(show(showMsg, "\xe8\xaf", 0, KDT_STEPS(emptyAgain)) == 0);
  KDT_CHECK(show(showMsg2, NULL, 0, KDT_STEPS(cancel)) == 1);
  KDT_CHECK(show(showMsg2, "ab\xff", 0, KDT_STEPS(emptyOk)) == 0);
  expectPolicyKept();
}

const KDTScenario kdtAlertScenarios[] = {
  { "key_init", keyInitAnswers },
  { "message_boxes", messageBoxes },
  { NULL, NULL }
};
