#include <gtest/gtest.h>

#include "store/comments.h"
#include "store/notifications.h"
#include "store/posts.h"
#include "store/profiles.h"
#include "store_fakes.h"

namespace {

std::string CommentsQuery(const std::string& condition, const std::string& post) {
    return "SELECT post_id, fromid, text, time, likes FROM comment WHERE " + condition + " post_id='" + post +
           "' ORDER by time DESC LIMIT 100";
}

std::string LikesQuery(const std::string& condition, const std::string& post) {
    return "SELECT user_id FROM like WHERE " + condition + " post_id='" + post + "' LIMIT 50";
}

std::string Comment(const std::string& from, int time, int likes = 0, const std::string& post = "7_1") {
    return "{\"post_id\":\"" + post + "\",\"fromid\":" + from + ",\"text\":\"by " + from +
           "\",\"time\":" + std::to_string(time) + ",\"likes\":" + std::to_string(likes) + "}";
}

std::string LikeRows(std::initializer_list<const char*> ids) {
    std::string out = "[";
    for (const char* id : ids) out += std::string(out.size() > 1 ? "," : "") + "{\"user_id\":" + id + "}";
    return out + "]";
}

class CommentsTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Person("7", "Anna");
        Person("8", "Ben");
        Person("9", "Cyril");
        friends = A(FriendsOnlyCondition);
    }
    std::vector<std::u16string> Likers() const {
        std::vector<std::u16string> out;
        for (auto& n : store.likes) out.emplace_back(n.key2);
        return out;
    }
    // The list's order once sorted, as a refresh leaves it.
    std::vector<int32_t> CommentTimes() {
        store.SortComments();
        std::vector<int32_t> out;
        for (auto& n : store.comments) out.push_back(n.stamp);
        return out;
    }
    std::string friends;
};

TEST_F(CommentsTest, FriendsOnlyConditionOrTwoBlanks) {
    ReadComments(store, u"7_1");
    ReadLikes(store, u"7_1");
    AppSettings.commentsOnlyFromFriends = 1;
    AppSettings.likesOnlyFromFriends = 0;
    ReadComments(store, u"7_1");
    ReadLikes(store, u"7_1");
    EXPECT_EQ(service.statements,
              (std::vector<std::u16string>{
                  u"SELECT post_id, fromid, text, time, likes FROM comment WHERE  post_id='7_1' ORDER by time DESC LIMIT 100",
                  U(LikesQuery(friends, "7_1")), U(CommentsQuery(friends, "7_1")),
                  u"SELECT user_id FROM like WHERE  post_id='7_1' LIMIT 50"}));
    EXPECT_NE(friends.find(") AND"), std::string::npos);
    EXPECT_EQ(friends.back(), 'D');  // ends in AND, one blank follows in the query
}

TEST_F(CommentsTest, NewCommentsCountAndReportUnreadOnes) {
    service.Answer(CommentsQuery("", "7_1"), "[" + Comment("8", 200, 2) + "," + Comment("9", 100) + "]");
    store.seen.comments = SeenTable({SeenEntry{0, 1, 200, u"7_1", u"8", 0}});
    int32_t counter = 3;
    EXPECT_TRUE(ReadComments(store, u"7_1", &counter));
    EXPECT_EQ(counter, 5);
    ASSERT_EQ(store.comments.size(), 2u);
    // Oldest first by default.
    EXPECT_EQ(CommentTimes(), (std::vector<int32_t>{100, 200}));
    CommentRecord& ben = FindItemByKeys(store.comments, u"7_1", u"8")->payload;
    EXPECT_EQ(ben.read, 1u);
    EXPECT_EQ(ben.likes, 2);
    EXPECT_EQ(CommentText(ben), u"by 8");
    EXPECT_EQ(FindItemByKeys(store.comments, u"7_1", u"9")->payload.read, 0u);

    // Only remembered comments: nothing unread added.
    service.Answer(CommentsQuery("", "7_2"), "[" + Comment("8", 300, 0, "7_2") + "]");
    store.seen.comments = SeenTable({SeenEntry{0, 1, 300, u"7_2", u"8", 0}});
    EXPECT_FALSE(ReadComments(store, u"7_2"));

    // A post's comments share its id; a row that names another post keeps that one.
    service.Answer(CommentsQuery("", "7_3"),
                   "[" + Comment("8", 400, 0, "7_3") + "," + Comment("9", 401, 0, "7_3") + "," + Comment("7", 402, 0, "7_4") + "]");
    ReadComments(store, u"7_3");
    const SharedText& first = FindItemByKeys(store.comments, u"7_3", u"8")->payload.postId;
    EXPECT_EQ(first.str().data(), FindItemByKeys(store.comments, u"7_3", u"9")->payload.postId.str().data());
    EXPECT_EQ(first, u"7_3");
    EXPECT_EQ(FindItemByKeys(store.comments, u"7_4", u"7")->payload.postId, u"7_4");
    // Their texts lie side by side in one block, which outlives the comments that leave.
    const std::string_view text8 = FindItemByKeys(store.comments, u"7_3", u"8")->payload.rawText;
    const std::string_view text9 = FindItemByKeys(store.comments, u"7_3", u"9")->payload.rawText;
    EXPECT_EQ(text8.data() + text8.size(), text9.data());
    store.comments.removeIf([](const ItemNode<CommentRecord>& n) { return n.key2 == u"8"; });
    EXPECT_EQ(CommentText(FindItemByKeys(store.comments, u"7_3", u"9")->payload), u"by 9");
}

TEST_F(CommentsTest, ListedCommentOnlyGetsItsLikesAndDoesNotCount) {
    service.Answer(CommentsQuery("", "7_1"), "[" + Comment("8", 200) + "]");
    ReadComments(store, u"7_1");
    CommentRecord& ben = store.comments.head()->payload;
    ben.read = 1;
    service.Answer(CommentsQuery("", "7_1"), "[" + Comment("8", 200, 4) + "]");
    int32_t counter = 0;
    EXPECT_FALSE(ReadComments(store, u"7_1", &counter));
    EXPECT_EQ(counter, 0);
    EXPECT_EQ(store.comments.size(), 1u);
    EXPECT_EQ(ben.read, 1u);
    EXPECT_EQ(ben.likes, 4);
}

TEST_F(CommentsTest, SameAuthorSameSecondIsOneComment) {
    service.Answer(CommentsQuery("", "7_1"), "[" + Comment("8", 200) + "," + Comment("8", 200) + "," + Comment("9", 200) +
                                                 "]");
    int32_t counter = 0;
    ReadComments(store, u"7_1", &counter);
    EXPECT_EQ(store.comments.size(), 2u);
    EXPECT_EQ(counter, 2);
}

TEST_F(CommentsTest, FailedQueryChangesNothingAndReportsNoNews) {
    service.failUnanswered = true;
    EXPECT_FALSE(ReadComments(store, u"7_1"));
    EXPECT_TRUE(store.comments.empty());
}

TEST_F(CommentsTest, SortOrderFollowsTheSettingAndResortsEverything) {
    service.Answer(CommentsQuery("", "7_1"), "[" + Comment("8", 300) + "," + Comment("9", 100) + "]");
    service.Answer(CommentsQuery("", "7_2"), "[" + Comment("8", 200, 0, "7_2") + "," + Comment("7", 400, 0, "7_2") + "]");
    ReadComments(store, u"7_1");
    ReadComments(store, u"7_2");
    EXPECT_EQ(CommentTimes(), (std::vector<int32_t>{100, 200, 300, 400}));
    AppSettings.commentsNewestFirst = 1;
    store.SortComments();
    EXPECT_EQ(CommentTimes(), (std::vector<int32_t>{400, 300, 200, 100}));
}

// A new comment goes after the listed ones of the same second, in either order.
TEST_F(CommentsTest, EqualTimesKeepTheOrderTheyCameIn) {
    auto order = [this] {
        store.SortComments();
        std::vector<std::u16string> out;
        for (auto& n : store.comments) out.push_back(std::u16string(n.key1) + u"/" + std::u16string(n.key2));
        return out;
    };
    service.Answer(CommentsQuery("", "7_1"), "[" + Comment("8", 200) + "," + Comment("9", 100) + "]");
    service.Answer(CommentsQuery("", "7_2"),
                   "[" + Comment("9", 300, 0, "7_2") + "," + Comment("7", 200, 0, "7_2") + "," + Comment("8", 100, 0, "7_2") + "]");
    service.Answer(CommentsQuery("", "7_3"), "[" + Comment("7", 200, 0, "7_3") + "]");
    ReadComments(store, u"7_1");
    ReadComments(store, u"7_2");
    EXPECT_EQ(order(), (std::vector<std::u16string>{u"7_1/9", u"7_2/8", u"7_1/8", u"7_2/7", u"7_2/9"}));
    AppSettings.commentsNewestFirst = 1;
    ReadComments(store, u"7_3");
    EXPECT_EQ(order(), (std::vector<std::u16string>{u"7_2/9", u"7_1/8", u"7_2/7", u"7_3/7", u"7_1/9", u"7_2/8"}));
}

TEST_F(CommentsTest, MarkCommentsReadTouchesOnlyThatPost) {
    service.Answer(CommentsQuery("", "7_1"), "[" + Comment("8", 300) + "]");
    service.Answer(CommentsQuery("", "7_2"), "[" + Comment("8", 200, 0, "7_2") + "]");
    ReadComments(store, u"7_1");
    ReadComments(store, u"7_2");
    MarkCommentsRead(store, u"7_1");
    EXPECT_EQ(FindItemByKeys(store.comments, u"7_1", u"8")->payload.read, 1u);
    EXPECT_EQ(FindItemByKeys(store.comments, u"7_2", u"8")->payload.read, 0u);
}

TEST_F(CommentsTest, LikesRereadKeepsTheListedAndDropsTheGone) {
    service.Answer(LikesQuery(friends, "7_1"), LikeRows({"8", "9", "8"}));  // a liker twice is one like
    store.seen.likes = SeenTable({SeenEntry{0, 1, 5, u"7_1", u"9", 0}});
    EXPECT_TRUE(ReadLikes(store, u"7_1"));
    EXPECT_EQ(Likers(), (std::vector<std::u16string>{u"8", u"9"}));
    EXPECT_EQ(FindItemByKeys(store.likes, u"7_1", u"9")->payload.read, 1u);
    EXPECT_EQ(FindItemByKeys(store.likes, u"7_1", u"8")->payload.read, 0u);
    EXPECT_EQ(FindItemByKeys(store.likes, u"7_1", u"8")->stamp, Now);
    EXPECT_EQ(FindItemByKeys(store.likes, u"7_1", u"8")->payload.postId.str().data(),
              FindItemByKeys(store.likes, u"7_1", u"9")->payload.postId.str().data());  // one shared id
    FindItemByKeys(store.likes, u"7_1", u"8")->payload.read = 1;

    clock = Now + 60;
    service.Answer(LikesQuery(friends, "7_1"), LikeRows({"8", "7"}));
    EXPECT_TRUE(ReadLikes(store, u"7_1"));
    EXPECT_EQ(Likers(), (std::vector<std::u16string>{u"8", u"7"}));
    ItemNode<LikeRecord>* ben = FindItemByKeys(store.likes, u"7_1", u"8");
    EXPECT_EQ(ben->payload.read, 1u);
    EXPECT_EQ(ben->stamp, Now);
    EXPECT_EQ(ben->payload.stale, 0u);
    EXPECT_EQ(FindItemByKeys(store.likes, u"7_1", u"7")->stamp, Now + 60);
}

TEST_F(CommentsTest, LikesStayWhenTheQueryFailsOrAnswersAnError) {
    service.Answer(LikesQuery(friends, "7_1"), LikeRows({"8"}));
    ReadLikes(store, u"7_1");
    service.answers.clear();
    service.failUnanswered = true;
    EXPECT_FALSE(ReadLikes(store, u"7_1"));
    service.Answer(LikesQuery(friends, "7_1"), R"({"error_code":1,"error_msg":"Unknown error"})");
    EXPECT_FALSE(ReadLikes(store, u"7_1"));
    EXPECT_EQ(Likers(), (std::vector<std::u16string>{u"8"}));
    EXPECT_EQ(store.likes.head()->payload.stale, 0u);
}

TEST_F(CommentsTest, UnknownLikerEndsTheReadAndTheRestCountAsGone) {
    service.Answer(LikesQuery(friends, "7_1"), LikeRows({"8", "9"}));
    ReadLikes(store, u"7_1");
    service.Answer(LikesQuery(friends, "7_1"), LikeRows({"8", "99", "9"}));
    ReadLikes(store, u"7_1");
    EXPECT_EQ(Likers(), (std::vector<std::u16string>{u"8"}));
}

TEST_F(CommentsTest, LikesOfOtherPostsAreLeftAlone) {
    service.Answer(LikesQuery(friends, "7_1"), LikeRows({"8"}));
    service.Answer(LikesQuery(friends, "7_2"), LikeRows({"9"}));
    ReadLikes(store, u"7_1");
    ReadLikes(store, u"7_2");
    service.Answer(LikesQuery(friends, "7_1"), "[]");
    ReadLikes(store, u"7_1");
    EXPECT_EQ(Likers(), (std::vector<std::u16string>{u"9"}));
}

TEST_F(CommentsTest, OwnLikeIsListedOnceAndReadAndRemovedOnlyWhenListed) {
    AddOwnLike(store, u"42", u"7_1");
    AddOwnLike(store, u"42", u"7_1");
    ASSERT_EQ(store.likes.size(), 1u);
    ItemNode<LikeRecord>* like = store.likes.head();
    EXPECT_EQ(like->payload.read, 1u);
    EXPECT_FALSE(like->unseen());
    EXPECT_EQ(like->markRef, &like->payload.stale);
    EXPECT_FALSE(RemoveOwnLike(store, u"7_2", u"42"));
    EXPECT_EQ(store.likes.size(), 1u);
    EXPECT_TRUE(RemoveOwnLike(store, u"7_1", u"42"));
    EXPECT_TRUE(store.likes.empty());
}

TEST_F(CommentsTest, ReleasingPostsClearsTheStatusPostOfEveryUser) {
    ParsePosts(store, ParseJson(R"([{"post_id":"7_11","source_id":7,"updated_time":300}])"));
    ParseStatuses(store, ParseJson(R"([{"uid":7,"status_id":"11","message":"m","time":300}])"));
    ASSERT_NE(FindProfile(store, u"7", false)->statusPost, nullptr);
    store.FreePostList();
    EXPECT_EQ(FindProfile(store, u"7", false)->statusPost, nullptr);
}

}  // namespace
