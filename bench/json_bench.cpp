// ParseJson against RapidJSON's DOM parser on a 1 MB FQL stream answer, and the peak
// heap each needs. Run: build/bench/json_bench
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "net/json_reader.h"

#include "bench/heap_counter.h"

namespace {

std::string Escaped(const char* utf16Name, int i) {
    // Non-ASCII names as \u escapes, as the service sends them.
    std::string s = utf16Name;
    s += " \\u010c\\u0159\\u00e1\\u017e " + std::to_string(i);
    return s;
}

std::string StreamAnswer() {
    std::string out = "[";
    int row = 0;
    while (out.size() < 1000000 || row < 150) {
        if (row) out += ",";
        std::string id = std::to_string(100000 + row);
        out += "{\"post_id\":\"1000_" + id + "\",\"actor_id\":" + id + ",\"target_id\":null,";
        out += "\"message\":\"" + Escaped("Dnes jsme byli na v\\u00fdlet\\u011b", row) +
               " http:\\/\\/www.example.cz\\/clanek\\/" + id + "\",";
        out += "\"created_time\":1700000000,\"updated_time\":" + std::to_string(1700000000 + row) + ",";
        out += "\"type\":" + std::to_string(row % 5 == 0 ? 80 : 247) + ",";
        out += "\"likes\":{\"count\":" + std::to_string(row % 17) + ",\"user_likes\":false,\"can_like\":true,";
        out += "\"friends\":[";
        for (int f = 0; f < 12; ++f) out += (f ? "," : "") + std::to_string(2000 + f);
        out += "]},\"comments\":{\"count\":" + std::to_string(row % 9) + ",\"can_post\":true,\"comment_list\":[";
        for (int c = 0; c < 12; ++c) {
            out += c ? "," : "";
            out += "{\"fromid\":" + std::to_string(3000 + c) + ",\"time\":" + std::to_string(1700000100 + c) +
                   ",\"text\":\"" + Escaped("Super, t\\u011b\\u0161\\u00edm se", c) + "\",\"id\":\"" + id + "_" +
                   std::to_string(c) + "\"}";
        }
        out += "]},\"attachment\":{\"name\":\"" + Escaped("Fotky z hor", row) +
               "\",\"description\":\"Popis\",\"media\":[";
        for (int m = 0; m < 3; ++m)
            out += std::string(m ? "," : "") + "{\"href\":\"http:\\/\\/www.example.cz\\/photo.php?fbid=" +
                   std::to_string(m) + "\",\"src\":\"http:\\/\\/photos.example.cz\\/" + id + "_" +
                   std::to_string(m) + "_s.jpg\",\"type\":\"photo\"}";
        out += "]},\"permalink\":\"http:\\/\\/www.example.cz\\/permalink.php?id=" + id + "\"}";
        ++row;
    }
    out += "]";
    return out;
}

const std::string& Answer() {
    static const std::string text = StreamAnswer();
    return text;
}

// The heap one parse needs, measured once before any tree has left blocks behind for
// the next parse to reuse.
template <class Parse>
size_t HeapPeakOf(Parse parse) {
    countingHeap = true;
    const int64_t base = liveBytes;
    peakBytes = base;
    parse();
    countingHeap = false;
    return static_cast<size_t>(peakBytes - base);
}

size_t ColdParsePeak(const std::string& text) {
    static const size_t peak = HeapPeakOf([&text] {
        JsonTree tree = ParseJson(text);
        benchmark::DoNotOptimize(tree.first());
    });
    return peak;
}

void BM_ParseJson(benchmark::State& state) {
    const std::string& text = Answer();
    size_t peak = ColdParsePeak(text);
    for (auto _ : state) {
        JsonTree tree = ParseJson(text);
        benchmark::DoNotOptimize(tree.first());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["input_MB"] = text.size() / 1e6;
    state.counters["peak_x_input"] = static_cast<double>(peak) / text.size();
}

// RapidJSON takes its memory with malloc, which the heap counter never sees: for the
// peak, its blocks go through operator new instead.
struct CountedAllocator {
    static const bool kNeedFree = true;
    void* Malloc(size_t size) { return size ? ::operator new(size) : nullptr; }
    void* Realloc(void* original, size_t originalSize, size_t newSize) {
        if (newSize == 0) {
            Free(original);
            return nullptr;
        }
        void* moved = ::operator new(newSize);
        if (original) std::memcpy(moved, original, std::min(originalSize, newSize));
        Free(original);
        return moved;
    }
    static void Free(void* block) { ::operator delete(block); }
};

// The same for RapidJSON's DOM, made with the counted allocator.
size_t ColdRapidJsonPeak(const std::string& text) {
    static const size_t peak = HeapPeakOf([&text] {
        rapidjson::GenericDocument<rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<CountedAllocator>, CountedAllocator>
            doc;
        doc.Parse(text.c_str(), text.size());
        benchmark::DoNotOptimize(doc.IsArray());
    });
    return peak;
}

void BM_RapidJsonDom(benchmark::State& state) {
    const std::string& text = Answer();
    size_t peak = ColdRapidJsonPeak(text);
    for (auto _ : state) {
        rapidjson::Document doc;
        doc.Parse(text.c_str(), text.size());
        benchmark::DoNotOptimize(doc.IsArray());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["peak_x_input"] = static_cast<double>(peak) / text.size();
}

BENCHMARK(BM_ParseJson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RapidJsonDom)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
