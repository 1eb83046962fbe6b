// -setActivationPolicy: for GNUstep, which has no activation policies. Plain
// Objective-C: the launch below may raise, and only here can it be caught.
#import <AppKit/AppKit.h>

static NSApplicationActivationPolicy currentPolicy = NSApplicationActivationPolicyRegular;
// GNUstep marks the application launched only in -run, which a host that just
// calls the dialogs never enters; a second -finishLaunching would register the
// application's window observers once more (each key change then reaches it
// once per earlier launch).
static BOOL launchFinished = NO;

// Stands in as the application's delegate while the launch finishes, so that
// the host's command-line arguments are not opened as documents (GNUstep
// would show a modal error alert for each and wait there).
@interface KPLaunchDelegate : NSObject
- (void) application: (NSApplication *)app openFiles: (NSArray *)files;
@end

@implementation KPLaunchDelegate
- (void) application: (NSApplication *)app openFiles: (NSArray *)files
{
}
@end

@implementation NSApplication (KPActivationPolicy)

- (void) kpFinishLaunchingWithoutDocuments
{
  KPLaunchDelegate *stand_in = nil;

  if ([self delegate] == nil)
    {
      stand_in = [KPLaunchDelegate new];
      [self setDelegate: stand_in];
    }
  @try
    {
      [self finishLaunching];
    }
  @catch (NSException *e)
    {
      // A failed launch leaves keystrokes undelivered; the dialog still shows.
    }
  if (stand_in != nil)
    {
      [self setDelegate: nil];
      [stand_in release];
    }
}

- (BOOL) setActivationPolicy: (NSApplicationActivationPolicy)policy
{
  currentPolicy = policy;
  if (!_app_is_launched && !launchFinished)
    {
      launchFinished = YES;
      [self kpFinishLaunchingWithoutDocuments];
    }
  return YES;
}

- (NSApplicationActivationPolicy) activationPolicy
{
  return currentPolicy;
}

@end
