// The step driver: a timer in the modal run loop modes that works through a
// script against the dialog's window.
#import "kdt_harness.h"
#include <sys/wait.h>

static const NSTimeInterval tick = 0.01;
static const NSTimeInterval scriptLimit = 20;

@interface KDTDriver : NSObject
{
  const KDTStep *steps;
  int count;
  int next;
  NSWindow *window;
  NSDate *started;
  NSDate *resumeAt;   // a step that waits sets this
  NSTask *helper;     // a running xdotool or import
  pid_t typist;       // a running xdotool typing a secret
  BOOL drawn;         // the window has had time to draw for a screenshot
}
- (id) initWithSteps: (const KDTStep *)s count: (int)n;
- (BOOL) finished;
- (void) tick: (NSTimer *)t;
@end

static KDTDriver *current;
static NSTimer *currentTimer;

static void pauseFor(NSDate **resumeAt, NSTimeInterval seconds)
{
  [*resumeAt release];
  *resumeAt = [[NSDate alloc] initWithTimeIntervalSinceNow: seconds];
}

// A stop made from a timer takes effect only once an event has arrived and the
// run loop has woken up.
static void wakeModalRun(void)
{
  NSEvent *e = [NSEvent otherEventWithType: NSApplicationDefined
                                  location: NSZeroPoint modifierFlags: 0
                                 timestamp: 0 windowNumber: 0 context: nil
                                   subtype: 0 data1: 0 data2: 0];
  [NSApp postEvent: e atStart: NO];
}

NSArray *kdtAllSubviews(NSView *view)
{
  NSMutableArray *all = [NSMutableArray array];
  NSArray *children = [view subviews];
  NSUInteger i;
  for (i = 0; i < [children count]; i++)
    {
      [all addObject: [children objectAtIndex: i]];
      [all addObjectsFromArray: kdtAllSubviews([children objectAtIndex: i])];
    }
  return all;
}

NSSecureTextField *kdtSecureField(NSWindow *window)
{
  NSArray *views = kdtAllSubviews([window contentView]);
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    if ([[views objectAtIndex: i] isKindOfClass: [NSSecureTextField class]])
      return [views objectAtIndex: i];
  return nil;
}

NSTableView *kdtTableView(NSWindow *window)
{
  NSArray *views = kdtAllSubviews([window contentView]);
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    if ([[views objectAtIndex: i] isKindOfClass: [NSTableView class]])
      return [views objectAtIndex: i];
  return nil;
}

NSButton *kdtButton(NSWindow *window, NSString *title)
{
  NSArray *views = kdtAllSubviews([window contentView]);
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    {
      id view = [views objectAtIndex: i];
      if ([view isKindOfClass: [NSButton class]] && [[view title] isEqual: title])
        return view;
    }
  return nil;
}

// X11 coordinates (origin top left) of a rectangle in the window.
static NSRect screenRectOf(NSWindow *window, NSRect rect)
{
  NSRect onScreen = [window convertRectToScreen: rect];
  CGFloat height = [[window screen] frame].size.height;
  onScreen.origin.y = height - NSMaxY(onScreen);
  return onScreen;
}

@implementation KDTDriver

- (id) initWithSteps: (const KDTStep *)s count: (int)n
{
  if ((self = [super init]) != nil)
    {
      steps = s;
      count = n;
      started = [NSDate new];
    }
  return self;
}

- (void) dealloc
{
  [window release];
  [started release];
  [resumeAt release];
  [helper release];
  [super dealloc];
}

- (BOOL) finished
{
  return next >= count;
}

- (void) fail: (NSString *)why
{
  fprintf(stderr, "driver, step %d: %s\n", next, [why UTF8String]);
  exit(3);
}

// Starts a helper program and waits for it before the next step.
- (void) runHelper: (NSArray *)argv
{
  helper = [NSTask new];
  [helper setLaunchPath: [argv objectAtIndex: 0]];
  [helper setArguments: [argv subarrayWithRange: NSMakeRange(1, [argv count] - 1)]];
  [helper launch];
}

- (BOOL) waitingForTypist
{
  int status;
  if (typist == 0)
    return NO;
  pid_t done = waitpid(typist, &status, WNOHANG);
  if (done == 0)
    return YES;
  typist = 0;
  // NSTask's child handler may have reaped it first (ECHILD): then only the
  // PIN that comes back tells whether the typing worked.
  if (done > 0 && (!WIFEXITED(status) || WEXITSTATUS(status) != 0))
    [self fail: @"xdotool failed to type the secret"];
  pauseFor(&resumeAt, 0.3);
  return NO;
}

- (BOOL) waitingForHelper
{
  if ([self waitingForTypist])
    return YES;
  if (helper == nil)
    return NO;
  if ([helper isRunning])
    return YES;
  if ([helper terminationStatus] != 0)
    [self fail: [NSString stringWithFormat: @"%@ failed", [helper launchPath]]];
  DESTROY(helper);
  pauseFor(&resumeAt, 0.3);  // let the X events it caused arrive
  return NO;
}

// Presses and releases the real X pointer's button in the middle of `rect`;
// a pause between the two, as a quick click can leave a view tracking.
- (void) clickMiddleOf: (NSRect)rect inView: (NSView *)view
{
  NSRect r = screenRectOf(window, [view convertRect: rect toView: nil]);
  [self runHelper: [NSArray arrayWithObjects: @"/usr/bin/xdotool", @"mousemove",
    [NSString stringWithFormat: @"%d", (int)NSMidX(r)],
    [NSString stringWithFormat: @"%d", (int)NSMidY(r)],
    @"mousedown", @"1", @"sleep", @"0.08", @"mouseup", @"1", nil]];
}

- (void) doStep: (const KDTStep *)step
{
  NSString *text = step->text != NULL ? kdtUTF8(step->text) : nil;
  switch (step->kind)
    {
      case KDTWaitWindow:
        {
          NSWindow *modal = [NSApp modalWindow];
          if (modal == nil || ![modal isVisible]
              || (text != nil && ![[modal title] isEqual: text]))
            {
              next--;  // keep waiting
              return;
            }
          ASSIGN(window, modal);
          break;
        }
      case KDTSetText:
        [kdtSecureField(window) setStringValue: text];
        break;
      case KDTClickField:
        {
          NSSecureTextField *field = kdtSecureField(window);
          [self clickMiddleOf: [field bounds] inView: field];
          break;
        }
      case KDTClickRow:
        {
          NSTableView *table = kdtTableView(window);
          [self clickMiddleOf: [table rectOfRow: atoi(step->text)] inView: table];
          break;
        }
      case KDTTypeKeys:
        [self runHelper: [NSArray arrayWithObjects: @"/usr/bin/xdotool", @"type",
          @"--delay", @"15", @"--", text, nil]];
        break;
      case KDTTypeSecret:
        if ((typist = kdtTypeSecret(step->secret)) < 0)
          [self fail: @"cannot start xdotool"];
        break;
      case KDTPressKey:
        // A named key already in the keymap: typing a control character
        // makes xdotool remap a spare keycode for it while the dialog runs.
        [self runHelper: [NSArray arrayWithObjects: @"/usr/bin/xdotool", @"key",
          @"--delay", @"15", text, nil]];
        break;
      case KDTInspect:
        step->inspect(window);
        break;
      case KDTScreenshot:
        {
          const char *dir = getenv("KDT_SCREENSHOT_DIR");
          NSRect r = NSInsetRect(screenRectOf(window,
            [window frameRectForContentRect: [[window contentView] frame]]), -8, -8);
          if (dir == NULL)
            break;
          if (!drawn)
            {
              // Let the window draw itself before it is captured.
              [window display];
              drawn = YES;
              pauseFor(&resumeAt, 0.15);
              next--;
              break;
            }
          drawn = NO;
          [self runHelper: [NSArray arrayWithObjects: @"/usr/bin/import", @"-window", @"root",
            @"-crop", [NSString stringWithFormat: @"%dx%d+%d+%d", (int)r.size.width,
              (int)r.size.height, (int)r.origin.x, (int)r.origin.y],
            @"+repage", [NSString stringWithFormat: @"%s/%@.png", dir, text], nil]];
          break;
        }
      case KDTClick:
        {
          NSButton *button = kdtButton(window, text);
          if (button == nil)
            [self fail: [NSString stringWithFormat: @"no button %@", text]];
          [button performClick: nil];
          wakeModalRun();
          break;
        }
      case KDTStopModal:
        [NSApp stopModal];
        wakeModalRun();
        break;
      case KDTPause:
        pauseFor(&resumeAt, atoi(step->text) / 1000.0);
        break;
    }
}

- (void) tick: (NSTimer *)t
{
  if (-[started timeIntervalSinceNow] > scriptLimit)
    [self fail: @"the dialog did not get through the script in time"];
  if ([self waitingForHelper])
    return;
  if (resumeAt != nil && [resumeAt timeIntervalSinceNow] > 0)
    return;
  if ([self finished])
    {
      // Keep ticking until the modal run has ended: GNUstep notices a stop
      // made from a timer only when the run loop wakes up again.
      if ([NSApp modalWindow] != window)
        [t invalidate];
      return;
    }
  const KDTStep *step = &steps[next++];
  if (getenv("KDT_TRACE") != NULL)
    fprintf(stderr, "driver: step %d (kind %d)\n", next - 1, (int)step->kind);
  [self doStep: step];
}

@end

void kdtDrive(const KDTStep *steps, int count)
{
  NSRunLoop *loop = [NSRunLoop currentRunLoop];
  [currentTimer invalidate];
  [currentTimer release];
  [current release];
  current = [[KDTDriver alloc] initWithSteps: steps count: count];
  currentTimer = [[NSTimer timerWithTimeInterval: tick target: current
                                        selector: @selector(tick:)
                                        userInfo: nil repeats: YES] retain];
  [loop addTimer: currentTimer forMode: NSModalPanelRunLoopMode];
  [loop addTimer: currentTimer forMode: NSDefaultRunLoopMode];
}

BOOL kdtDriveFinished(void)
{
  return current == nil || [current finished];
}
