// Test helpers around the keycore simulator: a private configuration and log,
// and the binding loaded or unloaded around every test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Points KEYCORE_SIM_CONFIG and KEYCORE_SIM_LOG into a fresh directory for
// the life of the object.
class SimulatedReaders {
public:
    SimulatedReaders();
    ~SimulatedReaders();
    void Configure(const std::string &text);
    std::vector<std::string> LogLines() const;

private:
    std::string directory_;
};

// Every test starts and ends with nothing loaded.
class BindingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void LoadLibrary(const char *path);
    SimulatedReaders readers_;
};

// What one call of the binding's KcListReaders gave back. The caller's buffer
// is pre-filled with kUntouched so that every byte written shows.
struct Listing {
    static constexpr char kUntouched = '#';
    static constexpr int kCountUntouched = -7;
    int status;
    int length;
    int count;
    std::string buffer;  // all 1024 bytes
    std::string printed;

    // The first `size` bytes of the buffer, then a check that the rest is untouched.
    std::string Written(size_t size) const;
    bool UntouchedFrom(size_t offset) const;
};

Listing ListReaders(int capacity = 1024);

// Runs `call` and returns what it printed on standard output.
template <typename Call>
std::string Printed(Call call)
{
    ::testing::internal::CaptureStdout();
    call();
    return ::testing::internal::GetCapturedStdout();
}
