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
