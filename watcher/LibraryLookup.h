// Loading a library by path and looking up its functions by name, with the
// messages that every library binding of the watcher prints.
#pragma once

#include <dlfcn.h>
#include <stdio.h>

// dlopen()s `path`, or `defaultPath` when it is null or empty. Prints the
// loader's error and returns null when the library does not load.
inline void *OpenLibrary(const char *path, const char *defaultPath, int mode)
{
    if (!path || !*path)
        path = defaultPath;
    void *library = dlopen(path, mode);
    if (!library) {
        const char *error = dlerror();
        printf("%s\n", error ? error : "");
    }
    return library;
}

// Looked up again on every call: nothing is remembered between calls.
template <typename Function>
Function LibraryFunction(void *library, const char *name)
{
    if (!library) {
        printf("Load dylib file Failed.\n");
        return NULL;
    }
    void *function = dlsym(library, name);
    if (!function)
        printf("get api %s failed", name);
    return reinterpret_cast<Function>(function);
}
