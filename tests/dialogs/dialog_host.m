// Test host: loads the library given on the command line like any program
// that uses the token would, and runs one scenario against it.
//   dialog_host LIBRARY SCENARIO [ARGUMENTS...]
// Further arguments are ignored by the host; GNUstep sees them all the same.
#import "kdt_harness.h"

static const KDTScenario *const scenarioTables[] = {
  kdtFrameScenarios,
  kdtPinScenarios,
  kdtSelectionScenarios,
  kdtCountdownScenarios,
  kdtAlertScenarios,
  kdtPinPromptScenarios,
  kdtPinTraceScenarios,
  kdtBadArgumentScenarios,
  kdtRepeatScenarios,
  kdtThreadScenarios,
  kdtKeyboardScenarios,
  kdtFrontScenarios,
};

static const KDTScenario *findScenario(const char *name)
{
  size_t t;
  const KDTScenario *s;
  for (t = 0; t < sizeof scenarioTables / sizeof scenarioTables[0]; t++)
    for (s = scenarioTables[t]; s->name != NULL; s++)
      if (strcmp(s->name, name) == 0)
        return s;
  return NULL;
}

int main(int argc, char **argv)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  const KDTScenario *scenario;

  if (argc < 3 || (scenario = findScenario(argv[2])) == NULL)
    {
      fprintf(stderr, "usage: dialog_host LIBRARY SCENARIO [ARGUMENTS...]\n");
      return 2;
    }
  if (scenario->application)
    [NSApplication sharedApplication];
  kdtOpenLibrary(argv[1]);
  scenario->run();
  [pool release];
  if (kdtFailures > 0)
    fprintf(stderr, "%s: %d check(s) failed\n", scenario->name, kdtFailures);
  return kdtFailures > 0 ? 1 : 0;
}
