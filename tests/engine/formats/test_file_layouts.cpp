// Where the windowed programs find the engine's values: the long-defaults
// locator on files of any counts, and the column rule of the daily quality
// table against the rows the engine writes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/formats/defaults_layout.h"
#include "engine/formats/quality_table_layout.h"
#include "platform/text_format.h"

namespace tarn {
namespace {

using V = LongDefaultsValue;

// The engine's own long file with k structure criteria (built-in otherwise:
// six selected windows, eight zenith rows).
std::vector<std::string> EngineFile(int criteria) {
    DefaultsSettings s = BuiltInDefaults();
    s.Qc.CriteriaCount = criteria;
    return LongDefaultsLines(s);
}

// The text of the line that the locator gives for `value`.
std::string At(const std::vector<std::string>& lines, const LongDefaultsLayout& layout, V value) {
    int line = layout.LineOf(value);
    if (line == kNotInFile) return "<not in file>";
    return line < static_cast<int>(lines.size()) ? lines[line] : "<beyond the file>";
}

void ExpectShellValuesFound(const std::vector<std::string>& lines) {
    LongDefaultsLayout layout = LocateLongDefaults(lines);
    EXPECT_EQ(At(lines, layout, V::TimeCorrection), "0 0 0 0");
    EXPECT_EQ(At(lines, layout, V::EfuvDefaultsName), "efuv.dfa");
    EXPECT_EQ(At(lines, layout, V::QcSubdirectory), "qaqc/");
    EXPECT_EQ(At(lines, layout, V::StructureSubdirectory), "struc/");
    EXPECT_EQ(At(lines, layout, V::Et1nmFileName), "kp320a3L.1nm");
    EXPECT_EQ(At(lines, layout, V::O3CrossSectionName), "o3cross.wgt");
    EXPECT_EQ(At(lines, layout, V::MeasurementYear), "1998");
}

TEST(LongDefaultsLocator, FourAndFiveCriteriaWithSixSelectedWindows) {
    std::vector<std::string> four = EngineFile(4);
    LongDefaultsLayout layout = LocateLongDefaults(four);
    const std::pair<V, int> fourLines[] = {{V::Location, 0},
                                           {V::WindowCount, 1},
                                           {V::OzoneFitWindow, 2},
                                           {V::WindowSeries, 3},
                                           {V::MaximumShift, 4},
                                           {V::MainPath, 6},
                                           {V::ModelGrid, 14},
                                           {V::FinalSimulation, 15},
                                           {V::ActionSpectrumDirectory, 17},
                                           {V::OzoneFitValues, 20},
                                           {V::MeasurementYear, 21},
                                           {V::StepSizes, 23},
                                           {V::SlitRangeFactor, 25},
                                           {V::TimeCorrection, 39},
                                           {V::EfuvDefaultsName, 40},
                                           {V::QcSubdirectory, 43},
                                           {V::StructureSubdirectory, 67},
                                           {V::Et1nmFileName, 80}};
    for (const auto& [value, line] : fourLines) EXPECT_EQ(layout.LineOf(value), line) << line;
    EXPECT_EQ(layout.CriteriaCount, 4);
    EXPECT_EQ(layout.StartCriterion, 2);
    ExpectShellValuesFound(four);

    // The engine's built-in "tarn_e.dfa": five criteria, 93 lines.
    std::vector<std::string> five = EngineFile(5);
    ASSERT_EQ(five.size(), 93u);
    layout = LocateLongDefaults(five);
    const std::pair<V, int> fiveLines[] = {{V::TimeCorrection, 40},
                                           {V::EfuvDefaultsName, 41},
                                           {V::QcSubdirectory, 44},
                                           {V::StructureSubdirectory, 68},
                                           {V::Et1nmFileName, 81}};
    for (const auto& [value, line] : fiveLines) EXPECT_EQ(layout.LineOf(value), line) << line;
    EXPECT_EQ(layout.CriteriaCount, 5);
    ExpectShellValuesFound(five);

    // The writer's own record of its lines agrees with the locator.
    LongDefaultsLayout written;
    LongDefaultsLines(BuiltInDefaults(), written);
    for (int v = 0; v < kLongDefaultsValueCount; ++v) EXPECT_EQ(written.Lines[v], layout.Lines[v]);
}

// An operator's file: an explicit list of three windows, a criterion whose
// real stands on the next line, two selected windows and a word where a
// number belongs (the engine would stop there; the layout goes on).
TEST(LongDefaultsLocator, WindowListCriterionOnTwoLinesAndOtherCounts) {
    std::vector<std::string> lines = EngineFile(4);
    lines[1] = "3 2";
    lines[3] = "300 316";
    lines.insert(lines.begin() + 4, {"301 317", "302 318"});  // +2
    const int criterion = 27 + 2 + 1;                         // the second criterion
    lines[criterion] = "str25";
    lines.insert(lines.begin() + criterion + 1, "  0.25");  // +1
    const int selected = 28 + 4 + 3;
    lines[selected] = "2";
    lines.erase(lines.begin() + selected + 3, lines.begin() + selected + 7);  // -4
    lines[24 + 2] = "40 ninety 0.2";
    LongDefaultsLayout layout = LocateLongDefaults(lines);
    EXPECT_EQ(layout.LineOf(V::WindowSeries), 3);
    EXPECT_EQ(layout.LineOf(V::MaximumShift), 6);
    EXPECT_EQ(layout.LineOf(V::SlitRangeFactor), 27);
    EXPECT_EQ(layout.LineOf(V::TimeCorrection), 39 + 2 + 1 - 4);
    EXPECT_EQ(layout.WindowCount, 3);
    EXPECT_EQ(layout.WindowMode, 2);
    EXPECT_EQ(layout.SelectedWindowCount, 2);
    ExpectShellValuesFound(lines);

    // Counts beyond the tables, as the engine keeps them: 7 criteria (5 read,
    // 2 lines passed over) and a start criterion 9.
    lines = EngineFile(5);
    lines[26] = "7";
    lines.insert(lines.begin() + 32, {"str70 7.0", "str80 8.0"});
    lines[34 + 7 + 6] = "9";
    layout = LocateLongDefaults(lines);
    EXPECT_EQ(layout.CriteriaCount, 5);
    EXPECT_EQ(layout.StartCriterion, 5);
    EXPECT_EQ(layout.LineOf(V::TimeCorrection), 42);
    ExpectShellValuesFound(lines);
}

TEST(LongDefaultsLocator, FilesTooShortForAValue) {
    const std::vector<std::string> full = EngineFile(4);
    auto cut = [&](size_t count) {
        return LocateLongDefaults(std::vector<std::string>(full.begin(), full.begin() + count));
    };
    EXPECT_EQ(cut(43).LineOf(V::QcSubdirectory), kNotInFile);
    EXPECT_EQ(cut(43).LineOf(V::TimeCorrection), 39);
    EXPECT_EQ(cut(44).LineOf(V::QcSubdirectory), 43);
    EXPECT_EQ(cut(67).LineOf(V::StructureSubdirectory), kNotInFile);
    EXPECT_EQ(cut(68).LineOf(V::StructureSubdirectory), 67);
    EXPECT_EQ(cut(80).LineOf(V::Et1nmFileName), kNotInFile);
    EXPECT_EQ(cut(81).LineOf(V::Et1nmFileName), 80);
    // Inside the head: the lines there are found, the counts are the built-in ones.
    LongDefaultsLayout head = cut(10);
    EXPECT_EQ(head.LineOf(V::MainPath), 6);
    EXPECT_EQ(head.LineOf(V::EtFileName), kNotInFile);
    EXPECT_EQ(head.LineOf(V::TimeCorrection), kNotInFile);
    EXPECT_EQ(head.CriteriaCount, 5);
    EXPECT_EQ(head.StartCriterion, 2);
    // Ending after group 3: no criteria in the file, five in force.
    LongDefaultsLayout group3 = cut(26);
    EXPECT_EQ(group3.LineOf(V::SlitRangeFactor), 25);
    EXPECT_EQ(group3.LineOf(V::CriteriaCount), kNotInFile);
    EXPECT_EQ(group3.CriteriaCount, 5);
    EXPECT_EQ(LocateLongDefaults({}).LineOf(V::Location), kNotInFile);
}

// ---- Daily quality table ----

std::vector<std::string> Tokens(const std::string& row) {
    std::istringstream in(row);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) tokens.push_back(t);
    return tokens;
}

TEST(QualityTableColumns, ViewerColumnsForFourAndFiveCriteria) {
    QualityTableColumns four = DailyQualityColumns(4, 2);
    EXPECT_EQ(four.Of(QualityColumn::ZenithAngle), 2);
    EXPECT_EQ(four.Of(QualityColumn::MeanShift1), 3);
    EXPECT_EQ(four.Of(QualityColumn::MeanShift2), 6);
    EXPECT_EQ(four.Of(QualityColumn::ShapeScore, 2), 16);
    EXPECT_EQ(four.Of(QualityColumn::RatioMean2), 36);
    EXPECT_EQ(four.Of(QualityColumn::ScanHour), 60);
    EXPECT_EQ(four.ColumnCount, 65);

    QualityTableColumns five = DailyQualityColumns(5, 2);
    EXPECT_EQ(five.Of(QualityColumn::ShapeScore, 2), 16);
    EXPECT_EQ(five.Of(QualityColumn::RatioMean2), 40);
    EXPECT_EQ(five.Of(QualityColumn::ScanHour), 66);
    EXPECT_EQ(five.Of(QualityColumn::QualityIndex), 68);
    EXPECT_EQ(five.Of(QualityColumn::MaxIrradianceBelowStart), 36);
    EXPECT_EQ(five.Of(QualityColumn::DetectedAboveLevel1), 60);
    EXPECT_EQ(five.Of(QualityColumn::LateExceedCount, 2), 0);  // not after S
    EXPECT_EQ(five.Of(QualityColumn::LateExceedCount, 3), 51);

    for (int k = 1; k <= 5; ++k)
        for (int s = 1; s <= k; ++s)
            EXPECT_EQ(DailyQualityColumns(k, s).ColumnCount, 45 + 6 * k - 2 * s);
    // Counts outside their tables are brought in as the engine does.
    EXPECT_EQ(DailyQualityColumns(9, 0).ColumnCount, 45 + 30 - 2);
    EXPECT_EQ(DailyQualityColumns(4, 7).StartCriterion, 4);

    // From a long defaults file with four criteria to the viewer's column.
    LongDefaultsLayout layout = LocateLongDefaults(EngineFile(4));
    EXPECT_EQ(DailyQualityColumns(layout.CriteriaCount, layout.StartCriterion)
                  .Of(QualityColumn::RatioMean2),
              36);
}

// The columns name the tokens of the row the engine writes.
TEST(QualityTableColumns, NameTheTokensOfTheWrittenRow) {
    for (int k : {4, 5}) {
        QualityRowValues v{};
        v.CriteriaCount = k;
        v.StartCriterion = 2;
        v.ScanName = "1731230";
        v.ZenithAngle = 35.5;
        v.MeanShift[1] = 0.061;
        v.MeanShift[2] = -0.072;
        for (int j = 1; j <= k; ++j) v.ShapeScore[j] = 1.5 * j;
        v.MaxIrradianceBelowStart = 0.0000123;
        v.RatioMean[2] = 0.8765;
        v.DetectedAboveLevel1 = 3;
        v.ScanHour = 12.5;
        v.QualityIndex = 4.25;
        v.OzoneIndication = 330.0;
        std::vector<std::string> tokens = Tokens(QualityRowText(v, "173QC.exa"));
        QualityTableColumns c = DailyQualityColumns(k, 2);
        ASSERT_EQ(static_cast<int>(tokens.size()), c.ColumnCount);
        auto token = [&](QualityColumn column, int j = 0) { return tokens[c.Of(column, j) - 1]; };
        EXPECT_EQ(token(QualityColumn::ScanName), "1731230");
        EXPECT_EQ(token(QualityColumn::ZenithAngle), "35.50");
        EXPECT_EQ(token(QualityColumn::MeanShift1), "0.061");
        EXPECT_EQ(token(QualityColumn::MeanShift2), "-0.072");
        EXPECT_EQ(token(QualityColumn::ShapeScore, 2), "3.00");
        EXPECT_EQ(token(QualityColumn::MaxIrradianceBelowStart), "0.00001230");
        EXPECT_EQ(token(QualityColumn::RatioMean2), "0.8765");
        EXPECT_EQ(token(QualityColumn::DetectedAboveLevel1), "3");
        EXPECT_EQ(token(QualityColumn::ScanHour), "12.5000");
        EXPECT_EQ(token(QualityColumn::QualityIndex), "4.25");
        EXPECT_EQ(token(QualityColumn::OzoneIndication), "330.00");
    }
}

// The edit of a long defaults file: a value's text takes its whole span (an
// explicit window list with its series), last line first; a value given
// twice takes its first text, one the file does not hold changes nothing.
TEST(LongDefaultsEdit, SpansLastLineFirst) {
    std::vector<std::string> lines = EngineFile(4);
    lines[1] = "3 2";
    lines[3] = "300 316";
    lines.insert(lines.begin() + 4, {"301 317", "302 318"});
    lines.resize(60);  // ends before the 1-nm spectrum's line
    const std::vector<LineChange> changes = LongDefaultsEdit(
        LocateLongDefaults(lines), {{V::Location, "1 2"},
                                    {V::MainPath, "m/"},
                                    {V::WindowSeries, "300 16 1.0"},
                                    {V::MainPath, "x/"},
                                    {V::Et1nmFileName, "e.1nm"}});
    ASSERT_EQ(changes.size(), 3u);
    const std::tuple<int, int, std::string> expected[] = {
        {8, 9, "m/"}, {3, 6, "300 16 1.0"}, {0, 1, "1 2"}};
    for (size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(std::make_tuple(changes[i].First, changes[i].End, changes[i].Text),
                  expected[i]);
    }
}

}  // namespace
}  // namespace tarn
