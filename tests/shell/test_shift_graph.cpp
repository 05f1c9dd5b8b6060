// The shift-graph window driven as an operator does: applied-shift files
// opened and added, its buttons clicked, the axis dialog typed into; checked
// on the chart's points, axes and the messages shown.
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gui-common/axis_setting_dialog.h"
#include "gui-common/chart.h"
#include "platform/text_format.h"
#include "shell/shift_graph_window.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/recording_dialogs.h"

using namespace tarn::tarncall;
using tarn::test::Type;
using Rows = std::vector<std::pair<double, double>>;

namespace {

constexpr double kTolerance = 1e-12;
const char kTitle[] = "Wavelength shifts for: TES 185*";

// Rows 290.00 .. 400.00 nm every 0.5 nm with shifts of whole 0.0125 nm steps.
Rows ScanRows() {
    Rows rows;
    for (int i = 0; i <= 220; ++i) rows.emplace_back(290.0 + 0.5 * i, 0.0125 * (i % 9 - 3));
    return rows;
}

double MeanShift(const Rows& rows) {
    double sum = 0.0;
    for (const auto& row : rows) sum += row.second;
    return sum / static_cast<double>(rows.size());
}

void CheckAxes(TGrafiek1* window, double yLow, double yHigh, double xLow, double xHigh) {
    const tarn::gui::Chart& chart = *window->Chart1;
    QCOMPARE(chart.LeftAxis().Minimum(), yLow);
    QCOMPARE(chart.LeftAxis().Maximum(), yHigh);
    QCOMPARE(chart.BottomAxis().Minimum(), xLow);
    QCOMPARE(chart.BottomAxis().Maximum(), xHigh);
}

}  // namespace

class ShiftGraphTest : public QObject {
    Q_OBJECT

  private:
    // Writes an applied-shift file as the engine does: its header line, then
    // "wavelength (6:2) shift (9:4)" rows, then `tail`.
    std::string Write(const QString& name, const Rows& rows, const std::string& tail = "") {
        std::string text = "!wavel wavelength shift (nm)\n";
        for (const auto& row : rows)
            text += tarn::Fixed(row.first, 6, 2) + " " + tarn::Fixed(row.second, 9, 4) + "\n";
        text += tail;
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(name));
        file.write(text.data(), static_cast<qint64>(text.size()));
        return file.fileName().toStdString();
    }

    QTemporaryDir m_dir;
    tarn::gui::RecordingDialogs m_dialogs;
    std::unique_ptr<ShiftGraphs> m_graphs;

  private slots:
    void init() {
        m_dialogs.Clear();
        m_graphs = std::make_unique<ShiftGraphs>();
    }
    void cleanup() { m_graphs.reset(); }

    void newWindowPlotsEveryRowInWavelengthOrder() {
        Rows rows = ScanRows();
        Rows reversed(rows.rbegin(), rows.rend());
        const std::string file = Write("1850900W.TES", reversed, "\n");  // ends in an empty line
        m_graphs->Show(kTitle, file, true);

        TGrafiek1* window = m_graphs->Current();
        QVERIFY(window != nullptr && window->isVisible());
        QCOMPARE(window->windowTitle(), QString("TARNpelo wavelength shifts applied"));
        QVERIFY(m_dialogs.Messages().isEmpty());
        const auto& points = window->Series1->Points();
        QCOMPARE(points.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            QCOMPARE(points[i].X, rows[i].first);
            QVERIFY(qAbs(points[i].Y - rows[i].second) < kTolerance);
        }
        const auto& mean = window->Series3->Points();
        QCOMPARE(mean.size(), size_t(2));
        QVERIFY(mean[0].X == 290.0 && mean[1].X == 400.0);
        QVERIFY(qAbs(mean[0].Y - MeanShift(rows)) < kTolerance && mean[1].Y == mean[0].Y);
        CheckAxes(window, -0.3, 0.3, 300.0, 400.0);
        QCOMPARE(window->Chart1->LeftAxis().Increment(), 0.05);
        QCOMPARE(window->Chart1->Title(), QString(kTitle));

        // Closing hides the window; the next added file shows it again.
        window->close();
        QVERIFY(!window->isVisible());
        m_graphs->Show("another title", Write("1850915W.TES", {{300.5, 0.1}}), false);
        QVERIFY(window->isVisible());
        QCOMPARE(window->Series1->Count(), 222);
        QCOMPARE(window->Series1->Points()[22].X, 300.5);    // after the equal x of the first file
        QCOMPARE(window->Chart1->Title(), QString(kTitle));  // an add keeps the title
    }

    void headerOnlyAndMissingFiles() {
        m_graphs->Show(kTitle, Write("header.TES", {}), true);
        TGrafiek1* window = m_graphs->Current();
        QCOMPARE(window->Series1->Count(), 0);
        QCOMPARE(window->Series3->Count(), 0);
        QVERIFY(m_dialogs.Messages().isEmpty());

        const std::string missing = m_dir.filePath("1860900W.TES").toStdString();
        m_graphs->File = missing;
        QVERIFY(!m_graphs->AddFile());
        m_graphs->Show(kTitle, missing, false);
        QCOMPARE(window->Series1->Count(), 0);
        QVERIFY(m_dialogs.Messages().isEmpty());

        // On "Show Result" the missing file is reported; axes and title are set
        // all the same.
        Type(m_graphs->AxisDialog().edt_Xmin, "250");
        CheckAxes(window, -0.3, 0.3, 250.0, 400.0);
        m_graphs->Title = "new title";
        QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(),
                 QStringList{"No result file available: " + QString::fromStdString(missing)});
        CheckAxes(window, -0.3, 0.3, 300.0, 400.0);
        QCOMPARE(window->Chart1->Title(), QString("new title"));

        // The same on creation.
        m_dialogs.Clear();
        m_graphs->Show(kTitle, missing, true);
        QVERIFY(m_graphs->Current() != window);
        QCOMPARE(m_dialogs.Messages(),
                 QStringList{"No result file available: " + QString::fromStdString(missing)});
        CheckAxes(m_graphs->Current(), -0.3, 0.3, 300.0, 400.0);
        QCOMPARE(m_graphs->Current()->Chart1->Title(), QString(kTitle));
    }

    void axisDialogAndClearActOnTheirWindows() {
        const Rows rows = ScanRows();
        m_graphs->Show(kTitle, Write("a.TES", rows), true);
        TGrafiek1* first = m_graphs->Current();
        m_graphs->Show(kTitle, Write("b.TES", rows), true);
        TGrafiek1* second = m_graphs->Current();
        tarn::gui::TFrm_axissetting& dialog = m_graphs->AxisDialog();
        Type(dialog.edt_ymax, "0.2");
        QVERIFY(dialog.isVisible());
        CheckAxes(second, -0.5, 0.2, 300.0, 400.0);  // the newest window
        CheckAxes(first, -0.3, 0.3, 300.0, 400.0);

        QTest::mouseClick(second->Button1, Qt::LeftButton);
        QCOMPARE(second->Series1->Count(), 0);
        QCOMPARE(second->Series3->Count(), 0);
        CheckAxes(second, -0.5, 0.2, 300.0, 400.0);
        QCOMPARE(first->Series1->Count(), int(rows.size()));
        QTest::mouseClick(second->Button1, Qt::LeftButton);  // empty: nothing happens
        QCOMPARE(second->Series1->Count(), 0);
        QVERIFY(m_dialogs.Messages().isEmpty());

        // "Rescale axis" applies all four values to its own window.
        Type(dialog.edt_Xmax, "380");
        QTest::mouseClick(first->btnAxis, Qt::LeftButton);
        CheckAxes(first, -0.5, 0.2, 300.0, 380.0);
    }

    void showResultTwiceDoublesEveryPoint() {
        const Rows rows = ScanRows();
        m_graphs->Show(kTitle, Write("1850900W.TES", rows), true);
        TGrafiek1* window = m_graphs->Current();
        QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
        const auto& points = window->Series1->Points();
        QCOMPARE(points.size(), 2 * rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            QCOMPARE(points[2 * i].X, rows[i].first);
            QCOMPARE(points[2 * i + 1].X, rows[i].first);
        }
        QVERIFY(qAbs(window->Series3->Points()[0].Y - MeanShift(rows)) < kTolerance);
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void printResultsWritesThePageOrSaysWhyNot() {
        m_graphs->Show(kTitle, Write("1850900W.TES", ScanRows()), true);
        TGrafiek1* window = m_graphs->Current();
        QTest::mouseClick(window->Button2, Qt::LeftButton);  // cancelled: nothing, no message
        m_dialogs.SetPrintFile(m_dir.filePath("shifts.pdf"));
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        QCOMPARE(m_dialogs.PrintRequests(), 2);
        QFile pdf(m_dir.filePath("shifts.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
        QVERIFY(m_dialogs.Messages().isEmpty());
        m_dialogs.SetPrintFile(m_dir.filePath("no/dir/shifts.pdf"));
        QTest::mouseClick(window->Button2, Qt::LeftButton);
        QCOMPARE(m_dialogs.Errors(),
                 QStringList{"Cannot print the chart on " + m_dir.filePath("no/dir/shifts.pdf")});
        m_dialogs.SetPrintFile(QString());
    }

    void badDataLineReportsOnceAndKeepsEarlierPoints() {
        const std::string file =
            Write("bad.TES", {{290.0, 0.01}, {291.0, 0.02}}, "292.00 abc\n293.00    0.0300\n");
        m_graphs->Show(kTitle, file, true);
        TGrafiek1* window = m_graphs->Current();
        const QString report = "run-time error: read number from '" + QString::fromStdString(file) +
                               "' line 4: invalid numeric format 'abc'";
        QCOMPARE(m_dialogs.Messages(), QStringList{report});
        QCOMPARE(window->Series1->Count(), 2);
        QCOMPARE(window->Chart1->Title(), QString(kTitle));  // the creation went on

        m_dialogs.Clear();
        QVERIFY(!m_graphs->AddFile());
        QCOMPARE(m_dialogs.Messages(), QStringList{report});
        QCOMPARE(window->Series1->Count(), 4);
    }
};

QTEST_MAIN(ShiftGraphTest)
#include "test_shift_graph.moc"
