// This program exports the binding's wrappers under the library's names; the
// library's calls to its own functions must still reach its own.
#include "simulated_readers.h"

#include "Qv_Intefs.h"
#include "SanitizerBuild.h"

using namespace std::string_literals;

namespace {

using DeepBindTest = BindingTest;

TEST_F(DeepBindTest, LibraryCallsReachItsOwnFunctions)
{
#ifdef KT_SANITIZED
    GTEST_SKIP() << "the sanitizers' run-time refuses RTLD_DEEPBIND";
#endif
    LoadLibrary(KEYCORE_SELFCALL_PATH);
    Listing listing = ListReaders();
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.count, 1);
    EXPECT_EQ(listing.Written(listing.length), "Own Reader\0"s);
}

}  // namespace
