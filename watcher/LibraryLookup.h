// Loading a library by path and looking up its functions by name, with the
// messages that every library binding of the watcher prints.
#pragma once

#include <dlfcn.h>
#include <stdio.h>

// dlopen()s `path`, or `defaultPath` when it is null or empty, and where
// nothing loads from the default path, the library that the dynamic loader
// finds by `loaderName` (when not null). Prints the loader's error for the
// path asked for and returns null when no library loads.
inline void *OpenLibrary(const char *path, const char *defaultPath, const char *loaderName, int mode)
{
    const bool byDefault = !path || !*path;
    if (byDefault)
        path = defaultPath;
    void *library = dlopen(path, mode);
    if (!library) {
        const char *error = dlerror();
        char message[1024];
        snprintf(message, sizeof message, "%s", error ? error : "");
        if (byDefault && loaderName)
            library = dlopen(loaderName, mode);
        if (!library)
            printf("%s\n", message);
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
