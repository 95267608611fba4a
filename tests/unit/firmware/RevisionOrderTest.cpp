#include "firmware/RevisionOrder.h"
#include <gtest/gtest.h>

namespace {
struct OrderCase {
    const char* name;
    WORD installed;
    WORD available;
    RevisionOrder order;
    friend void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }
};

const OrderCase kCases[] = {
    {"HigherFileIsNewer", 153, 154, RevisionOrder::Newer},
    {"NextMajorIsNewer", 199, 200, RevisionOrder::Newer},
    {"EqualIsSame", 153, 153, RevisionOrder::Same},
    {"LowerFileIsOlder", 154, 153, RevisionOrder::Older},
    {"NothingReadYetIsUnknown", kRevisionUnknown, 154, RevisionOrder::Unknown},
    {"NotAvailableIsNoRevision", kRevisionNotAvailable, 154, RevisionOrder::Unknown},
    {"BootLoaderLoadingIsNoRevision", kRevisionLoading, 154, RevisionOrder::Unknown},
    {"FileWithoutRevisionIsUnknown", 153, 0, RevisionOrder::Unknown},
};

class FirmwareRevisionCompare : public ::testing::TestWithParam<OrderCase> { };

TEST_P(FirmwareRevisionCompare, Gives)
{
    EXPECT_EQ(FirmwareRevision::Compare(GetParam().installed, GetParam().available), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(Cases, FirmwareRevisionCompare, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });
} // namespace
