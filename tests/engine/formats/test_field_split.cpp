#include <gtest/gtest.h>

#include "engine/formats/field_split.h"

namespace tarn {
namespace {

struct Split {
    std::string fields[51];
    uint16_t count = 0;
    unsigned dropped = 0;
};

Split SplitLine(const std::string& line, const std::string& sep = " ", size_t capacity = 50) {
    Split s;
    s.dropped = SplitString(line, s.fields, capacity, s.count, sep);
    return s;
}

TEST(FieldSplit, BlankSeparatedNumbers) {
    Split s = SplitLine("300 16 1.0");
    ASSERT_EQ(s.count, 3);
    EXPECT_EQ(s.fields[1], "300");
    EXPECT_EQ(s.fields[2], "16");
    EXPECT_EQ(s.fields[3], "1.0");
    Split t = SplitLine("   300  16     1.0");
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ(t.fields[3], "1.0");
}

TEST(FieldSplit, OneFieldAndEmptyLines) {
    EXPECT_EQ(SplitLine("3.5").count, 1);
    Split empty = SplitLine("");
    EXPECT_EQ(empty.count, 1);
    EXPECT_EQ(empty.fields[1], "");
    Split blanks = SplitLine("    ");
    EXPECT_EQ(blanks.count, 1);
    EXPECT_EQ(blanks.fields[1], "");
}

TEST(FieldSplit, TrailingSeparatorGivesAnEmptyLastField) {
    Split s = SplitLine(" 1.5  2 ");
    ASSERT_EQ(s.count, 3);
    EXPECT_EQ(s.fields[1], "1.5");
    EXPECT_EQ(s.fields[2], "2");
    EXPECT_EQ(s.fields[3], "");
}

TEST(FieldSplit, LongFieldsKeepSixtyCharacters) {
    Split s = SplitLine(std::string(70, 'x'));
    ASSERT_EQ(s.count, 1);
    EXPECT_EQ(s.fields[1], std::string(60, 'x'));
}

TEST(FieldSplit, OtherSeparatorRemovesBlanksInFields) {
    Split s = SplitLine("a, b,c", ",");
    ASSERT_EQ(s.count, 3);
    EXPECT_EQ(s.fields[1], "a");
    EXPECT_EQ(s.fields[2], "b");
    EXPECT_EQ(s.fields[3], "c");
    Split tabs = SplitLine("a\tb c");
    ASSERT_EQ(tabs.count, 2);
    EXPECT_EQ(tabs.fields[1], "a\tb");  // tabs are kept
}

TEST(FieldSplit, FieldsBeyondTheCapacityAreDroppedAndCounted) {
    std::string line;
    for (int i = 1; i <= 55; ++i) line += std::to_string(i) + " ";
    line += "56";
    Split s = SplitLine(line, " ", 50);
    EXPECT_EQ(s.count, 50);
    EXPECT_EQ(s.fields[50], "50");
    EXPECT_EQ(s.dropped, 6u);
    Split small = SplitLine("1 2 3", " ", 2);
    EXPECT_EQ(small.count, 2);
    EXPECT_EQ(small.dropped, 1u);
    EXPECT_EQ(small.fields[3], "");  // untouched
}

}  // namespace
}  // namespace tarn
