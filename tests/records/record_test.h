// Helpers for the record-file tests: names of their own in "/tmp", removed
// after each test, and what the code under test printed or logged.
#pragma once

#import <Foundation/Foundation.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Every record name a test uses starts with Prefix(); all "/tmp" entries that
// start with it are removed when the test ends.
class RecordTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Prefix() const { return prefix_; }
    NSString *Name(const char *suffix) const;          // Prefix() + suffix
    std::string PathOf(NSString *name) const;          // "/tmp/" + name
    std::string Bytes(NSString *name) const;           // the file's content, "" when unreadable
    void PutFile(const std::string &path, const std::string &bytes) const;
    std::vector<std::string> EntriesWithPrefix() const;  // in "/tmp", sorted

private:
    std::string prefix_;
    NSAutoreleasePool *pool_ = nil;
};

// The path line that every record write logs.
std::string PathLine(NSString *name);

// Runs `call` and returns what it logged (NSLog writes to standard error).
template <typename Call>
std::string Logged(Call call)
{
    ::testing::internal::CaptureStderr();
    call();
    return ::testing::internal::GetCapturedStderr();
}

// Runs `call` and returns what it printed on standard output.
template <typename Call>
std::string Printed(Call call)
{
    ::testing::internal::CaptureStdout();
    call();
    fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

inline bool Contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// Objective-C objects compared with isEqual:, for EXPECT_PRED2.
inline bool SameObject(id a, id b)
{
    return [a isEqual:b];
}
