#import "kdt_harness.h"

// GNUstep starts its daemons detached from the host but with its environment,
// so this run's marker (set by run-gui.sh) tells them from other runs' daemons.
BOOL kdtRunHasProcess(const char *name)
{
  const char *marker = getenv("KDT_RUN");
  KDT_CHECK(marker != NULL);
  if (marker == NULL)
    return NO;
  NSString *command = [NSString stringWithFormat:
    @"for p in /proc/[0-9]*; do [ \"$(cat $p/comm 2>/dev/null)\" = '%s' ] && "
    @"grep -qz '^KDT_RUN=%s$' $p/environ 2>/dev/null && exit 0; done; exit 1",
    name, marker];
  return system([command UTF8String]) == 0;
}
