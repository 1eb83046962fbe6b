// Pictures that the dialogs load from a resource bundle.
#pragma once
#import <AppKit/AppKit.h>

#ifdef __cplusplus
extern "C" {
#endif

// The picture `name` of type `type` in the bundle at `bundlePath`, owned by
// the caller; nil when the bundle, the file or the picture is missing or
// unreadable, or when bundlePath or name is nil.
NSImage *p11NewBundleImage(NSString *bundlePath, NSString *name, NSString *type);

// The library's own picture bundle: at its fixed path, or where nothing is
// there, the one installed beside this library.
NSString *p11ImageBundlePath(void);

#ifdef __cplusplus
}
#endif
