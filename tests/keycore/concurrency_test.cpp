// Probes overlap: several threads list, open and read at the same time through
// the binding, and the simulator must answer each of them whole.
#include "simulated_readers.h"

#include "Qv_Intefs.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

class ConcurrencyTest : public BindingTest {
protected:
    void SetUp() override
    {
        BindingTest::SetUp();
        LoadLibrary(KEYCORE_SIM_PATH);
    }
};

TEST_F(ConcurrencyTest, OverlappingProbesEachGetTheWholeAnswer)
{
    readers_.Configure("reader Reader A 1234\nreader Selvik Token 00 20407\n");
    const int kThreads = 8, kRounds = 25;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; round++) {
                char names[1024] = {0};
                int length = sizeof names, count = 0;
                void *handle = nullptr;
                int pcode = 0, second = 0;
                bool right = KcListReaders(names, &length, &count) == 0 && count == 1 &&
                             std::string(names) == "Selvik Token 00" &&
                             KcConnectDev(names, &handle) == 0 &&
                             KcReadPCODE(handle, &pcode, &second) == 0 && pcode == kTokenPcode &&
                             KcDisconnectDev(handle) == 0;
                wrong += !right;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);

    // 14 calls a round (the listing checks both readers), each one whole line.
    const std::vector<std::string> known = {
        "KcListReaders", "KcConnectDev Reader A", "KcConnectDev Selvik Token 00",
        "KcBeginTransaction", "KcReadPCODE 1234", "KcReadPCODE 20407",
        "KcEndTransaction", "KcDisconnectDev",
    };
    std::vector<std::string> log = readers_.LogLines();
    EXPECT_EQ(log.size(), size_t(kThreads * kRounds * 14));
    for (const std::string &line : log)
        EXPECT_NE(std::find(known.begin(), known.end(), line), known.end()) << line;
}

}  // namespace
