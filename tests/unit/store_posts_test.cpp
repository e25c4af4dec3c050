#include <gtest/gtest.h>

#include "base/text_table.h"
#include "store/comments.h"
#include "store/posts.h"
#include "store/profiles.h"
#include "store_fakes.h"

namespace {

std::string PostRow(const std::string& id, const std::string& source, int updated, const std::string& extra = "") {
    std::string row = "{\"post_id\":\"" + id + "\",\"source_id\":" + source;
    if (updated) row += ",\"updated_time\":" + std::to_string(updated);
    return row + extra + "}";
}

class PostsTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Person("7", "Anna");
        Person("8", "Ben");
    }
    PostRecord* Post(const std::u16string& id) {
        auto* n = FindItem(store.posts, id);
        return n ? &n->payload : nullptr;
    }
};

TEST_F(PostsTest, NewPostIsListedUnreadWithItsProfiles) {
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100,
                                       ",\"actor_id\":8,\"target_id\":null,\"message\":\"Hello\",\"created_time\":90,"
                                       "\"permalink\":\"http:\\/\\/fb\\/p1\",\"likes\":{\"count\":0,\"can_like\":true},"
                                       "\"comments\":{\"count\":0,\"can_post\":true}")})));
    PostRecord* post = Post(u"7_1");
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post->message, u"Hello");
    EXPECT_EQ(post->source->name, u"Anna");
    EXPECT_EQ(post->actor->name, u"Ben");
    EXPECT_EQ(post->target, nullptr);
    EXPECT_EQ(post->source->isPostSource, 1u);
    EXPECT_EQ(post->updatedTime, 100);
    EXPECT_EQ(post->createdTime, 90);
    EXPECT_EQ(post->canLike, 1);
    EXPECT_EQ(post->canComment, 1);
    EXPECT_EQ(post->permalink, u"http://fb/p1");
    EXPECT_EQ(post->flags & ItemRead, 0u);
    ItemNode<PostRecord>* node = FindItem(store.posts, u"7_1");
    EXPECT_EQ(node->stamp, 100);
    EXPECT_EQ(node->markRef, &post->source->hidden);
    EXPECT_EQ(store.noticePicture, post->source->picture);
    // Counts of 0 equal what is known: neither likes nor comments are asked for.
    EXPECT_EQ(service.CountContaining(u"FROM comment"), 0u);
    EXPECT_EQ(service.CountContaining(u"FROM like"), 0u);
}

TEST_F(PostsTest, RowWithoutUpdateTimeMakesAReadPostWithNothingReread) {
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 0, ",\"likes\":{\"count\":3},\"comments\":{\"count\":2}")})));
    PostRecord* post = Post(u"7_1");
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post->flags & ItemRead, ItemRead);
    EXPECT_EQ(post->likesCount, 0);
    EXPECT_EQ(service.CountContaining(u"FROM comment"), 0u);
    EXPECT_EQ(store.noticePicture, nullptr);
}

TEST_F(PostsTest, MadeUpMessagesByType) {
    ParsePosts(store, ParseJson(Rows({
        PostRow("7_80", "7", 100, ",\"type\":80,\"attachment\":{\"name\":\"Site\"}"),
        PostRow("7_81", "7", 100, ",\"type\":80"),
        PostRow("7_237", "7", 100, ",\"type\":237,\"attachment\":{\"name\":\"Shared\"}"),
        PostRow("7_238", "7", 100, ",\"type\":237"),
        PostRow("7_247", "7", 100, ",\"type\":247"),
        PostRow("7_280", "7", 100, ",\"type\":280"),
        PostRow("7_373", "7", 100, ",\"type\":373,\"likes\":{\"can_like\":true}"),
        PostRow("7_374", "7", 100, ",\"type\":373,\"message\":\"Own words\",\"likes\":{\"can_like\":true}"),
        PostRow("7_999", "7", 100, ",\"type\":46"),
    })));
    EXPECT_EQ(Post(u"7_80")->message, u"Anna added link to Site");
    EXPECT_EQ(Post(u"7_81")->message, u"Anna added link to ");
    EXPECT_EQ(Post(u"7_237")->message, u"Shared");
    EXPECT_EQ(Post(u"7_238")->message, u"");
    EXPECT_EQ(Post(u"7_247")->message, u"Anna added photos to album ");
    EXPECT_EQ(Post(u"7_247")->attachmentName, LookupText("NULLSTRING"));
    EXPECT_EQ(Post(u"7_280")->message, u"Anna posed the question");
    EXPECT_EQ(Post(u"7_373")->message, u"Anna updated his introductory photo");
    EXPECT_EQ(Post(u"7_373")->canLike, 0);
    EXPECT_EQ(Post(u"7_374")->canLike, 1);
    EXPECT_EQ(Post(u"7_999")->message, u"");
}

TEST_F(PostsTest, AttachmentPictureRules) {
    auto attachment = [](const std::string& src) {
        return ",\"attachment\":{\"name\":\"N\",\"description\":\"D\",\"media\":[{\"href\":\"http:\\/\\/x\\/" +
               src + "\",\"src\":\"http:\\/\\/pics\\/" + src + "\"}]}";
    };
    service.pictures[u"/narrow"] = PictureBytes(39, 300);
    service.pictures[u"/edge"] = PictureBytes(40, 30);
    service.pictures[u"/wide"] = PictureBytes(300, 150);
    service.pictures[u"/tall"] = PictureBytes(100, 400);
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100, attachment("narrow")),
                               PostRow("7_2", "7", 100, attachment("edge")),
                               PostRow("7_3", "7", 100, attachment("wide")),
                               PostRow("7_4", "7", 100, attachment("tall"))})));
    EXPECT_FALSE(Post(u"7_1")->attachmentPicture);
    ASSERT_TRUE(Post(u"7_2")->attachmentPicture);
    EXPECT_EQ(Post(u"7_2")->attachmentPicture->width(), 40);  // fits: kept as it is
    EXPECT_EQ(Post(u"7_2")->attachmentPicture->height(), 30);
    EXPECT_EQ(Post(u"7_3")->attachmentPicture->width(), 128);
    EXPECT_EQ(Post(u"7_3")->attachmentPicture->height(), 64);
    EXPECT_EQ(Post(u"7_4")->attachmentPicture->width(), 32);
    EXPECT_EQ(Post(u"7_4")->attachmentPicture->height(), 128);
    EXPECT_EQ(Post(u"7_1")->attachmentName, u"N");
    EXPECT_EQ(Post(u"7_1")->attachmentDescription, u"D");
    EXPECT_EQ(Post(u"7_1")->attachmentLink, u"http://x/narrow");
}

// A photo that is both a profile's picture and posts' attachment comes once: a post
// shows it as the profile does when it fits, else one scaled copy for all its posts.
TEST_F(PostsTest, AttachmentsShareAPictureHeldForTheirAddress) {
    auto attachment = [](const std::string& src) {
        return ",\"attachment\":{\"media\":[{\"src\":\"http:\\/\\/pics\\/" + src + "\"}]}";
    };
    service.pictures[u"/big"] = PictureBytes(300, 150);
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100, attachment("7.png")),
                                      PostRow("7_2", "7", 100, attachment("big")),
                                      PostRow("8_1", "8", 100, attachment("big"))})));
    EXPECT_EQ(service.pictureRequests, (std::vector<std::u16string>{u"/7.png", u"/big", u"/8.png"}));
    EXPECT_EQ(Post(u"7_1")->attachmentPicture, Post(u"7_1")->source->picture);  // 48 x 48 fits
    ASSERT_TRUE(Post(u"7_2")->attachmentPicture);
    EXPECT_EQ(Post(u"7_2")->attachmentPicture->width(), 128);
    EXPECT_EQ(Post(u"8_1")->attachmentPicture, Post(u"7_2")->attachmentPicture);

    // A profile picture at the address of a scaled photo comes after it, still once;
    // both go with the posts and the profile.
    service.Answer(UserQuery("9"), R"([{"uid":9,"name":"Cyril","pic":"http:\/\/pics\/big"}])");
    ASSERT_NE(FindProfile(store, u"9", true), nullptr);
    EXPECT_EQ(service.pictureRequests, (std::vector<std::u16string>{u"/7.png", u"/big", u"/8.png"}));
    EXPECT_EQ(FindProfile(store, u"9", false)->largePicture->width(), 300);
    store.ReleaseSignedInData();
    EXPECT_EQ(store.heldPictureCount(), 0u);
}

TEST_F(PostsTest, SeenStateDecidesANewPostsReadState) {
    store.seen.posts = SeenTable({SeenEntry{0, ItemRead | ItemMuted, 100, u"7_1", u"", 0},
                           SeenEntry{0, ItemRead | ItemMuted, 100, u"7_2", u"", 0}});
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100), PostRow("7_2", "7", 200)})));
    EXPECT_EQ(Post(u"7_1")->flags, ItemRead | ItemMuted);  // same update time: as it was
    EXPECT_EQ(Post(u"7_2")->flags, ItemMuted);             // updated since: unread, still muted
    EXPECT_EQ(store.noticePicture, nullptr);                     // neither counts as new
}

TEST_F(PostsTest, ListedPostBecomesUpdatedUnlessItsNewCommentsWereAllSeen) {
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100), PostRow("7_2", "7", 100)})));
    Post(u"7_1")->flags |= ItemRead;
    Post(u"7_2")->flags |= ItemRead;
    // Post 1 got a comment the seen-state remembers read; post 2 moved with no comment.
    store.seen.comments = SeenTable({SeenEntry{0, 1, 150, u"7_1", u"8", 0}});
    service.Answer(CommentsQuery("7_1"), Rows({CommentRow("7_1", "8", 150)}));
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 150, ",\"comments\":{\"count\":1}"), PostRow("7_2", "7", 150)})));
    EXPECT_EQ(Post(u"7_1")->flags & ItemRead, ItemRead);
    EXPECT_EQ(Post(u"7_1")->commentsRead, 1);
    EXPECT_EQ(Post(u"7_2")->flags & ItemRead, 0u);

    // A new unread comment makes it updated.
    service.Answer(CommentsQuery("7_1"), Rows({CommentRow("7_1", "8", 150), CommentRow("7_1", "7", 160)}));
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 160, ",\"comments\":{\"count\":2}")})));
    EXPECT_EQ(Post(u"7_1")->flags & ItemRead, 0u);
    EXPECT_EQ(Post(u"7_1")->commentsRead, 2);
}

// A re-read that brings no answer cannot show that the new comments were all seen:
// the update counts.
TEST_F(PostsTest, AFailedCommentRereadLeavesTheUpdatedPostUnread) {
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100)})));
    Post(u"7_1")->flags |= ItemRead;
    service.failUnanswered = true;
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 150, ",\"comments\":{\"count\":1}")})));
    EXPECT_EQ(service.Count(U(CommentsQuery("7_1"))), 1u);
    EXPECT_EQ(Post(u"7_1")->flags & ItemRead, 0u);
}

TEST_F(PostsTest, SameUpdateTimeChangesNothing) {
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100)})));
    Post(u"7_1")->flags |= ItemRead;
    size_t asked = service.statements.size();
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100, ",\"comments\":{\"count\":5},\"likes\":{\"count\":5}")})));
    EXPECT_EQ(Post(u"7_1")->flags & ItemRead, ItemRead);
    EXPECT_EQ(service.statements.size(), asked);
}

TEST_F(PostsTest, HiddenSourceIsListedButNeverRereadCountedOrPictured) {
    store.seen.users = SeenTable({SeenEntry{1, 1, 0, u"7", u"", 0}});
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100, ",\"comments\":{\"count\":2},\"likes\":{\"count\":3}")})));
    PostRecord* post = Post(u"7_1");
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(post->source->hidden, 1u);
    EXPECT_EQ(post->flags & ItemRead, 0u);
    EXPECT_FALSE(FindItem(store.posts, u"7_1")->unseen());
    EXPECT_EQ(CountUnseenItems(store.posts, false), 0);
    EXPECT_EQ(post->likesCount, 0);
    EXPECT_EQ(service.CountContaining(u"FROM comment"), 0u);
    EXPECT_EQ(service.CountContaining(u"FROM like"), 0u);
    EXPECT_EQ(store.noticePicture, nullptr);

    // Updated again: unread even though nothing was re-read.
    post->flags |= ItemRead;
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 200)})));
    EXPECT_EQ(post->flags & ItemRead, 0u);
}

TEST_F(PostsTest, LikesAreRereadWhenTheirCountMoves) {
    service.Answer(LikesQuery("7_1"), R"([{"user_id":8}])");
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100, ",\"likes\":{\"count\":1,\"user_likes\":true}")})));
    EXPECT_EQ(Post(u"7_1")->likesCount, 1);
    EXPECT_EQ(Post(u"7_1")->likedByMe, 1);
    ASSERT_NE(FindItemByKeys(store.likes, u"7_1", u"8"), nullptr);
}

TEST_F(PostsTest, RowsEndAtOneWithoutAPostIdAndPostsWithoutSourceAreDropped) {
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100), PostRow("99_1", "99", 100), "{\"source_id\":7}",
                               PostRow("7_2", "7", 100)})));
    EXPECT_NE(Post(u"7_1"), nullptr);
    EXPECT_EQ(Post(u"99_1"), nullptr);
    EXPECT_EQ(Post(u"7_2"), nullptr);
    EXPECT_FALSE(ParsePosts(store, JsonTree()));
}

TEST_F(PostsTest, ListIsSortedNewestFirst) {
    ParsePosts(store, ParseJson(Rows({PostRow("7_1", "7", 100), PostRow("7_2", "7", 300), PostRow("7_3", "7", 200)})));
    std::vector<std::u16string> order;
    for (auto& n : store.posts) order.emplace_back(n.key1);
    EXPECT_EQ(order, (std::vector<std::u16string>{u"7_2", u"7_3", u"7_1"}));
}

TEST_F(PostsTest, NoticePictureIsTheFirstNewPostsSource) {
    ParsePosts(store, ParseJson(Rows({PostRow("8_1", "8", 100), PostRow("7_1", "7", 100)})));
    EXPECT_EQ(store.noticePicture, FindProfile(store, u"8", false)->picture);
}

}  // namespace
