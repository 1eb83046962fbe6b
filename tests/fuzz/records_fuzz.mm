// The record-file readers, and the append that reads before it writes, with
// arbitrary file contents in a record of this process's own name.
#import "Qv_Intefs.h"

#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
    NSString *name = [NSString stringWithFormat:@"keytoken-fuzz-%d.plist", getpid()];
    NSString *path = [@"/tmp" stringByAppendingPathComponent:name];
    [[NSData dataWithBytes:data length:size] writeToFile:path atomically:NO];

    NSMutableDictionary *dictionary = [Qv_Intefs readDicFromFileName:name];
    NSArray *array = [Qv_Intefs readDataFromFileName:name];
    if ((dictionary && ![dictionary isKindOfClass:[NSDictionary class]]) ||
        (array && ![array isKindOfClass:[NSArray class]]))
        abort();
    // What the append writes must read back as a dictionary holding "visit".
    [Qv_Intefs appendDataValue:@"fuzz" toFileName:name];
    if (![[[Qv_Intefs readDicFromFileName:name] objectForKey:@"visit"] isEqual:@"fuzz"])
        abort();
    [[NSFileManager defaultManager] removeFileAtPath:path handler:nil];
    [pool release];
    return 0;
}
