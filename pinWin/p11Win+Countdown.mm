// The button-press countdown window, and the ways to end it.
#import "p11Win.h"
#import "p11Modal.h"
#import "p11DialogThread.h"
#import "p11BundleImage.h"
#import "WtConvert.h"
#import "keyConfirmImage.h"
#include "keydialogs.h"
#include <dispatch/dispatch.h>
#include <errno.h>
#include <limits.h>
#include <pthread.h>
#include <time.h>

// The close steps, shared by closeWindow_t and the loop.
static void endCountdownSession(void)
{
  if (session != NULL)
    {
      [myapp endModalSession: session];
      session = NULL;
    }
  if (nameLabel != nil)
    nameLabel = nil;
  [win close];
}

void closeWindow(void)
{
  windowClosed = YES;
  timer = nil;
}

static void invalidateTimer(void *context)
{
  NSTimer *running = (NSTimer *)context;
  [running invalidate];
  [running release];
}

void closeWindow_t(void)
{
  windowClosed = YES;
  if (!pthread_main_np())
    {
      // The window belongs to the main thread: its loop runs the close steps
      // at its next turn, and the timer is invalidated where it runs.
      if (timer != nil)
        dispatch_async_f(dispatch_get_main_queue(), [timer retain], invalidateTimer);
      timer = nil;
      return;
    }
  [timer invalidate];
  timer = nil;
  endCountdownSession();
}

// The tick's wait, which holds for the whole second even when a signal of
// the host (a child process ending, say) interrupts it.
static void sleepOneSecond(void)
{
  struct timespec left = { 1, 0 };
  while (nanosleep(&left, &left) != 0 && errno == EINTR)
    continue;
}

static NSString *remainingText(int seconds)
{
  return [NSString stringWithFormat: [NSString stringWithUTF8String: "剩余%d秒"], seconds];
}

// The picture's bytes, decoded once per process: decoding the text took 4-7
// ms, half of what a countdown window took to appear.
static char embeddedBytes[keyConfirmImageMaxBytes];
static int embeddedLength;
static pthread_once_t embeddedDecoded = PTHREAD_ONCE_INIT;

static void decodeEmbeddedPicture(void)
{
  [WtConvert hexStr: keyConfirmImageHex toBytes: embeddedBytes length: &embeddedLength];
}

static NSImage *newEmbeddedPicture(void)
{
  pthread_once(&embeddedDecoded, decodeEmbeddedPicture);
  return [[NSImage alloc] initWithData: [NSData dataWithBytes: embeddedBytes
                                                       length: embeddedLength]];
}

// The bundle's picture, or the embedded one for the two names that ask for it
// (exact, case-sensitive).
static NSImage *newCountdownPicture(NSString *gifName, NSString *sourcePath)
{
  NSImage *image = p11NewBundleImage(sourcePath, gifName, @"gif");
  if ([gifName isEqualToString: @"QVLedChangepin(2)"]
      || [gifName isEqualToString: @"QVLedChangepin"])
    {
      [image release];
      image = newEmbeddedPicture();
    }
  return image;
}

static BOOL countdownFinished(const void *finished)
{
  return *(const BOOL *)finished;
}

@implementation p11Win (Countdown)

- (int) showCountdownWin: (int)seconds gifName: (NSString *)gifName
              sourcePath: (NSString *)sourcePath wlenght: (int)wlenght
                   wWide: (int)wWide
{
  BOOL finished = NO;
  myapp = [NSApplication sharedApplication];
  windowClosed = NO;  // a close asked for before this window is forgotten
  [myapp setActivationPolicy: NSApplicationActivationPolicyAccessory];
  [myapp activateIgnoringOtherApps: YES];

  win = [[NSWindow alloc] initWithContentRect: NSMakeRect(0, 0, wWide, wlenght)
                                    styleMask: NSWindowStyleMaskTitled
                                      backing: NSBackingStoreBuffered
                                        defer: NO];
  [win setReleasedWhenClosed: NO];  // released below, after the loop
  TIME = seconds;
  [win setTitle: [NSString stringWithUTF8String: "按键提示"]];
  [win center];
  [win setCanHide: NO];
  [myDelegate release];  // the previous window, its only user, is gone
  myDelegate = [MyDelegate new];
  [win setDelegate: myDelegate];

  NSImage *picture = newCountdownPicture(gifName, sourcePath);
  NSImageView *pictureView = [[NSImageView alloc] initWithFrame: NSMakeRect(0, 0, 400, 567)];
  [pictureView setImage: picture];
  [[win contentView] addSubview: pictureView];

  nameLabel = [[NSTextField alloc] initWithFrame: NSMakeRect(0, 140, 400, 30)];
  [nameLabel setEditable: NO];
  [nameLabel setSelectable: NO];  // else, as first responder, drawn black on grey
  [nameLabel setStringValue: remainingText(seconds)];
  [nameLabel setTextColor: [NSColor redColor]];
  [nameLabel setBezeled: NO];
  [nameLabel setFont: [NSFont fontWithName: @"Arial" size: 16]];
  [nameLabel setAlignment: NSTextAlignmentCenter];
  [nameLabel setBackgroundColor: [NSColor clearColor]];
  [[win contentView] addSubview: nameLabel];
  [nameLabel release];  // the content view keeps it; nameLabel only points at it

  // Shown with its content in place: a picture added to a window already on
  // screen was drawn over the label until the first tick.
  [win makeKeyAndOrderFront: self];
  [win makeMainWindow];

  session = [myapp beginModalSessionForWindow: win];

  for (;;)
    {
      NSAutoreleasePool *pool = [NSAutoreleasePool new];
      if (windowClosed)
        {
          endCountdownSession();
          finished = YES;
          [pool release];
          break;
        }
      if (session == NULL)
        {
          [pool release];
          continue;
        }
      if (p11RunModalSession(session) != NSModalResponseContinue)
        {
          // Stopped from outside: the session is over, but not the countdown.
          endCountdownSession();
          [pool release];
          break;
        }
      sleepOneSecond();
      if (TIME > INT_MIN)  // from INT_MIN it would wrap to a 68-year countdown
        TIME--;
      [nameLabel setStringValue: remainingText(TIME)];
      if (TIME <= 0)
        {
          finished = YES;
          closeWindow();
        }
      // A caller that passed no int never asks to close this way.
      if (IsWinCloesd != NULL && *IsWinCloesd == 0)
        {
          finished = YES;
          closeWindow();
        }
      [pool release];
    }

  [picture release];
  [pictureView release];
  [win setDelegate: nil];
  [win release];
  win = nil;

  p11SettleWait(countdownFinished, &finished);
  return 0;
}

@end

typedef struct
{
  int seconds;
  const char *gifName;
  const char *sourcePath;
  int wlenght;
  int wWide;
  int *winClosed;
  int result;
} CountdownCall;

static void runCountdown(void *context)
{
  CountdownCall *call = (CountdownCall *)context;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSString *name = call->gifName != NULL ? [NSString stringWithUTF8String: call->gifName] : nil;
  NSString *path = call->sourcePath != NULL ? [NSString stringWithUTF8String: call->sourcePath] : nil;
  p11Win *controller = p11InstallNewController();
  IsWinCloesd = call->winClosed;
  call->result = [controller showCountdownWin: call->seconds gifName: name sourcePath: path
                                      wlenght: call->wlenght wWide: call->wWide];
  [pool release];
}

int showCountDownWindow(int seconds, const char *gifName, const char *sourcePath,
                        int wlenght, int wWide, int *winClosed)
{
  CountdownCall call = { seconds, gifName, sourcePath, wlenght, wWide, winClosed, 0 };
  p11RunDialog(runCountdown, &call);
  return call.result;
}
