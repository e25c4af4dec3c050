#include <gtest/gtest.h>

#include "net/json_reader.h"

namespace {

std::vector<std::string> Names(const JsonValue* list) {
    std::vector<std::string> out;
    for (const JsonValue* n = list; n; n = n->next) out.emplace_back(n->name);
    return out;
}

TEST(JsonReader, ErrorObjectGivesDottedMembers) {
    JsonTree tree = ParseJson(R"({"error":{"message":"Invalid token","type":"OAuthException","code":190}})");
    const JsonValue* top = tree.first();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->name, "");
    EXPECT_EQ(top->next, nullptr);
    const JsonValue* error = top->children;
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->name, "error");
    EXPECT_EQ(Names(error->children), (std::vector<std::string>{"error.message", "error.type", "error.code"}));
    EXPECT_EQ(GetJsonInt(top->children, "error.code"), 190);
    EXPECT_EQ(GetJsonText(top->children, "error.message"), u"Invalid token");
}

TEST(JsonReader, LookupStartsAtARecordsChildrenAndRunsThroughLaterSiblings) {
    JsonTree tree = ParseJson(R"([{"uid":1},{"uid":2}])");
    const JsonValue* first = tree.first();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->next, nullptr);
    EXPECT_EQ(first->next->next, nullptr);
    EXPECT_EQ(GetJsonInt(first->next->children, "uid"), 2);
    EXPECT_EQ(GetJsonInt(first->children, "uid"), 1);
    EXPECT_EQ(GetJsonInt(first, "uid"), 1);
    // From the record node the search runs on into later records; from its children
    // it stays inside the record.
    JsonTree two = ParseJson(R"([{"a":1},{"b":2}])");
    EXPECT_EQ(GetJsonInt(two.first(), "b"), 2);
    EXPECT_EQ(GetJsonInt(two.first()->children, "b"), 0);
}

TEST(JsonReader, NullAndTheTextNullAreAbsent) {
    JsonTree tree = ParseJson(R"J({"a":null,"b":"null","c":"(null)","d":""})J");
    const JsonValue* list = tree.first()->children;
    for (const char* name : {"a", "b", "c", "d"}) {
        const JsonValue* node = FindJsonNode(list, name);
        ASSERT_NE(node, nullptr) << name;
        EXPECT_TRUE(node->raw.empty()) << name;
        EXPECT_FALSE(GetJsonValue(list, name, JSON_TEXT).found) << name;
        EXPECT_EQ(GetJsonInt(list, name), 0) << name;
        EXPECT_EQ(GetJsonBool(list, name), 0) << name;
    }
}

TEST(JsonReader, EscapesResolveTheProgramsWay) {
    JsonTree tree = ParseJson(R"({"a":"x\ny","b":"\u010d","c":"back\\","d":"q\"q","e":"a\/b\r","f":"t\tt"})");
    const JsonValue* list = tree.first()->children;
    EXPECT_EQ(GetJsonText(list, "a"), u"x y");  // \n is a blank, not a line break
    EXPECT_EQ(GetJsonText(list, "b"), u"\u010d");
    EXPECT_EQ(GetJsonText(list, "c"), u"back\\");
    EXPECT_EQ(GetJsonText(list, "d"), u"q\"q");
    EXPECT_EQ(GetJsonText(list, "e"), u"a/br");
    EXPECT_EQ(GetJsonText(list, "f"), u"t\tt");
    EXPECT_EQ(FindJsonNode(list, "c")->raw, "back\\\\");  // raw keeps the escapes
    EXPECT_NE(FindJsonNode(list, "d"), nullptr);
}

TEST(JsonReader, ArraysOfNumbersAndOfStrings) {
    JsonTree numbers = ParseJson(R"({"k":[1,2]})");
    const JsonValue* k = numbers.first()->children;
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->name, "k");
    EXPECT_EQ(Names(k->children), (std::vector<std::string>{"k", "k"}));
    EXPECT_EQ(k->children->next->raw, "2");

    JsonTree strings = ParseJson(R"({"k":["a","b"],"z":3})");
    const JsonValue* ks = strings.first()->children;
    EXPECT_EQ(ks->children, nullptr);
    EXPECT_EQ(GetJsonInt(ks, "z"), 3);

    // Bare values of an array make nodes only until its first object element.
    JsonTree mixed = ParseJson(R"({"k":[1,{"x":1},2]})");
    EXPECT_EQ(Names(mixed.first()->children->children), (std::vector<std::string>{"k", "k"}));
}

TEST(JsonReader, BareBodiesParseToNothing) {
    EXPECT_TRUE(ParseJson("true").empty());
    EXPECT_TRUE(ParseJson("false").empty());
    EXPECT_TRUE(ParseJson("").empty());
    EXPECT_TRUE(ParseJson("\"x\"").empty());
    EXPECT_TRUE(ParseJson("[]").empty());
}

TEST(JsonReader, NestedArraysOfObjectsCarryTheArraysName) {
    JsonTree tree = ParseJson(
        R"([{"post_id":"1_2","attachment":{"name":"A","media":[{"href":"h1","src":"s1"},{"href":"h2","src":"s2"}]},"likes":{"count":3,"user_likes":false}}])");
    const JsonValue* row = tree.first()->children;
    EXPECT_EQ(GetJsonText(row, "post_id"), u"1_2");
    EXPECT_EQ(GetJsonText(row, "attachment.name"), u"A");
    EXPECT_EQ(GetJsonText(row, "attachment.media.src"), u"s1");
    const JsonValue* media = FindJsonNode(row, "attachment.media");
    ASSERT_NE(media, nullptr);
    ASSERT_NE(media->children, nullptr);
    EXPECT_EQ(media->children->name, "attachment.media");
    EXPECT_EQ(GetJsonText(media->children->next->children, "attachment.media.src"), u"s2");
    EXPECT_EQ(GetJsonInt(row, "likes.count"), 3);
    EXPECT_EQ(GetJsonBool(row, "likes.user_likes"), 0);
}

TEST(JsonReader, IntegerAndBooleanKinds) {
    JsonTree tree = ParseJson(R"({"q":"42","neg":-7,"t":true,"one":1,"zero":0,"f":false,"big":"12abc"})");
    const JsonValue* list = tree.first()->children;
    EXPECT_EQ(GetJsonInt(list, "q"), 42);  // quoted numbers read too
    EXPECT_EQ(GetJsonInt(list, "neg"), -7);
    EXPECT_EQ(GetJsonInt(list, "big"), 12);
    EXPECT_EQ(GetJsonBool(list, "t"), 1);
    EXPECT_EQ(GetJsonBool(list, "one"), 1);
    EXPECT_EQ(GetJsonBool(list, "zero"), 1);  // only the word false is false
    EXPECT_EQ(GetJsonBool(list, "f"), 0);
    EXPECT_EQ(GetJsonBool(list, "missing"), 0);
    EXPECT_FALSE(GetJsonValue(list, "q", static_cast<JsonKind>(7)).found);
}

// Numbers of every length, with digits broken anywhere by other bytes (those next to
// '0' and '9' too), read as the digit-by-digit sum wrapping at 32 bits.
TEST(JsonReader, NumbersReadAsTheirDigitsWhateverTheirLength) {
    uint32_t seed = 7;
    auto next = [&seed](uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536 % n; };
    const std::string others = "/:.-+ e\x7f\xb0";
    for (int round = 0; round < 20000; ++round) {
        std::string raw = next(4) == 0 ? " -" : next(3) == 0 ? "+" : "";
        const uint32_t length = next(30);
        for (uint32_t k = 0; k < length; ++k)
            raw += next(12) == 0 ? others[next(static_cast<uint32_t>(others.size()))] : static_cast<char>('0' + next(10));
        size_t i = raw.find_first_not_of(' ');
        const bool negative = i < raw.size() && raw[i] == '-';
        if (i < raw.size() && (raw[i] == '-' || raw[i] == '+')) ++i;
        uint32_t value = 0;
        for (; i < raw.size() && raw[i] >= '0' && raw[i] <= '9'; ++i) value = value * 10 + uint32_t(raw[i] - '0');
        ASSERT_EQ(JsonAtoi(raw), static_cast<int32_t>(negative ? 0u - value : value)) << raw;
    }
}

TEST(JsonReader, ShortUnicodeEscapeStopsAtTheTokensEnd) {
    EXPECT_EQ(UnescapeJsonString("\\u4"), std::u16string(1, u'\x4'));
    EXPECT_EQ(UnescapeJsonString("\\u"), std::u16string(1, u'\0'));
    EXPECT_EQ(UnescapeJsonString("a\\"), u"a");
    EXPECT_EQ(UnescapeJsonString("\\u12zzq"), std::u16string(u"\x12q"));  // four bytes consumed
    EXPECT_EQ(UnescapeJsonString("\\u010C\\u0159x\\uFfFf\\u12\\u0041"), u"\u010C\u0159x\uFFFF\x12" u"0041");
    EXPECT_EQ(UnescapeJsonString("\\u004"), std::u16string(1, u'\x4'));
    JsonTree tree = ParseJson(R"({"a":"\u00)");
    ASSERT_FALSE(tree.empty());
    EXPECT_EQ(GetJsonText(tree.first()->children, "a"), std::u16string(1, u'\0'));
}

TEST(JsonReader, Utf8BytesDecodeWhenValid) {
    EXPECT_EQ(UnescapeJsonString("\xC4\x8D"), u"\u010d");
    EXPECT_EQ(UnescapeJsonString("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(UnescapeJsonString("\xE9t\xE9"), u"\u00e9t\u00e9");  // Latin-1 byte kept as a unit
    EXPECT_EQ(UnescapeJsonString("\xC4"), u"\u00c4");                // cut sequence
}

// Plain bytes are copied a word at a time: a byte that needs decoding must be seen at
// every place in a word, and the text must end right however long it is.
TEST(JsonReader, EveryEscapeIsSeenWhereverItFallsInAPlainRun) {
    const std::pair<std::string, std::u16string> specials[] = {
        {"\\u010c", u"\u010c"}, {"\xC4\x8D", u"\u010d"}, {"\\n", u" "}, {"\xE9", u"\u00e9"}, {"\\\\", u"\\"}};
    for (const auto& special : specials) {
        for (size_t at = 0; at <= 17; ++at) {
            std::string token = std::string(at, 'a') + special.first + std::string(17 - at, 'b');
            std::u16string expected = std::u16string(at, u'a') + special.second + std::u16string(17 - at, u'b');
            EXPECT_EQ(UnescapeJsonString(token), expected) << token;
        }
    }
    for (size_t size = 0; size <= 17; ++size)
        EXPECT_EQ(UnescapeJsonString(std::string(size, 'x')), std::u16string(size, u'x'));
}

TEST(JsonReader, RowReaderFindsWhatTheLookupFinds) {
    JsonTree tree = ParseJson(
        R"([{"text":"a","time":1,"likes":{"time":9},"post_id":"p"},{"time":2,"text":"b","text":"c"},{"likes":3},{}])");
    const std::string_view names[] = {"text", "time", "likes", "post_id", "missing"};
    JsonRowReader reader(names, 5);
    for (const JsonValue* row = tree.first(); row; row = row->next) {
        const JsonValue* found[5];
        reader.read(row->children, found);
        for (size_t i = 0; i < 5; ++i) EXPECT_EQ(found[i], FindJsonNode(row->children, names[i])) << names[i];
    }
    const JsonValue* found[5];
    reader.read(tree.first()->next->children, found);
    EXPECT_EQ(JsonValueText(found[0]), u"b");  // the first of two
    EXPECT_EQ(JsonValueInt(found[1]), 2);
    EXPECT_EQ(JsonValueText(found[4]), u"");
}

// The quick comparison matches what the made text says, for plain values and for
// values whose text differs from their bytes.
TEST(JsonReader, ValueIsComparesTheDecodedText) {
    JsonTree tree = ParseJson(R"({"a":"p_1","b":123,"c":"a\\b","d":"\u010d","e":"\u00e9x","f":"éx","g":null,"h":""})");
    std::vector<const JsonValue*> nodes;
    for (const JsonValue* n = tree.first()->children; n; n = n->next) nodes.push_back(n);
    ASSERT_EQ(nodes.size(), 8u);
    const std::u16string texts[] = {u"p_1", u"123", u"a\\b", u"\u010d", u"\u00e9x", u"\u00e9x", u"", u""};
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(JsonValueText(nodes[i]), texts[i]) << i;
        EXPECT_TRUE(JsonValueIs(nodes[i], texts[i])) << i;
        EXPECT_FALSE(JsonValueIs(nodes[i], texts[i] + u"x")) << i;
        if (!texts[i].empty()) {
            EXPECT_FALSE(JsonValueIs(nodes[i], texts[i].substr(1) + u"y")) << i;
        }
    }
    EXPECT_FALSE(JsonValueIs(nodes[2], u"a\\\\b"));  // the bytes, not the text
    EXPECT_FALSE(JsonValueIs(nodes[3], u"\\u010d"));
    EXPECT_TRUE(JsonValueIs(nullptr, u""));
    EXPECT_FALSE(JsonValueIs(nullptr, u"p"));
}

TEST(JsonReader, LimitsCutInsteadOfOverrunning) {
    std::string longValue(30000, 'x');
    std::string longKey(400, 'k');
    JsonTree tree = ParseJson("{\"" + longKey + "\":\"" + longValue + "\",\"after\":5}");
    const JsonValue* list = tree.first()->children;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->name.size(), JsonKeyLimit);
    EXPECT_EQ(list->raw.size(), JsonTokenLimit);
    EXPECT_EQ(GetJsonInt(list, "after"), 5);  // the rest of the long token was read over

    std::string deep;
    for (int i = 0; i < 40; ++i) deep += "{\"abcdefghij\":";
    deep += "1";
    for (int i = 0; i < 40; ++i) deep += "}";
    JsonTree nested = ParseJson(deep);
    size_t longest = 0;
    for (const JsonValue* n = nested.first(); n; n = n->children) longest = std::max(longest, n->name.size());
    EXPECT_LE(longest, JsonNameLimit);
}

TEST(JsonReader, DeepNestingDoesNotExhaustTheStack) {
    std::string deep(200000, '[');
    JsonTree tree = ParseJson("[" + deep + "1");
    SUCCEED();
    std::string objects;
    for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
    JsonTree more = ParseJson(objects);
    EXPECT_EQ(FindJsonNode(more.first(), "zzz"), nullptr);
}

TEST(JsonReader, TextEndsAtItsFirstNul) {
    std::string body("{\"a\":1}\0{\"b\":2}", 15);
    JsonTree tree = ParseJson(body);
    EXPECT_EQ(GetJsonInt(tree.first(), "b"), 0);
    EXPECT_EQ(GetJsonInt(tree.first(), "a"), 1);
}

TEST(JsonReader, BlanksBecomePartOfBareTokens) {
    // The reader expects compact JSON: a blank after a colon starts the bare token.
    JsonTree tree = ParseJson(R"({"a": 12,"b": "x"})");
    const JsonValue* list = tree.first()->children;
    EXPECT_EQ(FindJsonNode(list, "a")->raw, " 12");
    EXPECT_EQ(GetJsonInt(list, "a"), 12);
}

}  // namespace
