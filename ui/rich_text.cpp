// DrawRichText: a body text with HTML-like tags, cut into chunks, laid out over
// justified lines and, when the height runs out, further columns.
#include "ui/rich_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

enum class TagKind { Break, Bold, Italic, Heading, Span, Other };

struct Tag {
    TagKind kind = TagKind::Other;
    bool closing = false;
    size_t end = 0;  // index after ">"
};

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

bool NameIs(std::u16string_view name, const char* expected) {
    size_t i = 0;
    for (; expected[i]; ++i) {
        if (i >= name.size()) return false;
        char16_t c = name[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != static_cast<char16_t>(expected[i])) return false;
    }
    return i == name.size();
}

TagKind KindOf(std::u16string_view name) {
    if (NameIs(name, "br") || NameIs(name, "p") || NameIs(name, "li")) return TagKind::Break;
    if (NameIs(name, "b")) return TagKind::Bold;
    if (NameIs(name, "i")) return TagKind::Italic;
    if (NameIs(name, "h2") || NameIs(name, "h3")) return TagKind::Heading;
    if (NameIs(name, "span")) return TagKind::Span;
    return TagKind::Other;  // DIV and every unknown name, however long
}

// Where each tag ends. A tag that starts with "<" at p ends at the first ">" after p
// that is outside quotes counted from p + 1, or that has a "<" two characters after it
// (a quote that was never closed). The answer depends only on p + 1, so it is worked
// out for every position in one pass from the end, made on the first "<" that asks:
// scanning forward for each "<" was quadratic in a text with an unclosed quote.
class TagEnds {
public:
    explicit TagEnds(std::u16string_view text) : text_(text) {}

    // Index of the ending ">" of a tag starting at p, or npos when none ends it.
    size_t endOf(size_t p) {
        const size_t n = text_.size();
        if (p + 1 >= n) return std::u16string_view::npos;
        // Most tags are short and hold no quote: a ">" before any quote ends them.
        for (size_t k = p + 1; k < n && k <= p + ShortTag; ++k) {
            if (text_[k] == u'"') break;
            if (text_[k] == u'>') return k;
            if (k + 1 == n) return std::u16string_view::npos;
        }
        if (ends_.empty()) build();
        uint32_t end = ends_[p + 1];
        return end == NoEnd ? std::u16string_view::npos : end;
    }

private:
    static constexpr uint32_t NoEnd = UINT32_MAX;
    static constexpr size_t ShortTag = 64;
    std::u16string_view text_;
    std::vector<uint32_t> ends_;  // for a scan starting at i, with no quote open

    void build() {
        const size_t n = text_.size();
        ends_.assign(n + 1, NoEnd);
        // Going backwards, `even` is the answer from i with no quote open, `odd` the
        // answer from i with one open (only a ">" before a "<" ends a quoted run).
        uint32_t even = NoEnd, odd = NoEnd;
        for (size_t i = n; i-- > 0;) {
            char16_t c = text_[i];
            if (c == u'>') {
                even = static_cast<uint32_t>(i);
                if (i + 2 < n && text_[i + 2] == u'<') odd = static_cast<uint32_t>(i);
            } else if (c == u'"') {
                std::swap(even, odd);
            }
            ends_[i] = even;
        }
    }
};

// Reads the tag that starts with "<" at p. Quotes inside a tag hide a ">" unless the
// character after the next is "<" (a quote that was never closed). False when no ">"
// ends it: the "<" is then ordinary text.
bool ReadTag(std::u16string_view text, size_t p, TagEnds& ends, Tag& tag) {
    const size_t n = text.size();
    size_t end = ends.endOf(p);
    if (end == std::u16string_view::npos) return false;
    size_t i = p + 1;
    if (i < n && text[i] == u'/') {
        tag.closing = true;
        ++i;
    }
    size_t nameStart = i;
    while (i < n && IsAsciiAlnum(text[i])) ++i;
    tag.kind = KindOf(text.substr(nameStart, i - nameStart));
    tag.end = end + 1;
    return true;
}

// Applies a tag to the current font; true when it ends the line.
bool ApplyTag(const Tag& tag, int32_t& font) {
    switch (tag.kind) {
    case TagKind::Break:
        return true;
    case TagKind::Bold:
        font = tag.closing ? FontNormal : FontBold;
        return false;
    case TagKind::Italic:
        font = tag.closing ? FontNormal : FontItalic;
        return tag.closing;
    case TagKind::Heading:
        font = tag.closing ? FontNormal : FontHeading;
        return tag.closing;
    case TagKind::Span:
        return tag.closing;
    case TagKind::Other:
        return false;
    }
    return false;
}

bool IsBreakingSpace(char16_t c) { return c == u'\r' || c == u'\n' || c == u'\t'; }

// End of the chunk that starts at p (a character above the blank, or a blank): the run
// ends before a control character or "<", after "/" or "-", or after 24 characters,
// and keeps the blanks that follow it.
size_t ScanChunk(std::u16string_view text, size_t p) {
    const size_t n = text.size();
    size_t i = p;
    int32_t length = 0;
    while (i < n) {
        char16_t c = text[i];
        if (c <= u' ') break;
        if (c == u'<' && i > p) break;
        ++i;
        if (++length == RichTextChunkLimit || c == u'/' || c == u'-') break;
    }
    while (i < n && text[i] == u' ') ++i;
    return i;
}

struct Chunk {
    size_t start;
    size_t length;     // in the text, the absorbed line break included
    bool absorbed;     // the last character is a line break that counts as a blank
    int32_t font;
    int32_t x;
    int32_t width;
    int32_t height;
};

// The characters a chunk draws: without an absorbed line break (its blank is invisible).
std::u16string_view Visible(std::u16string_view text, const Chunk& c) {
    return text.substr(c.start, c.length - (c.absorbed ? 1 : 0));
}

// Whether a chunk ends in a blank (kept blanks, or a line break that counts as one).
bool EndsWithBlank(std::u16string_view text, const Chunk& c) {
    return c.absorbed || (c.length > 0 && text[c.start + c.length - 1] == u' ');
}

class FontSwitch {
public:
    explicit FontSwitch(TextCanvas& canvas) : canvas_(canvas), original_(canvas.currentFont()) {}
    ~FontSwitch() { canvas_.selectFont(original_); }
    void use(int32_t font) {
        if (canvas_.currentFont() != font) canvas_.selectFont(font);
    }

private:
    TextCanvas& canvas_;
    int32_t original_;
};

}  // namespace

int32_t DrawRichText(TextCanvas& canvas, std::u16string_view text, MenuRect& rect, bool measure) {
    if (text.empty()) return 0;
    if (measure) rect.bottom = rect.top + RichTextMeasureBottom;
    auto span = [](int32_t from, int32_t to) {
        int64_t d = static_cast<int64_t>(to) - from;
        return static_cast<int32_t>(std::clamp<int64_t>(d, -(int64_t{1} << 30), int64_t{1} << 30));
    };
    const int32_t available = span(rect.left, rect.right);
    const int32_t availableHeight = span(rect.top, rect.bottom);
    const size_t n = text.size();
    TagEnds tagEnds(text);
    FontSwitch fonts(canvas);

    std::array<Chunk, RichTextLineChunks> chunks;
    int32_t font = FontNormal;
    int32_t y = 0;
    int64_t column = 0;
    int64_t extent = 0;
    bool visibleInColumn = false;
    size_t p = 0;

    while (p < n) {
        size_t count = 0;
        int32_t lineWidth = 0;
        int32_t lineHeight = 0;
        bool full = false;
        bool lineVisible = false;
        bool atLineStart = true;

        while (count < chunks.size() && p < n) {
            char16_t c = text[p];
            if (c == u' ' && atLineStart) {
                ++p;
                continue;
            }
            if (c == u'<') {
                Tag tag;
                if (ReadTag(text, p, tagEnds, tag)) {
                    p = tag.end;
                    if (ApplyTag(tag, font)) break;
                    continue;
                }
            }
            if (c < u' ') {
                ++p;  // dropped without taking room
                continue;
            }
            size_t end = ScanChunk(text, p);
            // A line break right after a word counts as the blank between words.
            bool absorbed = end < n && IsBreakingSpace(text[end]) && text[end - 1] != u' ';
            if (absorbed) ++end;
            fonts.use(font);
            Chunk chunk{p, end - p, absorbed, font, lineWidth, 0, 0};
            TextExtent size = canvas.chunkExtent(Visible(text, chunk));
            if (absorbed) size.width += canvas.chunkExtent(u" ").width;
            if (count > 0 && lineWidth >= available - size.width) {
                full = true;  // the chunk starts the next line
                break;
            }
            chunk.width = size.width;
            chunk.height = size.height;
            chunks[count++] = chunk;
            lineWidth += size.width;
            lineHeight = std::max(lineHeight, size.height);
            for (size_t k = chunk.start; k < chunk.start + chunk.length && !lineVisible; ++k)
                if (text[k] > u' ') lineVisible = true;
            p = end;
            atLineStart = false;
            // A blank line in the text ends the line: "\r\n\r\n", or "\n\n".
            if (p + 1 < n && text[p + 1] == u'\r') break;
            if (absorbed && p < n && text[p] == u'\n' && text[p - 1] == u'\n') break;
        }

        if (count > 0) {
            Chunk& last = chunks[count - 1];
            std::u16string_view shown = Visible(text, last);
            size_t trimmed = shown.find_last_not_of(u' ');
            shown = trimmed == std::u16string_view::npos ? std::u16string_view() : shown.substr(0, trimmed + 1);
            if (shown.size() != last.length) {
                fonts.use(last.font);
                last.width = shown.empty() ? 0 : canvas.chunkExtent(shown).width;
            }
            lineWidth = last.x + last.width;
        }

        if (y + lineHeight > availableHeight) {
            // The line does not fit: it starts the next column, unless it did not fit
            // an empty column either (then no column ever takes it).
            if (y == 0 || available + RichTextColumnGap <= 0) break;
            if (count > 0) {
                p = chunks[0].start;
                font = chunks[0].font;
            }
            column += available + RichTextColumnGap;
            y = 0;
            visibleInColumn = false;
            if (column >= rect.right) break;
            continue;
        }

        // A full line is justified: its extra room goes in equal shares to the blanks
        // between its chunks, whatever the fonts on either side. A line without blanks
        // (a long address cut into chunks) spreads it over its chunks instead.
        int32_t blanks = 0;
        for (size_t i = 0; i + 1 < count; ++i)
            if (EndsWithBlank(text, chunks[i])) ++blanks;
        const int64_t extra = static_cast<int64_t>(available) - lineWidth;
        int32_t blanksBefore = 0;
        for (size_t i = 0; i < count; ++i) {
            const Chunk& chunk = chunks[i];
            int32_t x = chunk.x;
            if (full && count > 1 && lineWidth > 0) {
                if (i + 1 == count) x = available - chunk.width;
                else if (blanks > 0) x = static_cast<int32_t>(chunk.x + extra * blanksBefore / blanks);
                else x = static_cast<int32_t>(static_cast<int64_t>(chunk.x) * available / lineWidth);
            }
            if (i + 1 < count && EndsWithBlank(text, chunk)) ++blanksBefore;
            if (count == 1) x = 0;
            if (measure) {
                extent = std::max<int64_t>(extent, column + x + chunk.width + 1);
            } else {
                fonts.use(chunk.font);
                canvas.textOut(static_cast<int32_t>(rect.left + column + x), rect.top + y + lineHeight, Visible(text, chunk));
            }
        }
        if (lineVisible) visibleInColumn = true;
        if (visibleInColumn) y += lineHeight ? lineHeight : 8;
    }

    if (measure) {
        rect.bottom = rect.top + y;
        rect.right = static_cast<int32_t>(std::min<int64_t>(rect.left + extent, INT32_MAX));
    }
    return y;
}
