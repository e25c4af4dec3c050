// Work that grows with what a user can have: sorting lists with many equal stamps, the
// tag scan of long texts with an unclosed quote, and reading and building a long
// favourites menu. Each sits beside a baseline of the same size that was always
// linear, so the ratio shows the growth. Run: build/bench/growth_bench
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "store/favorites.h"
#include "store/item_list.h"
#include "ui/menu_bar.h"
#include "ui/rich_text.h"

namespace {

// Users without a status all have stamp 0; a third of these do.
void BM_SortManyEqualStamps(benchmark::State& state) {
    const int32_t count = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ItemList<int32_t> list;
        for (int32_t i = 0; i < count; ++i) AppendItem(list, i, {}, {}, i % 3 == 0 ? 0 : (i * 7919) % 1009);
        state.ResumeTiming();
        SortItemsByStamp(list, false);
        benchmark::DoNotOptimize(list.head());
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
    }
}

void BM_SortDistinctStamps(benchmark::State& state) {
    const int32_t count = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ItemList<int32_t> list;
        for (int32_t i = 0; i < count; ++i) AppendItem(list, i, {}, {}, (i * 7919) % 1000003);
        state.ResumeTiming();
        SortItemsByStamp(list, false);
        benchmark::DoNotOptimize(list.head());
        state.PauseTiming();
        list.clear();
        state.ResumeTiming();
    }
}

// Words with "<" in them, a quote that never closes near the end, one ">" last: every
// "<" has to be told that no ">" ends it.
std::u16string UnclosedQuoteText(size_t length) {
    std::u16string text;
    while (text.size() + 16 < length) text += u"a<b c<d ";
    text += u"\"never closed";
    text.resize(length - 1, u' ');
    text += u'>';
    return text;
}

std::u16string PlainText(size_t length) {
    std::u16string text;
    while (text.size() < length) text += u"words of a long post ";
    text.resize(length);
    return text;
}

void MeasureRichText(benchmark::State& state, const std::u16string& text) {
    FixedPitchCanvas canvas;
    for (auto _ : state) {
        MenuRect rect{0, 0, 400, 0};
        benchmark::DoNotOptimize(DrawRichText(canvas, text, rect, true));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_RichTextUnclosedQuote(benchmark::State& state) {
    MeasureRichText(state, UnclosedQuoteText(static_cast<size_t>(state.range(0))));
}

void BM_RichTextPlain(benchmark::State& state) {
    MeasureRichText(state, PlainText(static_cast<size_t>(state.range(0))));
}

// The favourites file's text as read, then the menu the menu bar gets.
void BM_FavoritesReadAndBuildMenu(benchmark::State& state) {
    std::u16string text;
    for (int64_t i = 0; i < state.range(0); ++i)
        text += u"Page number " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
                u";http://www.example.com/page/" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u"\r\n";
    for (auto _ : state) {
        ItemList<FavoriteRecord> list;
        ParseFavoritesText(text, list);
        std::vector<std::u16string> titles;
        for (const auto& node : list) titles.push_back(node.payload.title);
        MenuPtr menu = BuildFavoritesMenuFrom(titles);
        benchmark::DoNotOptimize(menu.get());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_SortManyEqualStamps)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortDistinctStamps)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RichTextUnclosedQuote)->Arg(32768)->Arg(131072)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RichTextPlain)->Arg(32768)->Arg(131072)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FavoritesReadAndBuildMenu)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
