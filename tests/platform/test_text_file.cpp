#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <sstream>

#include "platform/console.h"
#include "platform/file_transaction.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
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

TEST_F(TextFileTest, CreateEmptiesTheFileFoundWithoutRegardToCase) {
    WriteFile(Path("Mixed.TXT"), "old text\n");
    CreateWithLines(Path("mixed.txt"), {"new"});
    EXPECT_EQ(ReadFile(Path("Mixed.TXT")), "new\n");
    EXPECT_FALSE(test::FileExists(Path("mixed.txt")));
}

TEST_F(TextFileTest, AppendNeedsAnExistingRegularFile) {
    test::MakeDirs(Path("adir"));
    EXPECT_THROW(AppendLines(Path("adir"), {"x"}), RunTimeError);
    EXPECT_THROW(AppendLines("/dev/null", {"x"}), RunTimeError);  // not a regular file
    try {
        AppendLines(Path("missing.log"), {"x"});
        FAIL() << "no error raised";
    } catch (const RunTimeError& e) {
        EXPECT_NE(e.Report().find("file not found"), std::string::npos);
    }
    EXPECT_FALSE(test::FileExists(Path("missing.log")));  // appending never creates
}

TEST_F(TextFileTest, LongOutputIsWrittenWholeAndInOrder) {
    // Well past the 64 KiB at which the text is sent on.
    std::string expected;
    TextOut out;
    out.Create(Path("long.txt"));
    for (int i = 0; i < 20000; ++i) {
        std::string line = "line " + std::to_string(i) + " of the long file";
        out.WriteLine(line);
        expected += line + "\n";
    }
    out.Close();
    EXPECT_EQ(ReadFile(Path("long.txt")), expected);
}

TEST_F(TextFileTest, FailedWriteRaisesTheReportAtClose) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    TextOut out;
    out.Create("/dev/full");
    out.WriteLine("no room for this");
    try {
        out.Close();
        FAIL() << "no error raised";
    } catch (const RunTimeError& e) {
        EXPECT_NE(e.Report().find("close"), std::string::npos);
    }
    EXPECT_FALSE(out.IsOpen());
}

// A UTF-8 byte-order mark (as Windows editors write it) is skipped at the start
// of a file, not elsewhere.
TEST_F(TextFileTest, ByteOrderMarkAtTheStartIsSkipped) {
    WriteFile(Path("bom.txt"),
              "\xEF\xBB\xBF"
              "300.5 1\nline\n");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("bom.txt")));
    EXPECT_EQ(in.Real(), 300.5);
    in.NextLine();
    EXPECT_EQ(in.ReadLine(), "line");
    in.OpenText("text",
                "\xEF\xBB\xBF"
                "first\n\xEF\xBB\xBF");
    EXPECT_EQ(in.ReadLine(), "first");
    EXPECT_EQ(in.ReadLine(), "\xEF\xBB\xBF");
}

// NaN and the infinities never reach a file: the number call is the run-time
// error naming the file, and its line is not written; the console and the
// report show the number as plain text.
TEST_F(TextFileTest, NumberThatIsNotFiniteIsRefusedAtTheWrite) {
    TextOut out;
    out.Create(Path("values.txt"));
    out.WriteLine(Fixed(1.5, 6, 2));
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        try {
            out.Text("x ").Fixed(bad, 8, 3).EndLine();
            ADD_FAILURE() << "written: " << bad;
        } catch (const RunTimeError& e) {
            EXPECT_EQ(e.File(), Path("values.txt"));
            EXPECT_EQ(e.Reason(), "a number to be written is NaN or infinite");
        }
        EXPECT_THROW(out.Sci(bad), RunTimeError);
        EXPECT_THROW(FileText("f").Int(1).FixedPrecision(bad, 4, 2), RunTimeError);
    }
    // The mark's character in a text from a file or an edit is plain text.
    out.WriteLine(std::string("10\x01\x00\x16", 5) + "1 \x01x");
    out.Close();
    EXPECT_EQ(ReadFile(Path("values.txt")),
              "  1.50\n" + std::string("10\x01\x00\x16", 5) + "1 \x01x\n");
    std::ostringstream console;
    SetConsole(&console);
    ConsoleLine("value" + Sci(HUGE_VAL));
    SetConsole(nullptr);
    EXPECT_EQ(console.str(), "value +Inf                  \n");
    EXPECT_EQ(RunTimeError("read", "f", 1, "step " + Fixed(std::nan(""), 4, 1)).Report(),
              "run-time error: read 'f' line 1: step  nan");
}

TEST_F(TextFileTest, ReadCacheFollowsEveryWriteOfThisProcess) {
    RunFileStore store;  // as the engine's run has it
    ScopedFileStore installed(store);
    CreateWithLines(Path("s.dfa"), {"1"});
    TextIn in;
    ASSERT_TRUE(in.Open(Path("s.dfa")));
    EXPECT_EQ(in.Int(), 1);
    // Emptied and rewritten, appended to, and appended to under another name
    // of the same file: each read sees the file as written.
    CreateWithLines(Path("s.dfa"), {"2"});
    ASSERT_TRUE(in.Open(Path("s.dfa")));
    EXPECT_EQ(in.Int(), 2);
    AppendLines(Path("s.dfa"), {"3"});
    ASSERT_TRUE(in.Open(Path("s.dfa")));
    EXPECT_EQ(in.ReadLine(), "2");
    EXPECT_EQ(in.ReadLine(), "3");
    ASSERT_EQ(symlink(Path("s.dfa").c_str(), Path("alias.dfa").c_str()), 0);
    AppendLines(Path("alias.dfa"), {"4"});
    ASSERT_TRUE(in.Open(Path("s.dfa")));
    in.NextLine();
    in.NextLine();
    EXPECT_EQ(in.Int(), 4);
    // A file read while it is open for writing is read as it stands on disk
    // then (here: emptied), and again once it is closed.
    ASSERT_TRUE(in.Open(Path("s.dfa")));
    TextOut empty;
    empty.Create(Path("s.dfa"));
    ASSERT_TRUE(in.Open(Path("s.dfa")));
    EXPECT_TRUE(in.Eof());
    empty.WriteLine("2");
    empty.WriteLine("3");
    empty.WriteLine("4");
    empty.Close();
    TextOut out;
    out.Append(Path("s.dfa"));
    out.WriteLine("5");
    ASSERT_TRUE(in.Open(Path("s.dfa")));
    out.Close();
    ASSERT_TRUE(in.Open(Path("s.dfa")));
    for (int i = 0; i < 3; ++i) in.NextLine();
    EXPECT_EQ(in.Int(), 5);
}

TEST_F(TextFileTest, ReadCacheKeepsOnlySmallFilesFoundByTheirExactName) {
    auto store = std::make_unique<RunFileStore>();
    auto installed = std::make_unique<ScopedFileStore>(*store);
    // Found without regard to case: read from the file every time.
    WriteFile(Path("CASE.DFA"), "1\n");
    TextIn in;
    ASSERT_TRUE(in.Open(Path("case.dfa")));
    EXPECT_EQ(in.Int(), 1);
    WriteFile(Path("CASE.DFA"), "2\n");  // behind TextOut's back
    ASSERT_TRUE(in.Open(Path("case.dfa")));
    EXPECT_EQ(in.Int(), 2);
    // Larger than 64 KiB: read from the file every time.
    std::string big(70000, ' ');
    WriteFile(Path("big.txt"), "1" + big);
    ASSERT_TRUE(in.Open(Path("big.txt")));
    EXPECT_EQ(in.Int(), 1);
    WriteFile(Path("big.txt"), "2" + big);
    ASSERT_TRUE(in.Open(Path("big.txt")));
    EXPECT_EQ(in.Int(), 2);
    // The copies go with the store; without one every read is from the file.
    WriteFile(Path("small.txt"), "1\n");
    ASSERT_TRUE(in.Open(Path("small.txt")));
    installed.reset();
    store.reset();
    WriteFile(Path("small.txt"), "2\n");
    ASSERT_TRUE(in.Open(Path("small.txt")));
    EXPECT_EQ(in.Int(), 2);
}

}  // namespace
}  // namespace tarn
