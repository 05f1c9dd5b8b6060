#include "engine/formats/quality_table_layout.h"

#include <algorithm>
#include <vector>

#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

using C = QualityColumn;

// One field of a row: the value of `Column` (criterion `Criterion`) is the
// first token of `Text`; a field of a label or of a repeated value names no
// column (QualityColumn::Count).
struct RowField {
    C Column;
    int Criterion;
    std::string Text;
};

void Add(std::vector<RowField>& f, C column, const std::string& text, int criterion = 0) {
    f.push_back({column, criterion, text});
}

// The texts of a row's reals for the file `File`: a real that is not finite
// is the run-time error naming it.
struct Numbers {
    const std::string& File;
    std::string Fixed(double x, int width, int decimals) const {
        FileText text(File);
        return text.Fixed(x, width, decimals).Str();
    }
};

// The fields up to the criteria: scan name, zenith angle and the shift
// statistics of the two intervals.
void AddHeadFields(std::vector<RowField>& f, const QualityRowValues& v, const Numbers& n) {
    auto add = [&f](C column, const std::string& text) { Add(f, column, text); };
    add(C::ScanName, v.ScanName + " ");
    add(C::ZenithAngle, n.Fixed(v.ZenithAngle, 6, 2) + " ");
    const C shiftColumns[3][3] = {{},
                                  {C::MeanShift1, C::SdShift1, C::WindowsUsed1},
                                  {C::MeanShift2, C::SdShift2, C::WindowsUsed2}};
    for (int i = 1; i <= 2; ++i) {
        add(shiftColumns[i][0], n.Fixed(v.MeanShift[i], 6, 3) + " ");
        add(shiftColumns[i][1], n.Fixed(v.SdShift[i], 5, 3) + " ");
        add(shiftColumns[i][2], IntW(v.WindowsUsed[i], 3) + "  ");
    }
}

// The fields of a row, in order.
std::vector<RowField> RowFields(const QualityRowValues& v, const Numbers& n) {
    std::vector<RowField> f;
    auto add = [&f](C column, const std::string& text, int criterion = 0) {
        Add(f, column, text, criterion);
    };
    AddHeadFields(f, v, n);
    for (int j = 1; j <= v.CriteriaCount; ++j) {
        add(C::StartWavelength, n.Fixed(v.StartWavelength[j], 6, 2) + " ", j);
        add(C::MeetCount, IntW(v.MeetCount[j], 4) + " ", j);
        add(C::ExceedCount, IntW(v.ExceedCount[j], 4) + " ", j);
        add(C::ShapeScore, n.Fixed(v.ShapeScore[j], 10, 2) + "    ", j);
    }
    add(C::EfuvBelowStart, n.Fixed(v.EfuvBelowStart, 10, 3) + " %< ");
    add(C::FirstWavelength, n.Fixed(v.FirstWavelength, 6, 2) + "   ");
    add(C::EfuvAboveLast, n.Fixed(v.EfuvAboveLast, 10, 3) + " %> ");
    add(C::LastWavelength, n.Fixed(v.LastWavelength, 6, 2) + "   ");
    add(C::StartIrradiance, n.Fixed(v.StartIrradiance, 12, 8) + " ");
    add(C::MaxIrradianceBelowStart, n.Fixed(v.MaxIrradianceBelowStart, 12, 8) + "   ");
    const C ratioColumns[3][2] = {{C::RatioMeanAll, C::RatioPercentAll},
                                  {C::RatioMean1, C::RatioPercent1},
                                  {C::RatioMean2, C::RatioPercent2}};
    for (int i : {1, 2, 0}) {
        add(ratioColumns[i][0], n.Fixed(v.RatioMean[i], 6, 4) + " ");
        add(ratioColumns[i][1], n.Fixed(v.RatioPercent[i], 6, 2) + (i == 0 ? " %   " : " % "));
    }
    add(C::MeanErrorRatio1, n.Fixed(v.MeanErrorRatio[1], 8, 5) + " ");
    add(C::SdErrorRatio1, n.Fixed(v.SdErrorRatio[1], 8, 5) + "   ");
    add(C::MeanErrorRatio2, n.Fixed(v.MeanErrorRatio[2], 8, 5) + " ");
    add(C::SdErrorRatio2, n.Fixed(v.SdErrorRatio[2], 8, 5));
    for (int j = v.StartCriterion + 1; j <= v.CriteriaCount; ++j) {
        add(C::Count, " spikes_at_CR" + IntText(j) + " ");
        add(C::LateExceedCount, IntText(v.LateExceedCount[j]) + "  ", j);
    }
    const std::string level2 = n.Fixed(v.IrradianceLevel2, 14, 8) + " ";
    const std::string level1 = n.Fixed(v.IrradianceLevel1, 14, 8) + " ";
    add(C::Count, " median_spikes_detected_above: ");
    add(C::IrradianceLevel2, level2);
    add(C::DetectedAboveLevel2, IntW(v.DetectedAboveLevel2, 5) + " ");
    add(C::IrradianceLevel1, level1);
    add(C::DetectedAboveLevel1, IntW(v.DetectedAboveLevel1, 5));
    add(C::Count, " median_spikes_corrected_above: " + level2);
    add(C::CorrectedAboveLevel2, IntW(v.CorrectedAboveLevel2, 5) + " ");
    add(C::Count, level1);
    add(C::CorrectedAboveLevel1, IntW(v.CorrectedAboveLevel1, 5) + "  ");
    add(C::ScanHour, n.Fixed(v.ScanHour, 8, 4) + "  Q_index ");
    add(C::QualityIndex, n.Fixed(v.QualityIndex, 8, 2) + " ozone_indication: ");
    add(C::OzoneIndication, n.Fixed(v.OzoneIndication, 7, 2) + " DU");
    return f;
}

std::string Joined(const std::vector<RowField>& fields) {
    std::string row;
    for (const RowField& field : fields) row += field.Text;
    return row;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

CriteriaInForce CriteriaCountsInForce(int criteriaCount, int startCriterion) {
    int k = std::clamp(criteriaCount, 1, kMaxCriteria);
    return {k, std::clamp(startCriterion, 1, k)};
}

std::string QualityRowText(const QualityRowValues& values, const std::string& file) {
    return Joined(RowFields(values, Numbers{file}));
}

std::string QualityRowHeadText(const QualityRowValues& values, const std::string& file) {
    std::vector<RowField> fields;
    AddHeadFields(fields, values, Numbers{file});
    return Joined(fields);
}

int QualityTableColumns::Of(QualityColumn column, int criterion) const {
    int c = static_cast<int>(column);
    if (c < 0 || c >= static_cast<int>(QualityColumn::Count)) return 0;
    if (criterion < 0 || criterion > kMaxCriteria) return 0;
    return Numbers[c][criterion];
}

QualityTableColumns DailyQualityColumns(int criteriaCount, int startCriterion) {
    QualityRowValues v{};
    CriteriaInForce counts = CriteriaCountsInForce(criteriaCount, startCriterion);
    v.CriteriaCount = counts.Count;
    v.StartCriterion = counts.Start;
    v.ScanName = "DDDhhmm";
    QualityTableColumns columns{};
    columns.CriteriaCount = counts.Count;
    columns.StartCriterion = counts.Start;
    // Each field's value is the next token after the tokens of the fields before it.
    int tokens = 0;
    bool inToken = false;
    const std::string noFile;
    for (const RowField& field : RowFields(v, Numbers{noFile})) {
        bool marked = false;
        for (char c : field.Text) {
            if (IsBlank(c)) {
                inToken = false;
                continue;
            }
            if (!inToken) ++tokens;
            inToken = true;
            if (!marked && field.Column != C::Count)
                columns.Numbers[static_cast<int>(field.Column)][field.Criterion] = tokens;
            marked = true;
        }
    }
    columns.ColumnCount = tokens;
    return columns;
}

}  // namespace tarn
