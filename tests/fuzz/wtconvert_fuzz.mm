// +[WtConvert hexStr:toBytes:length:] with arbitrary text: the input read as
// UTF-8 (as Latin-1 when it is not valid UTF-8), decoded into a buffer of
// exactly the room the method promises to stay within.
#import "WtConvert.h"

#include <stdint.h>
#include <stdlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
    NSString *text = [[NSString alloc] initWithBytes:data length:size encoding:NSUTF8StringEncoding];
    if (!text)
        text = [[NSString alloc] initWithBytes:data length:size encoding:NSISOLatin1StringEncoding];
    NSUInteger room = [text length] / 2;
    char *bytes = static_cast<char *>(malloc(room ? room : 1));
    int length = -1;
    [WtConvert hexStr:text toBytes:bytes length:&length];
    if ((NSUInteger)length != room)
        abort();  // one byte per whole pair of characters, always
    free(bytes);
    [text release];
    [pool release];
    return 0;
}
