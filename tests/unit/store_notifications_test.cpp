#include <gtest/gtest.h>

#include "net/service_calls.h"
#include "store/notifications.h"
#include "store/posts.h"
#include "store/profiles.h"
#include "store_fakes.h"

namespace {

std::string Notification(const std::string& id, int updated, const std::string& title, const std::string& sender = "7") {
    return "{\"sender_id\":" + sender + ",\"title_text\":\"" + title +
           "\",\"body_text\":null,\"created_time\":50,\"updated_time\":" + std::to_string(updated) +
           ",\"href\":\"http:\\/\\/fb\\/n\",\"notification_id\":\"" + id + "\"}";
}

std::string Status(const std::string& uid, const std::string& statusId, int time, const std::string& message) {
    return "{\"uid\":" + uid + ",\"status_id\":\"" + statusId + "\",\"message\":\"" + message +
           "\",\"source\":0,\"time\":" + std::to_string(time) + "}";
}

class NotificationsTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Person("7", "Anna");
        Person("8", "Ben");
    }
    NotificationRecord* Find(const std::u16string& id) {
        auto* n = FindItem(store.notifications, id);
        return n ? &n->payload : nullptr;
    }
};

TEST_F(NotificationsTest, SeenStateRestoresOnlyTheSameUpdateTime) {
    store.seen.notifications = SeenTable({SeenEntry{0, 1, 100, u"n1", u"", 0}, SeenEntry{0, 1, 100, u"n2", u"", 0}});
    ParseNotifications(store, ParseJson("[" + Notification("n1", 100, "One") + "," + Notification("n2", 150, "Two") + "]"));
    ASSERT_NE(Find(u"n1"), nullptr);
    EXPECT_EQ(Find(u"n1")->read, 1u);
    EXPECT_EQ(Find(u"n2")->read, 0u);
    EXPECT_EQ(Find(u"n1")->titleText, u"One");
    EXPECT_EQ(Find(u"n1")->bodyText, u"");
    EXPECT_EQ(Find(u"n1")->link, u"http://fb/n");
    EXPECT_EQ(Find(u"n1")->createdTime, 50);
    EXPECT_EQ(shell.tooltips.back(), u"Reading notifications from user Anna");
}

TEST_F(NotificationsTest, ListedNotificationKeepsItsMarkAndStampWhenItChanges) {
    ParseNotifications(store, ParseJson("[" + Notification("n1", 100, "One") + "]"));
    Find(u"n1")->read = 1;
    ParseNotifications(store, ParseJson("[" + Notification("n1", 200, "Changed", "8") + "]"));
    NotificationRecord* n = Find(u"n1");
    EXPECT_EQ(n->titleText, u"Changed");
    EXPECT_EQ(n->senderId, u"8");
    EXPECT_EQ(n->updatedTime, 200);
    EXPECT_EQ(n->read, 1u);
    EXPECT_EQ(FindItem(store.notifications, u"n1")->stamp, 100);
    EXPECT_EQ(store.notifications.size(), 1u);
    // Absent values leave the old ones.
    ParseNotifications(store, ParseJson(R"([{"notification_id":"n1","updated_time":300}])"));
    EXPECT_EQ(n->titleText, u"Changed");
    EXPECT_EQ(n->link, u"http://fb/n");
}

TEST_F(NotificationsTest, UnknownSenderIsStillListedWithAnEmptyTooltip) {
    ParseNotifications(store, ParseJson("[" + Notification("n1", 100, "One", "99") + "]"));
    EXPECT_NE(Find(u"n1"), nullptr);
    EXPECT_EQ(shell.tooltips.back(), u"");
}

TEST_F(NotificationsTest, SortedNewestFirstAndARowWithoutContentEnds) {
    ParseNotifications(store, ParseJson("[" + Notification("n1", 100, "a") + "," + Notification("n2", 300, "b") + ",{}," +
                                 Notification("n3", 500, "c") + "]"));
    ASSERT_EQ(store.notifications.size(), 2u);
    EXPECT_EQ(store.notifications.head()->key1, u"n2");
}

// An error object, a cut, unreadable or false answer merged as rows was a phantom
// notification without an id, announced and saved on every refresh.
TEST_F(NotificationsTest, AnswersThatAreNotRowsAndRowsWithoutAnIdAddNothing) {
    ParseNotifications(store, ParseJson("[" + Notification("n1", 100, "One") + "]"));
    const std::string whole = "[" + Notification("n1", 400, "Changed") + "]";
    for (const std::string& body :
         {std::string("{\"error_code\":100,\"error_msg\":\"Invalid parameter\"}"), whole.substr(0, whole.size() / 2),
          std::string("false"), std::string("\x8f\x01{\xfe]"), std::string("<html><h1>Sorry</h1></html>")}) {
        service.Answer("SELECT notifications", body);
        EXPECT_FALSE(ParseNotifications(store, FqlQuery(u"SELECT notifications")));
    }
    ParseNotifications(store, ParseJson(R"([{"sender_id":7,"title_text":"No id","updated_time":400},{"notification_id":"",)"
                                 R"("title_text":"Empty id","updated_time":400}])"));
    ASSERT_EQ(store.notifications.size(), 1u);
    EXPECT_EQ(Find(u"n1")->titleText, u"One");
    EXPECT_EQ(Find(u"n1")->updatedTime, 100);
}

class StatusesTest : public NotificationsTest {};

TEST_F(StatusesTest, NewestStatusPerUserIsTakenAndUnread) {
    ParseStatuses(store, ParseJson("[" + Status("7", "11", 300, "newest") + "," + Status("7", "10", 200, "older") + "," +
                            Status("8", "20", 250, "ben") + "]"));
    UserRecord* anna = FindProfile(store, u"7", false);
    EXPECT_EQ(anna->statusText, u"newest");
    EXPECT_EQ(anna->statusKey, u"7_11");
    EXPECT_EQ(anna->statusTime, 300);
    EXPECT_EQ(anna->flags, 0u);
    EXPECT_EQ(FindItem(store.users, u"7")->stamp, 300);
    // Newest status first.
    EXPECT_EQ(store.users.head()->key1, u"7");
    EXPECT_EQ(store.users.head()->next->key1, u"8");
    EXPECT_EQ(shell.tooltips.back(), u"Reading status of user Ben");
}

TEST_F(StatusesTest, EqualTimeIsIgnoredAndALaterOneIsUnreadUnlessRemembered) {
    ParseStatuses(store, ParseJson("[" + Status("7", "11", 300, "first") + "]"));
    UserRecord* anna = FindProfile(store, u"7", false);
    anna->flags = 1;
    ParseStatuses(store, ParseJson("[" + Status("7", "12", 300, "same second") + "]"));
    EXPECT_EQ(anna->statusText, u"first");
    EXPECT_EQ(anna->flags, 1u);
    ParseStatuses(store, ParseJson("[" + Status("7", "13", 400, "later") + "]"));
    EXPECT_EQ(anna->flags, 0u);
    EXPECT_EQ(anna->statusKey, u"7_13");

    store.seen.users = SeenTable({SeenEntry{0, 1, 500, u"7", u"", 0}});
    ParseStatuses(store, ParseJson("[" + Status("7", "14", 500, "remembered") + "]"));
    EXPECT_EQ(anna->flags, 1u);
}

TEST_F(StatusesTest, StatusPostLinksToTheListedPostAndKeepsAnEarlierLink) {
    ParsePosts(store, ParseJson(R"([{"post_id":"7_11","source_id":7,"updated_time":300}])"));
    ParseStatuses(store, ParseJson("[" + Status("7", "11", 300, "with post") + "]"));
    UserRecord* anna = FindProfile(store, u"7", false);
    ASSERT_NE(anna->statusPost, nullptr);
    EXPECT_EQ(anna->statusPost->postId, u"7_11");
    ParseStatuses(store, ParseJson("[" + Status("7", "12", 400, "no post") + "]"));
    ASSERT_NE(anna->statusPost, nullptr);
    EXPECT_EQ(anna->statusPost->postId, u"7_11");
}

TEST_F(StatusesTest, UnknownAuthorIsPassedOver) {
    ParseStatuses(store, ParseJson("[" + Status("99", "1", 300, "x") + "," + Status("8", "2", 200, "y") + "]"));
    EXPECT_EQ(FindProfile(store, u"8", false)->statusText, u"y");
    EXPECT_EQ(FindProfile(store, u"99", false), nullptr);
}

}  // namespace
