// Measuring and laying out the texts of a 150-row posts menu (1,000-character bodies
// with tags) with the fixed-pitch font, against a plain copy of the same texts; and the
// content menus built over a store of 200 users and 150 posts (each with 10 comments
// and 20 likes) and laid out, against that bare layout in the same run.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <mutex>

#include "base/clock.h"
#include "base/format_text.h"
#include "store/data_store.h"
#include "ui/content_menus.h"
#include "ui/menu_model.h"
#include "ui/rich_text.h"

namespace {

constexpr int Rows = 150;
constexpr size_t BodyLength = 1000;

std::vector<std::u16string> MakeTexts() {
    const std::u16string words[] = {u"the ", u"weekend ", u"<b>Krkonoše</b> ", u"mountains, ", u"photos ",
                                    u"http://example.com/album/2021-06 ", u"<i>perfect</i> ", u"view ",
                                    u"<br>", u"from ", u"Sněžka ", u"was ", u"worth ", u"every-single ", u"step "};
    std::vector<std::u16string> texts;
    for (int row = 0; row < Rows; ++row) {
        std::u16string body;
        for (size_t i = static_cast<size_t>(row); body.size() < BodyLength; ++i) body += words[i % 15];
        body.resize(BodyLength);
        texts.push_back(FontCode(FontBold) + u"Jana Nováková > Petr Svoboda" + FontCode(FontNormal) +
                        u"\x05You and 3 like · 5/2 comments · 12 minutes ago\x06\x08" + body);
    }
    return texts;
}

// What the program does for one row: measure it when it is added, measure it again
// with its body when the menu asks for its size, and lay it out when it is drawn.
void LayOutRow(FixedPitchCanvas& canvas, const std::u16string& text) {
    const uint32_t format = TextCalcRect | TextNoPrefix | TextExpandTabs;
    MenuRect added;
    MeasureItemText(canvas, text, FontNormal, added, format, true);
    MenuRect first{0, 0, 400 + 14, 0};
    MeasureItemText(canvas, text, FontNormal, first, format, true);
    MenuRect full{0, 0, 400, 0};
    DrawItemText(text, canvas, full, format, false, true);
    MenuRect drawn{48, 0, 448, full.bottom};
    DrawItemText(text, canvas, drawn, TextNoPrefix | TextExpandTabs, false, false);
    benchmark::DoNotOptimize(full.bottom);
}

void BM_PostsMenuLayout(benchmark::State& state) {
    std::vector<std::u16string> texts = MakeTexts();
    FixedPitchCanvas canvas;
    for (auto _ : state)
        for (const auto& text : texts) LayOutRow(canvas, text);
    state.SetItemsProcessed(state.iterations() * Rows);
    state.counters["rows"] = Rows;
}
BENCHMARK(BM_PostsMenuLayout)->Unit(benchmark::kMillisecond);

void BM_PostsMenuCopy(benchmark::State& state) {
    std::vector<std::u16string> texts = MakeTexts();
    for (auto _ : state) {
        for (const auto& text : texts) {
            std::u16string copy = text;
            benchmark::DoNotOptimize(copy.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}
BENCHMARK(BM_PostsMenuCopy)->Unit(benchmark::kMicrosecond);

// Building the menu model: texts kept in a popup session, rows added and measured,
// everything released in one sweep.
void BM_PostsMenuBuild(benchmark::State& state) {
    std::vector<std::u16string> texts = MakeTexts();
    DataStore store;
    PopupSession session(store);
    for (auto _ : state) {
        Menu menu;
        MenuItemData tmpl = MakeItemTemplate(230);
        for (const auto& text : texts) {
            tmpl.text = session.keep(text);
            tmpl.pictureWidth = 48;
            tmpl.divider = 1;
            AddMenuItem(session, &menu, nullptr, tmpl, 0, -1, 0);
        }
        session.clear();
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}
BENCHMARK(BM_PostsMenuBuild)->Unit(benchmark::kMicrosecond);

class TinyPicture : public Picture {
public:
    TinyPicture(int32_t w, int32_t h) : w_(w), h_(h) {}
    int32_t width() const override { return w_; }
    int32_t height() const override { return h_; }

private:
    int32_t w_, h_;
};

constexpr int32_t Now = 1700000000;
constexpr int Users = 200, Posts = 150, CommentsPerPost = 10, LikesPerPost = 20;

std::u16string Id(int i) { return AsciiToUtf16(std::to_string(100000000 + i)); }

// The store as a refresh leaves it: everything new, every post with its comments and
// likes, half of the posts with an attachment picture.
DataStore& BenchStore() {
    static DataStore store;
    return store;
}

void FillStore() {
    static bool filled = false;
    if (filled) return;
    filled = true;
    SetClockForTesting([] { return Now; });
    DataStore& store = BenchStore();
    std::lock_guard<std::mutex> hold(store.mutex());
    for (int u = 0; u < Users; ++u) {
        UserRecord user;
        user.id = Id(u);
        user.name = u"Jana Nováková " + Id(u);
        user.profileUrl = u"http://www.facebook.com/profile.php?id=" + user.id;
        user.city = u"Brno";
        user.picture = std::make_unique<TinyPicture>(50, 50);
        user.largePicture = std::make_unique<TinyPicture>(200, 150);
        user.statusText = u"Dnes je hezky";
        user.statusTime = Now - 600 - u;
        ItemNode<UserRecord>* n = nullptr;
        std::u16string key = user.id;
        AppendItem(store.users, std::move(user), key, {}, Now - u, &n);
        n->flagsRef = &n->payload.flags;
        n->markRef = &n->payload.hidden;
    }
    std::vector<UserRecord*> users;
    for (auto& n : store.users) users.push_back(&n.payload);
    store.ownUid = users[0]->id;
    store.ownUser = users[0];
    for (int p = 0; p < Posts; ++p) {
        PostRecord post;
        post.postId = Id(p % Users) + u"_" + Id(p);
        post.source = users[static_cast<size_t>(p % Users)];
        post.actor = users[static_cast<size_t>((p * 7) % Users)];
        post.message = u"Dnes jsme byli na <b>výletě</b> v Krkonoších, počasí bylo <i>perfektní</i>. "
                       u"http://www.example.cz/clanek a fotky jsou v albu.";
        post.permalink = u"http://www.facebook.com/permalink.php?id=" + post.postId;
        post.attachmentName = u"Fotky z výletu";
        post.attachmentDescription = u"Popis alba";
        post.attachmentLink = u"http://www.example.cz/album";
        if (p % 2) post.attachmentPicture = std::make_unique<TinyPicture>(128, 96);
        post.createdTime = Now - 3600 - p;
        post.updatedTime = Now - p;
        post.likesCount = LikesPerPost;
        post.canLike = post.canComment = 1;
        post.commentsRead = CommentsPerPost;
        std::u16string key = post.postId;
        ItemNode<PostRecord>* n = nullptr;
        AppendItem(store.posts, std::move(post), key, {}, Now - p, &n);
        n->flagsRef = &n->payload.flags;
        n->markRef = &n->payload.source->hidden;
        for (int c = 0; c < CommentsPerPost; ++c) {
            // As the service sends it: the menu decodes it.
            CommentRecord comment{key, Id((p + c * 13) % Users),
                                  "Super, t\\u011b\\u0161\\u00edm se na to! http:\\/\\/www.example.cz\\/x",
                                  Now - 100 - c, c % 3, 0};
            ItemNode<CommentRecord>* cn = nullptr;
            std::u16string author(comment.authorId.view());
            AppendItem(store.comments, std::move(comment), key, author, Now - 100 - c, &cn);
            cn->flagsRef = &cn->payload.read;
        }
        for (int l = 0; l < LikesPerPost; ++l) {
            LikeRecord like{key, Id((p + l * 11) % Users), 0, 0};
            ItemNode<LikeRecord>* ln = nullptr;
            std::u16string liker(like.userId.view());
            AppendItem(store.likes, std::move(like), key, liker, Now, &ln);
            ln->flagsRef = &ln->payload.read;
            ln->markRef = &ln->payload.stale;
        }
    }
}

// What showing a built menu costs on top of building it: every row of the top level
// is measured for its size and laid out for drawing, as in LayOutRow.
void LayOutMenu(FixedPitchCanvas& canvas, const Menu& menu) {
    for (const auto& entry : menu.entries())
        if (entry.data) {
            MenuRect full{0, 0, 400, 0};
            DrawItemText(entry.data->text, canvas, full, TextCalcRect | TextNoPrefix | TextExpandTabs, false, true);
            MenuRect drawn{48, 0, 448, full.bottom};
            DrawItemText(entry.data->text, canvas, drawn, TextNoPrefix | TextExpandTabs, false, false);
        }
}

// The main menu's posts submenu: 150 rows, each with its submenu of actions, its
// comments and its likes.
void BM_ContentPostsMenu(benchmark::State& state) {
    FillStore();
    FixedPitchCanvas canvas;
    size_t items = 0;
    for (auto _ : state) {
        PopupSession session(BenchStore());
        MenuContext cx = CurrentMenuContext(session);
        MenuPtr menu;
        {
            std::lock_guard<std::mutex> hold(BenchStore().mutex());
            menu = BuildPostsMenu(cx, nullptr, nullptr, false, &Styles::Posts2Header);
        }
        LayOutMenu(canvas, *menu);
        items = session.size();
    }
    state.counters["entries"] = static_cast<double>(items);
}
BENCHMARK(BM_ContentPostsMenu)->Unit(benchmark::kMillisecond);

// The new-and-updated menu over the same store (everything is new).
void BM_ContentNewAndUpdatedMenu(benchmark::State& state) {
    FillStore();
    FixedPitchCanvas canvas;
    for (auto _ : state) {
        PopupSession session(BenchStore());
        MenuContext cx = CurrentMenuContext(session);
        MenuPtr menu;
        {
            std::lock_guard<std::mutex> hold(BenchStore().mutex());
            menu = BuildNewAndUpdatedMenu(cx);
        }
        LayOutMenu(canvas, *menu);
    }
}
BENCHMARK(BM_ContentNewAndUpdatedMenu)->Unit(benchmark::kMillisecond);

// The whole main menu as the tray builds it.
void BM_ContentMainMenu(benchmark::State& state) {
    FillStore();
    for (auto _ : state) {
        PopupSession session(BenchStore());
        MenuPtr menu = BuildContentMenu(ContentMenu::Main, session);
        benchmark::DoNotOptimize(menu.get());
    }
}
BENCHMARK(BM_ContentMainMenu)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
