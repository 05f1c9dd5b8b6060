#include <gtest/gtest.h>

#include "platform/run_error.h"
#include "platform/text_file.h"
#include "tests/support/test_support.h"

namespace tarn {
namespace {

using test::ReadFile;
using test::WriteFile;

class TextFileTest : public test::TempDirTest {};

TEST_F(TextFileTest, NumbersAcrossBlanksTabsAndLineEnds) {
    WriteFile(Path("a.txt"), "  1.5\t2\r\n\n   3e1 rest of line\n4\n");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("a.txt")));
    EXPECT_DOUBLE_EQ(in.Real(), 1.5);
    EXPECT_EQ(in.Int(), 2);
    EXPECT_DOUBLE_EQ(in.Real(), 30.0);  // the empty line is skipped
    in.NextLine();                      // "rest of line" skipped
    EXPECT_EQ(in.LineNumber(), 4);
    EXPECT_DOUBLE_EQ(in.Real(), 4.0);
    EXPECT_DOUBLE_EQ(in.Real(), 0.0);  // at the end of the file: 0, no error
    EXPECT_TRUE(in.Eof());
}

TEST_F(TextFileTest, LinesDropTheCarriageReturn) {
    WriteFile(Path("b.txt"), "first\r\nsecond line\nthird");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("b.txt")));
    EXPECT_FALSE(in.Eof());
    EXPECT_EQ(in.ReadLine(), "first");
    EXPECT_EQ(in.ReadText(6), "second");
    EXPECT_TRUE(in.Eoln() == false);
    EXPECT_EQ(in.ReadLine(), "third");
    EXPECT_TRUE(in.Eof());
    EXPECT_TRUE(in.Eoln());
    EXPECT_EQ(in.ReadLine(), "");
}

TEST_F(TextFileTest, FileEndsWhenNoByteIsLeft) {
    WriteFile(Path("c.txt"), "1 2\n");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("c.txt")));
    in.NextLine();
    EXPECT_TRUE(in.Eof());
    WriteFile(Path("d.txt"), "1 2\n\n");
    ASSERT_TRUE(in.Open(Path("d.txt")));
    in.NextLine();
    EXPECT_FALSE(in.Eof());  // an empty last line is still a line
}

TEST_F(TextFileTest, BadNumberRaisesTheReportWithFileAndLine) {
    WriteFile(Path("e.txt"), "1\n2\nabc 3\n");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("e.txt")));
    in.Real();
    in.Real();
    try {
        in.Real();
        FAIL() << "no error raised";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Line(), 3);
        EXPECT_EQ(e.File(), Path("e.txt"));
        EXPECT_NE(e.Report().find("line 3"), std::string::npos);
        EXPECT_NE(e.Report().find("'abc'"), std::string::npos);
    }
}

TEST_F(TextFileTest, TryRealConsumesABadToken) {
    WriteFile(Path("f.txt"), "x1 2.5\n");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("f.txt")));
    double v = 0;
    EXPECT_FALSE(in.TryReal(v));
    EXPECT_TRUE(in.TryReal(v));
    EXPECT_DOUBLE_EQ(v, 2.5);
}

TEST_F(TextFileTest, TokensStopAtSixtyFourCharacters) {
    WriteFile(Path("g.txt"), std::string(64, '1') + "2\n");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("g.txt")));
    EXPECT_DOUBLE_EQ(in.Real(), 1.1111111111111112e63);
    EXPECT_DOUBLE_EQ(in.Real(), 2.0);
}

TEST_F(TextFileTest, MissingFileDoesNotOpen) {
    TextIn in;
    EXPECT_FALSE(in.Open(Path("missing.txt")));
    EXPECT_THROW(in.OpenOrThrow(Path("missing.txt")), RunTimeError);
    EXPECT_FALSE(in.Open(Dir()));  // a directory is not a text file
}

TEST_F(TextFileTest, CreateAppendAndClose) {
    CreateWithLines(Path("h.txt"), {"one", "two"});
    AppendLines(Path("h.txt"), {"three"});
    EXPECT_EQ(ReadFile(Path("h.txt")), "one\ntwo\nthree\n");
    EXPECT_THROW(AppendLines(Path("nothere.txt"), {"x"}), RunTimeError);
    EXPECT_THROW(CreateWithLines(Path("no/such/dir.txt"), {"x"}), RunTimeError);
}

TEST_F(TextFileTest, NamesMatchWithoutRegardToCase) {
    WriteFile(Path("ABC.DFA"), "12\n");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("abc.dfa")));
    EXPECT_EQ(in.Int(), 12);
    AppendLines(Path("abc.dfa"), {"13"});
    EXPECT_EQ(ReadFile(Path("ABC.DFA")), "12\n13\n");
}

TEST_F(TextFileTest, UnwindingClosesWhatWasWritten) {
    try {
        TextOut out;
        out.Create(Path("partial.txt"));
        out.WriteLine("kept");
        throw RunTimeError("test", "x", 0, "y");
    } catch (const RunTimeError&) {
    }
    EXPECT_EQ(ReadFile(Path("partial.txt")), "kept\n");
}

}  // namespace
}  // namespace tarn
