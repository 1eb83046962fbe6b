#import "kdt_harness.h"
#include <dirent.h>
#include <stdio.h>
#include <string.h>

// Reads at most `size` - 1 bytes of `path` into `text`; returns the count.
static size_t readProcFile(const char *path, char *text, size_t size)
{
  FILE *file = fopen(path, "r");
  if (file == NULL)
    return 0;
  size_t count = fread(text, 1, size - 1, file);
  fclose(file);
  text[count] = '\0';
  return count;
}

// GNUstep starts its daemons detached from the host but with its environment,
// so this run's marker (set by run-gui.sh) tells them from other runs' daemons.
BOOL kdtRunHasProcess(const char *name)
{
  const char *marker = getenv("KDT_RUN");
  KDT_CHECK(marker != NULL);
  if (marker == NULL)
    return NO;
  char wanted[256], comm[64], environ[65536];
  snprintf(wanted, sizeof wanted, "KDT_RUN=%s", marker);
  BOOL found = NO;
  DIR *proc = opendir("/proc");
  struct dirent *entry;
  while (!found && proc != NULL && (entry = readdir(proc)) != NULL)
    {
      char path[300];
      snprintf(path, sizeof path, "/proc/%s/comm", entry->d_name);
      if (readProcFile(path, comm, sizeof comm) == 0)
        continue;
      comm[strcspn(comm, "\n")] = '\0';
      if (strcmp(comm, name) != 0)
        continue;
      snprintf(path, sizeof path, "/proc/%s/environ", entry->d_name);
      size_t count = readProcFile(path, environ, sizeof environ), at;
      for (at = 0; at < count && !found; at += strlen(environ + at) + 1)
        found = strcmp(environ + at, wanted) == 0;
    }
  if (proc != NULL)
    closedir(proc);
  return found;
}
