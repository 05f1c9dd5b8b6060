// The example day analysed by the real engine, then each of the seven views
// opened from the shell's "View" button: the six viewer views by the real
// resplot, started by the shell in its export mode, the spectral-shift view
// in the shell's own graph window.  Every graph must hold exactly the points
// that its files have, counted here from the files themselves; the quality
// table's columns that the diurnal views read must hold the second
// transmission ratio and the hour, with five criteria (the example) and four.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

#include "engine/formats/defaults_layout.h"
#include "gui-common/chart.h"
#include "gui-common/data_files_window.h"
#include "platform/text_file.h"
#include "shell/child_process.h"
#include "shell/main_window.h"
#include "shell/shift_graph_window.h"
#include "tests/shell/result_tree_support.h"
#include "tests/support/recording_dialogs.h"

using namespace tarn::tarncall;
using tarn::test::CountPairs;
using tarn::test::MatchingFiles;

namespace {

const QString kPrograms = QStringLiteral(TARN_PROGRAM_DIR_PATH);
constexpr int kScansRun = 4;
const char kQcDirectory[] = "uvanalys/exa/qaqc/";

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList Fields(const QString& line) {
    return line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

bool IsNumber(const QString& text, double* value = nullptr) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (value != nullptr) *value = v;
    return ok && std::isfinite(v);
}

bool Run(const QString& program, const QStringList& arguments, const QString& directory) {
    QProcess process;
    process.setWorkingDirectory(directory);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Makes the shell's working directory for the example day in `directory`,
// with its long defaults file holding `criteria` structure criteria, and
// analyses the first kScansRun scans as the shell's batch would.
void AnalyseExampleDay(const QString& directory, int criteria) {
    tarn::test::MakeExampleWorkDirectory(directory);
    if (QTest::currentTestFailed()) return;
    const QString defaults = QDir(directory).filePath("tarn_exa.dfa");
    tarn::DefaultsSettings settings = tarn::BuiltInDefaults();
    tarn::TextIn in;
    QVERIFY(in.Open(defaults.toStdString()));
    std::vector<tarn::DefaultsNote> notes;
    tarn::ReadLongDefaultsText(in, settings, notes);
    QVERIFY(settings.Qc.CriteriaCount == 5);
    if (criteria != 5) {
        settings.Qc.CriteriaCount = criteria;
        QFile file(defaults);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const std::string& line : tarn::LongDefaultsLines(settings))
            file.write((line + "\n").c_str());
    }
    const QStringList scans = ReadText(QDir(directory).filePath("scans.txt")).split('\n');
    for (int i = 0; i < kScansRun; ++i) {
        QVERIFY(Run(kPrograms + "/tarnpelo", {scans[i], "exa", "tarn_exa.dfa", "S", "I", "W"},
                    directory));
    }
}

// Checks the rows of the day's quality table: column `ratio` holds the mean
// measured/model ratio of 325-400 nm of the scan's model-ratio file, column
// `hour` the hour of the scan name, each followed by its neighbours.
void CheckTableColumns(int ratio, int hour) {
    int rows = 0;
    for (const QString& line : ReadText(QString(kQcDirectory) + "173QC.exa").split('\n')) {
        const QStringList f = Fields(line);
        if (f.isEmpty() || f[0].startsWith('!')) continue;
        ++rows;
        double value = 0.0;
        QVERIFY(f.size() > hour && IsNumber(f[hour - 1], &value));
        const QString scan = f[0];
        QVERIFY(std::abs(value - (scan.mid(3, 2).toInt() + scan.mid(5, 2).toInt() / 60.0)) < 1e-4);
        QCOMPARE(f[hour], QString("Q_index"));
        QCOMPARE(f[ratio + 1], QString("%"));  // after the ratio and its deviation
        QCOMPARE(f[ratio - 2], QString("%"));  // after interval 1's pair
        double sum = 0.0;
        int n = 0;
        for (const QString& row :
             ReadText(QString(kQcDirectory) + "struc/" + scan + "q.exa").split('\n')) {
            const QStringList r = Fields(row);
            double wl = 0.0, q = 0.0;
            if (r.size() < 4 || !IsNumber(r[0], &wl) || !IsNumber(r[3], &q)) continue;
            if (wl >= 325.0 && wl < 400.0) sum += q, ++n;
        }
        QVERIFY(n > 100 && IsNumber(f[ratio - 1], &value));
        QVERIFY2(std::abs(value - sum / n) < 2e-4, qPrintable(f[ratio - 1]));
    }
    QCOMPARE(rows, kScansRun);
}

// The example day with `criteria` structure criteria analysed in
// `directory`, which becomes the working directory; its quality table holds
// the ratio and the hour in the columns `ratio` and `hour`.
void PrepareDay(const QString& directory, int criteria, int ratio, int hour) {
    AnalyseExampleDay(directory, criteria);
    if (QTest::currentTestFailed()) return;
    QVERIFY(QDir::setCurrent(directory));
    CheckTableColumns(ratio, hour);
}

}  // namespace

class ViewsEndToEndTest : public QObject {
    Q_OBJECT

  private:
    // Ticks `radio` (and "SZA" as asked), sets the viewer's export directory
    // `out` and presses "View".
    void View(TForm1& form, QRadioButton* radio, bool sza, const QString& out) {
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, 8));
        QVERIFY(radio->isChecked());
        if (form.chckbx_viewSZA->isChecked() != sza)
            QTest::mouseClick(form.chckbx_viewSZA, Qt::LeftButton, {}, QPoint(6, 10));
        SetExtraArguments("resplot", {"--export", out});
        QTest::mouseClick(form.btn_View, Qt::LeftButton);
        SetExtraArguments("resplot", {});
    }

    // The one graph of the viewer's export in `out`: its Series1 and Series3
    // counts and its title.
    QStringList Graph(const QString& out) {
        const QStringList lines = ReadText(out + "/graphs.txt").split('\n', Qt::SkipEmptyParts);
        if (lines.size() != 1) return {};
        const QStringList f = lines[0].split('\t');
        return {f[1], f[2], f[9]};
    }

    QTemporaryDir m_dir;
    QString m_previous;
    std::unique_ptr<tarn::gui::RecordingDialogs> m_dialogs;

  private slots:
    void initTestCase() {
        m_previous = QDir::currentPath();
        SetProgramDirectory(kPrograms);
    }
    void init() {
        m_dialogs = std::make_unique<tarn::gui::RecordingDialogs>();
    }
    void cleanup() {
        m_dialogs.reset();
        QDir::setCurrent(m_previous);
    }

    void sevenViewsOfTheExampleDay() {
        PrepareDay(m_dir.filePath("five"), 5, 40, 66);
        if (QTest::currentTestFailed()) return;
        TForm1 form;
        const QString qc = kQcDirectory;
        const QStringList ratios = MatchingFiles(qc + "struc", "173*q.exa");
        const QStringList table = {qc + "173QC.exa"};
        QCOMPARE(ratios.size(), kScansRun);

        struct Case {
            QRadioButton* radio;
            bool sza;
            QStringList files;
            int x, y;
            const char* title;
            int lastFilePoints;  // Series3: the file plotted last, the first listed
        };
        const Case cases[] = {
            {form.rdbtn_spkspec, false, ratios, 1, 5, "Spectral spikes for: 173* exa",
             CountPairs(ratios.mid(0, 1), 1, 5)},
            {form.rdbtn_spectrans, true, ratios, 1, 4, "Spectral transmission for: 173* exa",
             CountPairs(ratios.mid(0, 1), 1, 4)},
            {form.rdbtn_shftdiur, true, table, 2, 3, "Wavelength shift1 range 173* exa", -1},
            {form.rdbtn_shft2diur, false, table, 66, 6, "Wavelength shift2 range 173* exa", -1},
            {form.rdbtn_shape, true, table, 2, 16, "Deviation of spectral shape 173* exa", -1},
            {form.rdbtn_diurnaltrans, false, table, 66, 40, "Diurnal transmission in UVA 173* exa",
             -1},
        };
        int n = 0;
        for (const Case& c : cases) {
            const QString out = m_dir.filePath("out-%1").arg(++n);
            View(form, c.radio, c.sza, out);
            const int points = CountPairs(c.files, c.x, c.y);
            QVERIFY(points >= kScansRun);
            const int last = c.lastFilePoints < 0 ? points : c.lastFilePoints;
            QCOMPARE(Graph(out), (QStringList{QString::number(points), QString::number(last),
                                              QString(c.title)}));
        }
        // The last view, as the viewer saved it: the hour and the ratio columns.
        const QStringList settings = ReadText("viewer.dfa").split('\n');
        QCOMPARE(settings.mid(3, 1) + settings.mid(7, 1), (QStringList{"66", "40"}));
        QVERIFY(m_dialogs->Messages().isEmpty());

        QTest::mouseClick(form.rdbtn_shftspec, Qt::LeftButton, {}, QPoint(6, 8));
        QTest::mouseClick(form.btn_View, Qt::LeftButton);
        const QStringList shifts = MatchingFiles("uvanalys/exa/shift", "173*W.exa");
        QCOMPARE(form.DataFiles().Count(), kScansRun);
        TGrafiek1* graph = form.Graphs().Current();
        QVERIFY(graph != nullptr);
        QCOMPARE(graph->Series1->Count(), CountPairs(shifts, 1, 2));
        QCOMPARE(graph->Chart1->Title(), QString("Wavelength shifts for: exa 173*"));
        QVERIFY(m_dialogs->Messages().isEmpty());
    }

    void diurnalTransmissionWithFourCriteria() {
        PrepareDay(m_dir.filePath("four"), 4, 36, 60);
        if (QTest::currentTestFailed()) return;
        TForm1 form;
        const QString out = m_dir.filePath("out-four");
        View(form, form.rdbtn_diurnaltrans, false, out);
        const QStringList settings = ReadText("viewer.dfa").split('\n');
        QCOMPARE(settings.mid(3, 1) + settings.mid(7, 1), (QStringList{"60", "36"}));
        QCOMPARE(Graph(out), (QStringList{QString::number(kScansRun), QString::number(kScansRun),
                                          "Diurnal transmission in UVA 173* exa"}));
        QVERIFY(m_dialogs->Messages().isEmpty());
    }
};

QTEST_MAIN(ViewsEndToEndTest)
#include "test_views_end_to_end.moc"
