// The fixed paths' fall-back to what a package installed elsewhere.
#define _GNU_SOURCE
#include "paths.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

// The path of `name` in the directory of the file of the loaded object that
// holds `symbol` (the file itself, when it was loaded through a link).
static int PathBesideObject(const void *symbol, const char *name, char *buffer, size_t size)
{
  Dl_info info;
  char object[PATH_MAX];
  if (dladdr(symbol, &info) == 0 || info.dli_fname == NULL || realpath(info.dli_fname, object) == NULL)
    return 0;
  const char *slash = strrchr(object, '/');
  int length = snprintf(buffer, size, "%.*s/%s", (int)(slash - object), object, name);
  return length > 0 && (size_t)length < size;
}

const char *KTImageBundlePath(const void *symbol, char *buffer, size_t size)
{
  if (access(KT_IMAGE_BUNDLE_PATH, F_OK) != 0
      && PathBesideObject(symbol, KT_IMAGE_BUNDLE_NAME, buffer, size)
      && access(buffer, F_OK) == 0)
    return buffer;
  snprintf(buffer, size, "%s", KT_IMAGE_BUNDLE_PATH);
  return buffer;
}
