#include <gtest/gtest.h>

#include "store/profiles.h"
#include "store/threads.h"
#include "store_fakes.h"

namespace {

std::string Thread(const std::string& id, int updated, const std::string& recipients, int count = 1) {
    return "{\"thread_id\":\"" + id + "\",\"folder_id\":0,\"subject\":\"S\",\"updated_time\":" +
           std::to_string(updated) + ",\"message_count\":" + std::to_string(count) +
           ",\"unread\":1,\"snippet_author\":7,\"parent_thread_id\":\"0\",\"snippet\":\"snip" +
           std::to_string(updated) + "\",\"recipients\":[" + recipients + "]}";
}

std::string Message(const std::string& thread, const std::string& id, const std::string& author, int created,
                    const std::string& extra) {
    return "{\"thread_id\":\"" + thread + "\",\"message_id\":\"" + id + "\",\"author_id\":" + author +
           ",\"created_time\":" + std::to_string(created) + extra + "}";
}

class ThreadsTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Person("42", "Me");
        Person("7", "Anna");
        Person("8", "Ben");
        SignInAs(u"42");
    }
    MessageRecord* Find(const std::u16string& id) {
        auto* n = store.FindMessage(id);
        return n ? &n->payload : nullptr;
    }
};

TEST_F(ThreadsTest, OtherPartyIsTheFirstRecipientWhoIsNotMe) {
    service.Answer(ThreadsQuery(1000), "[" + Thread("t1", 2000, "42,8,7") + "," + Thread("t2", 2000, "42,42") + "," +
                                           Thread("t3", 2000, "") + "]");
    ParseThreads(store, 1000);
    ASSERT_EQ(store.threads.size(), 3u);
    ThreadRecord& t1 = store.threads.head()->payload;
    ASSERT_NE(t1.otherParty, nullptr);
    EXPECT_EQ(t1.otherParty->name, u"Ben");
    EXPECT_EQ(t1.subject, u"S");
    EXPECT_EQ(t1.snippet, u"snip2000");
    EXPECT_EQ(t1.snippetAuthorId, u"7");
    EXPECT_EQ(t1.flags, 0u);
    EXPECT_EQ(store.threads.head()->flagsRef, &t1.flags);
    EXPECT_EQ(store.threads.head()->next->payload.otherParty, nullptr);
    EXPECT_EQ(store.threads.head()->next->next->payload.otherParty, nullptr);
    // Each new thread reads its messages since the same bound.
    EXPECT_EQ(service.Count(U(MessagesQuery("t1", 1000))), 1u);
    EXPECT_EQ(service.Count(U(MessagesQuery("t3", 1000))), 1u);
}

TEST_F(ThreadsTest, SameUpdateTimeReadsNothingAgainAndAMovedOneIsUpdated) {
    service.Answer(ThreadsQuery(1000), "[" + Thread("t1", 2000, "8") + "]");
    ParseThreads(store, 1000);
    ParseThreads(store, 1000);
    EXPECT_EQ(service.Count(U(MessagesQuery("t1", 1000))), 1u);

    service.Answer(ThreadsQuery(1000), "[" + Thread("t1", 3000, "7", 5) + "]");
    ParseThreads(store, 1000);
    EXPECT_EQ(service.Count(U(MessagesQuery("t1", 1000))), 2u);
    ThreadRecord& t1 = store.threads.head()->payload;
    EXPECT_EQ(t1.updatedTime, 3000);
    EXPECT_EQ(t1.messageCount, 5);
    EXPECT_EQ(t1.snippet, u"snip3000");
    EXPECT_EQ(t1.otherParty->name, u"Ben");  // the other party stays
    EXPECT_EQ(store.threads.head()->stamp, 2000);
}

// A read that failed cannot tell what is unread: the next refresh asks again, also when
// the thread did not move, until the messages come.
TEST_F(ThreadsTest, AThreadWhoseMessagesDidNotComeIsReadAgain) {
    service.failUnanswered = true;
    const std::u16string messages = U(MessagesQuery("t1", 1000));
    service.Answer(ThreadsQuery(1000), "[" + Thread("t1", 2000, "8") + "]");
    ParseThreads(store, 1000);
    ParseThreads(store, 1000);
    EXPECT_EQ(service.Count(messages), 2u);
    service.Answer(MessagesQuery("t1", 1000), "[" + Message("t1", "m1", "8", 1500, ",\"body\":\"x\"") + "]");
    ParseThreads(store, 1000);
    ParseThreads(store, 1000);
    EXPECT_EQ(service.Count(messages), 3u);
    EXPECT_EQ(store.messages.size(), 1u);

    // A moved thread whose read fails takes the new row and is asked again.
    service.answers.erase(messages);
    service.Answer(ThreadsQuery(1000), "[" + Thread("t1", 3000, "8", 2) + "]");
    ParseThreads(store, 1000);
    EXPECT_EQ(store.threads.head()->payload.messageCount, 2);
    ParseThreads(store, 1000);
    EXPECT_EQ(service.Count(messages), 5u);
    EXPECT_EQ(store.messages.size(), 1u);  // what came before stays
}

// A later refresh asks from a later time: the messages of a thread whose read failed
// are asked for from the failed window's start, whether the thread moved or not.
TEST_F(ThreadsTest, AFailedReadIsAskedAgainFromItsOwnWindow) {
    service.failUnanswered = true;
    service.Answer(ThreadsQuery(1000), "[" + Thread("t1", 2000, "8") + "," + Thread("t2", 2000, "7") + "]");
    ParseThreads(store, 1000);
    service.Answer(ThreadsQuery(5000), "[" + Thread("t2", 6000, "7") + "]");  // t1 did not move
    service.Answer(MessagesQuery("t1", 1000), "[" + Message("t1", "m1", "8", 1500, ",\"body\":\"x\"") + "]");
    service.Answer(MessagesQuery("t2", 1000), "[" + Message("t2", "m2", "7", 1600, ",\"body\":\"y\"") + "]");
    ParseThreads(store, 5000);
    EXPECT_NE(Find(u"m1"), nullptr);
    EXPECT_NE(Find(u"m2"), nullptr);
    EXPECT_EQ(service.Count(U(MessagesQuery("t1", 5000))) + service.Count(U(MessagesQuery("t2", 5000))), 0u);
    service.Answer(ThreadsQuery(9000), "[]");
    ParseThreads(store, 9000);  // both read: nothing is asked again
    EXPECT_EQ(service.Count(U(MessagesQuery("t1", 1000))), 2u);
    EXPECT_EQ(service.Count(U(MessagesQuery("t2", 1000))), 2u);
}

TEST_F(ThreadsTest, MessageTextLinkAndReadState) {
    service.Answer(MessagesQuery("t1", 1000),
                   "[" + Message("t1", "m1", "8", 1500, ",\"body\":null,\"attachment\":{\"description\":\"Desc\",\"href\":\"http:\\/\\/a\\/b\"}") + "," +
                   Message("t1", "m2", "7", 1600, ",\"body\":\"see www.example.org now\"") + "," +
                   Message("t1", "m3", "42", 1700, ",\"body\":\"mine\"") + "," +
                   Message("t1", "m4", "7", 1800, ",\"body\":\"remembered\"") + "]");
    store.seen.messages = SeenTable({SeenEntry{0, 1, 1800, u"t1", u"m4", 0}, SeenEntry{0, 1, 1, u"t1", u"m2", 0}});
    ReadMessages(store, u"t1", 1000);
    ASSERT_EQ(store.messages.size(), 4u);
    EXPECT_EQ(Find(u"m1")->text, u"Desc");
    EXPECT_EQ(Find(u"m1")->link, u"http://a/b");
    EXPECT_EQ(Find(u"m2")->link, u"http://www.example.org");
    EXPECT_EQ(Find(u"m2")->read, 0u);  // remembered at another time
    EXPECT_EQ(Find(u"m3")->read, 1u);  // own message
    EXPECT_EQ(Find(u"m4")->read, 1u);
    EXPECT_EQ(store.messages.head()->key1, u"t1");
    EXPECT_EQ(store.messages.head()->stamp, 1500);
    EXPECT_EQ(store.noticePicture, FindProfile(store, u"8", false)->picture);
    // One tooltip per message, also for an author met before in the same read.
    ASSERT_GE(shell.tooltips.size(), 4u);
    EXPECT_EQ(std::vector<std::u16string>(shell.tooltips.end() - 4, shell.tooltips.end()),
              (std::vector<std::u16string>{u"Reading message from user Ben", u"Reading message from user Anna",
                                           u"Reading message from user Me", u"Reading message from user Anna"}));
}

TEST_F(ThreadsTest, OwnMessageNeverGivesTheNoticePictureAndListedMessagesStay) {
    service.Answer(MessagesQuery("t1", 1000), "[" + Message("t1", "m3", "42", 1700, ",\"body\":\"mine\"") + "]");
    ReadMessages(store, u"t1", 1000);
    EXPECT_EQ(store.noticePicture, nullptr);
    Find(u"m3")->text = u"kept";
    ReadMessages(store, u"t1", 1000);
    EXPECT_EQ(store.messages.size(), 1u);
    EXPECT_EQ(Find(u"m3")->text, u"kept");
}

TEST_F(ThreadsTest, UnknownAuthorIsListedWithEmptyTooltipAndNoPicture) {
    service.Answer(MessagesQuery("t1", 1000), "[" + Message("t1", "m1", "99", 1700, ",\"body\":\"x\"") + "]");
    ReadMessages(store, u"t1", 1000);
    EXPECT_EQ(store.messages.size(), 1u);
    EXPECT_EQ(shell.tooltips.back(), u"");
    EXPECT_EQ(store.noticePicture, nullptr);
}

TEST_F(ThreadsTest, SignOutLeavesNothingPointingAtReleasedProfiles) {
    service.Answer(ThreadsQuery(1000), "[" + Thread("t1", 2000, "8") + "]");
    service.Answer(MessagesQuery("t1", 1000), "[" + Message("t1", "m1", "8", 1500, ",\"body\":\"x\"") + "]");
    ParseThreads(store, 1000);
    ASSERT_NE(store.noticePicture, nullptr);
    store.ReleaseSignedInData();
    EXPECT_TRUE(store.threads.empty());
    EXPECT_TRUE(store.messages.empty());
    EXPECT_TRUE(store.users.empty());
    EXPECT_EQ(store.ownUser, nullptr);
    EXPECT_EQ(store.ownUid, u"");
    EXPECT_EQ(store.noticePicture, nullptr);
    // A new sign-in lists the threads again with fresh profiles.
    ParseThreads(store, 1000);
    ASSERT_EQ(store.threads.size(), 1u);
    EXPECT_EQ(store.threads.head()->payload.otherParty, FindProfile(store, u"8", false));
}

}  // namespace
