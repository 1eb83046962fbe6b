// The library's frame: exported globals, the controller class, the close
// functions with no countdown window open.
#import "kdt_harness.h"

static void exportsAndCloseFunctions(void)
{
  void (*consoleInit)(void) = kdtSymbol("P11_ConsoleInit");
  void (*closeWindow)(void) = kdtSymbol("closeWindow");
  void (*closeWindow_t)(void) = kdtSymbol("closeWindow_t");
  int *time = kdtSymbol("TIME");
  id *pinwin = kdtSymbol("pinwin");
  NSTimer **timer = kdtSymbol("timer");
  const char *nulls[] = { "alert", "myapp", "nameLabel", "pinLabel", "inpin",
    "tipWin", "session", "pinwin", "win", "testPanel", "myDelegate", "timer" };
  size_t i;

  KDT_CHECK(*time == 90);
  for (i = 0; i < sizeof nulls / sizeof nulls[0]; i++)
    if (*(void **)kdtSymbol(nulls[i]) != NULL)
      {
        fprintf(stderr, "%s does not start null\n", nulls[i]);
        kdtFailures++;
      }

  consoleInit();
  Class controller = NSClassFromString(@"p11Win");
  KDT_CHECK([controller isSubclassOfClass: [NSWindow class]]);
  id c = [[controller alloc] init];
  KDT_CHECK([c canBecomeKeyWindow]);
  [c release];
  KDT_CHECK(*pinwin == nil);

  // closeWindow forgets the timer; closeWindow_t also invalidates it.
  NSTimer *t = [NSTimer scheduledTimerWithTimeInterval: 1000 target: [NSNull null]
                                              selector: @selector(description)
                                              userInfo: nil repeats: NO];
  *timer = t;
  closeWindow();
  KDT_CHECK(*timer == nil && [t isValid]);
  *timer = t;
  closeWindow_t();
  KDT_CHECK(*timer == nil && ![t isValid]);
}

const KDTScenario kdtFrameScenarios[] = {
  { "exports", exportsAndCloseFunctions },
  { NULL, NULL }
};
