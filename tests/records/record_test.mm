#include "record_test.h"

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

void RecordTest::SetUp()
{
    pool_ = [[NSAutoreleasePool alloc] init];
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    prefix_ = "qv-records-" + std::to_string(getpid()) + "-" + test->name() + "-";
}

void RecordTest::TearDown()
{
    for (const std::string &entry : EntriesWithPrefix()) {
        std::string path = "/tmp/" + entry;
        if (unlink(path.c_str()) != 0)
            system(("rm -rf '" + path + "'").c_str());
    }
    [pool_ release];
}

NSString *RecordTest::Name(const char *suffix) const
{
    return [NSString stringWithUTF8String:(prefix_ + suffix).c_str()];
}

std::string RecordTest::PathOf(NSString *name) const
{
    return std::string("/tmp/") + [name UTF8String];
}

std::string RecordTest::Bytes(NSString *name) const
{
    std::ifstream file(PathOf(name), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void RecordTest::PutFile(const std::string &path, const std::string &bytes) const
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> RecordTest::EntriesWithPrefix() const
{
    std::vector<std::string> entries;
    DIR *directory = opendir("/tmp");
    while (struct dirent *entry = directory ? readdir(directory) : NULL)
        if (std::string(entry->d_name).compare(0, prefix_.size(), prefix_) == 0)
            entries.push_back(entry->d_name);
    if (directory)
        closedir(directory);
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string PathLine(NSString *name)
{
    return std::string("沙盒文件路径：/tmp/") + [name UTF8String];
}
