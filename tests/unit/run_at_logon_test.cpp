#include "net/run_at_logon.h"

#include <gtest/gtest.h>

namespace {

// An in-memory Run key that records what was done to it.
class MemoryRunKey : public RunKey {
public:
    bool openable = true;
    bool present = false;
    bool isString = true;
    std::u16string data;
    int writes = 0, deletes = 0, opens = 0, closes = 0, creates = 0;

    bool Open(bool create) override {
        ++opens;
        if (create) ++creates;
        return openable;
    }
    RunValue Read() override { return {present, present && isString}; }
    void Delete() override {
        ++deletes;
        present = false;
    }
    void WriteString(const std::u16string& d) override {
        ++writes;
        present = true;
        isString = true;
        data = d;
    }
    void Close() override { ++closes; }
};

TEST(RunAtLogon, QueryReportsOnlyAStringValue) {
    MemoryRunKey key;
    EXPECT_EQ(RunAtLogon(key, 1, 1, u"C:\\Orv\\Orv.exe"), 0);
    key.present = true;
    EXPECT_EQ(RunAtLogon(key, 1, 1, u"C:\\Orv\\Orv.exe"), 1);
    key.isString = false;  // another type reads as not registered
    EXPECT_EQ(RunAtLogon(key, 1, 1, u"C:\\Orv\\Orv.exe"), 0);
    EXPECT_EQ(key.writes + key.deletes, 0);
    EXPECT_EQ(key.opens, key.closes);
    EXPECT_EQ(key.creates, 0);  // a query never makes the key
}

TEST(RunAtLogon, QueryWithEnableClearedStillAnswersTheQuestion) {
    MemoryRunKey key;
    EXPECT_EQ(RunAtLogon(key, 0, 1, u"x"), 0);
    key.present = true;
    EXPECT_EQ(RunAtLogon(key, 0, 1, u"x"), 1);
}

TEST(RunAtLogon, SavingClearedWithNoValueTouchesNothing) {
    MemoryRunKey key;
    EXPECT_EQ(RunAtLogon(key, 0, 0, u"x"), 1);
    EXPECT_EQ(key.writes + key.deletes, 0);
    EXPECT_EQ(key.closes, 1);
}

TEST(RunAtLogon, SavingTickedStoresTheCurrentPathEvenAfterAMove) {
    MemoryRunKey key;
    key.present = true;
    key.data = u"C:\\Old\\Orv.exe";
    EXPECT_EQ(RunAtLogon(key, 1, 0, u"D:\\New\\Orv.exe"), 1);
    EXPECT_EQ(key.data, u"D:\\New\\Orv.exe");
    EXPECT_EQ(key.deletes, 1);
    EXPECT_EQ(key.creates, 1);  // a missing Run key is made for the value
}

TEST(RunAtLogon, SavingTickedReplacesAValueOfAnotherType) {
    MemoryRunKey key;
    key.present = true;
    key.isString = false;
    EXPECT_EQ(RunAtLogon(key, 1, 0, u"C:\\Orv.exe"), 1);
    EXPECT_TRUE(key.present);
    EXPECT_TRUE(key.isString);
    EXPECT_EQ(RunAtLogon(key, 1, 1, u""), 1);
}

TEST(RunAtLogon, SavingClearedRemovesTheValue) {
    MemoryRunKey key;
    key.present = true;
    EXPECT_EQ(RunAtLogon(key, 0, 0, u"x"), 1);
    EXPECT_FALSE(key.present);
    EXPECT_EQ(key.writes, 0);
}

TEST(RunAtLogon, AKeyThatCannotBeOpenedGivesZeroAndChangesNothing) {
    MemoryRunKey key;
    key.openable = false;
    EXPECT_EQ(RunAtLogon(key, 1, 0, u"x"), 0);
    EXPECT_EQ(RunAtLogon(key, 1, 1, u"x"), 0);
    EXPECT_EQ(key.writes + key.deletes + key.closes, 0);
}

}  // namespace
