#include "server/log_text_util.h"

#include <gtest/gtest.h>

#include <string>

namespace tool {
namespace {

TEST(LogTextUtilTest, WellFormedUtf8AndLineEndsStayAsTheyAre) {
  const std::string text =
      "<commandRequest id=\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\">\n"
      "\t<command>\xEF\xBF\xBF\xF4\x8F\xBF\xBF</command>\r\n"
      "</commandRequest>";
  EXPECT_EQ(LogTextUtil::Printable(text), text);
  EXPECT_EQ(LogTextUtil::Printable(""), "");
}

TEST(LogTextUtilTest, BytesOutsideWellFormedUtf8AreEscaped) {
  struct Case {
    std::string text;
    std::string printable;
  };
  const Case cases[] = {
      {"a\x80"
       "b",
       "a\\x80b"},                                   // lone continuation
      {"\xC0\xAF", "\\xc0\\xaf"},                    // overlong '/'
      {"\xC1\xBF", "\\xc1\\xbf"},                    // overlong, two bytes
      {"\xE0\x80\xAF", "\\xe0\\x80\\xaf"},           // overlong, three bytes
      {"\xF0\x80\x80\xAF", "\\xf0\\x80\\x80\\xaf"},  // overlong, four bytes
      {"\xED\xA0\x80", "\\xed\\xa0\\x80"},           // surrogate
      {"\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // beyond U+10FFFF
      {"\xE2\x82<", "\\xe2\\x82<"},                  // truncated, then ASCII
      {"\xF0\x9F\x98", "\\xf0\\x9f\\x98"},           // truncated at the end
      {"\xFF\xFE\xF8", "\\xff\\xfe\\xf8"},
      {"\xC3\xA9\xC3", "\xC3\xA9\\xc3"},  // good, then a lead byte alone
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LogTextUtil::Printable(c.text), c.printable)
        << ::testing::PrintToString(c.text);
  }
}

TEST(LogTextUtilTest, ControlCharactersOtherThanTabAndLineEndsAreEscaped) {
  EXPECT_EQ(LogTextUtil::Printable("a\x1B[2Jb\x01\x7F"),
            "a\\x1b[2Jb\\x01\\x7f");
  EXPECT_EQ(LogTextUtil::Printable(std::string("a\0b", 3)), "a\\x00b");
}

}  // namespace
}  // namespace tool
