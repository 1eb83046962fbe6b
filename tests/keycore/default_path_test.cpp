// Func_Init and IsInitedOK with the default path. run_with_default_library.sh
// runs this in a private mount namespace with the simulator, or nothing, at
// the default path and names which in KEYCORE_TEST_DEFAULT_LIBRARY.
#include "simulated_readers.h"

#include "Qv_Intefs.h"
#include "paths.h"

#include <stdlib.h>

namespace {

using DefaultPathTest = BindingTest;

bool SetUpAs(const char *mode)
{
    const char *actual = getenv("KEYCORE_TEST_DEFAULT_LIBRARY");
    return actual && std::string(actual) == mode;
}

TEST_F(DefaultPathTest, NullOrEmptyPathLoadsTheDefaultLibrary)
{
    if (!SetUpAs("present"))
        GTEST_SKIP() << "needs run_with_default_library.sh present";
    for (const char *path : {(const char *)nullptr, ""}) {
        int status = -1;
        EXPECT_EQ(Printed([&] { status = Func_Init(path); }), "");
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(glb_bInited);
        Func_Finalize();
    }
    EXPECT_TRUE(IsInitedOK());
    EXPECT_NE(hDylib, nullptr);
}

TEST_F(DefaultPathTest, MissingDefaultLibraryIsReportedAndNotLoaded)
{
    if (!SetUpAs("absent"))
        GTEST_SKIP() << "needs run_with_default_library.sh absent";
    const std::string error = KT_KEYCORE_PATH ": cannot open shared object file: No such file or directory\n";
    for (const char *path : {(const char *)nullptr, ""}) {
        int status = -1;
        EXPECT_EQ(Printed([&] { status = Func_Init(path); }), error);
        EXPECT_EQ(status, 1);
        EXPECT_FALSE(glb_bInited);
    }
    bool loaded = true;
    EXPECT_EQ(Printed([&] { loaded = IsInitedOK(); }), error);
    EXPECT_FALSE(loaded);
}

}  // namespace
