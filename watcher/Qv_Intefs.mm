#import "Qv_Intefs.h"

#include "LibraryLookup.h"
#include "paths.h"

#include <string.h>

void *hDylib = NULL;
bool glb_bInited = false;

namespace {

enum {
    kLibraryListSize = 520,  // what the library's listing is given to write
    kReaderBufferSize = 1024,
};

// Our wrappers carry the library's own names; the library's calls to its own
// functions must not land in them. On macOS the two-level namespace sees to
// that; glibc needs RTLD_DEEPBIND, which AddressSanitizer refuses (its test
// builds load libraries whose functions do not call each other).
#if defined(RTLD_DEEPBIND) && !defined(__SANITIZE_ADDRESS__)
const int kLoadMode = RTLD_LAZY | RTLD_DEEPBIND;
#else
const int kLoadMode = RTLD_LAZY;
#endif

// Opens the reader, reads its product code inside a transaction and closes
// it. Returns the status of the last step made.
int ReadReaderPcode(const char *name, int *pcode)
{
    void *handle = NULL;
    int status = KcConnectDev(name, &handle);
    if (status != 0)
        return status;
    status = KcBeginTransaction(handle);
    if (status == 0) {
        int second = 0;
        status = KcReadPCODE(handle, pcode, &second);
        KcEndTransaction(handle);
    }
    KcDisconnectDev(handle);
    return status;
}

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

}  // namespace

int Func_Init(const char *path)
{
    if (glb_bInited)
        Func_Finalize();
    hDylib = OpenLibrary(path, KT_KEYCORE_PATH, kLoadMode);
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

int KcListReaders(char *szDeviceName, int *dwDeviceNameLen, int *pdwNum)
{
    typedef int (*ListFunction)(char *, int *, int *);
    ListFunction listReaders = LibraryFunction<ListFunction>(hDylib, "KcListReaders");
    if (!listReaders)
        return -1;
    // A negative capacity is as unusable as none.
    if (!dwDeviceNameLen || *dwDeviceNameLen <= 0) {
        printf("KcListReaders error params!");
        return -1;
    }

    char listed[kLibraryListSize];
    char kept[kLibraryListSize];
    memset(listed, 0, sizeof listed);
    memset(kept, 0, sizeof kept);
    int listedLength = kLibraryListSize;
    int listedCount = 0;
    int keptLength = 0;
    int keptCount = 0;

    int status = listReaders(listed, &listedLength, &listedCount);
    if (status != 0 || listedCount <= 0)
        return status;

    // The list is never read past its 520 bytes: a longer reported length
    // counts as 520, and a last name without its zero byte there is no name.
    int walkedLength = listedLength < kLibraryListSize ? listedLength : kLibraryListSize;
    int offset = 0;
    while (offset < walkedLength - 1) {
        const char *name = listed + offset;
        size_t room = kLibraryListSize - offset;
        size_t nameLength = strnlen(name, room);
        if (nameLength == room)
            break;
        int pcode = 0;
        status = ReadReaderPcode(name, &pcode);
        if (status == 0 && pcode == kTokenPcode) {
            memcpy(kept + keptLength, name, nameLength + 1);
            keptLength += (int)nameLength + 1;
            keptCount++;
        }
        offset += (int)nameLength + 1;
    }
    // When the reported length stops right after the last name's zero byte,
    // the filtered length drops that byte (and is -1 with nothing kept); the
    // callers of this interface have always seen it so.
    if (offset >= walkedLength)
        keptLength -= 1;

    if (pdwNum)
        *pdwNum = keptCount;
    if (szDeviceName && keptLength > 0)
        memcpy(szDeviceName, kept, *dwDeviceNameLen < keptLength ? *dwDeviceNameLen : keptLength);
    *dwDeviceNameLen = keptLength;
    return status;
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

@implementation Qv_Intefs

- (int)getPcode
{
    void *handle = ConnectFirstKeptReader();
    int pcode = 0;
    int second = 0;
    KcReadPCODE(handle, &pcode, &second);
    KcDisconnectDev(handle);
    return pcode;
}

@end
