// The binding's behaviour around the library itself: loading, a library that
// is missing or lacks functions, the serial request and getPcode.
#import "Qv_Intefs.h"

#include "simulated_readers.h"

namespace {

const std::string kNotLoaded = "Load dylib file Failed.\n";

// The seven exported calls, each with harmless arguments.
struct Call {
    const char *name;
    int (*run)();
};
const Call kCalls[] = {
    {"KcListReaders", [] { char b[16] = {0}; int n = 16, c = 0; return KcListReaders(b, &n, &c); }},
    {"KcConnectDev", [] { void *h = nullptr; return KcConnectDev("Reader A", &h); }},
    {"KcBeginTransaction", [] { return KcBeginTransaction(nullptr); }},
    {"KcReadPCODE", [] { int p = 0, s = 0; return KcReadPCODE(nullptr, &p, &s); }},
    {"KcEndTransaction", [] { return KcEndTransaction(nullptr); }},
    {"KcDisconnectDev", [] { return KcDisconnectDev(nullptr); }},
    {"KcGetSerial", [] { return KcGetSerial(1); }},
};

int PcodeOfFirstToken()
{
    Qv_Intefs *interfaces = [[Qv_Intefs alloc] init];
    int pcode = [interfaces getPcode];
    [interfaces release];
    return pcode;
}

using LibraryTest = BindingTest;

TEST_F(LibraryTest, EveryCallFailsWhileNothingIsLoaded)
{
    for (const Call &call : kCalls) {
        int status = 0;
        EXPECT_EQ(Printed([&] { status = call.run(); }), kNotLoaded) << call.name;
        EXPECT_EQ(status, -1) << call.name;
    }
    int pcode = -1;
    EXPECT_EQ(Printed([&] { pcode = PcodeOfFirstToken(); }),
              kNotLoaded + kNotLoaded + kNotLoaded + kNotLoaded);
    EXPECT_EQ(pcode, 0);
}

TEST_F(LibraryTest, MissingFunctionsAreReportedByName)
{
    LoadLibrary(KEYCORE_LISTONLY_PATH);  // exports KcListReaders alone
    for (const Call &call : kCalls) {
        if (std::string(call.name) == "KcListReaders")
            continue;
        int status = 0;
        EXPECT_EQ(Printed([&] { status = call.run(); }), std::string("get api ") + call.name + " failed")
            << call.name;
        EXPECT_EQ(status, -1) << call.name;
    }

    // Its two readers cannot be opened: each one reports the missing function.
    Listing listing = ListReaders();
    EXPECT_EQ(listing.printed, "get api KcConnectDev failedget api KcConnectDev failed");
    EXPECT_EQ(listing.status, -1);
    EXPECT_EQ(listing.count, 0);
    EXPECT_EQ(listing.length, 0);

    LoadLibrary("libm.so.6");  // a library without any of them
    EXPECT_EQ(ListReaders().printed, "get api KcListReaders failed");
}

TEST_F(LibraryTest, FailedLoadPrintsTheLoadersError)
{
    int status = 0;
    std::string printed = Printed([&] { status = Func_Init("/nonexistent/libkeycore.so"); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(printed, "/nonexistent/libkeycore.so: cannot open shared object file: No such file or directory\n");
    EXPECT_FALSE(glb_bInited);
    EXPECT_EQ(hDylib, nullptr);
}

TEST_F(LibraryTest, LoadingAgainReplacesTheLibraryAndFinalizeUnloads)
{
    LoadLibrary(KEYCORE_LISTONLY_PATH);
    LoadLibrary(KEYCORE_SIM_PATH);
    readers_.Configure("reader Reader A 20407\n");
    void *handle = nullptr;
    EXPECT_EQ(KcConnectDev("Reader A", &handle), 0);
    EXPECT_EQ(KcDisconnectDev(handle), 0);

    Func_Finalize();
    EXPECT_FALSE(glb_bInited);
    EXPECT_EQ(hDylib, nullptr);
    EXPECT_EQ(Printed([] { KcDisconnectDev(nullptr); }), kNotLoaded);
}

TEST_F(LibraryTest, SerialGoesToTheFirstKeptReader)
{
    LoadLibrary(KEYCORE_SIM_PATH);
    readers_.Configure("reader Reader A 1234\nreader Reader B 20407\nreader Reader C 20407\n");
    EXPECT_EQ(KcGetSerial(0xFF), 0);
    std::vector<std::string> log = readers_.LogLines();
    ASSERT_GE(log.size(), 3u);
    std::vector<std::string> tail(log.end() - 3, log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"KcConnectDev Reader B", "KcGetSerial 255", "KcDisconnectDev"}));

    // No reader kept: the library gets the null handle and its status comes back.
    readers_.Configure("reader Reader A 1234\n");
    EXPECT_EQ(KcGetSerial(7), 6);
    EXPECT_EQ(readers_.LogLines().back(), "KcDisconnectDev failed 6");
}

TEST_F(LibraryTest, GetPcodeReadsTheFirstKeptToken)
{
    LoadLibrary(KEYCORE_SIM_PATH);
    readers_.Configure("reader Reader A 1234\nreader Reader B 20407\n");
    EXPECT_EQ(PcodeOfFirstToken(), 20407);
    std::vector<std::string> log = readers_.LogLines();
    std::vector<std::string> tail(log.end() - 3, log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"KcConnectDev Reader B", "KcReadPCODE 20407", "KcDisconnectDev"}));

    readers_.Configure("reader Reader A 1234\n");
    EXPECT_EQ(PcodeOfFirstToken(), 0);
}

}  // namespace
