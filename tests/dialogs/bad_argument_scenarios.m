// Runs the table of bad-argument calls (bad_argument_calls.c): none may crash
// the host, each gives its documented result, and a call that must show
// nothing shows nothing.
#import "kdt_harness.h"
#import "bad_argument_calls.h"

void *kdtOddArray(int which)
{
  static NSArray *arrays[3];
  if (arrays[0] == nil)
    {
      NSDictionary *odd[3] = {
        [NSDictionary dictionary],
        [NSDictionary dictionaryWithObjectsAndKeys: [NSNumber numberWithInt: -1], @"sub",
          [NSNull null], @"isser", [NSArray array], @"label", @"", @"serial", nil],
        [NSDictionary dictionaryWithObjectsAndKeys: @"x", [NSNumber numberWithInt: 7], nil] };
      id notDictionaries[4] = {
        @"text", [NSNumber numberWithInt: 3], [NSNull null], [NSArray arrayWithObject: @"a"] };
      arrays[KDTEmptyArray] = [NSArray new];
      arrays[KDTArrayOfNonDictionaries] = [[NSArray alloc] initWithObjects: notDictionaries count: 4];
      arrays[KDTArrayOfOddDictionaries] = [[NSArray alloc] initWithObjects: odd count: 3];
    }
  return arrays[which];
}

static BOOL anyWindowVisible(void)
{
  NSArray *windows = [NSApp windows];
  NSUInteger i;
  for (i = 0; i < [windows count]; i++)
    if ([[windows objectAtIndex: i] isVisible])
      return YES;
  return NO;
}

static void badArguments(void)
{
  const KDTBadCall *c;
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  for (c = kdtBadCalls; c->what != NULL; c++)
    {
      NSAutoreleasePool *pool = [NSAutoreleasePool new];
      KDTStep steps[2] = { { KDTWaitWindow }, { KDTClick, c->button } };
      // A call that must show nothing gets no steps: a dialog would hang the
      // test and be reported by its time limit.
      kdtDrive(steps, c->answer == KDTPressButton ? 2 : 0);
      fprintf(stderr, "%s\n", c->what);
      int result = c->call();
      if (result != c->expected)
        fprintf(stderr, "  result %d, expected %d\n", result, c->expected);
      KDT_CHECK(result == c->expected);
      KDT_CHECK(kdtDriveFinished());
      KDT_CHECK(!anyWindowVisible());
      [pool release];
    }
}

const KDTScenario kdtBadArgumentScenarios[] = {
  { "bad_arguments", badArguments },
  { NULL, NULL }
};
