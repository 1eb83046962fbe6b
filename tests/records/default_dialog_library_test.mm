// InitedP11Wnd with the default path: run_with_default_library.sh runs this
// in a private mount namespace with the dialog library at the default path.
#import "Qv_Intefs.h"

#include "record_test.h"

#include <stdlib.h>

namespace {

TEST(DefaultDialogLibraryTest, NullOrEmptyPathLoadsTheDefaultLibrary)
{
    const char *setUp = getenv("KEYCORE_TEST_DEFAULT_LIBRARY");
    if (!setUp || std::string(setUp) != "present")
        GTEST_SKIP() << "needs run_with_default_library.sh present";
    for (const char *path : {(const char *)nullptr, ""}) {
        int status = 1;
        EXPECT_EQ(Printed([&] { status = InitedP11Wnd(path); }), "");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(Printed([] { showTipWindow(NULL); }), "get api showTipWindow failed");
        UnInitP11();
    }
}

}  // namespace
