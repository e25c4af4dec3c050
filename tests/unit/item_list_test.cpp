#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "store/item_list.h"

namespace {

struct Rec {
    uint32_t flags = 0;
    uint32_t mark = 0;
};

std::vector<int32_t> Stamps(const ItemList<Rec>& list) {
    std::vector<int32_t> out;
    for (auto& n : list) out.push_back(n.stamp);
    return out;
}

std::vector<std::u16string> Keys2(const ItemList<Rec>& list) {
    std::vector<std::u16string> out;
    for (auto& n : list) out.emplace_back(n.key2);
    return out;
}

ItemNode<Rec>* Add(ItemList<Rec>& list, std::u16string k1, std::u16string k2, int32_t stamp) {
    ItemNode<Rec>* node = nullptr;
    AppendItem(list, Rec{}, std::move(k1), std::move(k2), stamp, &node);
    node->flagsRef = &node->payload.flags;
    node->markRef = &node->payload.mark;
    return node;
}

TEST(ItemList, AppendKeepsOrderCountsAndStableAddresses) {
    ItemList<std::u16string> texts;
    int32_t before = -1;
    std::u16string* first = AppendItem(texts, std::u16string(u"one"), {}, {}, 0, nullptr, &before);
    EXPECT_EQ(before, 0);
    for (int i = 0; i < 1000; ++i) AppendItem(texts, std::u16string(u"x"));
    AppendItem(texts, std::u16string(u"last"), {}, {}, 0, nullptr, &before);
    EXPECT_EQ(before, 1001);
    EXPECT_EQ(*first, u"one");  // earlier payloads never move
    EXPECT_EQ(ItemAt(texts, 1001)->payload, u"last");
    EXPECT_EQ(ItemAt(texts, 1002), nullptr);
    EXPECT_EQ(ItemAt(texts, -1), nullptr);
}

TEST(ItemList, FindSkipsNodesWithoutKeys) {
    ItemList<Rec> list;
    Add(list, u"", u"b", 1);
    Add(list, u"a", u"", 2);
    Add(list, u"a", u"b", 3);
    EXPECT_EQ(FindItem(list, u"a")->stamp, 2);
    EXPECT_EQ(FindItem(list, u""), nullptr);
    EXPECT_EQ(FindItemByKeys(list, u"a", u"b")->stamp, 3);
    EXPECT_EQ(FindItemByKeys(list, u"a", u""), nullptr);
    EXPECT_TRUE(SetItemStamp(list, u"a", 9));
    EXPECT_EQ(Stamps(list), (std::vector<int32_t>{1, 9, 3}));
    EXPECT_FALSE(SetItemStamp(list, u"zz", 9));
}

TEST(ItemList, SortNewestFirstAndAscending) {
    ItemList<Rec> list;
    for (int32_t s : {5, 3, 3, 7}) Add(list, u"k", {}, s);
    SortItemsByStamp(list, false);
    EXPECT_EQ(Stamps(list), (std::vector<int32_t>{7, 5, 3, 3}));
    SortItemsByStamp(list, true);
    EXPECT_EQ(Stamps(list), (std::vector<int32_t>{3, 3, 5, 7}));
    ItemList<Rec> empty;
    SortItemsByStamp(empty, false);
    EXPECT_TRUE(empty.empty());
    // Appending after a sort still reaches the real tail.
    Add(list, u"k", {}, 1);
    EXPECT_EQ(Stamps(list).back(), 1);
}

TEST(ItemList, SortIsStableAmongEqualStamps) {
    ItemList<Rec> list;
    Add(list, u"k", u"a", 1);
    Add(list, u"k", u"b", 2);
    Add(list, u"k", u"c", 2);
    Add(list, u"k", u"d", 3);
    Add(list, u"k", u"e", 2);
    SortItemsByStamp(list, false);
    EXPECT_EQ(Keys2(list), (std::vector<std::u16string>{u"d", u"b", u"c", u"e", u"a"}));
    SortItemsByStamp(list, true);
    EXPECT_EQ(Keys2(list), (std::vector<std::u16string>{u"a", u"b", u"c", u"e", u"d"}));
    // Many equal stamps (users without a status all have 0): each stamp's nodes stay in
    // the order of appending, and the tail is the real last node.
    ItemList<Rec> many;
    std::map<const ItemNode<Rec>*, int32_t> appended;
    for (int32_t i = 0; i < 20000; ++i) appended[Add(many, u"k", {}, i % 3 == 0 ? 0 : i % 5)] = i;
    SortItemsByStamp(many, false);
    ASSERT_EQ(many.size(), 20000u);
    const ItemNode<Rec>* previous = nullptr;
    for (auto& n : many) {
        if (previous) {
            ASSERT_GE(previous->stamp, n.stamp);
            if (previous->stamp == n.stamp) {
                ASSERT_LT(appended[previous], appended[&n]);
            }
        }
        previous = &n;
    }
    Add(many, u"k", u"z", 9);
    EXPECT_EQ(Keys2(many).back(), u"z");
}

// Lists made of runs that go either way, with ties inside and across them and a few
// stray stamps, sort as a stable sort of the whole list would.
TEST(ItemList, SortOfRunsMatchesAStableSort) {
    uint32_t seed = 7;
    auto next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 200; ++round) {
        ItemList<Rec> list;
        std::vector<std::pair<int32_t, ItemNode<Rec>*>> expected;
        const uint32_t runs = next(24);
        for (uint32_t r = 0; r < runs; ++r) {
            const uint32_t length = next(9), shape = next(4);
            int32_t stamp = static_cast<int32_t>(next(20));
            for (uint32_t i = 0; i < length; ++i) {
                // Every other round spans most of the stamps' range.
                const int32_t scaled = round % 2 ? stamp * 50000000 : stamp;  // |stamp| stays below 36
                ItemNode<Rec>* n = Add(list, u"k", {}, scaled);
                expected.emplace_back(scaled, n);
                const int32_t step = static_cast<int32_t>(next(3));  // 0: a tie
                // Rising, falling with ties, strictly falling, or anywhere.
                stamp = shape == 0   ? stamp + step
                        : shape == 1 ? stamp - step
                        : shape == 2 ? stamp - 1
                                     : static_cast<int32_t>(next(20));
            }
        }
        for (bool ascending : {false, true, true, false}) {
            std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
                return ascending ? a.first < b.first : a.first > b.first;
            });
            SortItemsByStamp(list, ascending);
            std::vector<ItemNode<Rec>*> got, want;
            for (auto& n : list) got.push_back(&n);
            for (const auto& e : expected) want.push_back(e.second);
            ASSERT_EQ(got, want) << "round " << round << (ascending ? " ascending" : " newest first");
        }
        ItemNode<Rec>* last = Add(list, u"k", {}, 0);
        EXPECT_EQ(ItemAt(list, static_cast<int32_t>(list.size()) - 1), last);  // the tail is the real last node
    }
}

// Nodes live in blocks that removed nodes' slots are taken from again: survivors keep
// their addresses and payloads through removals, reuse, moves and clears.
TEST(ItemList, NodesOutliveTheirNeighboursRemovalAndReuse) {
    ItemList<std::u16string> list;
    std::map<ItemNode<std::u16string>*, std::u16string> kept;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 700; ++i) {
            std::u16string text = u"item " + std::u16string(static_cast<size_t>(i % 40), u'x') + char16_t(u'a' + round);
            ItemNode<std::u16string>* n = nullptr;
            AppendItem(list, std::u16string(text), u"k" + std::u16string(1, char16_t(u'0' + i % 10)), {}, i, &n);
            kept[n] = text;
        }
        int at = 0;
        list.removeIf([&](const ItemNode<std::u16string>& n) {
            const bool drop = (at++ + round) % 3 == 0;
            if (drop) kept.erase(const_cast<ItemNode<std::u16string>*>(&n));
            return drop;
        });
        ASSERT_EQ(list.size(), kept.size());
        for (auto& n : list) ASSERT_EQ(kept.at(&n), n.payload);
        size_t withK3 = 0;
        for (const auto& entry : kept) withK3 += entry.first->key1 == u"k3";
        EXPECT_EQ(list.withKey1(u"k3").size(), withK3);
    }
    ItemList<std::u16string> moved = std::move(list);
    EXPECT_EQ(moved.size(), kept.size());
    for (auto& n : moved) ASSERT_EQ(kept.at(&n), n.payload);
    AppendItem(list, std::u16string(u"after the move"));  // the emptied list makes nodes of its own
    EXPECT_EQ(list.head()->payload, u"after the move");
    moved.clear();
    EXPECT_TRUE(moved.empty());
    AppendItem(moved, std::u16string(u"after the clear"));
    EXPECT_EQ(moved.head()->payload, u"after the clear");
}

TEST(ItemList, CountUnseenThenMarkAllRead) {
    ItemList<Rec> list;
    Add(list, u"1", {}, 0);
    Add(list, u"2", {}, 0)->payload.flags = ItemMuted;
    Add(list, u"3", {}, 0)->payload.mark = 1;
    Add(list, u"4", {}, 0);
    AppendItem(list, Rec{}, u"5");  // still on the default words: counts, never written
    EXPECT_EQ(CountUnseenItems(list, true), 3);
    EXPECT_EQ(CountUnseenItems(list, false), 1);
    EXPECT_EQ(DefaultFlagsWord, 0u);
    EXPECT_EQ(FindItem(list, u"2")->payload.flags, ItemMuted | ItemRead);
}

TEST(ItemList, MarkOrRemoveOnlyMarked) {
    ItemList<Rec> list;
    Add(list, u"p", u"u1", 1)->payload.mark = 1;
    Add(list, u"p", u"u2", 2);
    Add(list, u"q", u"u3", 3)->payload.mark = 1;
    Add(list, u"p", u"u4", 4)->payload.mark = 1;
    EXPECT_TRUE(MarkOrRemoveItems(list, u"p", u"", true, false));
    EXPECT_EQ(Keys2(list), (std::vector<std::u16string>{u"u2", u"u3"}));
    Add(list, u"p", u"u5", 5);  // the tail is still right after removing the old tail
    EXPECT_EQ(Keys2(list).back(), u"u5");
    EXPECT_TRUE(MarkOrRemoveItems(list, u"p", u"u2", false, true));
    EXPECT_EQ(FindItemByKeys(list, u"p", u"u2")->payload.mark, 1u);
    EXPECT_EQ(FindItemByKeys(list, u"p", u"u5")->payload.mark, 0u);
    EXPECT_FALSE(MarkOrRemoveItems(list, u"", u"", false, false));
    EXPECT_TRUE(MarkOrRemoveItems(list, u"p", u"", false, false));
    EXPECT_EQ(Keys2(list), (std::vector<std::u16string>{u"u3"}));
}

TEST(TextHelpers, FindText) {
    std::u16string t = u"a#access_token=XYZ&expires";
    int32_t len = static_cast<int32_t>(t.size());
    EXPECT_EQ(FindText(t, u"#access_token=", len, 0), 15);
    EXPECT_EQ(FindText(t, u"&", len, 15), 19);
    EXPECT_EQ(FindText(t, u"zz", len, 0), 0);
    EXPECT_EQ(FindText(t, u"", len, 4), 4);
    EXPECT_EQ(FindText(t, u"a", len, len + 1), 0);
    EXPECT_EQ(FindText(t, u"expires", 20, 0), 0);  // must lie inside the length
}

TEST(TextHelpers, ExtractLink) {
    EXPECT_EQ(ExtractLink(u"see www.example.org/x now"), u"http://www.example.org/x");
    EXPECT_EQ(ExtractLink(u"www.a.cz and http://b.cz/p\tq"), u"http://b.cz/p");
    EXPECT_EQ(ExtractLink(u"nothing here"), u"");
    EXPECT_EQ(ExtractLink(u""), u"");
    std::u16string longLink = u"http://" + std::u16string(5000, u'x');
    EXPECT_EQ(ExtractLink(longLink).size(), ExtractLinkLimit);
    EXPECT_EQ(ExtractLink(u"www." + std::u16string(5000, u'y')).size(), ExtractLinkLimit);
}

}  // namespace

namespace {
// The key indexes follow every change, also those that leave size and head as they
// were (remove one node, append another).
TEST(ItemList, KeyIndexesFollowEveryChange) {
    ItemList<Rec> list;
    ItemNode<Rec>* a = Add(list, u"p1", u"u1", 1);
    ItemNode<Rec>* b = Add(list, u"p1", u"u2", 2);
    EXPECT_EQ(list.withKey1(u"p1"), (std::vector<ItemNode<Rec>*>{a, b}));  // built here
    EXPECT_TRUE(list.withKey1(u"").empty());
    const uint64_t before = list.changes();
    list.remove(b);
    ItemNode<Rec>* c = Add(list, u"p2", u"u2", 3);
    EXPECT_NE(list.changes(), before);
    EXPECT_EQ(list.withKey1(u"p1"), (std::vector<ItemNode<Rec>*>{a}));
    EXPECT_EQ(list.withKey2(u"u2"), (std::vector<ItemNode<Rec>*>{c}));  // built after the change
    ItemNode<Rec>* d = list.insertAfter(nullptr, Rec{}, u"p2", u"u3", 0);
    EXPECT_EQ(FindItem(list, u"p2"), c);  // the first linked, not the first in the list
    EXPECT_EQ(FindItemByKeys(list, u"p2", u"u3"), d);
    SortItemsByStamp(list, true);
    EXPECT_EQ(list.withKey1(u"p2").size(), 2u);
    list.removeIf([](const ItemNode<Rec>& n) { return n.key2 == u"u2"; });
    EXPECT_EQ(list.withKey1(u"p2"), (std::vector<ItemNode<Rec>*>{d}));
    EXPECT_TRUE(list.withKey2(u"u2").empty());
    ItemList<Rec> moved = std::move(list);
    EXPECT_EQ(FindItem(moved, u"p1"), a);
    EXPECT_EQ(FindItem(list, u"p1"), nullptr);
    moved.clear();
    EXPECT_EQ(FindItem(moved, u"p1"), nullptr);
    Add(moved, u"p1", u"", 5);
    EXPECT_EQ(FindItem(moved, u"p1")->stamp, 5);
    // The key appended last loses its entry and comes again: a new entry takes it.
    ItemNode<Rec>* e = Add(moved, u"p3", u"", 6);
    moved.remove(e);
    ItemNode<Rec>* f = Add(moved, u"p3", u"", 7);
    ItemNode<Rec>* g = Add(moved, u"p3", u"", 8);
    EXPECT_EQ(moved.withKey1(u"p3"), (std::vector<ItemNode<Rec>*>{f, g}));
    moved.remove(f);  // the entry now views g's text
    EXPECT_EQ(moved.withKey1(u"p3"), (std::vector<ItemNode<Rec>*>{g}));
    ItemNode<Rec>* h = Add(moved, u"p3", u"", 9);
    EXPECT_EQ(moved.withKey1(u"p3"), (std::vector<ItemNode<Rec>*>{g, h}));
}

// The index grows, and its entries go and come again with their keys: for every key
// it must give the nodes linked with it, in their order, as a walk of the list would.
TEST(ItemList, KeyIndexAgreesWithAWalkThroughGrowthAndRemovals) {
    ItemList<Rec> list;
    std::map<std::u16string, std::vector<ItemNode<Rec>*>> linked;
    uint32_t seed = 7;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    auto key = [](uint32_t i) { return u"k" + std::u16string(1, char16_t(u'A' + i % 50)) + char16_t(u'a' + i / 50); };
    EXPECT_TRUE(list.withKey1(key(0)).empty());  // built while empty
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 200; ++i) {
            std::u16string k = key(next(round < 10 ? 600 : 60));  // many keys, then a few
            linked[k].push_back(Add(list, k, u"", i));
        }
        list.removeIf([&](const ItemNode<Rec>& n) {
            if (next(3) != 0) return false;
            auto& nodes = linked[std::u16string(n.key1)];
            nodes.erase(std::find(nodes.begin(), nodes.end(), &n));
            return true;
        });
        for (const auto& entry : linked) {
            ASSERT_EQ(list.withKey1(entry.first), entry.second) << round;
            ASSERT_EQ(FindItem(list, entry.first), entry.second.empty() ? nullptr : entry.second.front()) << round;
        }
    }
}

// Keys taken from the record's own fields are views of them, not copies; the index
// must move to a staying node when the node whose text it viewed leaves.
TEST(ItemList, KeysViewingRecordFieldsOutliveTheNodeTheIndexSawFirst) {
    struct Pair {
        std::u16string post, author;
    };
    ItemList<Pair> list;
    const std::u16string longId = u"100000000000000_200000000000000";  // beyond the short-string buffer
    ItemNode<Pair>* a = nullptr;
    ItemNode<Pair>* b = nullptr;
    AppendItem(list, Pair{longId, u"7"}, {&Pair::post, &Pair::author}, 1, &a);
    EXPECT_EQ(a->key1.data(), a->payload.post.data());
    EXPECT_EQ(list.withKey1(longId).size(), 1u);
    AppendItem(list, Pair{longId, u"8"}, {&Pair::post, nullptr}, 2, &b);
    EXPECT_TRUE(b->key2.empty());
    list.remove(a);  // the index entry viewed a's text
    EXPECT_EQ(list.withKey1(longId), (std::vector<ItemNode<Pair>*>{b}));
    EXPECT_EQ(FindItemByKeys(list, longId, u"7"), nullptr);
    AppendItem(list, Pair{longId, u"9"}, {&Pair::post, &Pair::author}, 3, &a);
    EXPECT_EQ(FindItemByKeys(list, longId, u"9"), a);
}
}  // namespace

// Keys that share a hash or a length, a key met twice, and a table grown from its
// smallest size: each key finds its own first value.
TEST(KeyTextTable, FindsEveryKeyItsFirstValueThroughGrowth) {
    std::vector<std::u16string> keys;
    for (int i = 0; i < 500; ++i)
        keys.push_back(u"k" + std::u16string(i % 7, u'x') + char16_t(u'a' + i % 26) + char16_t(0x100 + i));
    KeyTextTable<int> table;
    for (int i = 0; i < 500; ++i) {
        const size_t hash = i % 3 == 0 ? 42 : ItemKeyHash{}(keys[i]);  // some collide on purpose
        ASSERT_TRUE(table.add(keys[i], hash, i));
        ASSERT_FALSE(table.add(keys[i], hash, -1));
    }
    for (int i = 0; i < 500; ++i) {
        const size_t hash = i % 3 == 0 ? 42 : ItemKeyHash{}(keys[i]);
        const int* found = table.find(keys[i], hash);
        ASSERT_TRUE(found);
        EXPECT_EQ(*found, i);
    }
    EXPECT_FALSE(table.find(u"absent", 42));
    EXPECT_FALSE(table.find(keys[1], 42));  // its text under another hash
}

// The shared block outlives whichever holder goes last: the builder, a piece, a copy or
// the text a moved-from holder gave away. A piece that does not fit the room gets a
// block of its own. (Run under ASan, a count off by one shows as a leak or a use after
// free.)
TEST(SharedBytes, PiecesCopiesAndMovesKeepTheirBlockAlive) {
    SharedBytes first, second, own;
    {
        SharedBytes::Block block(6);
        first = block.add("abc");
        second = block.add("de");
        own = block.add("fgh");  // one byte of room is left
        EXPECT_TRUE(std::string_view(block.add("")).empty());
    }
    EXPECT_EQ(std::string_view(first).data() + 3, std::string_view(second).data());
    EXPECT_NE(std::string_view(second).data() + 2, std::string_view(own).data());
    SharedBytes copy = second;
    first = SharedBytes();
    second = std::move(copy);
    copy = second;
    EXPECT_EQ(std::string_view(copy), "de");
    EXPECT_EQ(std::string_view(own), "fgh");
    EXPECT_EQ(std::string_view(SharedBytes::Block(0).add("x")), "x");
    {
        SharedUnits::Block ids(3);  // room and places count UTF-16 units, not bytes
        const std::u16string_view units = u"abc";  // not two literals: GCC's -O3 misreads their bounds
        SharedUnits ab = ids.add(units.substr(0, 2)), c = ids.add(units.substr(2));
        EXPECT_EQ(ab.view().data() + 2, c.view().data());
        EXPECT_TRUE(ab == u"ab" && c == u"c");
    }

    SharedText id(u"7_1");
    SharedText same = id, moved = std::move(id);
    EXPECT_TRUE(id.empty());
    EXPECT_EQ(same.str().data(), moved.str().data());
    same = SharedText(u"");
    EXPECT_TRUE(same.empty());
    EXPECT_EQ(moved, u"7_1");
}
