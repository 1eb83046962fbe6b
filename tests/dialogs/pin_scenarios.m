// The PIN entry window, driven as a user would drive it.
#import "kdt_harness.h"

#define TITLE "SelvikUSBKey管理工具"
#define PIN_MAX 64

static unsigned char buffer[PIN_MAX + 32];
static int length;
static NSSecureTextField *seenField;  // kept to look at after the dialog

static int (*blockPopPin)(char *, int *);
static void (*consoleInit)(void);

static void setUp(void)
{
  blockPopPin = kdtSymbol("P11_BlockPopPin");
  consoleInit = kdtSymbol("P11_ConsoleInit");
  consoleInit();
}

// One dialog with a fresh buffer; returns the dialog's result.
static int askPin(const KDTStep *steps, int count)
{
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  kdtDrive(steps, count);
  int result = blockPopPin((char *)buffer, &length);
  KDT_CHECK(kdtDriveFinished());
  return result;
}

// The buffer holds `pin` and nothing was written behind it.
static void expectPin(const char *pin)
{
  kdtExpectPin(buffer, sizeof buffer, length, pin);
}

static NSTextField *labelWithText(NSWindow *window, NSString *text)
{
  NSArray *views = [[window contentView] subviews];
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    {
      id v = [views objectAtIndex: i];
      if ([v isKindOfClass: [NSTextField class]] && [[v stringValue] isEqual: text])
        return v;
    }
  return nil;
}

static NSImageView *pictureView(NSWindow *window)
{
  NSArray *views = [[window contentView] subviews];
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    if ([[views objectAtIndex: i] isKindOfClass: [NSImageView class]])
      return [views objectAtIndex: i];
  return nil;
}

static void checkLayout(NSWindow *window)
{
  NSTextField *prompt = labelWithText(window, kdtUTF8("请输入USBKey密码"));
  NSFont *font = [prompt font];
  NSButton *ok = kdtButton(window, kdtUTF8("确定"));
  NSButton *cancel = kdtButton(window, kdtUTF8("取消"));

  KDT_CHECK(NSEqualSizes([[window contentView] frame].size, NSMakeSize(420, 130)));
  KDT_CHECK([window styleMask] == NSTitledWindowMask);
  KDT_CHECK(prompt != nil && ![prompt isSelectable] && ![prompt isBordered]);
  KDT_CHECK([font pointSize] == 13);
  KDT_CHECK([[font fontName] isEqual: [[NSFont boldSystemFontOfSize: 13] fontName]]);
  // A face that has the Chinese glyphs and a real bold weight.
  KDT_CHECK([[font coveredCharacterSet] characterIsMember: 0x5BC6]);  // 密
  KDT_CHECK([[NSFontManager sharedFontManager] traitsOfFont: font] & NSBoldFontMask);
  KDT_CHECK(NSEqualRects([kdtSecureField(window) frame], NSMakeRect(105, 65, 260, 24)));
  KDT_CHECK(NSEqualRects([ok frame], NSMakeRect(230, 20, 80, 40)));
  KDT_CHECK(NSEqualRects([cancel frame], NSMakeRect(320, 20, 80, 40)));
  KDT_CHECK([[pictureView(window) image] size].width > 0);
  seenField = [kdtSecureField(window) retain];
}

static void checkNoPicture(NSWindow *window)
{
  NSImageView *view = pictureView(window);
  KDT_CHECK(view != nil && [view image] == nil);
}

static void okAndCancel(void)
{
  const KDTStep ok[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, checkLayout },
    { KDTSetText, "1234" }, { KDTScreenshot, "pin-window" }, { KDTClick, "确定" } };
  const KDTStep cancel[] = {
    { KDTWaitWindow, TITLE }, { KDTSetText, "abcd" }, { KDTClick, "取消" } };

  setUp();
  KDT_CHECK(askPin(KDT_STEPS(ok)) == 0);
  expectPin("1234");
  KDT_CHECK([[seenField stringValue] length] == 0);  // no PIN left behind
  KDT_CHECK(askPin(KDT_STEPS(cancel)) == 1);
  expectPin("abcd");
}

static void emptyPin(void)
{
  const KDTStep steps[] = { { KDTWaitWindow, TITLE }, { KDTClick, "确定" } };
  setUp();
  KDT_CHECK(askPin(KDT_STEPS(steps)) == 0);
  expectPin("");
}

// Multi-byte text comes back as UTF-8; text set past the cap (not through the
// keyboard) is cut before the character that would cross it.
static void nonAsciiPin(void)
{
  char longer[PIN_MAX + 8];
  memset(longer, 'a', 63);
  strcpy(longer + 63, "密");
  const KDTStep mixed[] = {
    { KDTWaitWindow, TITLE }, { KDTSetText, "密码ü1" }, { KDTClick, "确定" } };
  const KDTStep tooLong[] = {
    { KDTWaitWindow, TITLE }, { KDTSetText, longer }, { KDTClick, "确定" } };

  setUp();
  KDT_CHECK(askPin(KDT_STEPS(mixed)) == 0);
  expectPin("密码ü1");
  KDT_CHECK(askPin(KDT_STEPS(tooLong)) == 0);
  longer[63] = '\0';
  expectPin(longer);

  // A character outside the BMP is two UTF-16 units and four bytes: whole, or
  // left out when it would cross the cap.
  char emojiLast[PIN_MAX + 8];
  memset(emojiLast, 'b', 62);
  strcpy(emojiLast + 62, "😀");
  const KDTStep emoji[] = {
    { KDTWaitWindow, TITLE }, { KDTSetText, "a😀" }, { KDTClick, "确定" } };
  const KDTStep emojiPastCap[] = {
    { KDTWaitWindow, TITLE }, { KDTSetText, emojiLast }, { KDTClick, "确定" } };
  KDT_CHECK(askPin(KDT_STEPS(emoji)) == 0);
  expectPin("a\xF0\x9F\x98\x80");
  KDT_CHECK(askPin(KDT_STEPS(emojiPastCap)) == 0);
  emojiLast[62] = '\0';
  expectPin(emojiLast);
}

// Real keystrokes into the field the user has clicked.
static void typedPin(void)
{
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTClickField }, { KDTTypeKeys, "4321" },
    { KDTScreenshot, "pin-window-typed" }, { KDTClick, "确定" } };
  setUp();
  KDT_CHECK(askPin(KDT_STEPS(steps)) == 0);
  expectPin("4321");
  // Neither the window, the typing nor the real click made this host, which
  // is no application, start (and wait for) a notification or pasteboard
  // server; nor is it offered to other programs under its name as a
  // services provider.
  KDT_CHECK(!kdtRunHasProcess("gdnc"));
  KDT_CHECK(!kdtRunHasProcess("gpbs"));
  KDT_CHECK([[NSMessagePortNameServer sharedInstance]
              portForName: [[NSProcessInfo processInfo] processName]] == nil);
}

// The field takes no edit past 64 bytes: the three-byte character that would
// cross the cap is refused, the single bytes after it fill the cap exactly.
static void typedPinCapped(void)
{
  char typed[PIN_MAX + 8], expected[PIN_MAX + 1];
  memset(typed, 'a', 62);
  strcpy(typed + 62, "密bcd");
  memcpy(expected, typed, 62);
  strcpy(expected + 62, "bc");
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTClickField }, { KDTTypeKeys, typed },
    { KDTClick, "确定" } };
  setUp();
  KDT_CHECK(askPin(KDT_STEPS(steps)) == 0);
  expectPin(expected);
}

// A modal run ended by someone else: -1 once the settle wait is over, with
// the field's text handed back all the same.
static NSDate *stoppedAt;

static void markStop(NSWindow *window)
{
  stoppedAt = [NSDate new];
}

static void stoppedFromOutside(void)
{
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTSetText, "12" },
    { KDTInspect, NULL, markStop }, { KDTStopModal } };
  setUp();
  KDT_CHECK(askPin(KDT_STEPS(steps)) == -1);
  KDT_CHECK(-[stoppedAt timeIntervalSinceNow] >= 0.4);
  expectPin("12");
}

static int signFlagOf(id controller)
{
  return [[controller valueForKey: @"signFlag"] intValue];
}

// Each call leaves its own controller in pinwin; the PIN window leaves the
// application an accessory, and P11_ConsoleInit does not undo that.
static void replacedControllerAndPolicy(void)
{
  const KDTStep ok[] = { { KDTWaitWindow, TITLE }, { KDTClick, "确定" } };
  const KDTStep cancel[] = { { KDTWaitWindow, TITLE }, { KDTClick, "取消" } };
  id *pinwin = kdtSymbol("pinwin");

  setUp();
  NSApplication *app = NSApp;
  KDT_CHECK(app != nil);
  KDT_CHECK([app activationPolicy] == NSApplicationActivationPolicyRegular);
  KDT_CHECK(askPin(KDT_STEPS(ok)) == 0);
  KDT_CHECK(signFlagOf(*pinwin) == 0);
  KDT_CHECK(askPin(KDT_STEPS(cancel)) == 1);
  KDT_CHECK([*pinwin isKindOfClass: NSClassFromString(@"p11Win")]);
  KDT_CHECK(signFlagOf(*pinwin) == 1);
  KDT_CHECK([app activationPolicy] == NSApplicationActivationPolicyAccessory);
  consoleInit();
  KDT_CHECK(NSApp == app);
  KDT_CHECK([app activationPolicy] == NSApplicationActivationPolicyAccessory);
}

static void missingPicture(void)
{
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, checkNoPicture },
    { KDTScreenshot, "pin-window-no-picture" }, { KDTSetText, "1" },
    { KDTClick, "确定" } };
  setUp();
  KDT_CHECK(askPin(KDT_STEPS(steps)) == 0);
  expectPin("1");
}

// Null arguments, or no application object yet: nothing shown or written.
static void nullArguments(void)
{
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  blockPopPin = kdtSymbol("P11_BlockPopPin");
  KDT_CHECK(blockPopPin((char *)buffer, &length) == -1);
  KDT_CHECK(length == -7 && buffer[0] == KDT_UNTOUCHED);
  setUp();
  KDT_CHECK(blockPopPin(NULL, &length) == -1);
  KDT_CHECK(length == -7);
  KDT_CHECK(blockPopPin((char *)buffer, NULL) == -1);
  KDT_CHECK(buffer[0] == KDT_UNTOUCHED);
  NSArray *windows = [NSApp windows];
  NSUInteger i;
  for (i = 0; i < [windows count]; i++)
    KDT_CHECK(![[windows objectAtIndex: i] isVisible]);
}

const KDTScenario kdtPinScenarios[] = {
  { "pin_ok_cancel", okAndCancel },
  { "pin_empty", emptyPin },
  { "pin_non_ascii", nonAsciiPin },
  { "pin_typed", typedPin },
  { "pin_typed_capped", typedPinCapped },
  { "pin_stopped", stoppedFromOutside },
  { "pin_replaced_controller_policy", replacedControllerAndPolicy },
  { "pin_missing_picture", missingPicture },
  { "pin_null_arguments", nullArguments },
  { NULL, NULL }
};
