// A token library whose KcListReaders checks each reader through its own
// KcConnectDev, as a real one may. If that call reached a function of the same
// name in the program that loaded it, the listing fails with kInterposed.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>

enum { kInterposed = 0x7E, kNoReader = 2 };

static const char kReader[] = "Own Reader";
static int token;

int KcConnectDev(const char *name, void **handle)
{
    if (strcmp(name, kReader) != 0)
        return kNoReader;
    *handle = &token;
    return 0;
}

int KcBeginTransaction(void *handle) { return handle == &token ? 0 : kNoReader; }
int KcEndTransaction(void *handle) { return handle == &token ? 0 : kNoReader; }
int KcDisconnectDev(void *handle) { return handle == &token ? 0 : kNoReader; }

int KcReadPCODE(void *handle, int *pcode, int *second)
{
    if (handle != &token)
        return kNoReader;
    *pcode = 20407;
    *second = 0;
    return 0;
}

static int is_own(void *function)
{
    Dl_info own, reached;
    return dladdr(&token, &own) && dladdr(function, &reached) && own.dli_fbase == reached.dli_fbase;
}

int KcListReaders(char *list, int *len, int *count)
{
    void *handle = 0;
    if (!is_own((void *)KcConnectDev) || KcConnectDev(kReader, &handle) != 0)
        return kInterposed;
    memcpy(list, kReader, sizeof kReader);
    list[sizeof kReader] = '\0';
    *len = sizeof kReader + 1;
    *count = 1;
    return 0;
}
