// KcListReaders against the simulator: which readers are kept, what the
// caller's buffer, length and count receive, and which status comes back.
#include "simulated_readers.h"

#include "Qv_Intefs.h"

using namespace std::string_literals;

namespace {

class ListingTest : public BindingTest {
protected:
    void SetUp() override
    {
        BindingTest::SetUp();
        LoadLibrary(KEYCORE_SIM_PATH);
    }
};

const char kTwoTokens[] =
    "reader Reader A 1234\n"
    "reader Selvik Token 00 20407\n"
    "reader Reader C 20407\n";

TEST_F(ListingTest, KeepsTheReadersOfProductCode20407InLibraryOrder)
{
    readers_.Configure(kTwoTokens);
    Listing listing = ListReaders();
    const std::string kept = "Selvik Token 00\0Reader C\0"s;
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.count, 2);
    EXPECT_EQ(listing.length, (int)kept.size());
    EXPECT_EQ(listing.Written(kept.size()), kept);
    EXPECT_TRUE(listing.UntouchedFrom(kept.size()));
    EXPECT_EQ(listing.printed, "");
}

TEST_F(ListingTest, ChecksEachReaderInsideItsOwnTransaction)
{
    readers_.Configure("reader Reader A 1234\nreader Reader B 20407\n");
    ListReaders();
    std::vector<std::string> expected = {
        "KcListReaders",
        "KcConnectDev Reader A", "KcBeginTransaction", "KcReadPCODE 1234",
        "KcEndTransaction", "KcDisconnectDev",
        "KcConnectDev Reader B", "KcBeginTransaction", "KcReadPCODE 20407",
        "KcEndTransaction", "KcDisconnectDev",
    };
    EXPECT_EQ(readers_.LogLines(), expected);
}

TEST_F(ListingTest, LengthWithoutTheFinalZeroDropsTheLastKeptZeroByte)
{
    readers_.Configure("reader Reader A 1234\nreader Reader B 20407\nlist-length uncounted\n");
    Listing listing = ListReaders();
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.count, 1);
    EXPECT_EQ(listing.length, 8);
    EXPECT_EQ(listing.Written(8), "Reader B");
    EXPECT_TRUE(listing.UntouchedFrom(8));
}

TEST_F(ListingTest, NoReaderKept)
{
    // Counted final zero: length 0, and the status of the last step walked.
    readers_.Configure("reader Reader A 1234\nreader Reader B 20407 read-fail\n");
    Listing listing = ListReaders();
    EXPECT_EQ(listing.status, 4);
    EXPECT_EQ(listing.count, 0);
    EXPECT_EQ(listing.length, 0);
    EXPECT_TRUE(listing.UntouchedFrom(0));

    // Uncounted final zero: the length comes back as -1.
    readers_.Configure("reader Reader A 1234\nlist-length uncounted\n");
    listing = ListReaders();
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.count, 0);
    EXPECT_EQ(listing.length, -1);
    EXPECT_TRUE(listing.UntouchedFrom(0));
}

TEST_F(ListingTest, CapacitySmallerThanTheListCopiesOnlyTheCapacity)
{
    readers_.Configure(kTwoTokens);
    Listing listing = ListReaders(5);
    EXPECT_EQ(listing.length, 25);
    EXPECT_EQ(listing.count, 2);
    EXPECT_EQ(listing.Written(5), "Selvi");
    EXPECT_TRUE(listing.UntouchedFrom(5));
}

TEST_F(ListingTest, NoReaderOrFailedListingLeavesTheCallersValues)
{
    readers_.Configure("# nothing attached\n");
    Listing listing = ListReaders(300);
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.length, 300);
    EXPECT_EQ(listing.count, Listing::kCountUntouched);
    EXPECT_TRUE(listing.UntouchedFrom(0));
    EXPECT_EQ(readers_.LogLines(), std::vector<std::string>{"KcListReaders"});

    // Readers listed with a count of 0 are not walked.
    readers_.Configure("reader Reader A 20407\nlist-count 0\n");
    listing = ListReaders(300);
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.length, 300);
    EXPECT_EQ(listing.count, Listing::kCountUntouched);
    EXPECT_TRUE(listing.UntouchedFrom(0));
    EXPECT_EQ(readers_.LogLines().size(), 2u);

    readers_.Configure("reader Reader A 20407\nlist-fail 0x1234\n");
    listing = ListReaders(300);
    EXPECT_EQ(listing.status, 0x1234);
    EXPECT_EQ(listing.length, 300);
    EXPECT_EQ(listing.count, Listing::kCountUntouched);
    EXPECT_TRUE(listing.UntouchedFrom(0));
}

TEST_F(ListingTest, TheLastReaderWalkedGivesTheStatus)
{
    readers_.Configure("reader Reader A 20407\nreader Reader B 20407 connect-fail\n");
    Listing listing = ListReaders();
    EXPECT_EQ(listing.status, 2);
    EXPECT_EQ(listing.count, 1);
    EXPECT_EQ(listing.Written(listing.length), "Reader A\0"s);

    readers_.Configure("reader Reader A 20407\nreader Reader B 20407 begin-fail\n");
    EXPECT_EQ(ListReaders().status, 3);

    readers_.Configure("reader Reader A 20407 connect-fail\nreader Reader B 20407\n");
    listing = ListReaders();
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.Written(listing.length), "Reader B\0"s);
}

// A length above the 520-byte list is taken as 520: the walk goes on over the
// zero bytes after the list (empty names, which the library refuses) up to the
// list's end, exactly as for a reported length of 520, and never beyond.
TEST_F(ListingTest, OverLongLengthIsWalkedOnlyToTheListsEnd)
{
    for (const char *length : {"520", "600", "2147483647"}) {
        readers_.Configure("reader Reader A 20407\nlist-length "s + length + "\n");
        Listing listing = ListReaders();
        EXPECT_EQ(listing.status, 2) << length;
        EXPECT_EQ(listing.count, 1) << length;
        EXPECT_EQ(listing.length, 9) << length;
        EXPECT_EQ(listing.Written(9), "Reader A\0"s) << length;
        EXPECT_TRUE(listing.UntouchedFrom(9)) << length;
    }
    // Each listing connects once per name walked: Reader A at 0, then the
    // empty names at 9..518.
    int connects = 0;
    for (const std::string &line : readers_.LogLines())
        connects += line.rfind("KcConnectDev", 0) == 0;
    EXPECT_EQ(connects, 3 * (1 + 510));
}

// A name that runs to the end of the list without a zero byte is not a name:
// the walk stops there, without asking the library to open it.
TEST_F(ListingTest, NameWithoutItsZeroByteEndsTheWalk)
{
    for (const char *length : {"520", "600"}) {
        readers_.Configure("reader Reader A 20407\nlist-fill x\nlist-length "s + length + "\n");
        Listing listing = ListReaders();
        EXPECT_EQ(listing.status, 2) << length;  // the empty name before the x's
        EXPECT_EQ(listing.count, 1) << length;
        EXPECT_EQ(listing.length, 9) << length;
        EXPECT_EQ(listing.Written(9), "Reader A\0"s) << length;
    }
    for (const std::string &line : readers_.LogLines())
        EXPECT_EQ(line.find("xx"), std::string::npos) << line;
}

TEST_F(ListingTest, NullNameBufferOrCount)
{
    readers_.Configure(kTwoTokens);
    int length = 1024;
    int count = 0;
    EXPECT_EQ(KcListReaders(nullptr, &length, &count), 0);
    EXPECT_EQ(length, 25);
    EXPECT_EQ(count, 2);

    std::string buffer(1024, '\0');
    length = 1024;
    EXPECT_EQ(KcListReaders(&buffer[0], &length, nullptr), 0);
    EXPECT_EQ(length, 25);
    EXPECT_EQ(buffer.substr(0, 25), "Selvik Token 00\0Reader C\0"s);
}

TEST_F(ListingTest, MissingOrUnusableCapacityIsRefused)
{
    readers_.Configure(kTwoTokens);
    int count = 0;
    std::string printed = Printed([&] { EXPECT_EQ(KcListReaders(nullptr, nullptr, &count), -1); });
    EXPECT_EQ(printed, "KcListReaders error params!");
    for (int capacity : {0, -1}) {
        Listing listing = ListReaders(capacity);
        EXPECT_EQ(listing.status, -1);
        EXPECT_EQ(listing.printed, "KcListReaders error params!");
        EXPECT_EQ(listing.length, capacity);
        EXPECT_TRUE(listing.UntouchedFrom(0));
    }
    EXPECT_TRUE(readers_.LogLines().empty());
}

}  // namespace
