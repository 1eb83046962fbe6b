// The record-file readers, and the append that reads before it writes, with
// arbitrary file contents in a record of this process's own name.
#import "Qv_Intefs.h"

#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

// Some malformed lists make GNUstep's parser ask malloc for SIZE_MAX bytes.
// Without a sanitizer malloc answers NULL, GNUstep raises, and the reader
// catches that and answers nil: each sanitizer is to answer as malloc does,
// not end the run.
// GNUstep's parser also reads a byte or two past a file that ends inside a
// tag: records.asan.supp names that report.
extern "C" const char *__asan_default_options()
{
    return "allocator_may_return_null=1:suppressions=" RECORDS_ASAN_SUPPRESSIONS;
}

extern "C" const char *__tsan_default_options()
{
    return "allocator_may_return_null=1";
}

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
