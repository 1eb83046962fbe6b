#import "p11BundleImage.h"
#include "paths.h"

#include <limits.h>

NSImage *p11NewBundleImage(NSString *bundlePath, NSString *name, NSString *type)
{
  // A nil name would match the bundle's first file of that type.
  if (bundlePath == nil || name == nil)
    return nil;
  NSString *path = [[NSBundle bundleWithPath: bundlePath] pathForResource: name ofType: type];
  return path != nil ? [[NSImage alloc] initWithContentsOfFile: path] : nil;
}

NSString *p11ImageBundlePath(void)
{
  char path[PATH_MAX];
  return [NSString stringWithUTF8String:
      KTImageBundlePath((const void *)p11ImageBundlePath, path, sizeof path)];
}
