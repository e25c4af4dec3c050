// Measuring and laying out the texts of a 150-row posts menu (1,000-character bodies
// with tags) with the fixed-pitch font, against a plain copy of the same texts.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

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
    PopupSession session;
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

}  // namespace

BENCHMARK_MAIN();
