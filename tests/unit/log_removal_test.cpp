#include <gtest/gtest.h>

#include "base/log.h"

namespace {

std::vector<std::u16string> Texts(int32_t channel) {
    std::vector<std::u16string> out;
    for (const auto& e : LogEntries(channel)) out.push_back(e.text.substr(e.text.find(u" - ") + 3));
    return out;
}

TEST(LogRemoval, PositionsCountOnlyTheChosenChannel) {
    ClearLogForTesting();
    AppendLog(u"r0", LogReports);
    AppendLog(u"n0", LogNewAndUpdated);
    AppendLog(u"r1", LogReports);
    AppendLog(u"n1", LogNewAndUpdated);
    AppendLog(u"r2", LogReports);
    EXPECT_TRUE(RemoveLogEntry(LogReports, 1));
    EXPECT_EQ(Texts(LogReports), (std::vector<std::u16string>{u"r0", u"r2"}));
    EXPECT_EQ(Texts(LogNewAndUpdated), (std::vector<std::u16string>{u"n0", u"n1"}));
    EXPECT_FALSE(RemoveLogEntry(LogNewAndUpdated, 2));
    ClearLogForTesting();
}

TEST(LogRemoval, SelectedLinesGoWithTheShiftOfEarlierRemovals) {
    // The log dialog removes selected positions p0 < p1 < p2 as p0, p1 - 1, p2 - 2.
    ClearLogForTesting();
    for (auto t : {u"a", u"b", u"c", u"d", u"e"}) AppendLog(t, LogReports);
    const size_t selected[] = {0, 2, 3};
    for (size_t i = 0; i < 3; ++i) ASSERT_TRUE(RemoveLogEntry(LogReports, selected[i] - i));
    EXPECT_EQ(Texts(LogReports), (std::vector<std::u16string>{u"b", u"e"}));
    ClearLogForTesting();
}

}  // namespace
