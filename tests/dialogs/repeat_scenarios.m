// Many calls of a dialog in one process: what a call makes must go with it.
#import "kdt_harness.h"

// GNUstep's instance counting (its header declares these only in debug builds).
BOOL GSDebugAllocationActive(BOOL active);
int GSDebugAllocationCount(Class c);

#define CALLS 20

static const KDTStep typedPinSteps[] = {
  { KDTWaitWindow, "SelvikUSBKey管理工具" }, { KDTSetText, "123456" }, { KDTClick, "确定" } };

static int launches;

@interface KDTLaunchCounter : NSObject
+ (void) launched: (NSNotification *)n;
@end

@implementation KDTLaunchCounter
+ (void) launched: (NSNotification *)n
{
  launches++;
}
@end

static void typedPinWindow(int (*blockPopPin)(char *, int *))
{
  char pin[80];
  int length;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtDrive(KDT_STEPS(typedPinSteps));
  KDT_CHECK(blockPopPin(pin, &length) == 0);
  [pool release];
}

// The timers that wait for the settle time, the typing attributes that the
// field's bullets are drawn with, the windows and the dialog controllers
// (each replaced one is released): none may pile up, one per call. Nor may
// the application launch again: each launch adds its window observers anew.
static void pinWindowObjectsFreed(void)
{
  Class watched[] = { [NSTimer class], [NSMutableParagraphStyle class],
                      [NSWindow class], [NSSecureTextField class],
                      NSClassFromString(@"p11Win") };
  const size_t kinds = sizeof watched / sizeof watched[0];
  int before[kinds];
  size_t k;
  int i;
  int (*blockPopPin)(char *, int *) = kdtSymbol("P11_BlockPopPin");

  GSDebugAllocationActive(YES);
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  for (i = 0; i < 3; i++)  // warm-up: caches and first-use objects
    typedPinWindow(blockPopPin);
  for (k = 0; k < kinds; k++)
    before[k] = GSDebugAllocationCount(watched[k]);
  [[NSNotificationCenter defaultCenter] addObserver: [KDTLaunchCounter class]
    selector: @selector(launched:) name: NSApplicationWillFinishLaunchingNotification object: nil];
  for (i = 0; i < CALLS; i++)
    typedPinWindow(blockPopPin);
  for (k = 0; k < kinds; k++)
    {
      int growth = GSDebugAllocationCount(watched[k]) - before[k];
      if (growth >= CALLS / 2)
        fprintf(stderr, "%s: %d more after %d calls\n",
                class_getName(watched[k]), growth, CALLS);
      KDT_CHECK(growth < CALLS / 2);
    }
  KDT_CHECK(launches == 0);
}

const KDTScenario kdtRepeatScenarios[] = {
  { "pin_repeated_objects_freed", pinWindowObjectsFreed },
  { NULL, NULL }
};
