// A token library that has only KcListReaders: two readers, final zero counted.
#include <string.h>

int KcListReaders(char *list, int *len, int *count)
{
    static const char readers[] = "Reader A\0Reader B\0";  // the literal adds the final zero
    memcpy(list, readers, sizeof readers);
    *len = sizeof readers;
    *count = 2;
    return 0;
}
