// One operator's journey through the whole system, with the real programs:
// a fresh working directory made as the examples' notes make it, two example
// days (day 173 and its copy as day 174, two scans each); the shell started
// as the program starts; the scans chosen by the mask "17*"; the year and the
// output specification changed in the settings dialog; "Run TARN" with "Plot"
// and "ZIP" (tarnbat running tarnpelo); then each of the seven views (resplot
// started by the shell in its export mode).  Checked on what the programs
// left: both days' result trees and archives, the switched-off files, the
// year in the result headers, the run's shift graph, every view's points
// counted from the files here, and the engine's main log.
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <string>
#include <vector>

#include "engine/formats/result_names.h"
#include "gui-common/chart.h"
#include "gui-common/chart_series.h"
#include "gui-common/data_files_window.h"
#include "platform/paths.h"
#include "shell/child_process.h"
#include "shell/main_window.h"
#include "shell/settings_dialog.h"
#include "shell/shell_program.h"
#include "shell/shift_graph_window.h"
#include "tests/shell/result_tree_support.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/recording_dialogs.h"

using namespace tarn::tarncall;
using namespace tarn::test;

namespace {

const char kId[] = "exa";
const char kYear[] = "2019";  // the example's defaults say 2021
const QStringList kScans = {"1731130", "1731230", "1741130", "1741230"};
const char kResults[] = "uvanalys/exa/";
const char kYearLabel[] = "Measurement Year: ";

// The points of a chart series, sorted.
Points Sorted(Points points) {
    std::sort(points.begin(), points.end());
    return points;
}
Points PointsOf(const tarn::gui::ChartSeries& series) {
    Points points;
    for (const tarn::gui::ChartPoint& point : series.Points())
        points.emplace_back(point.X, point.Y);
    return Sorted(points);
}

// Relative path of a file in the result tree: <subdirectory>/<name>.
std::string InTree(const char* subdirectory, const std::string& name) {
    return tarn::AsDirectory(subdirectory) + name;
}

// Every "Measurement Year: " line of `files` names `year`; returns how many
// files hold one.
int FilesWithYear(const Files& files, const std::string& year) {
    int count = 0;
    for (const auto& [name, text] : files) {
        size_t at = text.find(kYearLabel);
        if (at == std::string::npos) continue;
        ++count;
        for (; at != std::string::npos; at = text.find(kYearLabel, at + 1)) {
            const size_t value = at + std::string(kYearLabel).size();
            const size_t end = text.find('\n', value);
            if (text.substr(value, end - value) != year) {
                qWarning("%s: %s", name.c_str(), text.substr(at, end - at).c_str());
                return -1;
            }
        }
    }
    return count;
}

// The lines of `text` that contain `part`.
QStringList LinesWith(const std::string& text, const QString& part) {
    return QString::fromStdString(text).split('\n').filter(part);
}

}  // namespace

class OperatorJourneyTest : public QObject {
    Q_OBJECT

  private:
    // Ticks `radio` (and "SZA" as asked), presses "View" with the viewer
    // exporting into `out`, and returns the one graph's fields of graphs.txt
    // (Series1 and Series3 counts, title); empty when not exactly one graph.
    QStringList View(TForm1& form, QRadioButton* radio, bool sza, const QString& out) {
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
        if (form.chckbx_viewSZA->isChecked() != sza) Toggle(form.chckbx_viewSZA);
        SetExtraArguments("resplot", {"--export", out});
        QTest::mouseClick(form.btn_View, Qt::LeftButton);
        SetExtraArguments("resplot", {});
        const QStringList lines =
            QString::fromStdString(Read(out + "/graphs.txt")).split('\n', Qt::SkipEmptyParts);
        if (lines.size() != 1 || !radio->isChecked() || form.chckbx_viewSZA->isChecked() != sza)
            return {};
        const QStringList f = lines[0].split('\t');
        return {f.value(1), f.value(2), f.value(9)};
    }

    QTemporaryDir m_dir;
    tarn::gui::RecordingDialogs m_dialogs;

  private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("HOME", m_dir.filePath("home").toLocal8Bit());
        SetProgramDirectory(TARN_PROGRAM_DIR_PATH);
    }

    void analyseTwoDaysAndViewThem() {
        const QString work = m_dir.filePath("work");
        MakeExampleWorkDirectory(work);
        QVERIFY(QDir::setCurrent(work));
        KeepExampleScansAsTwoDays("uvdata/exa", {"1731130.exa", "1731230.exa"});
        ShellProgram program;
        TForm1& form = program.Form();

        // The scans of both days by mask.
        Type(form.edtDayTime, "17*");
        QTest::mouseClick(form.btnDataselect, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(), QStringList{"4 datafile(s) selected"});
        QCOMPARE(
            form.DataFiles().Items(),
            (std::vector<std::string>{"1731130.exa", "1731230.exa", "1741130.exa", "1741230.exa"}));
        QCOMPARE(Read("TARNcall.dfa"),
                 Join({form.edtProg->text().toStdString(), "tarn_exa.dfa", "S I W", kId, "17*"}));

        // The year, and no detailed or daily shift tables.
        QTest::mouseClick(form.btnSettings, Qt::LeftButton);
        TfrmSettings& settings = form.Settings();
        QVERIFY(settings.isVisible());
        Type(settings.edtYEAR, kYear);
        QTest::mouseClick(settings.BitBtnOK, Qt::LeftButton);
        settings.PageControl1->setCurrentWidget(settings.Tbsht_output);
        Toggle(settings.ChckBx_shift);
        Toggle(settings.ChkBx_shis);
        QTest::mouseClick(settings.BtBtn_OC_OK, Qt::LeftButton);
        QVERIFY(!settings.ChckBx_shift->isChecked() && !settings.ChkBx_shis->isChecked());

        // The run.
        Toggle(form.chckbx_Plot);
        Toggle(form.ChckBxZIP);
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QVERIFY2(m_dialogs.Messages().size() == 1, qPrintable(m_dialogs.Messages().join('|')));
        QVERIFY(!QFile::exists("CHECK.OK") && !QFile::exists("CHECK.RES"));
        TGrafiek1* runGraph = form.Graphs().Current();
        QVERIFY(runGraph != nullptr);

        // Day 173 lives only in its archive, day 174 on disk and in its archive.
        Files zip173, day174;
        CheckTwoArchivedDays(kResults, kId, zip173, day174);
        if (QTest::currentTestFailed()) return;

        // Per scan: the result spectrum and the applied shifts with the new
        // year, no scan shift table; per day: the quality table, no shift series.
        Points runShifts;
        for (const QString& scanText : kScans) {
            const std::string scan = scanText.toStdString();
            const Files& tree = scan.rfind("173", 0) == 0 ? zip173 : day174;
            const std::string applied =
                InTree(tarn::kShiftSubdirectory, tarn::AppliedShiftName(scan, "W", kId));
            const std::string spectrum = tarn::ResultSpectrumName(scan, "I", kId);
            QVERIFY2(tree.count(applied) && tree.count(spectrum), scan.c_str());
            QVERIFY(!tree.count(
                InTree(tarn::kShiftSubdirectory, tarn::ScanShiftTableName(scan, "S", kId))));
            QVERIFY(FilesWithYear({{spectrum, tree.at(spectrum)}}, kYear) == 1);
            const Points rows = ColumnPairs(tree.at(applied), 1, 2);
            QVERIFY(!rows.empty());
            runShifts.insert(runShifts.end(), rows.begin(), rows.end());
        }
        for (const auto& [day, tree] :
             {std::pair<std::string, const Files*>{"173", &zip173}, {"174", &day174}}) {
            QVERIFY(tree->count(InTree(tarn::kQaqcSubdirectory, tarn::DailyQualityName(day, kId))));
            QVERIFY(!tree->count(
                InTree(tarn::kShiftSubdirectory, tarn::DailyShiftName(day, "S", kId))));
            QVERIFY(FilesWithYear(*tree, kYear) >= 4);
        }

        // The run's graph: one point per row of every applied-shift file.
        QCOMPARE(runGraph->Chart1->Title(), QString("Wavelength shifts for: exa 17*"));
        QCOMPARE(PointsOf(*runGraph->Series1), Sorted(runShifts));

        // The engine's log: four analyses of the new year, each to its end (a
        // run-time error would end it before), none halted.
        const std::string log = Read("tarnpelo.log");
        QStringList analysed;
        for (const QString& scan : kScans)
            analysed << "uvdata/exa/" + scan + ".exa   Year: " + kYear;
        const QStringList announced = LinesWith(log, "Analysing Measurement: ");
        QCOMPARE(announced.size(), kScans.size());
        for (int i = 0; i < kScans.size(); ++i)
            QVERIFY2(announced[i].endsWith(analysed[i]), qPrintable(announced[i]));
        QCOMPARE(LinesWith(log, "END of Program ").size(), kScans.size());
        QVERIFY(LinesWith(log, "HALTED").isEmpty());
        QVERIFY(!QString::fromStdString(log).contains("run-time error", Qt::CaseInsensitive));

        // The views, over the files left on disk for the mask (day 174).
        const QString qc = QString(kResults) + "qaqc/";
        const QStringList ratios = MatchingFiles(qc + "struc", "17*q.exa");
        const QStringList table = MatchingFiles(qc, "17*QC.exa");
        QCOMPARE(ratios.size(), 2);
        QCOMPARE(table, QStringList{qc + "174QC.exa"});
        struct Case {
            QRadioButton* radio;
            bool sza;
            QStringList files;
            int x, y;  // columns; the table's hour 66 and ratio 40 with five criteria
            QString title;
            int lastFilePoints;  // Series3: the file plotted last, the first listed
        };
        const Case cases[] = {
            {form.rdbtn_spkspec, false, ratios, 1, 5, "Spectral spikes for: 17* exa",
             CountPairs(ratios.mid(0, 1), 1, 5)},
            {form.rdbtn_spectrans, true, ratios, 1, 4, "Spectral transmission for: 17* exa",
             CountPairs(ratios.mid(0, 1), 1, 4)},
            {form.rdbtn_shftdiur, true, table, 2, 3, "Wavelength shift1 range 17* exa", -1},
            {form.rdbtn_shft2diur, false, table, 66, 6, "Wavelength shift2 range 17* exa", -1},
            {form.rdbtn_shape, true, table, 2, 16, "Deviation of spectral shape 17* exa", -1},
            {form.rdbtn_diurnaltrans, false, table, 66, 40, "Diurnal transmission in UVA 17* exa",
             -1},
        };
        int n = 0;
        for (const Case& c : cases) {
            const int points = CountPairs(c.files, c.x, c.y);
            QVERIFY(points >= 2);  // a diurnal view: one point per scan of the day
            const int last = c.lastFilePoints < 0 ? points : c.lastFilePoints;
            QCOMPARE(View(form, c.radio, c.sza, m_dir.filePath("view-%1").arg(++n)),
                     (QStringList{QString::number(points), QString::number(last), c.title}));
        }
        QTest::mouseClick(form.rdbtn_shftspec, Qt::LeftButton, {}, QPoint(6, 8));
        QTest::mouseClick(form.btn_View, Qt::LeftButton);
        TGrafiek1* viewGraph = form.Graphs().Current();
        QVERIFY(viewGraph != nullptr && viewGraph != runGraph);
        Points shifts174;
        for (const QString& file : MatchingFiles(QString(kResults) + "shift", "17*W.exa")) {
            const Points rows = ColumnPairs(Read(file), 1, 2);
            shifts174.insert(shifts174.end(), rows.begin(), rows.end());
        }
        QCOMPARE(PointsOf(*viewGraph->Series1), Sorted(shifts174));
        QCOMPARE(int(shifts174.size()) * 2, runGraph->Series1->Count());
        QCOMPARE(m_dialogs.Messages().size(), 1);
    }
};

QTEST_MAIN(OperatorJourneyTest)
#include "test_operator_journey.moc"
