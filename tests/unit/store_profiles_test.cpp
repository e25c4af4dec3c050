#include <gtest/gtest.h>

#include "store/profiles.h"
#include "store_fakes.h"

namespace {

const char* PageQuery = "SELECT page_id,name,pic_square,pic,page_url FROM page WHERE page_id='%s'";
const char* GroupQuery = "SELECT gid,name,pic_small FROM group WHERE gid='%s'";
const char* EventQuery = "SELECT eid,name,pic_small FROM event WHERE eid='%s'";

std::string With(const char* format, const std::string& id) {
    return A(FormatText(U(format), {U(id)}));
}

class ProfilesTest : public StoreTest {};

TEST_F(ProfilesTest, NoIdAsksNothing) {
    EXPECT_EQ(FindProfile(store, u"", true), nullptr);
    EXPECT_EQ(FindProfile(store, u"null", true), nullptr);
    EXPECT_TRUE(service.statements.empty());
}

TEST_F(ProfilesTest, UserIsFetchedOnceWithPicturesAndCached) {
    Person("7", "Anna", ",\"pic\":\"http:\\/\\/pics\\/7big.png\",\"profile_url\":\"http:\\/\\/fb\\/anna\","
                        "\"profile_update_time\":1234,\"online_presence\":\"active\",\"status\":{\"message\":\"hi\"},"
                        "\"current_location\":{\"city\":\"Brno\"},\"birthday\":\"May 1\"");
    service.pictures[u"/7big.png"] = PictureBytes(200, 200);
    UserRecord* user = FindProfile(store, u"7", true);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->name, u"Anna");
    EXPECT_EQ(user->kind, ProfileUser);
    EXPECT_EQ(user->profileUrl, u"http://fb/anna");
    EXPECT_EQ(user->profileUpdateTime, 1234);
    EXPECT_EQ(user->onlinePresence, u"active");
    EXPECT_EQ(user->statusMessageAtFetch, u"hi");
    EXPECT_EQ(user->statusText, u"");
    EXPECT_EQ(user->city, u"Brno");
    EXPECT_EQ(user->birthday, u"May 1");
    ASSERT_TRUE(user->picture);
    ASSERT_TRUE(user->largePicture);
    EXPECT_EQ(user->largePicture->width(), 200);
    EXPECT_EQ(user->flags & ItemRead, ItemRead);
    ItemNode<UserRecord>* node = FindItem(store.users, u"7");
    EXPECT_EQ(node->stamp, 1234);
    EXPECT_EQ(node->flagsRef, &user->flags);
    EXPECT_EQ(node->markRef, &user->hidden);

    EXPECT_EQ(FindProfile(store, u"7", true), user);
    EXPECT_EQ(service.statements.size(), 1u);
    EXPECT_EQ(service.pictureRequests.size(), 2u);
}

TEST_F(ProfilesTest, KindsAreTriedInOrderAndTheFoundRecordIsReturned) {
    service.Answer(With(PageQuery, "50"),
                   R"([{"page_id":50,"name":"Page","pic_square":null,"page_url":"http:\/\/fb\/page"}])");
    service.Answer(With(GroupQuery, "60"), R"([{"gid":"60","name":"Group","pic_small":"http:\/\/pics\/g.png"}])");
    service.Answer(With(EventQuery, "70"), R"([{"eid":"70","name":"Event"}])");

    UserRecord* page = FindProfile(store, u"50", true);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->kind, ProfilePage);
    EXPECT_EQ(page->profileUrl, u"http://fb/page");
    EXPECT_EQ(service.statements, (std::vector<std::u16string>{U(UserQuery("50")), U(With(PageQuery, "50"))}));

    UserRecord* group = FindProfile(store, u"60", true);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->kind, ProfileGroup);
    EXPECT_EQ(group->pictureUrl, u"http://pics/g.png");
    EXPECT_EQ(group->profileUrl, u"");
    UserRecord* event = FindProfile(store, u"70", true);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->kind, ProfileEvent);
    EXPECT_EQ(event->name, u"Event");
}

TEST_F(ProfilesTest, FailuresAreNotRemembered) {
    EXPECT_EQ(FindProfile(store, u"99", true), nullptr);
    EXPECT_EQ(service.statements.size(), 4u);
    EXPECT_EQ(FindProfile(store, u"99", false), nullptr);
    EXPECT_EQ(service.statements.size(), 4u);
    EXPECT_EQ(FindProfile(store, u"99", true), nullptr);
    EXPECT_EQ(service.statements.size(), 8u);
    EXPECT_TRUE(store.users.empty());
}

TEST_F(ProfilesTest, AnErrorAnswerMeansNotThisKind) {
    service.Answer(UserQuery("50"), R"({"error_code":601,"error_msg":"parser error"})");
    service.Answer(With(PageQuery, "50"), R"([{"page_id":50,"name":"Page"}])");
    UserRecord* page = FindProfile(store, u"50", true);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->kind, ProfilePage);
}

TEST_F(ProfilesTest, UserHiddenInAnEarlierRunComesBackHiddenWhateverTheStamp) {
    store.seen.users = SeenTable({SeenEntry{1, 1, 5, u"7", u"", 0}});
    Person("7", "Anna", ",\"profile_update_time\":999");
    UserRecord* user = FindProfile(store, u"7", true);
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->hidden, 1u);
    EXPECT_FALSE(FindItem(store.users, u"7")->unseen());
}

TEST_F(ProfilesTest, UpdateModeRefreshesPresenceAndStatusOnly) {
    Person("7", "Anna", ",\"online_presence\":\"active\",\"status\":{\"message\":\"old\"}");
    UserRecord* user = FindProfile(store, u"7", true);
    user->statusText = u"old status";
    size_t pictures = service.pictureRequests.size();
    ParseProfiles(store, ParseJson(R"([{"uid":7,"name":"Renamed","online_presence":"idle","status":{}},)"
                            R"({"uid":8,"name":"Ben","pic_square":"http:\/\/pics\/8.png"}])"),
                  true, ProfileUser);
    EXPECT_EQ(user->name, u"Anna");
    EXPECT_EQ(user->onlinePresence, u"idle");
    EXPECT_EQ(user->statusText, u"");  // no status message clears it
    // The friend not cached yet joins in full, with his picture.
    UserRecord* ben = FindProfile(store, u"8", false);
    ASSERT_NE(ben, nullptr);
    EXPECT_EQ(ben->name, u"Ben");
    EXPECT_EQ(service.pictureRequests.size(), pictures + 1);
    EXPECT_EQ(service.pictureRequests.back(), u"/8.png");
}

TEST_F(ProfilesTest, RowsWithoutIdOrContentArePassedOver) {
    EXPECT_FALSE(ParseProfiles(store, JsonTree(), false, ProfileUser));
    EXPECT_TRUE(ParseProfiles(store, ParseJson(R"([{},{"name":"No id"},{"uid":9,"name":"Nine"},{"uid":9,"name":"Again"}])"),
                              false, ProfileUser));
    ASSERT_EQ(store.users.size(), 1u);
    EXPECT_EQ(store.users.head()->payload.name, u"Nine");
}

TEST_F(ProfilesTest, APictureThatFailsStaysAbsentAndIsNotRetried) {
    service.Answer(UserQuery("7"), "[" + UserRow("7", "Anna") + "]");  // picture URL not served
    UserRecord* user = FindProfile(store, u"7", true);
    ASSERT_NE(user, nullptr);
    EXPECT_FALSE(user->picture);
    FindProfile(store, u"7", true);
    EXPECT_EQ(service.pictureRequests.size(), 1u);
}

// Profiles that show the same address share one picture, downloaded once; it goes
// with the last record that shows it, and a later record fetches it anew.
TEST_F(ProfilesTest, APictureIsDownloadedOncePerAddressAndGoesWithItsLastRecord) {
    service.Answer(UserQuery("7"), R"([{"uid":7,"name":"Anna","pic_square":"http:\/\/pics\/same.png",)"
                                   R"("pic":"http:\/\/pics\/same.png"}])");
    service.Answer(UserQuery("8"), R"([{"uid":8,"name":"Ben","pic_square":"http:\/\/pics\/same.png",)"
                                   R"("pic":"http:\/\/pics\/8big.png"}])");
    service.pictures[u"/same.png"] = PictureBytes(48, 48);
    service.pictures[u"/8big.png"] = PictureBytes(200, 200);
    UserRecord* anna = FindProfile(store, u"7", true);
    UserRecord* ben = FindProfile(store, u"8", true);
    ASSERT_TRUE(anna && ben && anna->picture && ben->largePicture);
    EXPECT_EQ(service.pictureRequests, (std::vector<std::u16string>{u"/same.png", u"/8big.png"}));
    EXPECT_EQ(anna->largePicture, anna->picture);
    EXPECT_EQ(ben->picture, anna->picture);
    EXPECT_EQ(store.heldPictureCount(), 2u);

    std::weak_ptr<Picture> same = anna->picture;
    {
        std::lock_guard<std::mutex> hold(store.mutex());
        MarkOrRemoveItems(store.users, u"7", {}, false, false);
    }
    EXPECT_FALSE(same.expired());  // Ben still shows it
    store.FreeUserList();
    EXPECT_TRUE(same.expired());
    EXPECT_EQ(store.heldPictureCount(), 0u);
    ASSERT_TRUE(FindProfile(store, u"7", true));
    EXPECT_EQ(service.pictureRequests.size(), 3u);

    // A picture that does not decode is not held: the next record asks again.
    service.Answer(UserQuery("9"), R"([{"uid":9,"name":"Cyril","pic_square":"http:\/\/pics\/bad.png"}])");
    service.pictures[u"/bad.png"] = "not a picture";
    ASSERT_TRUE(FindProfile(store, u"9", true));
    EXPECT_FALSE(store.FindUser(u"9")->picture);
    EXPECT_FALSE(FetchPicture(store, u"http://pics/bad.png"));
    EXPECT_EQ(service.pictureRequests.size(), 5u);
}

}  // namespace

// Many addresses, most of them shown only for a while: the held ones are found through
// the table's growth and the sweeps that forget the gone ones, and a gone one is not.
TEST_F(ProfilesTest, HeldPicturesAreFoundThroughGrowthAndSweeps) {
    std::vector<SharedPicture> shown;
    std::lock_guard<std::mutex> hold(store.mutex());
    for (int i = 0; i < 1000; ++i) {
        const std::u16string address = u"http://pics/" + U(std::to_string(i)) + u".png";
        SharedPicture held = store.HoldPicture(address, std::make_shared<FakePicture>(i, 1));
        ASSERT_EQ(store.HoldPicture(address, std::make_shared<FakePicture>(0, 0)), held);  // the first stays
        if (i % 3 == 0) shown.push_back(held);
    }
    EXPECT_EQ(store.heldPictureCount(), shown.size());
    for (int i = 0; i < 1000; ++i) {
        SharedPicture found = store.HeldPicture(u"http://pics/" + U(std::to_string(i)) + u".png");
        ASSERT_EQ(found != nullptr, i % 3 == 0) << i;
        EXPECT_EQ(found ? found->width() : i, i);
    }
    EXPECT_FALSE(store.HeldPicture(u"http://pics/1000.png"));
    EXPECT_FALSE(store.HeldPicture(u""));
}
