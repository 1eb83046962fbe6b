// keywatchd's binding of the token access library libkeycore: loading it and
// one wrapper per library function, each under the library's own name.
#include "KeycoreBinding.h"
#include "LibraryLookup.h"
#include "SanitizerBuild.h"
#include "Qv_Intefs.h"
#include "paths.h"

#include <string.h>

void *hDylib = NULL;
bool glb_bInited = false;

namespace {

// Our wrappers carry the library's own names; the library's calls to its own
// functions must not land in them. On macOS the two-level namespace sees to
// that; glibc needs RTLD_DEEPBIND, which the sanitizers' run-times refuse (their
// test builds load libraries whose functions do not call each other).
#if defined(RTLD_DEEPBIND) && !defined(KT_SANITIZED)
const int kLoadMode = RTLD_LAZY | RTLD_DEEPBIND;
#else
const int kLoadMode = RTLD_LAZY;
#endif

enum { kReaderBufferSize = 1024 };  // what our callers give KcListReaders

}  // namespace

// Connects to the first reader that KcListReaders keeps (an empty name when it
// keeps none); the handle stays null when that fails.
void *ConnectFirstKeptReader()
{
    char names[kReaderBufferSize];
    memset(names, 0, sizeof names);
    int length = kReaderBufferSize;
    int count = 0;
    void *handle = NULL;
    KcListReaders(names, &length, &count);
    KcConnectDev(names, &handle);
    return handle;
}

int Func_Init(const char *path)
{
    if (glb_bInited)
        Func_Finalize();
    hDylib = OpenLibrary(path, KT_KEYCORE_PATH, KT_KEYCORE_LOADER_NAME, kLoadMode);
    if (!hDylib)
        return 1;
    glb_bInited = true;
    return 0;
}

void Func_Finalize(void)
{
    if (hDylib) {
        dlclose(hDylib);
        hDylib = NULL;
    }
    glb_bInited = false;
}

bool IsInitedOK(void)
{
    if (!glb_bInited)
        Func_Init(NULL);
    return glb_bInited;
}

int KcConnectDev(const char *name, void **handle)
{
    typedef int (*Function)(const char *, void **);
    Function function = LibraryFunction<Function>(hDylib, "KcConnectDev");
    return function ? function(name, handle) : -1;
}

int KcBeginTransaction(void *handle)
{
    typedef int (*Function)(void *);
    Function function = LibraryFunction<Function>(hDylib, "KcBeginTransaction");
    return function ? function(handle) : -1;
}

int KcReadPCODE(void *handle, int *pcode, int *second)
{
    typedef int (*Function)(void *, int *, int *);
    Function function = LibraryFunction<Function>(hDylib, "KcReadPCODE");
    return function ? function(handle, pcode, second) : -1;
}

int KcEndTransaction(void *handle)
{
    typedef int (*Function)(void *);
    Function function = LibraryFunction<Function>(hDylib, "KcEndTransaction");
    return function ? function(handle) : -1;
}

int KcDisconnectDev(void *handle)
{
    typedef int (*Function)(void *);
    Function function = LibraryFunction<Function>(hDylib, "KcDisconnectDev");
    return function ? function(handle) : -1;
}

int KcGetSerial(unsigned char value)
{
    typedef int (*Function)(void *, unsigned int);
    Function getSerial = LibraryFunction<Function>(hDylib, "KcGetSerial");
    if (!getSerial)
        return -1;
    void *handle = ConnectFirstKeptReader();
    int status = getSerial(handle, value);
    KcDisconnectDev(handle);
    return status;
}

