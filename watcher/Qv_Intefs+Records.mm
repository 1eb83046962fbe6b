// Qv_Intefs's record files: property lists kept directly in the record
// directory under names that the caller gives.
#import "Qv_Intefs.h"

#import "QvXMLPropertyList.h"
#include "AtomicFileWrite.h"
#include "paths.h"

namespace {

// A "/" leads out of the record directory; a zero byte would end the name
// early on its way to the system, and another file would be written.
bool HasSeparator(NSString *name)
{
    const unichar separators[] = {'/', 0};
    NSString *characters = [NSString stringWithCharacters:separators length:2];
    NSCharacterSet *set = [NSCharacterSet characterSetWithCharactersInString:characters];
    return [name rangeOfCharacterFromSet:set].location != NSNotFound;
}

// The record's path, or nil (logged) when the name is not one plain file name.
NSString *RecordPath(NSString *name)
{
    if ([name length] == 0 || [name isEqualToString:@"."] || [name isEqualToString:@".."] ||
        HasSeparator(name)) {
        NSLog(@"Record file name \"%@\" refused: it must be a single file name in %s", name, KT_RECORD_DIR);
        return nil;
    }
    return [@KT_RECORD_DIR stringByAppendingPathComponent:name];
}

NSString *ExistingRecordPath(NSString *name)
{
    NSString *path = RecordPath(name);
    return path && [[NSFileManager defaultManager] fileExistsAtPath:path] ? path : nil;
}

// The one writer behind both savers, so that they give identical files.
void WriteRecord(id object, NSString *name)
{
    NSString *path = RecordPath(name);
    if (!path)
        return;
    NSData *xml = QvXMLPropertyListData(object);
    if (xml)
        ReplaceFileAtomically([path fileSystemRepresentation], [xml bytes], [xml length]);
    else
        NSLog(@"Record %@ not written: the data is not a property list", path);
    NSLog([NSString stringWithUTF8String:"沙盒文件路径：%@"], path);
}

}  // namespace

@implementation Qv_Intefs (Records)

+ (void)saveData:(id)data toFileName:(NSString *)fileName
{
    WriteRecord(data, fileName);
}

+ (void)appendDataValue:(id)value toFileName:(NSString *)fileName
{
    // nil is no property-list value: the writer refuses it as it refuses the others.
    NSMutableDictionary *record = nil;
    if (value) {
        record = [self readDicFromFileName:fileName];
        if (!record)
            record = [NSMutableDictionary dictionary];
        [record setObject:value forKey:@"visit"];
    }
    [self saveData:record toFileName:fileName];
}

+ (NSMutableDictionary *)readDicFromFileName:(NSString *)fileName
{
    NSString *path = ExistingRecordPath(fileName);
    return path ? [NSMutableDictionary dictionaryWithContentsOfFile:path] : nil;
}

+ (void)saveData1:(id)data toFileName:(NSString *)fileName
{
    WriteRecord(data, fileName);
}

+ (NSArray *)readDataFromFileName:(NSString *)fileName
{
    NSString *path = ExistingRecordPath(fileName);
    return path ? [[[NSArray alloc] initWithContentsOfFile:path] autorelease] : nil;
}

@end
