// The PIN prompt with picture (P11_BlockPopPin_pic), driven as a user would.
#import "kdt_alerts.h"

#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"  // its QV64.png is 128 pixels wide
#define PROMPT "请输入用户密码！"
#define PIN_MAX 64

static unsigned char buffer[PIN_MAX + 32];
static int length;
static int (*blockPopPinPic)(char *, int *, const char *, const char *);
static NSInteger policyBefore;

static void setUp(void)
{
  void (*consoleInit)(void) = kdtSymbol("P11_ConsoleInit");
  blockPopPinPic = kdtSymbol("P11_BlockPopPin_pic");
  consoleInit();
  policyBefore = [NSApp activationPolicy];
}

static int askPin(const char *text, const char *bundle, const KDTStep *steps, int count)
{
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  kdtDrive(steps, count);
  int result = blockPopPinPic((char *)buffer, &length, text, bundle);
  KDT_CHECK(kdtDriveFinished());
  return result;
}

// The buffer holds `pin` and nothing was written behind it.
static void expectPin(const char *pin)
{
  kdtExpectPin(buffer, sizeof buffer, length, pin);
}

// The message, the field under it and above the one "OK" button, the
// bundle's picture, and no other text, title included.
static void checkPrompt(NSWindow *window)
{
  NSTextField *message = kdtLabel(window, kdtUTF8(PROMPT));
  NSSecureTextField *field = kdtSecureField(window);
  NSArray *buttons = kdtTitledButtons(window);
  NSRect content = [[window contentView] bounds];
  NSRect f = [field convertRect: [field bounds] toView: [window contentView]];

  KDT_CHECK(message != nil);
  KDT_CHECK([kdtVisibleTexts(window) count] == 1 && [[window title] length] == 0);
  KDT_CHECK(field != nil && ![field isHiddenOrHasHiddenAncestor]);
  KDT_CHECK(NSEqualSizes(f.size, NSMakeSize(260, 24)));
  KDT_CHECK(NSContainsRect(content, f));
  KDT_CHECK(NSMaxY(f) <= NSMinY([message frame]));
  KDT_CHECK([buttons count] == 1);
  if ([buttons count] == 1)
    {
      NSButton *ok = [buttons objectAtIndex: 0];
      KDT_CHECK([[ok title] isEqual: @"OK"]);  // the host translates nothing
      KDT_CHECK(NSMinY(f) >= NSMaxY([ok frame]));
    }
  KDT_CHECK(kdtPixelsWide(kdtAlertIcon(window)) == 128);
}

static void checkDefaultIcon(NSWindow *window)
{
  NSImage *icon = kdtAlertIcon(window);
  KDT_CHECK(icon != nil && kdtPixelsWide(icon) != 128);
  KDT_CHECK(kdtLabel(window, kdtUTF8(PROMPT)) != nil);
}

static void promptAnswers(void)
{
  char longer[PIN_MAX + 8], typed[PIN_MAX + 8], capped[PIN_MAX + 1];
  const KDTStep six[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkPrompt }, { KDTSetText, "abc123" },
    { KDTScreenshot, "pin-prompt" }, { KDTClick, "OK" } };
  const KDTStep empty[] = { { KDTWaitWindow }, { KDTClick, "OK" } };
  const KDTStep nonAscii[] = {
    { KDTWaitWindow }, { KDTSetText, "密码ü1" }, { KDTClick, "OK" } };
  // Real keystrokes into the clicked field; Return there answers the prompt.
  const KDTStep typedKeys[] = {
    { KDTWaitWindow }, { KDTClickField }, { KDTTypeKeys, "4321xy" },
    { KDTScreenshot, "pin-prompt-typed" }, { KDTPressKey, "Return" } };
  const KDTStep setTooLong[] = {
    { KDTWaitWindow }, { KDTSetText, longer }, { KDTClick, "OK" } };
  const KDTStep typedTooLong[] = {
    { KDTWaitWindow }, { KDTClickField }, { KDTTypeKeys, typed }, { KDTClick, "OK" } };
  const KDTStep sameText[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkPrompt }, { KDTSetText, "9" },
    { KDTClick, "OK" } };
  id *pinwin = kdtSymbol("pinwin");

  // Text set past the cap (not through the keyboard) is cut before the
  // character that would cross it; typed text stops at the cap.
  memset(longer, 'a', 63);
  strcpy(longer + 63, "密");
  memset(typed, 'a', 62);
  strcpy(typed + 62, "密bcd");
  memcpy(capped, typed, 62);
  strcpy(capped + 62, "bc");

  setUp();
  KDT_CHECK(askPin("ignored", BUNDLE, KDT_STEPS(six)) == 0);
  expectPin("abc123");
  KDT_CHECK(askPin("ignored", BUNDLE, KDT_STEPS(empty)) == 0);
  expectPin("");
  KDT_CHECK(askPin("ignored", BUNDLE, KDT_STEPS(nonAscii)) == 0);
  expectPin("密码ü1");
  KDT_CHECK(askPin("ignored", BUNDLE, KDT_STEPS(typedKeys)) == 0);
  expectPin("4321xy");
  KDT_CHECK(askPin("ignored", BUNDLE, KDT_STEPS(setTooLong)) == 0);
  longer[63] = '\0';
  expectPin(longer);
  KDT_CHECK(askPin("ignored", BUNDLE, KDT_STEPS(typedTooLong)) == 0);
  expectPin(capped);

  // Whatever the text argument holds, the same prompt.
  KDT_CHECK(askPin(NULL, BUNDLE, KDT_STEPS(sameText)) == 0);
  expectPin("9");
  KDT_CHECK(askPin("\xff\xfe", BUNDLE, KDT_STEPS(sameText)) == 0);
  expectPin("9");

  KDT_CHECK(*pinwin == nil);  // no controller made
  KDT_CHECK([NSApp activationPolicy] == policyBefore);
}

// Without the bundle's picture the prompt shows the default icon.
static void promptWithoutPicture(void)
{
  const KDTStep steps[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkDefaultIcon }, { KDTSetText, "12" },
    { KDTClick, "OK" } };
  const KDTStep shot[] = {
    { KDTWaitWindow }, { KDTInspect, NULL, checkDefaultIcon },
    { KDTScreenshot, "pin-prompt-default-icon" }, { KDTClick, "OK" } };

  setUp();
  KDT_CHECK(askPin("", "/nonexistent/imagePushBtn.bundle", KDT_STEPS(shot)) == 0);
  expectPin("");
  KDT_CHECK(askPin("", NULL, KDT_STEPS(steps)) == 0);
  expectPin("12");
  KDT_CHECK(askPin("", BUNDLE "\xc3\x28", KDT_STEPS(steps)) == 0);
  expectPin("12");
  KDT_CHECK(askPin("", "/tmp", KDT_STEPS(steps)) == 0);  // a directory without it
  expectPin("12");
}

// Null pointers for the PIN: nothing shown, nothing written.
static void promptNullArguments(void)
{
  setUp();
  kdtMarkPinBuffer(buffer, sizeof buffer, &length);
  KDT_CHECK(blockPopPinPic(NULL, &length, "", BUNDLE) == -1);
  KDT_CHECK(length == -7);
  KDT_CHECK(blockPopPinPic((char *)buffer, NULL, "", BUNDLE) == -1);
  KDT_CHECK(buffer[0] == KDT_UNTOUCHED);
  KDT_CHECK([NSApp modalWindow] == nil);
}

const KDTScenario kdtPinPromptScenarios[] = {
  { "pin_prompt", promptAnswers },
  { "pin_prompt_without_picture", promptWithoutPicture },
  { "pin_prompt_null_arguments", promptNullArguments },
  { NULL, NULL }
};
