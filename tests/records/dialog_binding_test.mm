// The watcher's binding of the dialog library: the real libkeydialogs, a
// library that has showTipWindow, and one that does not load.
#import "Qv_Intefs.h"

#include "record_test.h"

#include <dlfcn.h>

namespace {

const std::string kNotLoaded = "Load dylib file Failed.\n";
const std::string kNoTipWindow = "get api showTipWindow failed";

class DialogBindingTest : public ::testing::Test {
protected:
    void TearDown() override { UnInitP11(); }
};

TEST_F(DialogBindingTest, ALibraryThatDoesNotLoadIsReported)
{
    int status = 0;
    std::string printed = Printed([&] { status = InitedP11Wnd("/nonexistent/libkeydialogs.so"); });
    EXPECT_EQ(printed, "/nonexistent/libkeydialogs.so: cannot open shared object file: No such file or directory\n");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(hP11Win, nullptr);
    EXPECT_EQ(Printed([] { showTipWindow(NULL); }), kNotLoaded);
}

TEST_F(DialogBindingTest, TheRealDialogLibraryHasNoTipWindow)
{
    int status = 1;
    EXPECT_EQ(Printed([&] { status = InitedP11Wnd(KEYDIALOGS_PATH); }), "");
    EXPECT_EQ(status, 0);
    EXPECT_NE(hP11Win, nullptr);
    EXPECT_EQ(Printed([] { showTipWindow((void *)0x1234); }), kNoTipWindow);

    UnInitP11();
    EXPECT_EQ(hP11Win, nullptr);
    EXPECT_EQ(Printed([] { showTipWindow(NULL); }), kNotLoaded);
    // Its classes outlive the unload: the runtime can still look classes up.
    NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
    EXPECT_EQ(NSClassFromString(@"NSMutableDictionary"), [NSMutableDictionary class]);
    EXPECT_NE(NSClassFromString(@"p11Win"), nil);
    [pool release];
}

TEST_F(DialogBindingTest, TheValueIsPassedOnAndASecondLoadReplacesTheHandle)
{
    ASSERT_EQ(InitedP11Wnd(TIP_WINDOW_LIBRARY_PATH), 0);
    void *first = hP11Win;
    void **lastValue = (void **)dlsym(first, "lastTipValue");
    ASSERT_NE(lastValue, nullptr);
    EXPECT_EQ(Printed([] { showTipWindow((void *)0xfeedface); }), "");
    EXPECT_EQ(*lastValue, (void *)0xfeedface);

    ASSERT_EQ(InitedP11Wnd(KEYDIALOGS_PATH), 0);
    EXPECT_NE(hP11Win, first);
    EXPECT_EQ(Printed([] { showTipWindow((void *)1); }), kNoTipWindow);
    EXPECT_EQ(*lastValue, (void *)0xfeedface);
    // The first handle was not closed: its library is still loaded.
    EXPECT_NE(dlopen(TIP_WINDOW_LIBRARY_PATH, RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

}  // namespace
