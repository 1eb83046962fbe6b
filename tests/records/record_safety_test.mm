// What the record files must not do: reach outside "/tmp", follow a link
// planted there, leave temporary files behind, or crash on data that is no
// property list.
#import "Qv_Intefs.h"

#include "record_test.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kRefused[] = "refused: it must be a single file name in /tmp";
const char kNotAPropertyList[] = "not written: the data is not a property list";

NSDictionary *Record(NSString *value)
{
    return [NSDictionary dictionaryWithObject:value forKey:@"visit"];
}

bool IsLinkTo(const std::string &path, const std::string &target)
{
    char buffer[4096];
    ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    return length >= 0 && std::string(buffer, length) == target;
}

TEST_F(RecordTest, NamesThatAreNotOneFileNameAreRefused)
{
    // A directory in /tmp holding a record, reachable only through a "/".
    std::string directory = "/tmp/" + Prefix() + "dir";
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    std::string inner = directory + "/inner";
    [Record(@"inside") writeToFile:[NSString stringWithUTF8String:inner.c_str()] atomically:NO];
    std::string innerBytes = Bytes([NSString stringWithUTF8String:(Prefix() + "dir/inner").c_str()]);
    ASSERT_FALSE(innerBytes.empty());

    const std::string cut = Prefix() + "cut";
    const unichar zero = 0;
    NSString *names[] = {
        Name("dir/inner"),
        [NSString stringWithFormat:@"%s%@x", cut.c_str(), [NSString stringWithCharacters:&zero length:1]],
        [NSString stringWithFormat:@"../tmp/%@", Name("escaped")],
        Name("dir/"),
        @"", @".", @"..", nil,
    };
    for (NSString *name : names) {
        std::string logged = Logged([&] {
            [Qv_Intefs saveData:Record(@"new") toFileName:name];
            [Qv_Intefs saveData1:[NSArray arrayWithObject:@"new"] toFileName:name];
            [Qv_Intefs appendDataValue:@"new" toFileName:name];
            EXPECT_EQ([Qv_Intefs readDicFromFileName:name], nil);
            EXPECT_EQ([Qv_Intefs readDataFromFileName:name], nil);
        });
        EXPECT_TRUE(Contains(logged, kRefused)) << logged;
        EXPECT_FALSE(Contains(logged, "沙盒文件路径")) << logged;
    }
    EXPECT_EQ(Bytes(Name("dir/inner")), innerBytes);
    EXPECT_EQ(EntriesWithPrefix(), std::vector<std::string>{Prefix() + "dir"});
}

TEST_F(RecordTest, DataThatIsNoPropertyListLeavesTheRecordAsItWas)
{
    NSString *name = Name("record");
    [Qv_Intefs saveData:Record(@"kept") toFileName:name];
    const std::string before = Bytes(name);

    NSObject *object = [[[NSObject alloc] init] autorelease];
    NSDictionary *numberKey = [NSDictionary dictionaryWithObject:@"v" forKey:[NSNumber numberWithInt:1]];
    NSDictionary *nested = [NSDictionary dictionaryWithObject:[NSArray arrayWithObject:object] forKey:@"list"];
    id refused[] = {nil, object, numberKey, nested, [NSArray arrayWithObject:[NSNull null]]};
    for (id data : refused) {
        std::string logged = Logged([&] {
            [Qv_Intefs saveData:data toFileName:name];
            [Qv_Intefs saveData1:data toFileName:name];
        });
        EXPECT_TRUE(Contains(logged, kNotAPropertyList)) << logged;
        EXPECT_TRUE(Contains(logged, PathLine(name))) << logged;
    }
    for (id value : {(id)nil, (id)object}) {
        std::string logged = Logged([&] { [Qv_Intefs appendDataValue:value toFileName:name]; });
        EXPECT_TRUE(Contains(logged, kNotAPropertyList)) << logged;
        EXPECT_TRUE(Contains(logged, PathLine(name))) << logged;
    }
    EXPECT_EQ(Bytes(name), before);
    EXPECT_EQ(EntriesWithPrefix(), std::vector<std::string>{Prefix() + "record"});
}

TEST_F(RecordTest, PlantedLinksAreReplacedOrLeftAloneButNeverFollowed)
{
    NSString *name = Name("record");
    const std::string target = PathOf(name);
    const std::string victim = "/tmp/" + Prefix() + "victim";
    PutFile(victim, "not to be touched");

    // At the target itself and at the names a careless writer would use for
    // its temporary file.
    const std::vector<std::string> planted = {
        target, target + "~", target + ".tmp", target + ".new", target + ".XXXXXX"};
    for (const std::string &link : planted)
        ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0) << link;

    [Qv_Intefs saveData:Record(@"written") toFileName:name];
    [Qv_Intefs appendDataValue:@"appended" toFileName:name];

    EXPECT_EQ(Bytes([NSString stringWithUTF8String:(Prefix() + "victim").c_str()]), "not to be touched");
    struct stat status;
    ASSERT_EQ(lstat(target.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_PRED2(SameObject, [Qv_Intefs readDicFromFileName:name], Record(@"appended"));
    for (size_t i = 1; i < planted.size(); i++)
        EXPECT_TRUE(IsLinkTo(planted[i], victim)) << planted[i];
    EXPECT_EQ(EntriesWithPrefix().size(), planted.size() + 1);  // nothing else appeared
}

TEST_F(RecordTest, AFailedWriteLeavesNoTemporaryFile)
{
    // A directory in the target's place: the new record cannot be renamed over it.
    NSString *name = Name("record");
    const std::string target = PathOf(name);
    ASSERT_EQ(mkdir(target.c_str(), 0755), 0);
    PutFile(target + "/content", "x");

    std::string logged = Logged([&] {
        [Qv_Intefs saveData:Record(@"a") toFileName:name];
        [Qv_Intefs saveData1:[NSArray arrayWithObject:@"b"] toFileName:name];
        [Qv_Intefs appendDataValue:@"c" toFileName:name];
    });
    EXPECT_TRUE(Contains(logged, PathLine(name))) << logged;
    EXPECT_EQ(EntriesWithPrefix(), std::vector<std::string>{Prefix() + "record"});
    struct stat status;
    ASSERT_EQ(lstat(target.c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
}

}  // namespace
