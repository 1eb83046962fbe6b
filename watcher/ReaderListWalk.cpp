// KcListReaders: the readers that libkeycore lists, filtered down to those
// that hold a token of our product code.
#include "KeycoreBinding.h"
#include "LibraryLookup.h"
#include "Qv_Intefs.h"

#include <string.h>

namespace {

enum { kLibraryListSize = 520 };  // what the library's listing is given to write

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

}  // namespace

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

