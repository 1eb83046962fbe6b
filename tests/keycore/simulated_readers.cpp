#include "simulated_readers.h"

#include "Qv_Intefs.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

SimulatedReaders::SimulatedReaders()
{
    char pattern[] = "/tmp/keycore-test-XXXXXX";
    if (!mkdtemp(pattern)) {
        perror("mkdtemp");
        abort();
    }
    directory_ = pattern;
    setenv("KEYCORE_SIM_CONFIG", (directory_ + "/readers.conf").c_str(), 1);
    setenv("KEYCORE_SIM_LOG", (directory_ + "/calls.log").c_str(), 1);
}

SimulatedReaders::~SimulatedReaders()
{
    unlink((directory_ + "/readers.conf").c_str());
    unlink((directory_ + "/calls.log").c_str());
    rmdir(directory_.c_str());
    unsetenv("KEYCORE_SIM_CONFIG");
    unsetenv("KEYCORE_SIM_LOG");
}

void SimulatedReaders::Configure(const std::string &text)
{
    std::ofstream(directory_ + "/readers.conf") << text;
}

std::vector<std::string> SimulatedReaders::LogLines() const
{
    std::ifstream log(directory_ + "/calls.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);)
        lines.push_back(line);
    return lines;
}

void BindingTest::SetUp()
{
    Func_Finalize();
}

void BindingTest::TearDown()
{
    Func_Finalize();
}

void BindingTest::LoadLibrary(const char *path)
{
    ASSERT_EQ(Func_Init(path), 0) << path;
}

std::string Listing::Written(size_t size) const
{
    return buffer.substr(0, size);
}

bool Listing::UntouchedFrom(size_t offset) const
{
    return buffer.find_first_not_of(kUntouched, offset) == std::string::npos;
}

Listing ListReaders(int capacity)
{
    Listing listing;
    listing.buffer.assign(1024, Listing::kUntouched);
    listing.length = capacity;
    listing.count = Listing::kCountUntouched;
    listing.printed = Printed([&] {
        listing.status = KcListReaders(&listing.buffer[0], &listing.length, &listing.count);
    });
    return listing;
}
