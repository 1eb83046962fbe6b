// The reader-list walk of KcListReaders, fed by a token library that answers
// with the fuzzer's bytes. The caller's buffer is exactly as large as the
// capacity it declares, so a write past it is caught by the sanitizer.
#include "Qv_Intefs.h"

#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

void Check(bool condition, const char *what)
{
    if (!condition) {
        fprintf(stderr, "reader list walk: %s\n", what);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!hDylib && Func_Init(FUZZ_KEYCORE_PATH) != 0)
        abort();
    if (size < 2)
        return 0;
    // The first two bytes: the capacity the caller declares (1 to 1024).
    int capacity = ((data[0] << 8 | data[1]) & 0x3ff) + 1;
    typedef void (*Feed)(const uint8_t *, size_t);
    typedef int (*OpenHandles)();
    Feed feed = reinterpret_cast<Feed>(dlsym(hDylib, "fuzz_keycore_feed"));
    OpenHandles openHandles = reinterpret_cast<OpenHandles>(dlsym(hDylib, "fuzz_keycore_open_handles"));
    feed(data + 2, size - 2);

    char *names = static_cast<char *>(calloc(capacity, 1));
    int length = capacity;
    int count = -7;
    KcListReaders(names, &length, &count);
    if (count != -7) {
        // The walk ran: what it kept fits the library's 520-byte list (each
        // name it walks, an empty one too, takes at least one byte of the
        // first 519), and every device it opened it closed again.
        Check(length >= -1 && length <= 520, "filtered length out of range");
        Check(count >= 0 && count <= 519, "kept count out of range");
        Check(count == 0 || length >= count - 1, "more names kept than bytes");
        Check(openHandles() == 0, "a device was left open");
    }
    free(names);
    return 0;
}
