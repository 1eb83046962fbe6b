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
#define KT_RECORD_DIR "/tmp"
#define KT_LAUNCH_COMMAND "open /Applications/SelvikUSBKey管理工具.app"
