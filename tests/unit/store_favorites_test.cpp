#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/favorites.h"
#include "base/whole_file.h"
#include "store_fakes.h"

namespace {

std::string Utf16Le(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::string FileBytes() {
    std::string bytes;
    ReadWholeFile(FavoritesFileName, bytes);
    return bytes;
}

std::vector<std::pair<std::u16string, std::u16string>> Favorites(const DataStore& store) {
    std::vector<std::pair<std::u16string, std::u16string>> out;
    for (auto& n : store.favorites) out.emplace_back(n.payload.title, n.payload.address);
    return out;
}

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

class FavoritesTest : public StoreTest {};

TEST_F(FavoritesTest, TwoFavouritesAreTwoLinesAndA16BitZero) {
    AddFavorite(store, u"News", u"http://news.example/");
    AddFavorite(store, u"Mail \u010d", u"http://mail.example/");
    EXPECT_EQ(FileBytes(),
              Utf16Le(u"News;http://news.example/\r\nMail \u010d;http://mail.example/\r\n") + std::string(2, '\0'));
    FreeItemList(store.favorites);
    EXPECT_TRUE(LoadFavorites(store));
    EXPECT_EQ(Favorites(store), (Pairs{{u"News", u"http://news.example/"}, {u"Mail \u010d", u"http://mail.example/"}}));
    EXPECT_EQ(store.favorites.head()->key1, u"News");
    EXPECT_EQ(store.favorites.head()->stamp, 0);
}

TEST_F(FavoritesTest, LinesAreReadTheLenientWay) {
    ItemList<FavoriteRecord> list;
    ParseFavoritesText(u"\r\n"               // empty line
                       u";skipped\r\n"       // begins with the separator
                       u"NoAddress\r\n"      // no separator: empty address
                       u"A;a;ignored\n"      // third field ignored, LF alone
                       u"A;second\r\n"       // same title again
                       u"Last;x",            // no line end
                       list);
    std::vector<std::pair<std::u16string, std::u16string>> got;
    for (auto& n : list) got.emplace_back(n.payload.title, n.payload.address);
    EXPECT_EQ(got, (Pairs{{u"NoAddress", u""}, {u"A", u"a"}, {u"A", u"second"}, {u"Last", u"x"}}));
}

TEST_F(FavoritesTest, TextEndsAtTheFirstZero) {
    ItemList<FavoriteRecord> list;
    ParseFavoritesText(std::u16string(u"A;a\r\n") + char16_t(0) + u"B;b\r\n", list);
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(FavoritesTest, EmptiedListSavesAnEmptyFileSoDeletedFavouritesStayDeleted) {
    AddFavorite(store, u"One", u"http://one/");
    RemoveFavoriteAt(store, 0);
    EXPECT_TRUE(SaveFavorites(store));
    EXPECT_TRUE(std::filesystem::exists("favorites.txt"));
    EXPECT_EQ(FileBytes(), "");
    EXPECT_TRUE(LoadFavorites(store));
    EXPECT_TRUE(store.favorites.empty());
}

TEST_F(FavoritesTest, RemovingByPositionKeepsTheOthersInOrder) {
    AddFavorite(store, u"A", u"a");
    AddFavorite(store, u"B", u"b");
    AddFavorite(store, u"C", u"c");
    RemoveFavoriteAt(store, 1);
    RemoveFavoriteAt(store, 7);  // no such line
    EXPECT_EQ(Favorites(store), (Pairs{{u"A", u"a"}, {u"C", u"c"}}));
}

TEST_F(FavoritesTest, EmptyTitleOrAddressAddsNothing) {
    EXPECT_FALSE(AddFavorite(store, u"", u"http://x/"));
    EXPECT_FALSE(AddFavorite(store, u"X", u""));
    EXPECT_TRUE(store.favorites.empty());
    EXPECT_FALSE(std::filesystem::exists("favorites.txt"));
}

TEST_F(FavoritesTest, LongFieldsAreCutNotSpilled) {
    std::u16string longTitle(5000, u't');
    std::u16string longAddress(1500, u'a');
    // A file written by someone else with over-long fields.
    std::string bytes = Utf16Le(longTitle + u";" + longAddress + u"\r\nNext;n\r\n") + std::string(2, '\0');
    std::ofstream("favorites.txt", std::ios::binary) << bytes;
    EXPECT_TRUE(LoadFavorites(store));
    ASSERT_EQ(store.favorites.size(), 2u);
    EXPECT_EQ(store.favorites.head()->payload.title, std::u16string(FavoriteFieldLimit, u't'));
    EXPECT_EQ(store.favorites.head()->payload.address, std::u16string(FavoriteFieldLimit, u'a'));
    EXPECT_EQ(store.favorites.head()->next->payload.title, u"Next");

    // From the dialog the same limit applies, so what is shown is what comes back.
    FreeItemList(store.favorites);
    AddFavorite(store, longTitle, u"http://x/");
    EXPECT_EQ(store.favorites.head()->payload.title.size(), FavoriteFieldLimit);
}

TEST_F(FavoritesTest, SeparatorsTypedIntoAFieldDoNotSplitItAtTheNextStart) {
    AddFavorite(store, u"A;B", u"http://x/?a=1;b=2");
    FreeItemList(store.favorites);
    LoadFavorites(store);
    EXPECT_EQ(Favorites(store), (Pairs{{u"A B", u"http://x/?a=1%3Bb=2"}}));
}

TEST_F(FavoritesTest, MissingOrOddFiles) {
    EXPECT_FALSE(LoadFavorites(store));
    EXPECT_TRUE(store.favorites.empty());
    std::ofstream("favorites.txt", std::ios::binary) << std::string("A\0;\0a\0\r", 7);  // odd length
    EXPECT_TRUE(LoadFavorites(store));
    EXPECT_EQ(Favorites(store), (Pairs{{u"A", u"a"}}));
}

}  // namespace
