#include <gtest/gtest.h>

#include "platform/ux_json.h"

namespace cf::UxJson {
namespace {

std::wstring RoundTrip(const std::wstring& text) {
  Document document;
  EXPECT_TRUE(document.Parse(text)) << "error " << document.GetError().code;
  return document.ToString(false, 0);
}

TEST(UxJson, CompactFormSortsMembersByName) {
  Document document;
  document.Member(L"zorn").SetLong(2);
  document.Member(L"dvlx").SetLong(1);
  EXPECT_EQ(document.ToString(false, 0), L"{\"dvlx\":1,\"zorn\":2}");
}

TEST(UxJson, ParsesAndWritesEveryType) {
  EXPECT_EQ(RoundTrip(L" {\"b\" : [true, false, null, -12, \"x\", [], {}],\r\n \"a\":{\"c\":2147483647}}"),
            L"{\"a\":{\"c\":2147483647},\"b\":[true,false,null,-12,\"x\",[],{}]}");
  EXPECT_EQ(RoundTrip(L"{\"k\":1,\"k\":2}"), L"{\"k\":2}") << "a repeated name replaces the earlier value";
  EXPECT_EQ(RoundTrip(L"42 trailing text is not examined"), L"42");
  EXPECT_EQ(RoundTrip(L"false"), L"false");
  EXPECT_EQ(RoundTrip(L"\"s\""), L"\"s\"");
}

TEST(UxJson, StringEscapes) {
  Document document;
  ASSERT_TRUE(document.Parse(L"{\"s\":\"q\\\"s\\/b\\\\ \\b\\f\\n\\r\\t \\u4E2D\\u00e9\\u0001\"}"));
  const wchar_t* text = document.Member(L"s").GetString();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::wstring(text), L"q\"s/b\\ \b\f\n\r\t \x4E2D\x00E9\x0001");
  EXPECT_EQ(document.ToString(false, 0), L"{\"s\":\"q\\\"s\\/b\\\\ \\b\\f\\n\\r\\t \x4E2D\\u00e9\\u0001\"}")
      << "U+00E9 and control characters are escaped, U+4E2D is not";
}

TEST(UxJson, ParseErrorsCarryCodeLineAndColumn) {
  struct Case {
    const wchar_t* text;
    int code, line, column;
  } cases[] = {
      {L"[1,2", 1, 1, 1},          // the object try's error is the one reported
      {L"  true", 1, 1, 3},        // literals are read without skipping blanks
      {L"{\"a\":12.5}", 7, 1, 8},  // no fractions
      {L"{\"a\" 1}", 6, 1, 6},
      {L"{\"a\":1\n,\"b\":x}", 9, 2, 6},
      {L"{\"a\":\"\\q\"}", 9, 1, 8},  // an element that cannot be read
      {L"{\"a\":\"\\u00g0\"}", 9, 1, 8},
      {L"{\"a\":\"\\u0000\"}", 9, 1, 8},
      {L"{\"a\":\"open", 9, 1, 11},
      {L"{a:1}", 3, 1, 2},
      {L"{\"a\":1", 7, 1, 7},
      {L"{\"a\":-}", 9, 1, 7},
      {L"", 1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    Document document;
    EXPECT_FALSE(document.Parse(c.text));
    EXPECT_EQ(document.Root(), nullptr) << "a failed parse leaves no partial root";
    EXPECT_EQ(document.GetError().code, c.code);
    EXPECT_EQ(document.GetError().line, c.line);
    EXPECT_EQ(document.GetError().column, c.column);
  }
}

TEST(UxJson, DeepNestingIsRefusedNotOverflowed) {
  const std::wstring deep = std::wstring(100000, L'[') + std::wstring(100000, L']');
  Document document;
  EXPECT_FALSE(document.Parse(deep));
  EXPECT_EQ(document.Root(), nullptr);
}

TEST(UxJson, IntegersWrapAt32Bits) {
  Document document;
  ASSERT_TRUE(document.Parse(L"{\"a\":4294967297,\"b\":-2147483648}"));
  EXPECT_EQ(document.Member(L"a").GetLong(), 1);
  EXPECT_EQ(document.Member(L"b").GetLong(), INT32_MIN);
}

TEST(UxJson, HandlesReplaceValuesInPlace) {
  Document document;
  ASSERT_TRUE(document.Parse(L"{\"a\":\"text\",\"list\":[1,\"two\",3]}"));
  EXPECT_EQ(document.Member(L"a").GetLong(), 0) << "a string is not an integer";
  EXPECT_EQ(document.Member(L"missing").GetString(), nullptr);
  EXPECT_EQ(document.ToString(false, 0), L"{\"a\":\"text\",\"list\":[1,\"two\",3],\"missing\":null}");

  document.Member(L"a").Member(L"inner").SetLong(5);  // a string becomes an object
  auto* list = static_cast<ValueArray*>(document.Member(L"list").GetValue());
  Handle(list, list->At(1)).SetLong(2);  // the array keeps the position
  EXPECT_EQ(document.ToString(false, 0), L"{\"a\":{\"inner\":5},\"list\":[1,2,3],\"missing\":null}");

  Document scalar;
  ASSERT_TRUE(scalar.Parse(L"7"));
  scalar.Member(L"x").SetLong(1);  // a non-object root becomes an object
  EXPECT_EQ(scalar.ToString(false, 0), L"{\"x\":1}");
  EXPECT_EQ(Document().ToString(false, 2), L"");
}

TEST(UxJson, PrettyForm) {
  Document document;
  ASSERT_TRUE(document.Parse(L"{\"b\":[1,2],\"a\":{},\"c\":[7],\"d\":[[1]]}"));
  EXPECT_EQ(document.ToString(true, 2),
            L"{\r\n"
            L"  \"a\" : {\r\n  },\r\n"
            L"  \"b\" : [\r\n    1, \r\n    2\r\n  ],\r\n"
            L"  \"c\" : [7],\r\n"
            L"  \"d\" : [\r\n    [1]\r\n  ]\r\n"
            L"}");
}

}  // namespace
}  // namespace cf::UxJson
