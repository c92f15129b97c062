// The INI text rules the POSIX platform uses in place of the private-profile
// functions: what a write does to the text around it.
#include <gtest/gtest.h>

#include "platform/posix/ProfileText.h"

using platform::FindProfileValue;
using platform::SetProfileValue;

TEST(ProfileText, AddsSectionsAndKeysWithWindowsLineEnds) {
    EXPECT_EQ(SetProfileValue("", "options", "a", "1"), "[options]\r\na=1\r\n");
    // A last line without a line break gets one before anything follows it.
    EXPECT_EQ(SetProfileValue("[x]\r\nk=v", "options", "a", "1"), "[x]\r\nk=v\r\n[options]\r\na=1\r\n");
    EXPECT_EQ(SetProfileValue("[options]\r\nk=v", "options", "a", "1"), "[options]\r\nk=v\r\na=1\r\n");
}

TEST(ProfileText, PutsANewKeyAfterTheLastLineOfItsSectionNotAfterBlankLines) {
    const std::string text = "[options]\r\nk=v\r\n\r\n[next]\r\nn=1\r\n";
    EXPECT_EQ(SetProfileValue(text, "OPTIONS", "a", "1"), "[options]\r\nk=v\r\na=1\r\n\r\n[next]\r\nn=1\r\n");
}

TEST(ProfileText, RewritesOnlyTheKeyItsLineAndKeepsEverythingElseAsItStood) {
    const std::string text = "; comment\n[options]\n  Key = old  \nother=1\n[options]\nkey=second\n";
    EXPECT_EQ(SetProfileValue(text, "options", "key", "new"),
              "; comment\n[options]\nkey=new\nother=1\n[options]\nkey=second\n");
    std::string value;
    ASSERT_TRUE(FindProfileValue(text, "options", "KEY", value));
    EXPECT_EQ(value, "old");  // the first section of a name is the one that counts
}

TEST(ProfileText, IgnoresCommentsLinesWithoutEqualsAndKeysBeforeAnySection) {
    const std::string text = "lost=1\n[options]\n;key=commented\nnoequals\nkey=found\n";
    std::string value;
    EXPECT_FALSE(FindProfileValue(text, "options", "lost", value));
    EXPECT_FALSE(FindProfileValue(text, "options", "noequals", value));
    ASSERT_TRUE(FindProfileValue(text, "options", "key", value));
    EXPECT_EQ(value, "found");
    EXPECT_FALSE(FindProfileValue(text, "missing", "key", value));
}

TEST(ProfileText, TakesSectionNamesUpToTheLastBracketAndTrimmed) {
    std::string value;
    ASSERT_TRUE(FindProfileValue("[ options ] trailing\nk=v\n", "options", "k", value));
    EXPECT_EQ(value, "v");
    EXPECT_FALSE(FindProfileValue("[options\nk=v\n", "options", "k", value));
}

TEST(ProfileText, ALoneCarriageReturnEndsNoLineThatAnythingCanFollow) {
    const std::string added = SetProfileValue("abc\r", "options", "number", "5");
    EXPECT_EQ(added, "abc\r\n[options]\r\nnumber=5\r\n");
    std::string value;
    ASSERT_TRUE(FindProfileValue(added, "options", "number", value));
    EXPECT_EQ(value, "5");
    EXPECT_EQ(SetProfileValue("[options]\r\nk=v\r", "options", "a", "1"), "[options]\r\nk=v\r\na=1\r\n");
}

// A file's encoding by its byte-order mark: UTF-16LE text becomes UTF-8 and goes
// back to the very same bytes, characters beyond the first plane and lone
// surrogates included; ANSI and UTF-8 text stays as it is.
TEST(ProfileText, DecodesAndEncodesEachEncodingByItsMark) {
    using platform::DecodeProfileText;
    using platform::EncodeProfileText;
    using platform::ProfileEncoding;
    const struct {
        std::string bytes;
        ProfileEncoding encoding;
        std::string text;
    } cases[] = {
        {"[o]\r\na=\xE9\r\n", ProfileEncoding::Ansi, "[o]\r\na=\xE9\r\n"},
        {"", ProfileEncoding::Ansi, ""},
        {"\xEF\xBB\xBF[o]\r\na=\xC3\xA9", ProfileEncoding::Utf8, "[o]\r\na=\xC3\xA9"},
        {std::string("\xFF\xFE[\0o\0]\0\r\0\n\0", 12), ProfileEncoding::Utf16, "[o]\r\n"},
        // é, Я, €, 😀 (a surrogate pair) and a lone high surrogate.
        {std::string("\xFF\xFE\xE9\0\x2F\x04\xAC\x20\x3D\xD8\x00\xDE\x3D\xD8", 14), ProfileEncoding::Utf16,
         "\xC3\xA9\xD0\xAF\xE2\x82\xAC\xF0\x9F\x98\x80\xED\xA0\xBD"},
        {"\xFF\xFE", ProfileEncoding::Utf16, ""},
    };
    for (const auto& c : cases) {
        ProfileEncoding encoding = ProfileEncoding::Ansi;
        EXPECT_EQ(DecodeProfileText(c.bytes, encoding), c.text) << c.text;
        EXPECT_EQ(encoding, c.encoding) << c.text;
        EXPECT_EQ(EncodeProfileText(c.encoding, c.text), c.bytes) << c.text;
    }
    // An odd last byte is no character; a byte no UTF-8 sequence opens is
    // written as the character of its value.
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    EXPECT_EQ(DecodeProfileText(std::string("\xFF\xFE" "a\0b", 5), encoding), "a");
    EXPECT_EQ(EncodeProfileText(ProfileEncoding::Utf16, "\xE9x"), std::string("\xFF\xFE\xE9\0x\0", 6));
    // Values set in the decoded text land in the file's own encoding.
    const std::string set = platform::SetProfileValue(DecodeProfileText(cases[3].bytes, encoding), "o", "k", "\xD0\xAF");
    EXPECT_EQ(EncodeProfileText(encoding, set), std::string("\xFF\xFE[\0o\0]\0\r\0\n\0k\0=\0\x2F\x04\r\0\n\0", 22));
}
