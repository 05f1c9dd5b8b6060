// The settings dialog driven as an operator does: "Settings" in the main
// window, then the edits, boxes and buttons of its four tabs; checked on the
// files on disk (golden texts), on what the engine's own readers take from
// them, and on an engine run over the example day.  Each case runs in a fresh
// working directory with its own home directory.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/formats/defaults_layout.h"
#include "engine/instrument_file.h"
#include "engine/output_spec.h"
#include "engine/program_state.h"
#include "gui-common/data_files_window.h"
#include "platform/run_error.h"
#include "platform/run_lock.h"
#include "platform/text_file.h"
#include "shell/field_values.h"
#include "shell/main_window.h"
#include "shell/settings_dialog.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/recording_dialogs.h"

using namespace tarn::tarncall;
using Lines = std::vector<std::string>;
using tarn::test::Join;
using tarn::test::Read;
using tarn::test::Toggle;
using tarn::test::Type;
using tarn::test::Write;

namespace {

// A long defaults file as the engine writes it, with `criteria` structure
// criteria: the place 52.1 N 5.18 E, the year 2003, the time correction
// 1 2 3 4, 95 windows, the ozone-fit window 305-330 nm, the model grid
// 289-401 nm at 0.1 nm, main path "main/" and the 1-nm spectrum "et.1nm".
Lines LongDefaults(int criteria) {
    tarn::DefaultsSettings s = tarn::BuiltInDefaults();
    s.Qc.CriteriaCount = criteria;
    s.Paths.MainPath = "main/";
    s.Paths.Et1nmFileName = "et.1nm";
    s.Analysis.Latitude = 52.1;
    s.Analysis.Longitude = 5.18;
    s.Analysis.MeasurementYear = "2003";
    const long time[4] = {1, 2, 3, 4};
    for (int i = 0; i < 4; ++i) s.Analysis.TimeCorrection[i] = time[i];
    s.WindowCount = 95;
    s.WindowLower[0] = 305;
    s.WindowUpper[0] = 330;
    s.Analysis.GridLow = 289;
    s.Analysis.GridHigh = 401;
    s.Analysis.GridStep = 0.1;
    return tarn::LongDefaultsLines(s);
}

const char kInstrumentFile[] = "ozonshi.dfa\n3\nTES\nScans\n290 400 0.5\n1\n1\n0.32\n1\n";

// The long defaults file `path` as the engine reads it.
tarn::DefaultsSettings EngineLongDefaults(const QString& path) {
    tarn::TextIn in;
    in.OpenOrThrow(path.toStdString());
    tarn::DefaultsSettings s = tarn::BuiltInDefaults();
    std::vector<tarn::DefaultsNote> notes;
    tarn::ReadLongDefaultsText(in, s, notes);
    return s;
}

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

  private:
    QString Path(const QString& name) const { return m_dir->filePath(name); }
    // The template and "long.dfa" with `lines`, the instrument file
    // main/TES.DFA, and the shell settings naming "long.dfa" and TES.
    void WriteWorkDirectory(const Lines& lines, const std::string& shellSettings =
                                                    "prog\nlong.dfa\nS I W\nTES\n185*\n") {
        Write("tarn_e.dfa", Join(lines));
        Write("long.dfa", Join(lines));
        Write("efuv.dfa", "1\nuv315\n315.0\n");
        Write("main/TES.DFA", kInstrumentFile);
        Write("TARNcall.dfa", shellSettings);
    }
    // The main window with the settings dialog opened by "Settings".
    TfrmSettings& OpenSettings() {
        m_form = std::make_unique<TForm1>();
        Click(m_form->btnSettings);
        return m_form->Settings();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_form;
    tarn::gui::RecordingDialogs m_dialogs;

  private slots:
    void init() {
        QVERIFY(tarn::test::EnterFreshWorkDirectory(m_dir) && QDir().mkpath("main"));
        m_dialogs.Clear();
    }
    void cleanup() {
        m_form.reset();
    }

    void fieldTexts() {
        QCOMPARE(SplitFields("  290  400 0.5 "), (Lines{"290", "400", "0.5"}));
        QCOMPARE(SplitFields(std::string(150, 'x').replace(0, 0, "a ")).size(), size_t(2));
        QCOMPARE(FormatFieldValues(4, SplitFields("290 400 0.5 1.0")),
                 std::string("  290.00  400.00  0.50  1.00"));
        // No digit grouping; more decimals only where two would change the value.
        QCOMPARE(FormatFieldValues(3, SplitFields("1000 0.005 2.5E+03")),
                 std::string("  1000.00  0.005  2500.00"));
        const FieldValues v = ParseAndFormatFieldValues(3, SplitFields("1 x"));
        QCOMPARE(v.Text, std::string("  1.00  x"));
        QVERIFY(!v.Complete);
        QCOMPARE(v.Values, (std::vector<double>{1, 0, 0}));
    }

    void settingsFillsEveryTabOnFourAndFiveCriteria() {
        for (int criteria : {4, 5}) {
            const Lines lines = LongDefaults(criteria);
            WriteWorkDirectory(lines, "prog\nlong.dfa\nS I W\nTES\n185*\nspec.dfa\n");
            TfrmSettings& d = OpenSettings();
            QVERIFY(d.isVisible());
            QCOMPARE(d.edtYEAR->text(), QString("2003"));
            QCOMPARE(d.edtLatLong->text(), QString("52.10000     5.18000"));
            QCOMPARE(d.Edt_timeshft->text(), QString("1  2  3  4"));
            QCOMPARE(d.Edt_et1nm->text(), QString("et.1nm"));
            QCOMPARE(d.Edt_etpath->text(), QString("uvanalys/etoz/"));
            QCOMPARE(d.Edt_etspec->text(), QString("kp320a3L.et"));
            QCOMPARE(d.Edt_Ox->text(), QString("o3cross.wgt"));
            QCOMPARE(d.Edt_sh2_flag->text(), QString("NOT ADJUSTABLE"));
            QCOMPARE(d.Edt_Out->text(), QString("  290.00  400.00  0.50  1.00"));
            QCOMPARE(d.Edt_OzFit->text(), QString("  305.00  330.00"));
            QCOMPARE(d.Edt_Shift->text(), QString("  290.00  16.00  1.00"));
            QCOMPARE(d.Edt_nrSh->text(), QString("  95"));
            QCOMPARE(d.Edt_Analys->text(), QString("main/"));
            QCOMPARE(d.edt_nrheader->text(), QString("3"));
            QCOMPARE(d.EdtData->text(), QString("Scans/TES/"));
            QCOMPARE(d.edt_exten->text(), QString("TES"));
            QCOMPARE(d.edtRange->text(), QString("290.00   400.00   0.50"));
            QCOMPARE(d.edt_stapnr->text(), QString("1"));
            QCOMPARE(d.edtFWHM->text(), QString("0.320"));
            QVERIFY(d.chkbxSlit->isChecked());
            QCOMPARE(d.Edt_irrcor->text(), QString("1.0"));
            QCOMPARE(d.edt_output->text(), QString("spec.dfa"));
            // Opening rewrites nothing but the main path, which stands.
            QCOMPARE(Read("long.dfa"), Join(lines));
            QCOMPARE(Read("main/TES.DFA"), std::string(kInstrumentFile));
            QVERIFY(m_dialogs.Messages().isEmpty());
            cleanup();
        }
    }

    void missingDefaultsAndInstrumentFilesAreMade() {
        const Lines lines = LongDefaults(4);
        WriteWorkDirectory(lines);
        QFile::remove("long.dfa");
        QFile::remove("main/TES.DFA");
        m_form = std::make_unique<TForm1>();  // makes long.dfa from the template
        QFile::remove("long.dfa");
        Click(m_form->btnSettings);
        QCOMPARE(Read("long.dfa"), Join(lines));
        QCOMPARE(Read("main/TES.DFA"),
                 std::string("ozonshi.dfa\n0 no_id_met\n.TES\nuvdata/\n285.0 440.0 0.5\n1\n1\n"
                             "0.32\n1\n"));
        QCOMPARE(m_form->Settings().edt_nrheader->text(), QString("0"));
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void mainApplyWritesBothFilesThatTheEngineReads() {
        for (int criteria : {4, 5}) {
            Lines lines = LongDefaults(criteria);
            WriteWorkDirectory(lines);
            TfrmSettings& d = OpenSettings();
            Type(d.edtYEAR, "2004");
            Type(d.Edt_timeshft, "0  1  0  0");
            Type(d.edt_nrheader, "2");
            Toggle(d.chkbxSlit);
            Click(d.BitBtnOK);
            QVERIFY(m_dialogs.Messages().isEmpty());
            QCOMPARE(d.edt_exten->text(), QString(".TES"));
            // Untouched edits leave their lines as they were read.
            lines[21] = "2004";
            lines[criteria == 4 ? 39 : 40] = "0  1  0  0";
            QCOMPARE(Read("long.dfa"), Join(lines));
            QCOMPARE(Read("main/TES.DFA"),
                     std::string("ozonshi.dfa\n2 no_id_met\n.TES\nScans/TES/\n"
                                 "290 400 0.5\n1\n0\n0.32\n1\n1.0\n"));
            QCOMPARE(m_form->edt_MainAna->text(), QString("main/"));

            const tarn::DefaultsSettings s = EngineLongDefaults("long.dfa");
            QCOMPARE(s.Analysis.Latitude, 52.1);
            QCOMPARE(s.Analysis.Longitude, 5.18);
            QCOMPARE(s.Analysis.MeasurementYear, std::string("2004"));
            QCOMPARE(s.Analysis.TimeCorrection[1], 1L);
            QCOMPARE(s.Qc.SelectedWindows[6], 64);
            tarn::ApplyDefaultsSettings(tarn::BuiltInDefaults());
            tarn::Paths.MainPath = "main/";
            tarn::CommandLine.IdMet = "TES";
            tarn::Instrument.NoIdMet = false;
            tarn::Inlezen_Instrument();
            QCOMPARE(tarn::Instrument.HeaderLineCount, 2u);
            QCOMPARE(tarn::Instrument.MeasurementDirectory, std::string("Scans/TES/"));
            QCOMPARE(tarn::Instrument.MeasurementExtension, std::string(".TES"));
            QCOMPARE(tarn::Instrument.RangeStep, 0.5);
            QCOMPARE(tarn::Instrument.Fwhm, 0.32);
            QCOMPARE(tarn::Instrument.SlitChar, '0');
            QCOMPARE(tarn::Instrument.IrradianceFactor, 1.0);

            // A second Apply replaces the tenth line.
            Type(d.Edt_irrcor, "0.001");
            Click(d.BitBtnOK);
            QCOMPARE(Read("main/TES.DFA"),
                     std::string("ozonshi.dfa\n2 no_id_met\n.TES\nScans/TES/\n"
                                 "290 400 0.5\n1\n0\n0.32\n1\n0.001\n"));
            cleanup();
        }
    }

    // The main path typed in the main window is the one "Settings" keeps.
    void typedMainPathIsTheOneSettingsKeeps() {
        Lines lines = LongDefaults(4);
        WriteWorkDirectory(lines);
        QVERIFY(QDir().mkpath("typed"));
        m_form = std::make_unique<TForm1>();
        Type(m_form->edt_MainAna, "typed/");
        Click(m_form->btnSettings);
        QCOMPARE(m_form->Settings().Edt_Analys->text(), QString("typed/"));
        lines[6] = "typed/";
        QCOMPARE(Read("long.dfa"), Join(lines));
    }

    void mainUndoReloadsWithoutSaving() {
        Lines lines = LongDefaults(4);
        WriteWorkDirectory(lines);
        TfrmSettings& d = OpenSettings();
        lines[21] = "1999";
        lines[0] = "1 2";
        Write("long.dfa", Join(lines));
        const std::string instrument = "ozonshi.dfa\n0 no_id_met\nX\nD\n300 350 1\n4\n0\n0.5\n1\n";
        Write("main/TES.DFA", instrument);
        Type(d.edt_stapnr, "7");
        Click(d.BtBtnCancel);
        QCOMPARE(d.edtYEAR->text(), QString("1999"));
        QCOMPARE(d.edtLatLong->text(), QString("1 2"));
        QCOMPARE(d.EdtData->text(), QString("D/"));
        QCOMPARE(d.edtRange->text(), QString("300 350 1"));
        QCOMPARE(d.edtFWHM->text(), QString("0.5"));
        QVERIFY(!d.chkbxSlit->isChecked());
        QCOMPARE(d.edt_stapnr->text(), QString("7"));
        QCOMPARE(d.edt_exten->text(), QString("TES"));
        QCOMPARE(Read("long.dfa"), Join(lines));
        QCOMPARE(Read("main/TES.DFA"), instrument);
        // No instrument file: the nine-line default first, without a message.
        QVERIFY(QFile::remove("main/TES.DFA"));
        Click(d.BtBtnCancel);
        QCOMPARE(Read("main/TES.DFA").substr(0, 24), std::string("ozonshi.dfa\n0 no_id_met\n"));
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    // Lines the engine reads without complaint, in CRLF and with a Latin-1
    // path: Apply with nothing typed changes no byte of either file; a typed
    // header count and year are written as typed.
    void untouchedFieldsStayAsTheyWereRead() {
        Lines lines = LongDefaults(4);
        lines[21] = "2021 measurement year";
        lines[7] = "uvanalys/\xE9toz/";
        lines[14] = "280 410 0.1";
        WriteWorkDirectory(lines);
        const auto crlf = [](Lines l) {
            for (std::string& line : l) line += '\r';
            return Join(l);
        };
        Lines instrument = {"ozonshi.dfa",  "3 no_id_met", ".TES", "Scans", "290 400 0.5",
                            "1 half width", "1",           "0.32", "1",     "1.0 W/(m2 nm)"};
        Write("long.dfa", crlf(lines));
        Write("main/TES.DFA", crlf(instrument));
        TfrmSettings& d = OpenSettings();
        for (QPushButton* apply : {d.BitBtnOK, d.BtBtn_OKana, d.BtBtn_OKetqa}) Click(apply);
        QVERIFY(m_dialogs.Messages().isEmpty());
        QCOMPARE(Read("long.dfa"), crlf(lines));
        QCOMPARE(Read("main/TES.DFA"), crlf(instrument));
        Type(d.edt_nrheader, "02");
        Type(d.edtYEAR, "2022 measurement year");
        Click(d.BitBtnOK);
        QVERIFY(m_dialogs.Messages().isEmpty());
        lines[21] = "2022 measurement year";
        instrument[1] = "02 no_id_met";
        QCOMPARE(Read("long.dfa"), crlf(lines));
        QCOMPARE(Read("main/TES.DFA"), crlf(instrument));
    }

    // After each Apply the files hold what the dialog shows, a text set back included.
    void valueSetBackAfterAnApplyIsWritten() {
        WriteWorkDirectory(LongDefaults(4));
        TfrmSettings& d = OpenSettings();
        const auto line = [](const char* file, int index) {
            return QString::fromStdString(Read(file)).split('\n').value(index);
        };
        const std::tuple<QLineEdit*, QPushButton*, const char*, int, QString, QString> cases[] = {
            {d.edtFWHM, d.BitBtnOK, "main/TES.DFA", 7, "0.330", "0.320"},
            {d.edtYEAR, d.BitBtnOK, "long.dfa", 21, "2004", "2003"},
            {d.Edt_OzFit, d.BtBtn_OKana, "long.dfa", 2, "306 330", "  305.00  330.00"}};
        for (const auto& [edit, apply, file, index, changed, back] : cases) {
            for (const QString& text : {changed, back}) {
                Type(edit, text);
                Click(apply);
                QCOMPARE(line(file, index), text);
            }
        }
        for (const char* slit : {"0", "1"}) {
            Toggle(d.chkbxSlit);
            Click(d.BitBtnOK);
            QCOMPARE(line("main/TES.DFA", 6), QString(slit));
        }
    }

    // Apply refused, nothing written: during a run (another open of its lock), without a name.
    void applyIsRefusedDuringARunAndWithoutAName() {
        const Lines lines = LongDefaults(4);
        WriteWorkDirectory(lines);
        TfrmSettings& d = OpenSettings();
        for (QLineEdit* edit : {d.edtYEAR, d.Edt_Out, d.Edt_Ox}) Type(edit, "2004 400 1 1");
        tarn::FileLock run = tarn::TryLockFile("TARNcall.lck");
        const QList applies{d.BitBtnOK, d.BtBtn_OKana, d.BtBtn_OC_OK, d.BtBtn_OKetqa};
        for (QPushButton* apply : applies) Click(apply);
        // Opened under the run, the dialog merges, saves and makes nothing:
        // another main path is shown with its default instrument texts.
        QVERIFY(QDir().mkpath("other"));
        m_form->SetMainAnalysisPath("other/");
        Click(m_form->btnSettings);
        QCOMPARE(d.edt_exten->text(), QString(".TES"));
        QVERIFY(!QFile::exists("other/TES.DFA") && !QFile::exists("other/efuv.dfa"));
        tarn::UnlockFile(run.Handle);
        Type(d.edt_output, "");
        Click(d.BtBtn_OC_OK);
        m_form->edtDFA->setText("");
        for (QPushButton* apply : applies) Click(apply);
        const QString running = "A run of TARN is going on in " + QDir::currentPath() +
                                ": apply the settings after it has ended; nothing was written";
        QCOMPARE(m_dialogs.Errors(), QStringList(4, running) + QStringList{kNoOutputSpecText} +
                                         QStringList(4, kNoDefaultsFileText));
        QCOMPARE(Read("long.dfa"), Join(lines));
        QCOMPARE(Read("main/TES.DFA"), std::string(kInstrumentFile));
        QVERIFY(!QFile::exists("main/output.dfa"));
    }

    void badNumbersAreRefusedBeforeAnyFileIsTouched() {
        const Lines lines = LongDefaults(4);
        WriteWorkDirectory(lines);
        TfrmSettings& d = OpenSettings();
        Type(d.edtYEAR, "2004");
        Type(d.edtRange, "290 abc 0.5");
        Click(d.BitBtnOK);
        Type(d.edtRange, "290 400 0.5");
        Type(d.edtLatLong, "52.1");
        Click(d.BitBtnOK);
        Type(d.edtLatLong, "52.1 5.18");
        Type(d.Edt_timeshft, "0 1.5 0 0");
        Click(d.BitBtnOK);
        Type(d.Edt_Out, "1,000.00 400 0.5 1");
        Click(d.BtBtn_OKana);
        Type(d.Edt_Out, "290 400 0.5 1");
        Type(d.Edt_nrSh, "95 2");
        Click(d.BtBtn_OKana);
        QCOMPARE(
            m_dialogs.Messages(),
            (QStringList{"Wavelength range+ step: 3 numbers expected, not '290 abc 0.5'; nothing "
                         "written",
                         "Location Lat Long: 2 numbers expected, not '52.1'; nothing written",
                         "Correction of time to UT: 4 whole numbers expected, not '0 1.5 0 0'; "
                         "nothing written",
                         "OUTPUT specification: 4 numbers expected, not '1,000.00 400 0.5 1'; "
                         "nothing written",
                         "nr interv.: a whole number expected, not '95 2'; nothing written"}));
        QCOMPARE(m_dialogs.Errors().size(), 5);
        QCOMPARE(Read("long.dfa"), Join(lines));
        QCOMPARE(Read("main/TES.DFA"), std::string(kInstrumentFile));
    }

    void unreadableModelGridNamesItsLineIndex() {
        Lines lines = LongDefaults(4);
        lines[14] = "289 x 0.1";  // the model grid
        Write("long.dfa", Join(lines));
        try {
            ApplyAnalysis("long.dfa", AnalysisTexts{});
            QFAIL("no error raised");
        } catch (const tarn::RunTimeError& error) {
            QCOMPARE(std::string(error.what()), std::string("Cannot read the model grid on line "
                                                            "index 14 of 'long.dfa': '289 x 0.1' "
                                                            "holds no 3 numbers"));
        }
        QCOMPARE(Read("long.dfa"), Join(lines));
    }

    void analysisApplyWidensTheModelGridOnly() {
        Lines lines = LongDefaults(4);
        WriteWorkDirectory(lines);
        TfrmSettings& d = OpenSettings();
        // Line 15 290 400 0.5 1.0, maximum shift 0.9 and slit range factor 2:
        // 287.1 .. 402.9 nm; the grid 289 .. 401 widens to it.
        Type(d.Edt_Out, "290 400 0.5 1.0");
        Type(d.Edt_Analys, "main2/");
        Click(d.BtBtn_OKana);
        QVERIFY(m_dialogs.Messages().isEmpty());
        lines[6] = "main2/";
        lines[14] = "  287.10  402.90  0.10";
        lines[15] = "290 400 0.5 1.0";
        QCOMPARE(Read("long.dfa"), Join(lines));
        QCOMPARE(m_form->edt_MainAna->text(), QString("main/"));
        // A grid already wider stays as it was written.
        lines[14] = "280 410 0.1";
        Write("long.dfa", Join(lines));
        Click(d.BtBtn_OKana);
        QCOMPARE(Read("long.dfa"), Join(lines));

        // DEFAULTS fills the edits only; Undo reloads them from the file.
        const std::string before = Read("long.dfa");
        Click(d.BtBtn_defaultsana);
        QCOMPARE(d.Edt_Out->text(), QString("290 400 0.5 1.0"));
        QCOMPARE(d.Edt_nrSh->text(), QString("150"));
        QCOMPARE(d.Edt_OzFit->text(), QString("305 330"));
        QCOMPARE(d.Edt_Shift->text(), QString("300 16 1.0"));
        QCOMPARE(Read("long.dfa"), before);
        Click(d.Btbtn_cancelana);
        QCOMPARE(d.Edt_nrSh->text(), QString("  95"));
        QCOMPARE(d.Edt_Out->text(), QString("  290.00  400.00  0.50  1.00"));
        QCOMPARE(d.Edt_Analys->text(), QString("main2/"));
        Click(d.BtBtn_defaultsana);
        Click(d.BtBtn_OKana);
        lines[1] = "150  1";
        lines[2] = "305 330";
        lines[3] = "300 16 1.0";
        QCOMPARE(Read("long.dfa"), Join(lines));
        const tarn::DefaultsSettings s = EngineLongDefaults("long.dfa");
        QCOMPARE(s.WindowCount, 150);
        QCOMPARE(s.Analysis.FirstWindowLower, 300.0);
        QCOMPARE(s.WindowUpper[0], 330.0);
        QCOMPARE(s.Analysis.GridLow, 280.0);
        QCOMPARE(s.Analysis.GridStep, 0.1);
        QCOMPARE(s.Analysis.StdFwhm, 1.0);
    }

    void analysisApplyTurnsAnExplicitWindowListIntoASeries() {
        const Lines series = LongDefaults(5);
        Lines lines = series;
        lines[1] = "3 2";
        lines[3] = "290 306";
        lines.insert(lines.begin() + 4, {"291 307", "292 308"});
        WriteWorkDirectory(lines);
        TfrmSettings& d = OpenSettings();
        QCOMPARE(d.Edt_Shift->text(), QString("  290.00  306.00"));
        QCOMPARE(d.Edt_timeshft->text(), QString("1  2  3  4"));
        Type(d.Edt_Shift, "290 16 1");
        Click(d.BtBtn_OKana);
        QVERIFY(m_dialogs.Messages().isEmpty());
        Lines expected = series;
        expected[1] = "   3  1";
        expected[3] = "290 16 1";
        expected[14] = "  287.10  402.90  0.10";
        QCOMPARE(Read("long.dfa"), Join(expected));
        const tarn::DefaultsSettings s = EngineLongDefaults("long.dfa");
        QCOMPARE(s.WindowCount, 3);
        QCOMPARE(s.Analysis.WindowMode, 1);
        QCOMPARE(s.Analysis.TimeCorrection[3], 4L);
    }

    void applyReplacesValuesSpreadOverLines() {
        // The engine reads a value's numbers on from the next lines: here the
        // window count's mode and half the time correction stand on lines of
        // their own.  Each Apply writes such a value on one line in place of all.
        const Lines written = LongDefaults(5);
        const size_t time = 29 + 5 + 6;  // 29 + k + n
        Lines lines = written;
        lines[time] = "1 2";
        lines.insert(lines.begin() + time + 1, "3 4");
        lines[1] = "95";
        lines.insert(lines.begin() + 2, "1");
        WriteWorkDirectory(lines);
        TfrmSettings& d = OpenSettings();
        Type(d.Edt_timeshft, "0 0 0 5");
        Click(d.BitBtnOK);
        Click(d.BtBtn_OKana);
        QVERIFY(m_dialogs.Messages().isEmpty());
        // The untouched window count stays on its two lines.
        Lines expected = lines;
        expected[15] = "  287.10  402.90  0.10";
        expected[time + 1] = "0 0 0 5";
        expected.erase(expected.begin() + static_cast<long>(time) + 2);
        QCOMPARE(Read("long.dfa"), Join(expected));
        const tarn::DefaultsSettings s = EngineLongDefaults("long.dfa");
        QCOMPARE(s.WindowUpper[0], 330.0);
        QCOMPARE(s.Analysis.TimeCorrection[3], 5L);
        QCOMPARE(s.Paths.EfuvDefaultsName, written[time + 1]);
    }

    void outputSpecificationUnderBothNames() {
        WriteWorkDirectory(LongDefaults(5));
        TfrmSettings& d = OpenSettings();
        QCOMPARE(d.edt_output->text(), QString("output.dfa"));
        for (QCheckBox* box : {d.ChckBx_EfUv, d.ChkBx_shis, d.ChckBx_LogShif}) Toggle(box);
        Click(d.BtBtn_OC_OK);
        const std::string switches =
            "Integrated_UV_output: Effective_UV Interval_UV\nfalse\ntrue\n"
            "Irradiance_standardised: Stand_slit Instrument_slit\ntrue\ntrue\n"
            "Wavelength_shifts: detailed_shif corr_waveln daily_shif\ntrue\ntrue\nfalse\n"
            "Quality_checks: Q_flag spec_struc trans_Q\ntrue\ntrue\ntrue\n"
            "Logging_TARN: Log_main_tarn Log_shift\ntrue\nfalse\n"
            "Spike_detection: Details_on_corrections Main_spikes_only\ntrue\ntrue\n"
            "Transmission_compared_to_ET-spectrum: transmission\ntrue\n";
        QCOMPARE(Read("main/output.dfa"), "main/output.dfa\n" + switches);
        Type(d.edt_output, "spec.dfa");
        Click(d.BtBtn_OC_OK);
        QCOMPARE(Read("main/spec.dfa"), "main/spec.dfa\n" + switches);
        QCOMPARE(Read("main/output.dfa"), std::string("main/spec.dfa\n"));
        QVERIFY(m_dialogs.Messages().isEmpty());

        Write("tarnpelo.log", "");
        tarn::Engine.MainLogFile = "tarnpelo.log";
        tarn::Specify_output("main/output.dfa");
        const tarn::OutputSwitches& s = tarn::Engine.Switches;
        QVERIFY(!s.Effective_UV && !s.Daily_shif && !s.Log_shift);
        QVERIFY(s.Interval_UV && s.Transmission && s.Corr_waveln && s.Main_spikes_only);
        // "Defaults" ticks every box; the next Apply turns every switch on.
        Click(d.BtBtn_OC_Defaults);
        QVERIFY(d.ChckBx_EfUv->isChecked() && d.ChkBx_shis->isChecked());
        Click(d.BtBtn_OC_OK);
        tarn::Specify_output("main/output.dfa");
        QVERIFY(s.Effective_UV && s.Daily_shif && s.Log_shift);
    }

    void etQaApplyOnFullAndShortFiles() {
        struct Case {
            int criteria;
            size_t lines;
            int et1nm;  // its line, -1 when the file ends before it
        };
        for (const Case& c : {Case{4, 92, 80}, Case{5, 93, 81}, Case{4, 80, -1}}) {
            Lines lines = LongDefaults(c.criteria);
            lines.resize(c.lines);
            WriteWorkDirectory(lines);
            TfrmSettings& d = OpenSettings();
            QCOMPARE(d.Edt_et1nm->text(),
                     QString(c.et1nm < 0 ? "NOT USED no full dfa-file" : "et.1nm"));
            Type(d.Edt_etpath, "ref/");
            Type(d.Edt_etspec, "et.dat");
            Type(d.Edt_Ox, "o3.dat");
            if (c.et1nm >= 0) Type(d.Edt_et1nm, "et1.dat");
            Click(d.BtBtn_OKetqa);
            lines[7] = lines[17] = "ref/";
            lines[10] = "et.dat";
            lines[19] = "o3.dat";
            if (c.et1nm >= 0) lines[c.et1nm] = "et1.dat";
            QCOMPARE(Read("long.dfa"), Join(lines));
            const tarn::DefaultsSettings s = EngineLongDefaults("long.dfa");
            QCOMPARE(s.Paths.ActionSpectrumDir, std::string("ref/"));
            if (c.et1nm >= 0) QCOMPARE(s.Paths.Et1nmFileName, std::string("et1.dat"));
            QVERIFY(m_dialogs.Messages().isEmpty());
            cleanup();
        }
    }

    void shortFileWithoutTimeCorrection() {
        // 39 lines with four criteria: no time correction.  The Apply saves
        // the lines replaced before it and leaves the instrument file alone.
        Lines lines = LongDefaults(4);
        lines.resize(39);
        WriteWorkDirectory(lines);
        TfrmSettings& d = OpenSettings();
        QCOMPARE(d.Edt_timeshft->text(), QString("0  0  0  0"));
        QCOMPARE(d.Edt_et1nm->text(), QString("NOT USED no full dfa-file"));
        Type(d.edtYEAR, "2004");
        Click(d.BitBtnOK);
        QCOMPARE(m_dialogs.Errors(), QStringList{"Cannot replace line index 39 of 'long.dfa': "
                                                 "the file holds 39 lines"});
        lines[21] = "2004";
        QCOMPARE(Read("long.dfa"), Join(lines));
        QCOMPARE(Read("main/TES.DFA"), std::string(kInstrumentFile));

        // An instrument file of 8 lines is refused before any line of it changes.
        const std::string eight = "ozonshi.dfa\n3\nTES\nScans\n290 400 0.5\n1\n1\n0.32\n";
        Write("main/TES.DFA", eight);
        Write("long.dfa", Join(LongDefaults(4)));
        m_dialogs.Clear();
        Type(d.edtFWHM, "0.330");
        Click(d.BitBtnOK);
        QCOMPARE(m_dialogs.Errors(), QStringList{"Cannot replace line index 9 of 'main/TES.DFA': "
                                                 "the file holds 8 lines"});
        QCOMPARE(Read("main/TES.DFA"), eight);
    }

    void engineRunsOnTheExampleDayWithTheWrittenFiles() {
        tarn::test::MakeExampleWorkDirectory(Path("work"));
        QVERIFY(QDir::setCurrent(Path("work")));
        TfrmSettings& d = OpenSettings();
        QCOMPARE(d.Edt_et1nm->text(), QString("etsyn.1nm"));
        Type(d.edtYEAR, "2020");
        Click(d.BitBtnOK);
        Click(d.BtBtn_OKana);
        Click(d.BtBtn_OKetqa);
        for (QCheckBox* box : {d.ChckBx_EfUv, d.ChckBx_Interval, d.ChkBx_flag, d.ChckBx_shift})
            Toggle(box);
        Click(d.BtBtn_OC_OK);
        QVERIFY(m_dialogs.Messages().isEmpty());
        const Lines scans = {"1730500", "1730630"};
        for (const std::string& scan : scans) {
            QProcess engine;
            engine.start(QString(TARN_PROGRAM_DIR_PATH "/tarnpelo"),
                         {QString::fromStdString(scan), "exa", "tarn_exa.dfa", "S", "I", "W"});
            QVERIFY(engine.waitForFinished(60000));
            QCOMPARE(engine.exitCode(), 0);
        }
        const QDir results("uvanalys/exa");
        QVERIFY(results.exists("shift/1730630W.exa") && results.exists("1730630I.exa"));
        for (const char* absent :
             {"shift/1730500S.exa", "efuv/173uv315.exa", "efuv/173band.exa", "qaqc/173QC.exa"})
            QVERIFY2(!results.exists(absent), absent);
        QVERIFY(Read("uvanalys/exa/1730630I.exa").find("2020") != std::string::npos);
    }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
