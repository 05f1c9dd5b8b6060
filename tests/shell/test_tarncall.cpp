// The shell's main window driven as an operator does, and its defaults
// upkeep: the shell settings file, the long defaults file of any counts, the
// instrument defaults file, the template merge and the example working
// directory; checked on the files on disk and the messages shown.  Each case
// runs in a fresh working directory with its own home directory.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "engine/defaults_layout.h"
#include "gui-common/data_files_window.h"
#include "gui-common/handler_guard.h"
#include "gui-common/recording_dialogs.h"
#include "shell/child_process.h"
#include "shell/defaults_upkeep.h"
#include "shell/paths_del.h"
#include "shell/shell_state.h"
#include "shell/tarncall.h"
#include "tests/shell/shell_test_support.h"

using namespace tarn::tarncall;
using tarn::test::Read;
using tarn::test::Type;
using tarn::test::Write;
using Lines = std::vector<std::string>;
using tarn::test::Join;

namespace {

Lines Head(const Lines& lines, size_t count) {
    return Lines(lines.begin(), lines.begin() + static_cast<long>(count));
}

// A long defaults file as the engine writes it, with `criteria` structure
// criteria (six selected windows, eight zenith rows), its main path and
// names that no other line holds.
Lines LongDefaults(int criteria, const std::string& mainPath) {
    tarn::DefaultsSettings s = tarn::BuiltInDefaults();
    s.Qc.CriteriaCount = criteria;
    s.Paths.MainPath = mainPath;
    s.Paths.EfuvDefaultsName = "efuv_x.dfa";
    s.Paths.QaqcSubdir = "qc_x/";
    s.Paths.StrucSubdir = "st_x/";
    return tarn::LongDefaultsLines(s);
}

}  // namespace

class TarncallTest : public QObject {
    Q_OBJECT

  private:
    QString Path(const QString& name) const { return m_dir->filePath(name); }
    std::string PathText(const QString& name) const { return Path(name).toStdString(); }
    std::string Home(const char* relative) const {
        return (m_dir->filePath("home/") + relative).toStdString();
    }
    // The template "tarn_e.dfa" and a long defaults file "long.dfa" with the
    // main path `mainPath`, and the shell settings naming "long.dfa".
    void WriteWorkDirectory(const std::string& mainPath) {
        const std::string text = Join(LongDefaults(4, mainPath));
        Write("tarn_e.dfa", text);
        Write("long.dfa", text);
        Write("efuv.dfa", "1\nuv315\n315.0\n");
        Write("TARNcall.dfa", "prog\nlong.dfa\nS I W\nTES\n185*\n");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    tarn::gui::RecordingDialogs m_dialogs;

  private slots:
    void init() {
        QVERIFY(tarn::test::EnterFreshWorkDirectory(m_dir) && QDir().mkpath("bin"));
        SetProgramDirectory(Path("bin"));
        m_dialogs.Clear();
    }
    void cleanup() { ReleaseDataFilesWindow(); }

    void shellSettingsOfFiveAndSixLines() {
        WriteWorkDirectory("main/");
        QDir().mkpath("main");
        {
            TForm1 form;
            QCOMPARE(form.edtProg->text(), QString("prog"));
            QCOMPARE(form.edtDFA->text(), QString("long.dfa"));
            QCOMPARE(form.edtInstrument->text(), QString("TES"));
            QCOMPARE(form.edtDayTime->text(), QString("185*"));
            QCOMPARE(form.edt_MainAna->text(), QString("main/"));
            QCOMPARE(ShellState.OutputSpecName, std::string("output.dfa"));
            QCOMPARE(ShellState.ShellSettingsName, std::string("TARNcall.dfa"));
            QVERIFY(m_dialogs.Messages().isEmpty());
        }
        Write("TARNcall.dfa", "prog\nlong.dfa\nS I W\nTES\n185*\nspec.dfa\n");
        TForm1 form;
        QCOMPARE(ShellState.OutputSpecName, std::string("spec.dfa"));
        QCOMPARE(Read("TARNcall.dfa"), std::string("prog\nlong.dfa\nS I W\nTES\n185*\nspec.dfa\n"));
        Type(form.edtInstrument, "ABC");
        QCOMPARE(Read("TARNcall.dfa"), std::string("prog\nlong.dfa\nS I W\nABC\n185*\nspec.dfa\n"));
        // The defaults file's edit is written when the operator leaves it.
        Type(form.edtDFA, "other.dfa");
        QCOMPARE(Read("TARNcall.dfa"), std::string("prog\nlong.dfa\nS I W\nABC\n185*\nspec.dfa\n"));
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(form.edtDFA, &leave);
        QCOMPARE(Read("TARNcall.dfa"),
                 std::string("prog\nother.dfa\nS I W\nABC\n185*\nspec.dfa\n"));
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void startWithoutSettingsAndTheEighthCharacter() {
        // No TARNcall.dfa: the home-based defaults; the template's main path
        // is missing, so the fixed default under the home directory is taken.
        Write("tarn_e.dfa", Join(LongDefaults(4, "gone/")));
        Write("bin/tarnpelo", "");
        QFile::setPermissions(Path("bin/tarnpelo"), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(QDir().mkpath("home/ploven_r/uvanalys") && QDir().mkpath("home/TARNpelo/uvanalys"));
        TForm1 form;
        QCOMPARE(m_dialogs.Messages(), QStringList{"TARNCALL DFA-file not found"});
        const std::string defaults = Home("ploven_r/uvanalys/tarn_e.dfa");
        QCOMPARE(form.edtDFA->text().toStdString(), defaults);
        QCOMPARE(form.edtProg->text().toStdString(), PathText("bin/tarnpelo"));
        QCOMPARE(form.edtResCode->text(), QString("S I W"));
        QCOMPARE(form.edt_MainAna->text().toStdString(), Home("TARNpelo/uvanalys/"));
        Lines expected = LongDefaults(4, Home("TARNpelo/uvanalys/"));
        QCOMPARE(Read(QString::fromStdString(defaults)), Join(expected));

        Type(form.edtDayTime, "1731230");
        QTest::keyClick(form.edtDayTime, Qt::Key_5);
        QCOMPARE(form.edtDayTime->text(), QString("1731230"));
        QCOMPARE(Read("TARNcall.dfa"),
                 PathText("bin/tarnpelo") + "\n" + defaults + "\nS I W\nTES\n1731230\n");
    }

    void valuesLocatedByTheCountsInTheFile() {
        struct Case {
            int criteria;
            size_t lines;
            const char* qc;
            const char* structure;
        };
        const Case cases[] = {{4, 43, "qaqc/", "struc/"}, {4, 44, "qc_x/", "struc/"},
                              {4, 67, "qc_x/", "struc/"}, {4, 68, "qc_x/", "st_x/"},
                              {5, 44, "qaqc/", "struc/"}, {5, 45, "qc_x/", "struc/"},
                              {5, 68, "qc_x/", "struc/"}, {5, 69, "qc_x/", "st_x/"}};
        for (const Case& c : cases) {
            Write("d.dfa", Join(Head(LongDefaults(c.criteria, "m/"), c.lines)));
            ReadMainDefaults("d.dfa");
            QVERIFY(!ShellState.DefaultsMissing);
            QCOMPARE(ShellState.MainAnalysisPath, std::string("m/"));
            QCOMPARE(ShellState.QcSubdirectory, std::string(c.qc));
            QCOMPARE(ShellState.StructureSubdirectory, std::string(c.structure));
        }
        // An explicit list of three windows moves the main path to line 8.
        Lines lines = LongDefaults(4, "m/");
        lines[1] = "3 2";
        lines[3] = "290 306";
        lines.insert(lines.begin() + 4, {"291 307", "292 308"});
        Write("d.dfa", Join(lines));
        ReadMainDefaults("d.dfa");
        QCOMPARE(ShellState.MainAnalysisPath, std::string("m/"));
        QCOMPARE(ShellState.QcSubdirectory, std::string("qc_x/"));

        // Five criteria: the merge writes only the main-path line and takes
        // the effective-UV name from its own line.
        const Lines five = LongDefaults(5, "m/");
        Write("tarn_e.dfa", Join(five));
        Write("d.dfa", Join(five));
        Write("efuv.dfa", "1\nuv315\n315.0\n");
        QDir().mkpath("main");
        MergeDefaultsWithTemplate("d.dfa", "main/");
        Lines merged = five;
        merged[6] = "main/";
        QCOMPARE(Read("d.dfa"), Join(merged));
        QCOMPARE(Read("main/efuv_x.dfa"), std::string("1\nuv315\n315.0\n"));
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void missingInstrumentFileThenScansListed() {
        WriteWorkDirectory(PathText("main/"));
        QDir().mkpath("main");
        TForm1 form;
        QTest::mouseClick(form.btnDataselect, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(), QStringList{"Instrument defaults not found: " +
                                                   Path("main/TES.DFA") + "  Check settings"});
        QCOMPARE(Read(Path("main/TES.DFA")), "ozonshi.dfa\n0 no_id_met\n.TES\n" +
                                                 Home("TARNpelo/uvdata/") +
                                                 "\n285.0 440.0 0.5\n1\n1\n0.32\n1\n");
        QVERIFY(!DataFilesWindow().isVisible());

        QVERIFY(QDir().mkpath("home/TARNpelo/uvdata"));
        for (const char* scan : {"1850900.TES", "1850915.tes", "1860900.TES", "1850930.TEX"})
            Write(Path("home/TARNpelo/uvdata/") + scan, "290 1\n");
        m_dialogs.Clear();
        QTest::mouseClick(form.btnDataselect, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(), QStringList{"2 datafile(s) selected"});
        QVERIFY(DataFilesWindow().isVisible());
        QCOMPARE(DataFilesWindow().Items(), (Lines{"1850900.TES", "1850915.tes"}));
    }

    // A main path written without its separator is the engine's directory too.
    void mainPathWithoutSeparatorNamesTheEnginesInstrumentFile() {
        WriteWorkDirectory(PathText("main"));
        QDir().mkpath("main");
        TForm1 form;
        QTest::mouseClick(form.btnDataselect, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(), QStringList{"Instrument defaults not found: " +
                                                   Path("main/TES.DFA") + "  Check settings"});
        QVERIFY(QFileInfo::exists(Path("main/TES.DFA")));
        QVERIFY(!QFileInfo::exists(Path("mainTES.DFA")));
    }

    void dataPathsWithAndWithoutNoIdMet() {
        const std::string tail = "Scans/Data\n285.0 440.0 0.5\n1\n1\n0.32\n1\n";
        Write("i.dfa", "ozonshi.dfa\n0 no_id_met\n.TES\n" + tail);
        ReadInstrumentDefaults("i.dfa", "TES");
        QCOMPARE(ShellState.DataPath, std::string("Scans/Data/"));
        QCOMPARE(ShellState.DataExtension, std::string(".TES"));
        Write("i.dfa", "ozonshi.dfa\n0\n.Tes\n" + tail);
        ReadInstrumentDefaults("i.dfa", "TES");
        QCOMPARE(ShellState.DataPath, std::string("Scans/Data/TES/"));
        QCOMPARE(ShellState.DataExtension, std::string(".Tes"));
        QVERIFY(!ShellState.DefaultsMissing);
        QCOMPARE(NormalizeDirectory(""), std::string(""));
        QCOMPARE(NormalizeDirectory("a"), std::string("a/"));
        QCOMPARE(NormalizeDirectory("Up/"), std::string("Up/"));
    }

    void templateMergeAndEfuvCopy() {
        const Lines full = LongDefaults(4, "t/");
        Write("tarn_e.dfa", Join(full));
        Write("efuv.dfa", "1\nuv315\n315.0\n");
        QDir().mkpath("main");
        // A short file is completed by the template's trailing lines.
        Lines shortFile = Head(full, 30);
        shortFile[0] = "1 2";
        Write("d.dfa", Join(shortFile));
        MergeDefaultsWithTemplate("d.dfa", "main/");
        Lines expected = full;
        expected[0] = "1 2";
        expected[6] = "main/";
        QCOMPARE(Read("d.dfa"), Join(expected));
        QCOMPARE(Read("main/efuv_x.dfa"), std::string("1\nuv315\n315.0\n"));
        // A longer file keeps every line; a present efuv file is not replaced.
        Write("tarn_e.dfa", Join(Head(full, 50)));
        Lines longer = full;
        longer.push_back("extra");
        Write("d.dfa", Join(longer));
        Write("main/efuv_x.dfa", "mine\n");
        MergeDefaultsWithTemplate("d.dfa", "main/");
        longer[6] = "main/";
        QCOMPARE(Read("d.dfa"), Join(longer));
        QCOMPARE(Read("main/efuv_x.dfa"), std::string("mine\n"));

        // No "efuv.dfa" to copy from: one message, no target file.
        QFile::remove("efuv.dfa");
        QFile::remove("main/efuv_x.dfa");
        QVERIFY(!tarn::gui::RunGuarded([] { MergeDefaultsWithTemplate("d.dfa", "main/"); }));
        QCOMPARE(m_dialogs.Errors().size(), 1);
        QVERIFY(!QFile::exists("main/efuv_x.dfa"));
        // No template: one message, the defaults file untouched.
        QFile::remove("tarn_e.dfa");
        QVERIFY(!tarn::gui::RunGuarded([] { MergeDefaultsWithTemplate("d.dfa", "x/"); }));
        QCOMPARE(m_dialogs.Errors().size(), 2);
        QCOMPARE(Read("d.dfa"), Join(longer));
    }

    void lineBeyondTheFileEndsInOneMessageWithTheListSaved() {
        Write("TARNcall.dfa", "prog\nlong.dfa\nS I W\nTES\n185*\n");
        Write("tarn_e.dfa", "1 2\n3 4\n5 6\n7\n8\n");
        TForm1 form;
        QCOMPARE(m_dialogs.Messages().size(), 1);
        QCOMPARE(m_dialogs.Errors(),
                 QStringList{"Cannot read line index 5 of 'tarn_e.dfa': the list holds 5 lines"});
        QCOMPARE(Read("long.dfa"), std::string("1 2\n3 4\n5 6\n7\n8\n"));
        QCOMPARE(form.edt_MainAna->text(), QString("edt_MainAna"));
    }

    void startKeepsAMissingMainPath() {
        WriteWorkDirectory("gone/");
        const std::string before = Read("long.dfa");
        TForm1 form;
        QCOMPARE(m_dialogs.Messages(), QStringList{"Main analysis datapath does not exist: gone/"});
        QCOMPARE(form.edt_MainAna->text(), QString("gone/"));
        QCOMPARE(Read("long.dfa"), before);
    }

    void exampleWorkingDirectoryListsTheDay() {
        QProcess script;
        script.start("bash", {TARN_SOURCE_DIR "/examples/make_shell_workdir.sh",
                              TARN_PROGRAM_DIR_PATH, Path("work")});
        QVERIFY(script.waitForFinished(60000) && script.exitCode() == 0);
        QVERIFY(QDir::setCurrent(Path("work")));
        TForm1 form;
        QVERIFY(m_dialogs.Messages().isEmpty());
        QCOMPARE(form.edtProg->text(), QDir(TARN_PROGRAM_DIR_PATH).absoluteFilePath("tarnpelo"));
        QTest::mouseClick(form.btnDataselect, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(), QStringList{"12 datafile(s) selected"});
        Lines scans;
        for (const QString& scan :
             QString::fromStdString(Read("scans.txt")).split('\n', Qt::SkipEmptyParts))
            scans.push_back(scan.toStdString() + ".exa");
        QCOMPARE(DataFilesWindow().Items(), scans);
    }
};

QTEST_MAIN(TarncallTest)
#include "test_tarncall.moc"
