#include <gtest/gtest.h>

#include "menu_canvas_fakes.h"
#include "ui/rich_text.h"

namespace {

// Normal text is 6 px a character and 13 high, bold 7 px, headings 9 px and 18 high.
struct Layout {
    RecordingCanvas canvas;
    int32_t height = 0;
    MenuRect rect;
    Layout(std::u16string_view text, int32_t width, int32_t heightLimit = 1000, int32_t left = 0) {
        rect = {left, 0, left + width, heightLimit};
        height = DrawRichText(canvas, text, rect, false);
    }
    std::vector<std::u16string> texts() const {
        std::vector<std::u16string> out;
        for (auto& o : canvas.outs) out.push_back(o.text);
        return out;
    }
};

MenuRect Measure(std::u16string_view text, int32_t width) {
    RecordingCanvas canvas;
    MenuRect rect{0, 0, width, 0};
    DrawRichText(canvas, text, rect, true);
    return rect;
}

TEST(RichTextTest, BreakBeforeVisibleTextTakesNoRoom) {
    Layout l(u"<br><b>Jana Nováková</b> wrote", 400);
    ASSERT_EQ(l.texts(), (std::vector<std::u16string>{u"Jana ", u"Nováková", u" ", u"wrote"}));
    EXPECT_EQ(l.canvas.outs[0].y, 13);  // baseline of the first line
    EXPECT_EQ(l.canvas.outs[0].font, FontBold);
    EXPECT_EQ(l.canvas.outs[1].x, 35);
    EXPECT_EQ(l.canvas.outs[3].font, FontNormal);
    EXPECT_EQ(l.canvas.outs[2].x, 35 + 56);
    EXPECT_EQ(l.height, 13);
    EXPECT_EQ(Measure(u"<br><br><p>x", 400).bottom, 13);
    // A break after visible text does take room.
    EXPECT_EQ(Measure(u"x<br><br>y", 400).bottom, 13 + 8 + 13);
}

TEST(RichTextTest, ClosingItalicEndsTheLineClosingBoldDoesNot) {
    Layout italic(u"<i>said</i>after", 400);
    ASSERT_EQ(italic.canvas.outs.size(), 2u);
    EXPECT_EQ(italic.canvas.outs[0].font, FontItalic);
    EXPECT_EQ(italic.canvas.outs[1].y, 26);
    EXPECT_EQ(italic.canvas.outs[1].x, 0);

    Layout bold(u"<b>said</b>after", 400);
    ASSERT_EQ(bold.canvas.outs.size(), 2u);
    EXPECT_EQ(bold.canvas.outs[1].y, 13);
    EXPECT_EQ(bold.canvas.outs[1].x, 28);
}

TEST(RichTextTest, TagsAreCaseInsensitiveAndUnknownOnesDoNothing) {
    Layout l(u"a<BR>b<Li>c<div>d<FONT color=red>e</span>f<H2>g</h3>h", 400);
    std::vector<int32_t> baselines;
    for (auto& o : l.canvas.outs) baselines.push_back(o.y);
    // a | b | c d e | f g (heading) | h
    EXPECT_EQ(l.texts(), (std::vector<std::u16string>{u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h"}));
    EXPECT_EQ(baselines, (std::vector<int32_t>{13, 26, 39, 39, 39, 57, 57, 70}));
    EXPECT_EQ(l.canvas.outs[6].font, FontHeading);
    EXPECT_EQ(l.canvas.outs[7].font, FontNormal);
}

TEST(RichTextTest, QuotesInsideATagHideItsEnd) {
    Layout l(u"<span title=\"a>b\">shown", 400);
    EXPECT_EQ(l.texts(), (std::vector<std::u16string>{u"shown"}));
    // A quote that never closes: the ">" two characters before a "<" still ends the tag.
    Layout open(u"<b title=\"x>y</b>z", 400);
    EXPECT_EQ(open.texts(), (std::vector<std::u16string>{u"y", u"z"}));
    EXPECT_EQ(open.canvas.outs[0].font, FontBold);
}

TEST(RichTextTest, LongTagNamesAndUnclosedTagsAreHarmless) {
    std::u16string name(500, u'q');
    Layout l(u"x<" + name + u" a=1>y", 400);
    EXPECT_EQ(l.texts(), (std::vector<std::u16string>{u"x", u"y"}));
    // A "<" that no ">" closes is text, not the start of a tag that hides the rest.
    Layout lt(u"1 < 2", 400);
    EXPECT_EQ(lt.texts(), (std::vector<std::u16string>{u"1 ", u"< ", u"2"}));
}

TEST(RichTextTest, ChunksEndAfterTwentyFourCharactersSlashesAndDashes) {
    Layout l(u"abcdefghijklmnopqrstuvwxyzABCD http://x.cz/a-b", 1000);
    EXPECT_EQ(l.texts(), (std::vector<std::u16string>{u"abcdefghijklmnopqrstuvwx", u"yzABCD ", u"http:/", u"/",
                                                      u"x.cz/", u"a-", u"b"}));
    // A 30-letter word wraps between its two chunks.
    Layout narrow(std::u16string(30, u'w'), 160);
    ASSERT_EQ(narrow.canvas.outs.size(), 2u);
    EXPECT_EQ(narrow.canvas.outs[0].text.size(), 24u);
    EXPECT_EQ(narrow.canvas.outs[1].text.size(), 6u);
    EXPECT_EQ(narrow.canvas.outs[1].x, 0);
    EXPECT_EQ(narrow.canvas.outs[1].y, 26);
}

TEST(RichTextTest, FullLinesAreJustifiedLastLinesAreNot) {
    // Five words of 4 characters with blanks: 30 px each chunk, 24 px the last.
    Layout l(u"aaaa bbbb cccc dddd eeee ffff", 100);
    // Line 1: "aaaa " (30) "bbbb " (30) "cccc " (30) ... 90 >= 100 - 30: full after three.
    ASSERT_EQ(l.canvas.outs.size(), 6u);
    // Trailing blank of "cccc " removed: line width 84, the 16 px left over go to the
    // two blanks.
    EXPECT_EQ(l.canvas.outs[0].x, 0);
    EXPECT_EQ(l.canvas.outs[1].x, 30 + 8);
    EXPECT_EQ(l.canvas.outs[2].x, 100 - 24);
    // The last line keeps its measured places.
    EXPECT_EQ(l.canvas.outs[3].x, 0);
    EXPECT_EQ(l.canvas.outs[4].x, 30);
    EXPECT_EQ(l.canvas.outs[5].x, 60);
    EXPECT_EQ(l.canvas.outs[5].y, 26);
    // A full line of a single chunk starts at the left edge.
    Layout single(u"abcdefghijklmnopqrstuvwx yz", 150);
    EXPECT_EQ(single.canvas.outs[0].x, 0);
}

TEST(RichTextTest, JustifiedLinesWidenEveryBlankAlikeAcrossFontChanges) {
    // "aa " 18, bold "bb" 14 (no blank: the tag ends the chunk), the blank after the
    // tag 6, "cc " 18 trimmed to 12: width 50 of 70, the 20 px left over go to the two
    // blanks and none between "bb" and the blank beside it.
    Layout l(u"aa <b>bb</b> cc dddddddd", 70);
    ASSERT_GE(l.canvas.outs.size(), 4u);
    ASSERT_EQ(l.canvas.outs[1].text, u"bb");
    EXPECT_EQ(l.canvas.outs[1].x, 18 + 10);
    EXPECT_EQ(l.canvas.outs[2].x, 32 + 10);
    EXPECT_EQ(l.canvas.outs[3].x, 70 - 12);
    // What a reader sees between the words: the same room on both sides of "bb".
    EXPECT_EQ(l.canvas.outs[1].x - 12, l.canvas.outs[3].x - (l.canvas.outs[1].x + 14));
    // Without blanks (an address cut into chunks) the room is spread over the chunks,
    // still in order and to the right edge.
    Layout address(u"http://example.com/a/long/path/to/a/page", 130);
    const auto& o = address.canvas.outs;
    ASSERT_GE(o.size(), 3u);
    size_t last = 0;
    while (last + 1 < o.size() && o[last + 1].y == o[0].y) ++last;
    ASSERT_GT(last, 1u);
    for (size_t i = 1; i <= last; ++i) EXPECT_GE(o[i].x, o[i - 1].x + 6 * static_cast<int32_t>(o[i - 1].text.size()));
    EXPECT_EQ(o[last].x + 6 * static_cast<int32_t>(o[last].text.size()), 130);
}

TEST(RichTextTest, LinesThatDoNotFitContinueInTheNextColumn) {
    // Three lines, room for two; the rectangle starts at 48 so a second column of
    // offset 116 is still left of its right edge (148).
    Layout l(u"one<br>two<br>three", 100, 26, 48);
    ASSERT_EQ(l.canvas.outs.size(), 3u);
    EXPECT_EQ(l.canvas.outs[2].text, u"three");
    EXPECT_EQ(l.canvas.outs[2].x, 48 + 100 + 16);
    EXPECT_EQ(l.canvas.outs[2].y, 13);
    // At the left edge the column offset reaches the right coordinate: the rest is left out.
    Layout clipped(u"one<br>two<br>three", 100, 26, 0);
    EXPECT_EQ(clipped.canvas.outs.size(), 2u);
}

TEST(RichTextTest, MeasuringReportsHeightAndWidestExtent) {
    MenuRect r = Measure(u"aaaa bbbb cccc dddd eeee ffff", 100);
    EXPECT_EQ(r.bottom, 26);
    EXPECT_EQ(r.right, 101);  // the justified last chunk ends at the edge
    MenuRect one = Measure(u"  hi  ", 100);
    EXPECT_EQ(one.right, 13);
    EXPECT_EQ(one.bottom, 13);
    MenuRect empty = Measure(u"", 100);
    EXPECT_EQ(empty.bottom, 0);
}

TEST(RichTextTest, ControlCharactersTakeNoRoomAndLineBreaksSeparateWords) {
    Layout l(u"ab\x01\x02" u"cd", 400);
    EXPECT_EQ(l.texts(), (std::vector<std::u16string>{u"ab", u"cd"}));
    EXPECT_EQ(l.canvas.outs[1].x, 12);
    Layout crlf(u"one\r\ntwo", 400);
    ASSERT_EQ(crlf.canvas.outs.size(), 2u);
    EXPECT_EQ(crlf.canvas.outs[0].text, u"one");
    EXPECT_EQ(crlf.canvas.outs[1].x, 24);  // "one" and the blank its line break became
    EXPECT_EQ(crlf.canvas.outs[1].y, 13);
    // A blank line ends the line.
    Layout para(u"one\r\n\r\ntwo", 400);
    EXPECT_EQ(para.canvas.outs[1].y, 26);
    Layout lf(u"one\n\ntwo", 400);
    EXPECT_EQ(lf.canvas.outs[1].y, 26);
}

TEST(RichTextTest, OneHundredTwentyEightChunksAtMostPerLine) {
    std::u16string many;
    for (int i = 0; i < 200; ++i) many += u"a ";
    Layout l(many, 100000);
    ASSERT_EQ(l.canvas.outs.size(), 200u);
    EXPECT_EQ(l.canvas.outs[127].y, 13);
    EXPECT_EQ(l.canvas.outs[128].y, 26);
    EXPECT_EQ(l.canvas.outs[128].x, 0);
}

TEST(RichTextTest, NarrowOrEmptyRectanglesStillEnd) {
    Layout zero(u"some words here", 0);
    ASSERT_EQ(zero.canvas.outs.size(), 3u);  // a chunk a line
    EXPECT_EQ(zero.canvas.outs[2].x, 0);
    EXPECT_EQ(zero.canvas.outs[2].y, 39);
    Layout inverted(u"some words here", -50, -10);
    EXPECT_TRUE(inverted.canvas.outs.empty());
    // Columns that step to the left would never reach the right edge.
    Layout backwards(u"x", -152, -4, 42);
    EXPECT_TRUE(backwards.canvas.outs.empty());
    // A line taller than the rectangle fits no column: one try, not one per 16 pixels.
    Layout tall(u"<h2>x</h2>", 10, 12, 0);
    EXPECT_TRUE(tall.canvas.outs.empty());
    MenuRect r = Measure(std::u16string(20000, u'x'), 300);
    EXPECT_LE(r.bottom, RichTextMeasureBottom);
}

// ---- Item texts ----

std::u16string PersonRow(std::u16string_view name, std::u16string_view summary, std::u16string_view body) {
    return FontCode(FontBold) + std::u16string(name) + FontCode(FontNormal) + u"\x05" + std::u16string(summary) +
           u"\x06\x08" + std::u16string(body);
}

TEST(ItemTextTest, PersonRowDrawsNameSummaryAndBody) {
    RecordingCanvas canvas;
    MenuRect rect{48, 10, 348, 200};
    std::u16string text = PersonRow(u"Petr", u"2 likes", u"hello <b>you</b>");
    DrawItemText(text, canvas, rect, TextNoPrefix | TextExpandTabs, false, false);
    ASSERT_EQ(canvas.runs.size(), 2u);
    EXPECT_EQ(canvas.runs[0].text, u"Petr");
    EXPECT_EQ(canvas.runs[0].font, FontBold);
    EXPECT_EQ(canvas.runs[0].x, 48);
    EXPECT_EQ(canvas.runs[1].text, u"2 likes");
    EXPECT_EQ(canvas.runs[1].x, 348 - 42 - 4);
    EXPECT_EQ(canvas.runs[1].y, 10);
    ASSERT_EQ(canvas.outs.size(), 2u);
    EXPECT_EQ(canvas.outs[0].text, u"hello ");
    EXPECT_EQ(canvas.outs[0].x, 48);
    EXPECT_EQ(canvas.outs[0].y, 10 + 13 + 13);
    EXPECT_EQ(canvas.outs[1].font, FontBold);
    EXPECT_EQ(canvas.currentFont(), FontNormal);
}

TEST(ItemTextTest, RightPartNeverCoversTheLineStartInANarrowRectangle) {
    RecordingCanvas canvas;
    MenuRect rect{48, 0, 100, 48};
    // Name 5 x 7 = 35 wide ends at 83; the summary (9 x 6) would start at 100 - 54 - 4 = 42.
    std::u16string text = PersonRow(u"Alena", u"Posts: 55", u"");
    DrawItemText(text, canvas, rect, TextNoPrefix, false, false);
    ASSERT_EQ(canvas.runs.size(), 2u);
    EXPECT_EQ(canvas.runs[1].text, u"Posts: 55");
    EXPECT_EQ(canvas.runs[1].x, 48 + 35 + 4);
    // A second line starts over: its right part may use the whole width again.
    RecordingCanvas second;
    text = u"Alena\nX\x05" + std::u16string(u"ab") + u"\x06";
    DrawItemText(text, second, rect, TextNoPrefix, false, false);
    ASSERT_EQ(second.runs.size(), 3u);
    EXPECT_EQ(second.runs[2].x, 100 - 12 - 4);
}

TEST(ItemTextTest, MeasuringAddsTheBodyAndKeepsTheGivenWidth) {
    RecordingCanvas canvas;
    std::u16string text = PersonRow(u"Petr", u"2 likes", u"one two three four five six seven");
    MenuRect rect{0, 0, 100, 0};
    DrawItemText(text, canvas, rect, TextCalcRect, false, true);
    // Name 28 + summary 42 = 70 < 100; the body wraps at 100 into three lines.
    EXPECT_EQ(rect.right, 100);
    EXPECT_EQ(rect.bottom, 13 + 39 + 4);
    MenuRect stop{0, 0, 0, 0};
    DrawItemText(text, canvas, stop, TextCalcRect, true, false);
    EXPECT_EQ(stop.right, 70);
    EXPECT_EQ(stop.bottom, 13);
    EXPECT_TRUE(canvas.runs.empty());
}

TEST(ItemTextTest, NewLinesIndentsAndLines) {
    RecordingCanvas canvas;
    MenuRect rect{24, 0, 300, 100};
    std::u16string text = u"Title" + FontCode(FontHeading) + u"\nSecond\x04" u"30X\x03";
    DrawItemText(text, canvas, rect, TextNoPrefix, false, false);
    ASSERT_EQ(canvas.runs.size(), 3u);
    EXPECT_EQ(canvas.runs[1].text, u"Second");
    EXPECT_EQ(canvas.runs[1].x, 24);
    EXPECT_EQ(canvas.runs[1].y, 13 + 2);
    EXPECT_EQ(canvas.runs[2].text, u"X");
    EXPECT_EQ(canvas.runs[2].x, 54);
    ASSERT_EQ(canvas.lines.size(), 1u);
    EXPECT_EQ(canvas.lines[0].top, 15 + 18);

    RecordingCanvas fresh;
    MenuRect size{0, 0, 0, 0};
    DrawItemText(u"Name\nA much longer line", fresh, size, TextCalcRect, false, false);
    EXPECT_EQ(size.right, 18 * 6);  // the widest line, not the sum
    EXPECT_EQ(size.bottom, 13 + 2 + 13);
}

TEST(ItemTextTest, VeryLongSegmentsAndTruncatedCodesAreSafe) {
    RecordingCanvas canvas;
    MenuRect size{0, 0, 0, 0};
    DrawItemText(std::u16string(10000, u'm'), canvas, size, TextCalcRect, false, false);
    EXPECT_EQ(size.right, 60000);
    MenuRect cut{0, 0, 0, 0};
    DrawItemText(u"abc\x01", canvas, cut, TextCalcRect, false, false);
    EXPECT_EQ(cut.right, 18);
    DrawItemText(u"\x02", canvas, cut, TextCalcRect, false, false);
    DrawItemText(u"\x04" + std::u16string(50, u'9'), canvas, cut, 0, false, false);
    DrawItemText(u"\x08", canvas, cut, TextCalcRect, false, false);
}

}  // namespace
