// The fixed paths' fall-back to what a package installed elsewhere.
#define _GNU_SOURCE
#include "paths.h"

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

// The path of `name` in the directory of the loaded object holding `symbol`.
static int PathBesideObject(const void *symbol, const char *name, char *buffer, size_t size)
{
  Dl_info info;
  if (dladdr(symbol, &info) == 0 || info.dli_fname == NULL)
    return 0;
  const char *slash = strrchr(info.dli_fname, '/');
  if (slash == NULL)
    return 0;
  int length = snprintf(buffer, size, "%.*s/%s", (int)(slash - info.dli_fname), info.dli_fname, name);
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
