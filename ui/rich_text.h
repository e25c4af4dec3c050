// The two-level text format of menu items: inline control codes on the first line
// (fonts, columns, a right-aligned part) and a body with HTML-like tags laid out over
// justified lines and columns.
#pragma once
#include <cstdint>
#include <string_view>

#include "ui/menu_model.h"
#include "ui/text_canvas.h"

// Control codes of item texts.
constexpr char16_t CodeFont = 1;        // followed by font index + 1
constexpr char16_t CodeColumn = 2;      // followed by a position (low 8 bits)
constexpr char16_t CodeLine = 3;        // a black line under the current line
constexpr char16_t CodeIndent = 4;      // followed by decimal digits
constexpr char16_t CodeRightStart = 5;  // start of a right-aligned part
constexpr char16_t CodeRightEnd = 6;    // end of the right-aligned part
constexpr char16_t CodeBody = 8;        // the rest is the body
constexpr char16_t CodeNewLine = 10;

// Font switch as a two-character text, for building item texts.
std::u16string FontCode(int32_t font);

// Draws (or, with TextCalcRect in format, measures) an item text. When measuring, rect
// receives (0, 0, width, height), the width at least the given right edge. Returns the
// last run's height, or 0.
int32_t DrawItemText(std::u16string_view text, TextCanvas& canvas, MenuRect& rect, uint32_t format,
                     bool stopAtBody, bool measureBodyAtRectRight);

// Measures an item text in `font` on the measuring canvas; rect receives the size.
void MeasureItemText(std::u16string_view text, int32_t font, MenuRect& rect, uint32_t format,
                     bool stopAtBody);
void MeasureItemText(TextCanvas& canvas, std::u16string_view text, int32_t font, MenuRect& rect,
                     uint32_t format, bool stopAtBody);

// Lays out a body text with tags in rect. Measuring draws nothing and sets rect's bottom
// to its top + the height used and its right to the widest extent. Returns the height.
int32_t DrawRichText(TextCanvas& canvas, std::u16string_view text, MenuRect& rect, bool measure);

// Limits of the layout.
constexpr int32_t RichTextChunkLimit = 24;  // characters of one chunk
constexpr int32_t RichTextLineChunks = 128; // chunks of one line
constexpr int32_t RichTextMeasureBottom = 1024;
constexpr int32_t RichTextColumnGap = 16;
