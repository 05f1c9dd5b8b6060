// The shell's "View" button driven as an operator does: every viewer view's
// lines 0 to 12 of "viewer.dfa" as the started viewer finds them, on long
// defaults files with four and five structure criteria, later lines kept, a
// missing or short file completed, the viewer found beside the shell or on
// the search path or reported, and the spectral-shift view over the
// applied-shift files.  A stand-in "resplot" script copies the settings file
// it finds, so each case checks the file the viewer would read.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "engine/formats/defaults_layout.h"
#include "gui-common/chart.h"
#include "gui-common/data_files_window.h"
#include "shell/child_process.h"
#include "shell/main_window.h"
#include "shell/quality_views.h"
#include "shell/shift_graph_window.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/recording_dialogs.h"

using namespace tarn::tarncall;
using tarn::test::Join;
using tarn::test::Read;
using tarn::test::Write;
using Lines = std::vector<std::string>;

namespace {

// A long defaults file with `criteria` structure criteria, main path "a/",
// the built-in subdirectories but the shift one, `shift`.
std::string LongDefaults(int criteria, const std::string& shift = "shift/") {
    tarn::DefaultsSettings s = tarn::BuiltInDefaults();
    s.Qc.CriteriaCount = criteria;
    s.Paths.MainPath = "a/";
    s.Paths.ShiftSubdir = shift;
    return Join(tarn::LongDefaultsLines(s));
}

// A stand-in viewer: copies the settings file it finds to `copy`.
void WriteViewerScript(const QString& path, const char* copy) {
    Write(path, std::string("#!/bin/sh\ncp viewer.dfa ") + copy + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The expected lines 0 to 12 of a view for the mask 185* and id TES with
// main path a/; the diurnal views with the table's columns `trans2`
// (ratio mean of interval 2) and `hour`.
Lines Expected(QualityView view, bool sza, int trans2, int hour) {
    const Lines spectralX = {"1", "400", "290", "Wavelength (nm)"};
    const Lines diurnalX = sza ? Lines{"2", "90", "0", "Solar Zenith Angle(Degrees)"}
                               : Lines{std::to_string(hour), "24", "0", "Time (UT)"};
    struct Y {
        QualityView view;
        const char* title;
        std::string column, max, min, axis, steps;
    };
    const Y ys[] = {
        {QualityView::SpectralSpikes, "Spectral spikes for: ", "5", "50", "-50",
         "Percent deviation", "10"},
        {QualityView::SpectralTransmission, "Spectral transmission for: ", "4", "1.4", "0",
         "Transmission compared to cloudless sky", "7"},
        {QualityView::DiurnalShift1, "Wavelength shift1 range ", "3", "0.5", "-0.5", "Shift (nm)",
         "10"},
        {QualityView::DiurnalShift2, "Wavelength shift2 range ", "6", "0.5", "-0.5", "Shift (nm)",
         "10"},
        {QualityView::DiurnalShape, "Deviation of spectral shape ", "16", "30", "0",
         "% deviation (<3% stable;green<10%>yellow<15%>red<20%>black", "6"},
        {QualityView::DiurnalTransmission2, "Diurnal transmission in UVA ", std::to_string(trans2),
         "1.4", "0", "Transmission (trans2)", "7"},
    };
    for (const Y& y : ys) {
        if (y.view != view) continue;
        const bool spectral =
            view == QualityView::SpectralSpikes || view == QualityView::SpectralTransmission;
        const Lines& x = spectral ? spectralX : diurnalX;
        const std::string xSteps = spectral ? "11" : sza ? "18" : "12";
        return {spectral ? "185*Q.TES" : "185QC.TES",
                spectral ? "a/TES/qaqc/struc/" : "a/TES/qaqc/",
                y.title + std::string("185* TES"),
                x[0],
                x[1],
                x[2],
                x[3],
                y.column,
                y.max,
                y.min,
                y.axis,
                xSteps,
                y.steps};
    }
    return {};
}

}  // namespace

class QualityViewsTest : public QObject {
    Q_OBJECT

  private:
    QString Path(const QString& name) const { return m_dir->filePath(name); }

    QRadioButton* Radio(TForm1& form, QualityView view) {
        switch (view) {
            case QualityView::SpectralShift:
                return form.rdbtn_shftspec;
            case QualityView::SpectralSpikes:
                return form.rdbtn_spkspec;
            case QualityView::SpectralTransmission:
                return form.rdbtn_spectrans;
            case QualityView::DiurnalTransmission2:
                return form.rdbtn_diurnaltrans;
            case QualityView::DiurnalShift1:
                return form.rdbtn_shftdiur;
            case QualityView::DiurnalShift2:
                return form.rdbtn_shft2diur;
            case QualityView::DiurnalShape:
                return form.rdbtn_shape;
        }
        return nullptr;
    }

    // Ticks the view (and "SZA" as asked) and presses "View".
    void View(TForm1& form, QualityView view, bool sza) {
        QTest::mouseClick(Radio(form, view), Qt::LeftButton, {}, QPoint(6, 8));
        QVERIFY(Radio(form, view)->isChecked());
        if (form.chckbx_viewSZA->isChecked() != sza)
            QTest::mouseClick(form.chckbx_viewSZA, Qt::LeftButton, {}, QPoint(6, 10));
        QCOMPARE(form.chckbx_viewSZA->isChecked(), sza);
        QTest::mouseClick(form.btn_View, Qt::LeftButton);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    tarn::gui::RecordingDialogs m_dialogs;

  private slots:
    void init() {
        QVERIFY(tarn::test::EnterFreshWorkDirectory(m_dir));
        QVERIFY(QDir().mkpath("bin") && QDir().mkpath("a"));
        SetProgramDirectory(Path("bin"));
        WriteViewerScript(Path("bin/resplot"), "seen.dfa");
        Write("TARNcall.dfa", "prog\nlong.dfa\nS I W\nTES\n185*\n");
        m_dialogs.Clear();
    }
    void everyViewerViewOnFourAndFiveCriteria() {
        // The engine's column rule: four criteria put the ratio mean of
        // interval 2 and the hour at 36 and 60, the built-in five at 40 and 66.
        const DiurnalColumns four = DiurnalColumnsFor(4, 2), five = DiurnalColumnsFor(5, 2);
        QCOMPARE(QVector<int>({four.ZenithAngle, four.MeanShift1, four.MeanShift2, four.ShapeScore,
                               four.RatioMean2, four.ScanHour}),
                 QVector<int>({2, 3, 6, 16, 36, 60}));
        QCOMPARE(QVector<int>({five.ZenithAngle, five.MeanShift1, five.MeanShift2, five.ShapeScore,
                               five.RatioMean2, five.ScanHour}),
                 QVector<int>({2, 3, 6, 16, 40, 66}));

        const QualityView views[] = {
            QualityView::SpectralSpikes, QualityView::SpectralTransmission,
            QualityView::DiurnalShift1,  QualityView::DiurnalShift2,
            QualityView::DiurnalShape,   QualityView::DiurnalTransmission2};
        Write("viewer.dfa", Join(Lines(13, "old")) + "kept 13\nkept 14\n");
        for (int criteria : {4, 5}) {
            Write("long.dfa", LongDefaults(criteria));
            TForm1 form;
            for (QualityView view : views) {
                for (bool sza : {true, false}) {
                    QFile::remove("seen.dfa");
                    View(form, view, sza);
                    const Lines want =
                        Expected(view, sza, criteria == 4 ? 36 : 40, criteria == 4 ? 60 : 66);
                    QCOMPARE(Read("seen.dfa"), Join(want) + "kept 13\nkept 14\n");
                }
            }
            QVERIFY(m_dialogs.Messages().isEmpty());
        }
    }

    void spikesOfOneScanAndMissingOrShortSettingsFiles() {
        Write("long.dfa", LongDefaults(4));
        TForm1 form;
        form.edtDayTime->setText("1850900");
        View(form, QualityView::SpectralSpikes, false);  // no "viewer.dfa" yet: created
        QCOMPARE(Read("viewer.dfa"),
                 std::string("1850900Q.TES\na/TES/qaqc/struc/\nSpectral spikes for: 1850900 TES\n"
                             "1\n400\n290\nWavelength (nm)\n5\n50\n-50\nPercent deviation\n"
                             "11\n10\n"));

        // A short file, named in other letters, is completed in place.
        QFile::remove("viewer.dfa");
        Write("Viewer.DFA", "x\ny\n");
        form.edtDayTime->setText("185*");
        View(form, QualityView::DiurnalShift1, true);
        QCOMPARE(Read("Viewer.DFA"), Join(Expected(QualityView::DiurnalShift1, true, 0, 0)));
        QVERIFY(!QFile::exists("viewer.dfa"));
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void viewerBesideTheShellElseOnTheSearchPathElseAMessage() {
        Write("long.dfa", LongDefaults(4));
        QVERIFY(QDir().mkpath("path"));
        WriteViewerScript(Path("path/resplot"), "path.dfa");
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", Path("path").toLocal8Bit() + ":" + oldPath);
        TForm1 form;
        View(form, QualityView::DiurnalShape, false);
        QVERIFY(QFile::exists("seen.dfa") && !QFile::exists("path.dfa"));

        QFile::remove("bin/resplot");
        View(form, QualityView::DiurnalShape, false);
        QCOMPARE(Read("path.dfa"), Read("seen.dfa"));

        QFile::remove("path/resplot");
        QFile::remove("viewer.dfa");
        View(form, QualityView::DiurnalShape, false);
        qputenv("PATH", oldPath);
        QCOMPARE(m_dialogs.Messages(), QStringList{"Cannot start resplot: program not found"});
        QCOMPARE(Read("viewer.dfa"), Read("seen.dfa"));  // written all the same
    }

    void spectralShiftViewPlotsTheAppliedShiftFiles() {
        // Files in the shift subdirectory that the long defaults file names.
        Write("long.dfa", LongDefaults(4, "sh_x/"));
        QVERIFY(QDir().mkpath("a/TES/sh_x"));
        Write("a/TES/sh_x/1850900W.TES",
              "!wavel wavelength shift (nm)\n290.00 0.05\n291.00 0.06\n");
        Write("a/TES/sh_x/1850915W.tes", "!wavel wavelength shift (nm)\n300.00 -0.01\n");
        Write("a/TES/sh_x/1850900S.TES", "290.00 9\n");
        TForm1 form;
        form.edtDayTime->setText("186*");
        View(form, QualityView::SpectralShift, false);
        QVERIFY(form.DataFiles().isVisible());
        QCOMPARE(form.DataFiles().Count(), 0);
        QVERIFY(form.Graphs().Current() == nullptr);
        QVERIFY(!QFile::exists("seen.dfa") && !QFile::exists("viewer.dfa"));

        form.edtDayTime->setText("185*");
        View(form, QualityView::SpectralShift, false);
        QCOMPARE(form.DataFiles().Items(), (Lines{"1850900W.TES", "1850915W.tes"}));
        TGrafiek1* graph = form.Graphs().Current();
        QVERIFY(graph != nullptr && graph->isVisible());
        QCOMPARE(graph->Chart1->Title(), QString("Wavelength shifts for: TES 185*"));
        QCOMPARE(graph->Series1->Count(), 3);
        QCOMPARE(graph->Series1->Points()[2].X, 300.0);
        QCOMPARE(graph->Series1->Points()[2].Y, -0.01);
        QVERIFY(m_dialogs.Messages().isEmpty());

        // A missing long defaults file: its message, the file made from the
        // template, and no view.
        Write("tarn_e.dfa", LongDefaults(4, "sh_x/"));
        form.edtDFA->setText("none.dfa");
        View(form, QualityView::SpectralShift, false);
        QCOMPARE(
            m_dialogs.Messages(),
            QStringList{"General defaultsfile NOT found; Copy of defaults made; check settings"});
        QCOMPARE(Read("none.dfa"), Read("tarn_e.dfa"));
        QCOMPARE(form.Graphs().Current(), graph);
        QCOMPARE(graph->Series1->Count(), 3);

        // No applied-shift code in the result codes: the batch run's refusal.
        form.edtDFA->setText("long.dfa");
        form.edtResCode->setText("S I");
        m_dialogs.Clear();
        View(form, QualityView::SpectralShift, false);
        QCOMPARE(m_dialogs.Messages(),
                 QStringList{"No applied-shift code (5th character) in the result codes \"S I\": "
                             "nothing is plotted"});
        QCOMPARE(form.Graphs().Current(), graph);
    }

    // A day whose files are only in its archive: the view says so and starts no viewer.
    void viewOfAnArchivedDayNamesItsArchive() {
        Write("long.dfa", LongDefaults(4));
        Write("a/TES/TES185.zip", "PK");
        TForm1 form;
        View(form, QualityView::DiurnalShift1, false);
        View(form, QualityView::SpectralShift, false);
        const QString archive = ": the files of day 185 are in its archive a/TES/TES185.zip";
        QCOMPARE(m_dialogs.Messages(),
                 (QStringList{"No file matches 185QC.TES in a/TES/qaqc/" + archive,
                              "No file matches 185*W.TES in a/TES/shift/" + archive}));
        QVERIFY(!QFile::exists("seen.dfa"));
    }
};

QTEST_MAIN(QualityViewsTest)
#include "test_quality_views.moc"
