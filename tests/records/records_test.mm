// Qv_Intefs's record files: what the writers put in "/tmp" and what the
// readers and appendDataValue:toFileName: make of it.
#import "Qv_Intefs.h"

#include "record_test.h"

namespace {

NSString *Text(const char *utf8)
{
    return [NSString stringWithUTF8String:utf8];
}

// A record with every kind of property-list value.
NSDictionary *SampleDictionary()
{
    NSArray *list = [NSArray arrayWithObjects:Text("第一"), [NSNumber numberWithDouble:2.5], nil];
    return [NSDictionary dictionaryWithObjectsAndKeys:
        Text("张三 <&> \"x\""), @"user",
        [NSNumber numberWithInt:3], @"count",
        [NSNumber numberWithBool:YES], @"enabled",
        [NSDate dateWithTimeIntervalSince1970:1700000000], @"time",
        [NSData dataWithBytes:"\x00\x01\xfe" length:3], @"raw",
        list, @"list",
        nil];
}

NSArray *SampleArray()
{
    return [NSArray arrayWithObjects:Text("甲"), [NSNumber numberWithInt:-1], SampleDictionary(), nil];
}

NSDictionary *VisitOnly(id value)
{
    return [NSDictionary dictionaryWithObject:value forKey:@"visit"];
}

TEST_F(RecordTest, BothSaversWriteTheSameXMLPropertyList)
{
    const char *const kHeader =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    id roots[] = {SampleDictionary(), SampleArray()};
    for (id root : roots) {
        NSString *first = Name("saveData");
        NSString *second = Name("saveData1");
        std::string logged = Logged([&] {
            [Qv_Intefs saveData:root toFileName:first];
            [Qv_Intefs saveData1:root toFileName:second];
        });
        EXPECT_TRUE(Contains(logged, PathLine(first))) << logged;
        EXPECT_TRUE(Contains(logged, PathLine(second))) << logged;

        std::string bytes = Bytes(first);
        EXPECT_EQ(bytes, Bytes(second));
        EXPECT_EQ(bytes.compare(0, strlen(kHeader), kHeader), 0) << bytes;

        NSData *data = [NSData dataWithBytes:bytes.data() length:bytes.size()];
        NSPropertyListFormat format = NSPropertyListBinaryFormat_v1_0;
        id read = [NSPropertyListSerialization propertyListWithData:data options:0 format:&format error:NULL];
        EXPECT_EQ(format, NSPropertyListXMLFormat_v1_0);
        EXPECT_PRED2(SameObject, read, root);
    }
}

TEST_F(RecordTest, ReadersAnswerOnlyForTheirOwnRootType)
{
    NSString *missing = Name("missing");
    EXPECT_EQ([Qv_Intefs readDicFromFileName:missing], nil);
    EXPECT_EQ([Qv_Intefs readDataFromFileName:missing], nil);

    NSString *dictionary = Name("dictionary");
    [Qv_Intefs saveData:SampleDictionary() toFileName:dictionary];
    NSMutableDictionary *read = [Qv_Intefs readDicFromFileName:dictionary];
    EXPECT_PRED2(SameObject, read, SampleDictionary());
    [read setObject:@"changed" forKey:@"user"];  // the caller may change what it got
    EXPECT_EQ([Qv_Intefs readDataFromFileName:dictionary], nil);

    NSString *array = Name("array");
    [Qv_Intefs saveData1:SampleArray() toFileName:array];
    EXPECT_PRED2(SameObject, [Qv_Intefs readDataFromFileName:array], SampleArray());
    EXPECT_EQ([Qv_Intefs readDicFromFileName:array], nil);

    NSString *string = Name("string");
    [Qv_Intefs saveData:@"just text" toFileName:string];
    EXPECT_EQ([Qv_Intefs readDicFromFileName:string], nil);
    EXPECT_EQ([Qv_Intefs readDataFromFileName:string], nil);

    NSString *garbage = Name("garbage");
    for (const char *content : {"", "<plist version=\"1.0\"><dict><key>a</key>", "\x89PNG\r\n\x1a\n\x00\x00"}) {
        PutFile(PathOf(garbage), content);
        EXPECT_EQ([Qv_Intefs readDicFromFileName:garbage], nil) << content;
        EXPECT_EQ([Qv_Intefs readDataFromFileName:garbage], nil) << content;
    }
}

TEST_F(RecordTest, AppendCreatesARecordHoldingOnlyVisit)
{
    NSString *name = Name("new");
    std::string logged = Logged([&] { [Qv_Intefs appendDataValue:@"first" toFileName:name]; });
    EXPECT_TRUE(Contains(logged, PathLine(name))) << logged;
    EXPECT_PRED2(SameObject, [Qv_Intefs readDicFromFileName:name], VisitOnly(@"first"));

    [Qv_Intefs appendDataValue:SampleArray() toFileName:name];
    EXPECT_PRED2(SameObject, [Qv_Intefs readDicFromFileName:name], VisitOnly(SampleArray()));
}

TEST_F(RecordTest, AppendReplacesVisitAndKeepsTheOtherKeys)
{
    NSString *name = Name("kept");
    NSMutableDictionary *record = [[SampleDictionary() mutableCopy] autorelease];
    [record setObject:@"earlier" forKey:@"visit"];
    [Qv_Intefs saveData:record toFileName:name];

    NSDate *now = [NSDate dateWithTimeIntervalSince1970:1800000000];
    [Qv_Intefs appendDataValue:now toFileName:name];
    [record setObject:now forKey:@"visit"];
    EXPECT_PRED2(SameObject, [Qv_Intefs readDicFromFileName:name], record);
}

TEST_F(RecordTest, AppendReplacesWhatIsNoDictionaryRecord)
{
    NSString *name = Name("replaced");
    NSNumber *value = [NSNumber numberWithInt:7];

    [Qv_Intefs saveData1:SampleArray() toFileName:name];
    [Qv_Intefs appendDataValue:value toFileName:name];
    EXPECT_PRED2(SameObject, [Qv_Intefs readDicFromFileName:name], VisitOnly(value));

    [Qv_Intefs saveData:[NSDictionary dictionary] toFileName:name];
    [Qv_Intefs appendDataValue:value toFileName:name];
    EXPECT_PRED2(SameObject, [Qv_Intefs readDicFromFileName:name], VisitOnly(value));

    PutFile(PathOf(name), "not a property list <");
    [Qv_Intefs appendDataValue:value toFileName:name];
    EXPECT_PRED2(SameObject, [Qv_Intefs readDicFromFileName:name], VisitOnly(value));
}

}  // namespace
