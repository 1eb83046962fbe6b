// The button-press countdown window: how it looks, and every way it ends.
// Countdowns are short; times are checked only against generous bounds.
#import "kdt_harness.h"
#include <pthread.h>
#include <unistd.h>

#define TITLE "按键提示"
#define BUNDLE "/usr/local/lib/imagePushBtn.bundle"

static int (*showCountDown)(int, const char *, const char *, int, int, int *);
static void (*closeWindowFn)(void);
static void (*closeWindowT)(void);
static int *remaining;        // TIME
static NSWindow **window;     // win
static NSTextField **label;   // nameLabel
static void **modalSession;   // session
static NSTimer **closeTimer;  // timer

static void setUp(void)
{
  void (*consoleInit)(void) = kdtSymbol("P11_ConsoleInit");
  showCountDown = kdtSymbol("showCountDownWindow");
  closeWindowFn = kdtSymbol("closeWindow");
  closeWindowT = kdtSymbol("closeWindow_t");
  remaining = kdtSymbol("TIME");
  window = kdtSymbol("win");
  label = kdtSymbol("nameLabel");
  modalSession = kdtSymbol("session");
  closeTimer = kdtSymbol("timer");
  consoleInit();
}

// One countdown window, driven by `steps` when there are any; returns how
// long the call blocked. Whatever ended it, nothing of the window is left.
static NSTimeInterval countdown(int seconds, const char *gifName, const char *bundle,
                                int *winClosed, const KDTStep *steps, int count)
{
  if (count > 0)
    kdtDrive(steps, count);
  NSDate *start = [NSDate date];
  KDT_CHECK(showCountDown(seconds, gifName, bundle, 567, 400, winClosed) == 0);
  NSTimeInterval took = -[start timeIntervalSinceNow];
  if (getenv("KDT_TRACE") != NULL)
    fprintf(stderr, "countdown %d: %.3f s, TIME %d\n", seconds, took, *remaining);
  if (count > 0)
    KDT_CHECK(kdtDriveFinished());
  KDT_CHECK(*window == nil && *label == nil && *modalSession == NULL);
  return took;
}

#define NO_STEPS NULL, 0

static id subviewOfClass(NSWindow *w, Class c)
{
  NSArray *views = [[w contentView] subviews];
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    if ([[views objectAtIndex: i] isKindOfClass: c])
      return [views objectAtIndex: i];
  return nil;
}

static NSSize shownPictureSize(NSWindow *w)
{
  NSImageView *view = subviewOfClass(w, [NSImageView class]);
  return [view image] != nil ? [[view image] size] : NSZeroSize;
}

// Time the call took beyond its ticks of one second each: about nothing
// when it closed by itself, about half a second of settle wait when its
// session was stopped from outside.
static NSTimeInterval beyondTicks(NSTimeInterval took, int seconds)
{
  return took - (seconds - *remaining);
}

static NSString *remainingText(int seconds)
{
  return [NSString stringWithFormat: kdtUTF8("剩余%d秒"), seconds];
}

// ---- Look ----

static void checkLayout(NSWindow *w)
{
  NSTextField *text = subviewOfClass(w, [NSTextField class]);
  NSImageView *picture = subviewOfClass(w, [NSImageView class]);
  NSArray *views = [[w contentView] subviews];
  NSColor *colour = [[text textColor] colorUsingColorSpaceName: NSCalibratedRGBColorSpace];
  NSString *family = [[text font] familyName];

  KDT_CHECK(w == *window);
  KDT_CHECK(NSEqualSizes([[w contentView] frame].size, NSMakeSize(400, 567)));
  KDT_CHECK([w styleMask] == NSTitledWindowMask);
  KDT_CHECK(![w isReleasedWhenClosed] && ![w canHide]);
  KDT_CHECK([w delegate] == *(id *)kdtSymbol("myDelegate"));
  KDT_CHECK([[w delegate] isKindOfClass: NSClassFromString(@"MyDelegate")]);

  KDT_CHECK(NSEqualRects([picture frame], NSMakeRect(0, 0, 400, 567)));
  KDT_CHECK(NSEqualSizes(shownPictureSize(w), NSMakeSize(384, 261)));

  // The text lies over the picture, red, centred, 16 points of Arial's metrics.
  KDT_CHECK(text == *label && [views indexOfObject: text] > [views indexOfObject: picture]);
  KDT_CHECK(NSEqualRects([text frame], NSMakeRect(0, 140, 400, 30)));
  KDT_CHECK([[text stringValue] isEqual: remainingText(*remaining)]);
  KDT_CHECK(![text isEditable] && ![text isBezeled]);
  KDT_CHECK([colour redComponent] == 1 && [colour greenComponent] == 0
            && [colour blueComponent] == 0);
  KDT_CHECK([text alignment] == NSTextAlignmentCenter);
  KDT_CHECK([[text font] pointSize] == 16);
  KDT_CHECK([family isEqual: @"Arial"] || [family isEqual: @"Liberation Sans"]);
}

static void checkCountedDown(NSWindow *w)
{
  KDT_CHECK(*remaining < 4);
  KDT_CHECK([[*label stringValue] isEqual: remainingText(*remaining)]);
}

// Timeout: the window as it opens with the embedded picture, its text after a
// tick, and what the call leaves behind. A close asked for before the call,
// and closeWindow_t with no window, change nothing of the next countdown.
static void timeoutAndLook(void)
{
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, checkLayout },
    { KDTScreenshot, "countdown-window" }, { KDTInspect, NULL, checkCountedDown } };
  int open = 1;
  NSTimeInterval took;

  setUp();
  NSTimer *t = [NSTimer timerWithTimeInterval: 1000 target: [NSNull null]
                                     selector: @selector(description)
                                     userInfo: nil repeats: NO];
  *closeTimer = t;
  closeWindowT();
  KDT_CHECK(*closeTimer == nil && ![t isValid]);
  KDT_CHECK(*remaining == 90 && *window == nil && *label == nil && *modalSession == NULL);
  closeWindowFn();

  took = countdown(6, "QVLedChangepin", BUNDLE, &open, KDT_STEPS(steps));
  KDT_CHECK(took > 5.5 && took < 8);
  KDT_CHECK(*remaining == 0 && open == 1);

  took = countdown(2, "pressOK", BUNDLE, &open, NO_STEPS);
  KDT_CHECK(took > 1.5 && took < 3.5);
  KDT_CHECK(*remaining == 0 && open == 1);
  KDT_CHECK([NSApp activationPolicy] == NSApplicationActivationPolicyAccessory);
}

// ---- Pictures ----

static NSSize seenSize;
static void notePictureAndClose(NSWindow *w)
{
  seenSize = shownPictureSize(w);
  closeWindowT();
}

static NSSize pictureFor(const char *gifName, const char *bundle)
{
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, notePictureAndClose } };
  int open = 1;
  seenSize = NSMakeSize(-1, -1);
  countdown(5, gifName, bundle, &open, KDT_STEPS(steps));
  return seenSize;
}

// The bundle's file by name; the embedded picture for the two exact names
// even where the bundle has a file of that name; nothing for another letter
// case, a missing name, bundle or null argument.
static void pictures(void)
{
  setUp();
  KDT_CHECK(NSEqualSizes(pictureFor("pressOK", BUNDLE), NSMakeSize(120, 80)));
  KDT_CHECK(NSEqualSizes(pictureFor("QVLedChangepin", BUNDLE), NSMakeSize(384, 261)));
  KDT_CHECK(NSEqualSizes(pictureFor("QVLedChangepin(2)", "/nonexistent"),
                         NSMakeSize(384, 261)));
  KDT_CHECK(NSEqualSizes(pictureFor("qvledchangepin", BUNDLE), NSZeroSize));
  KDT_CHECK(NSEqualSizes(pictureFor(NULL, BUNDLE), NSZeroSize));
  KDT_CHECK(NSEqualSizes(pictureFor("pressOK", NULL), NSZeroSize));
}

// ---- Ending it early ----

// Zero or less shows that number for one tick; an int already 0 at the call
// closes after the first tick; a null int is never read.
static void oneTick(void)
{
  int open = 1, closed = 0;
  NSTimeInterval took;

  setUp();
  took = countdown(0, NULL, NULL, &open, NO_STEPS);
  KDT_CHECK(took > 0.8 && took < 2.5 && *remaining == -1);
  took = countdown(-3, NULL, NULL, &open, NO_STEPS);
  KDT_CHECK(took > 0.8 && took < 2.5 && *remaining == -4);
  took = countdown(10, NULL, NULL, &closed, NO_STEPS);
  KDT_CHECK(took > 0.8 && took < 2.5 && *remaining == 9 && closed == 0);
  took = countdown(1, NULL, NULL, NULL, NO_STEPS);
  KDT_CHECK(took > 0.8 && took < 2.5 && *remaining == 0);
}

// What the caller's other thread does, after a pause.
typedef enum { ClearInt, CallCloseWindow } Ending;
static Ending ending;
static int callerInt;

static void *endLater(void *unused)
{
  usleep(1300 * 1000);
  switch (ending)
    {
      case ClearInt: callerInt = 0; break;
      case CallCloseWindow: closeWindowFn(); break;
    }
  return NULL;
}

static NSTimeInterval endedFromThread(Ending how)
{
  pthread_t thread;
  ending = how;
  callerInt = 1;
  pthread_create(&thread, NULL, endLater, NULL);
  NSTimeInterval took = countdown(10, "QVLedChangepin", BUNDLE, &callerInt, NO_STEPS);
  pthread_join(thread, NULL);
  return took;
}

static void *callCloseWindowT(void *unused)
{
  closeWindowT();
  return NULL;
}

// closeWindow_t from another thread while the window's thread is inside the
// session's run: the worst moment to end the session from elsewhere.
static void closeFromThreadDuringRun(NSWindow *w)
{
  pthread_t thread;
  pthread_create(&thread, NULL, callCloseWindowT, NULL);
  pthread_join(thread, NULL);
}

// The caller's other threads end the window within about a second, each way;
// closeWindow_t from there leaves the close to the window's thread, which
// ends the session cleanly (no settle wait).
static void endedFromOtherThreads(void)
{
  const KDTStep steps[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, closeFromThreadDuringRun } };
  NSTimeInterval took;
  int open = 1;

  setUp();
  took = endedFromThread(ClearInt);
  KDT_CHECK(took > 1.3 && took < 3.5 && *remaining > 6 && callerInt == 0);
  took = endedFromThread(CallCloseWindow);
  KDT_CHECK(took > 1.3 && took < 3.5 && *remaining > 6 && callerInt == 1);
  took = countdown(10, NULL, NULL, &open, KDT_STEPS(steps));
  KDT_CHECK(took < 5 && beyondTicks(took, 10) < 0.3 && open == 1);
}

static BOOL shouldClose = YES;
static void askToClose(NSWindow *w)
{
  shouldClose = [[w delegate] windowShouldClose: w];
}

// Closed on its own thread while it handles events: by the platform asking
// its delegate (which stores 0 for the caller, or nothing with no int), and by
// closeWindow_t; the session ends cleanly (no settle wait) after the turn's
// tick. A session stopped by someone else ends the call after the settle wait.
static void endedOnItsThread(void)
{
  const KDTStep byDelegate[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, askToClose } };
  const KDTStep byCloseWindowT[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, notePictureAndClose } };
  const KDTStep stopped[] = {
    { KDTWaitWindow, TITLE }, { KDTStopModal } };
  int open = 1;
  NSTimeInterval took;

  setUp();
  took = countdown(10, "QVLedChangepin", BUNDLE, &open, KDT_STEPS(byDelegate));
  KDT_CHECK(!shouldClose && open == 0);
  KDT_CHECK(took < 5 && beyondTicks(took, 10) < 0.3);
  shouldClose = YES;
  took = countdown(10, NULL, NULL, NULL, KDT_STEPS(byDelegate));
  KDT_CHECK(!shouldClose && took < 5);

  open = 1;
  took = countdown(10, NULL, NULL, &open, KDT_STEPS(byCloseWindowT));
  KDT_CHECK(open == 1 && took < 5 && beyondTicks(took, 10) < 0.3);

  took = countdown(10, NULL, NULL, &open, KDT_STEPS(stopped));
  KDT_CHECK(open == 1 && took < 5 && beyondTicks(took, 10) > 0.4);
  // The next window is not held up by the stopped one.
  took = countdown(1, NULL, NULL, &open, NO_STEPS);
  KDT_CHECK(took > 0.8 && took < 2.5);
}

// ---- Closed at once ----

// Whether the X server maps a window of the countdown's title: what another
// program, a screenshot say, sees at this moment.
static BOOL mappedOnScreen(void)
{
  return system("xdotool search --onlyvisible --name '^" TITLE "$' > /dev/null") == 0;
}

// The whole screen as it is at this moment, while the window's thread is
// still inside the callback.
static void screenshotNow(const char *name)
{
  const char *dir = getenv("KDT_SCREENSHOT_DIR");
  if (dir != NULL)
    KDT_CHECK(system([[NSString stringWithFormat: @"import -window root %s/%s.png",
                        dir, name] UTF8String]) == 0);
}

static NSDate *closedAt;
static NSTimeInterval nextDialogTook;  // inside the callback, not a tick

// Everything the close does is done, as any caller can see it right away.
static void checkClosed(NSWindow *w, const char *screenshot)
{
  KDT_CHECK(![w isVisible]);
  KDT_CHECK(*modalSession == NULL && *label == nil && *closeTimer == nil);
  KDT_CHECK(!mappedOnScreen());
  screenshotNow(screenshot);
  [closedAt release];
  closedAt = [NSDate new];
}

// closeWindow_t in a callback that runs inside the session's run, with a
// timer of the caller's in `timer`.
static void closeAtOnce(NSWindow *w)
{
  NSTimer *t = [NSTimer scheduledTimerWithTimeInterval: 1000 target: [NSNull null]
                                              selector: @selector(description)
                                              userInfo: nil repeats: NO];
  KDT_CHECK(mappedOnScreen());
  *closeTimer = t;
  closeWindowT();
  KDT_CHECK(![t isValid]);
  checkClosed(w, "countdown-closed-at-once");
}

static void askToCloseAtOnce(NSWindow *w)
{
  KDT_CHECK(mappedOnScreen());
  shouldClose = [[w delegate] windowShouldClose: w];
  KDT_CHECK(!shouldClose && callerInt == 0);
  checkClosed(w, "countdown-closed-by-delegate");
}

// closeWindow_t, then at once the next dialog from the same callback, which
// a Return typed through the X server answers. (GNUstep fires no timer in a
// run loop nested in a timer's callback, so only real input can reach it.)
static void closeAndShowNext(NSWindow *w)
{
  int (*showMsg)(const char *, int) = kdtSymbol("P11_ShowMsg");
  NSTask *returnKey = [NSTask launchedTaskWithLaunchPath: @"/usr/bin/xdotool"
    arguments: [NSArray arrayWithObjects: @"sleep", @"0.5", @"key", @"Return", nil]];

  closeWindowT();
  NSDate *start = [NSDate date];
  KDT_CHECK(showMsg("next", 0) == 0);
  [returnKey waitUntilExit];
  nextDialogTook = -[start timeIntervalSinceNow];
  KDT_CHECK(![w isVisible] && !mappedOnScreen());
  KDT_CHECK(*modalSession == NULL && *label == nil);
  [closedAt release];
  closedAt = [NSDate new];
}

// Closed from inside the session's run, by closeWindow_t and by the delegate:
// gone at once, and the call returns a tick later without a settle wait (a
// failed end of the session would count as a stop from outside). The same
// callback can go on to its next dialog.
static void closedAtOnce(void)
{
  const KDTStep byCloseWindowT[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, closeAtOnce } };
  const KDTStep byDelegate[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, askToCloseAtOnce } };
  const KDTStep nextDialog[] = {
    { KDTWaitWindow, TITLE }, { KDTInspect, NULL, closeAndShowNext } };
  NSTimeInterval took;

  setUp();
  callerInt = 1;
  took = countdown(10, "QVLedChangepin", BUNDLE, &callerInt, KDT_STEPS(byCloseWindowT));
  KDT_CHECK(callerInt == 1 && -[closedAt timeIntervalSinceNow] < 1.5);
  KDT_CHECK(beyondTicks(took, 10) < 0.3);

  took = countdown(10, "QVLedChangepin", BUNDLE, &callerInt, KDT_STEPS(byDelegate));
  KDT_CHECK(-[closedAt timeIntervalSinceNow] < 1.5 && beyondTicks(took, 10) < 0.3);

  took = countdown(10, NULL, NULL, NULL, KDT_STEPS(nextDialog));
  KDT_CHECK(-[closedAt timeIntervalSinceNow] < 1.5);
  KDT_CHECK(beyondTicks(took, 10) - nextDialogTook < 0.3);
}

const KDTScenario kdtCountdownScenarios[] = {
  { "countdown_timeout_look", timeoutAndLook },
  { "countdown_pictures", pictures },
  { "countdown_one_tick", oneTick },
  { "countdown_other_threads", endedFromOtherThreads },
  { "countdown_own_thread", endedOnItsThread },
  { "countdown_closed_at_once", closedAtOnce },
  { NULL, NULL }
};
