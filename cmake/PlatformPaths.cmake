# The fixed paths of the system, with the platform's shared-library suffix.
# They are compiled in through watcher/paths.h and pinWin; nothing reads them at run time.
if(APPLE)
  set(KEYTOKEN_DYLIB_SUFFIX ".dylib")
else()
  set(KEYTOKEN_DYLIB_SUFFIX ".so")
endif()
set(KEYTOKEN_LIBDIR "/usr/local/lib")
