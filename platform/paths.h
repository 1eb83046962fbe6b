// The system's fixed paths and commands, in one place. The paths are those of
// macOS; other systems keep them and use their own shared-library suffix.
#pragma once

#ifdef __APPLE__
#define KT_SHLIB_SUFFIX ".dylib"
#else
#define KT_SHLIB_SUFFIX ".so"
#endif

#define KT_KEYCORE_PATH "/usr/local/lib/libkeycore" KT_SHLIB_SUFFIX
#define KT_KEYDIALOGS_PATH "/usr/local/lib/libkeydialogs" KT_SHLIB_SUFFIX
#define KT_IMAGE_BUNDLE_PATH "/usr/local/lib/imagePushBtn.bundle"
#define KT_IMAGE_BUNDLE_NAME "imagePushBtn.bundle"
#define KT_RECORD_DIR "/tmp"
#define KT_LAUNCH_COMMAND "open /Applications/SelvikUSBKey管理工具.app"

// Where nothing is at a fixed path, the copy that a Debian package installed:
// the libraries by the names the dynamic loader searches for (the dialog
// library by its SONAME, which follows its SOVERSION), the picture bundle
// beside the dialog library. macOS has no such packages: the fixed paths only.
#ifdef __APPLE__
#define KT_KEYCORE_LOADER_NAME NULL
#define KT_KEYDIALOGS_LOADER_NAME NULL
#define KTImageBundlePath(symbol, buffer, size) KT_IMAGE_BUNDLE_PATH
#else
#include <stddef.h>
#define KT_KEYCORE_LOADER_NAME "libkeycore.so"
#define KT_KEYDIALOGS_LOADER_NAME "libkeydialogs.so.1"
#ifdef __cplusplus
extern "C" {
#endif
// The picture bundle: its fixed path when something is there; otherwise the
// bundle beside the loaded library that holds `symbol`, when that exists;
// otherwise the fixed path again. Written into `buffer`, which it returns.
const char *KTImageBundlePath(const void *symbol, char *buffer, size_t size);
#ifdef __cplusplus
}
#endif
#endif
