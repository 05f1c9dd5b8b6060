// The shell's main window driven as an operator does, and its defaults
// upkeep: the shell settings file, the long defaults file of any counts, the
// instrument defaults file, the template merge and the example working
// directory; checked on the files on disk and the messages shown.  Each case
// runs in a fresh working directory with its own home directory.
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/formats/defaults_layout.h"
#include "gui-common/axis_setting_dialog.h"
#include "gui-common/chart.h"
#include "gui-common/data_files_window.h"
#include "gui-common/handler_guard.h"
#include "platform/paths.h"
#include "shell/child_process.h"
#include "shell/defaults_upkeep.h"
#include "shell/main_window.h"
#include "shell/settings_dialog.h"
#include "shell/shift_graph_window.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/recording_dialogs.h"

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
            QCOMPARE(form.OutputSpecName(), std::string("output.dfa"));
            QCOMPARE(std::string(form.ShellSettingsName()), std::string("TARNcall.dfa"));
            QVERIFY(m_dialogs.Messages().isEmpty());
        }
        Write("TARNcall.dfa", "prog\nlong.dfa\nS I W\nTES\n185*\nspec.dfa\n");
        TForm1 form;
        QCOMPARE(form.OutputSpecName(), std::string("spec.dfa"));
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
        // No TARNcall.dfa: working-directory defaults; the template's main path
        // is missing, so the fixed default in the working directory is taken.
        Write("tarn_e.dfa", Join(LongDefaults(4, "gone/")));
        Write("bin/tarnpelo", "");
        QFile::setPermissions(Path("bin/tarnpelo"), QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(QDir().mkpath("uvanalys"));
        TForm1 form;
        QCOMPARE(m_dialogs.Messages(), QStringList{"TARNCALL DFA-file not found"});
        const std::string defaults = "uvanalys/tarn_e.dfa";
        QCOMPARE(form.edtDFA->text().toStdString(), defaults);
        QCOMPARE(form.edtProg->text().toStdString(), PathText("bin/tarnpelo"));
        QCOMPARE(form.edtResCode->text(), QString("S I W"));
        QCOMPARE(form.edt_MainAna->text(), QString("uvanalys/"));
        Lines expected = LongDefaults(4, "uvanalys/");
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
            const MainDefaults read = ReadMainDefaults("d.dfa");
            QVERIFY(!read.Missing);
            QCOMPARE(read.MainAnalysisPath, std::string("m/"));
            QCOMPARE(read.QcSubdirectory, std::string(c.qc));
            QCOMPARE(read.StructureSubdirectory, std::string(c.structure));
        }
        // An explicit list of three windows moves the main path to line 8.
        Lines lines = LongDefaults(4, "m/");
        lines[1] = "3 2";
        lines[3] = "290 306";
        lines.insert(lines.begin() + 4, {"291 307", "292 308"});
        Write("d.dfa", Join(lines));
        const MainDefaults read = ReadMainDefaults("d.dfa");
        QCOMPARE(read.MainAnalysisPath, std::string("m/"));
        QCOMPARE(read.QcSubdirectory, std::string("qc_x/"));

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
        QCOMPARE(Read(Path("main/TES.DFA")),
                 std::string("ozonshi.dfa\n0 no_id_met\n.TES\nuvdata/\n285.0 440.0 0.5\n1\n1\n"
                             "0.32\n1\n"));
        QVERIFY(!form.DataFiles().isVisible());

        for (const char* scan : {"1850900.TES", "1850915.tes", "1860900.TES", "1850930.TEX"})
            Write(Path("uvdata/") + scan, "290 1\n");
        m_dialogs.Clear();
        QTest::mouseClick(form.btnDataselect, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(), QStringList{"2 datafile(s) selected"});
        QVERIFY(form.DataFiles().isVisible());
        QCOMPARE(form.DataFiles().Items(), (Lines{"1850900.TES", "1850915.tes"}));
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
        InstrumentDefaults read = ReadInstrumentDefaults("i.dfa", "TES");
        QCOMPARE(read.DataPath, std::string("Scans/Data/"));
        QCOMPARE(read.DataExtension, std::string(".TES"));
        Write("i.dfa", "ozonshi.dfa\n0\n.Tes\n" + tail);
        read = ReadInstrumentDefaults("i.dfa", "TES");
        QCOMPARE(read.DataPath, std::string("Scans/Data/TES/"));
        QCOMPARE(read.DataExtension, std::string(".Tes"));
        QVERIFY(!read.Missing);
        QCOMPARE(tarn::AsDirectory(""), std::string(""));
        QCOMPARE(tarn::AsDirectory("a"), std::string("a/"));
        QCOMPARE(tarn::AsDirectory("Up/"), std::string("Up/"));
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
        MergeDefaultsWithTemplate("d.dfa", "main");
        Lines expected = full;
        expected[0] = "1 2";
        expected[6] = "main";
        QCOMPARE(Read("d.dfa"), Join(expected));
        QCOMPARE(Read("main/efuv_x.dfa"), std::string("1\nuv315\n315.0\n"));
        // A file too short to hold the main path is reported and left as it is.
        Write("s.dfa", Join(Head(full, 5)));
        QVERIFY(!tarn::gui::RunGuarded([] { MergeDefaultsWithTemplate("s.dfa", "main/"); }));
        QCOMPARE(m_dialogs.Errors(),
                 QStringList{"Cannot replace line index 6 of 's.dfa': the file holds 5 lines"});
        QCOMPARE(Read("s.dfa"), Join(Head(full, 5)));
        m_dialogs.Clear();
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

    void lineBeyondTheFileEndsInOneMessageAndNothingWritten() {
        Write("TARNcall.dfa", "prog\nlong.dfa\nS I W\nTES\n185*\n");
        Write("tarn_e.dfa", "52 5\n3 1\n305 330\n290 16 1\n0.9\n");
        TForm1 form;
        QCOMPARE(m_dialogs.Messages().size(), 1);
        QCOMPARE(m_dialogs.Errors(),
                 QStringList{"Cannot read line index 6 of 'tarn_e.dfa': the file holds 5 lines"});
        QCOMPARE(Read("long.dfa"), std::string("<none>"));
        QCOMPARE(form.edt_MainAna->text(), QString());
    }

    // The start on defaults files of every kind: the main path the edit
    // shows, the one message, and the long defaults file and template after.
    void startShowsTheMainPathAndRewritesOnlyAChangedOne() {
        const auto crlf = [](const std::string& mainPath) {
            std::string text;
            for (const std::string& line : LongDefaults(4, mainPath)) text += line + "\r\n";
            return text;
        };
        const std::string templ = Join(LongDefaults(4, "gone/")), longPath(1 << 20, 'x');
        struct Case {
            const char* defaultsLine;  // line 1 of TARNcall.dfa
            std::string before;        // the long defaults file, "" none, "|" a pipe
            QString edit;              // edt_MainAna after the start
            QString message;           // the beginning of the one message, "" none
            std::string after;         // the file after, "" as before and not rewritten
        };
        const Case cases[] = {
            {"no/long.dfa", "", "uvanalys/", "Cannot save file 'no/long.dfa': ", ""},
            {"", "", "uvanalys/", "No long defaults file is named", ""},
            {"long.dfa", crlf(""), "uvanalys/", "", crlf("uvanalys/")},
            {"long.dfa", crlf("main/"), "main/", "", ""},
            {"long.dfa", "|", "", "Cannot load file 'long.dfa': not a regular file", ""},
            {"long.dfa", Join(LongDefaults(4, longPath)), QString::fromStdString(longPath),
             "Main analysis datapath does not exist: xxx", ""}};
        for (const Case& c : cases) {
            init();
            Write("tarn_e.dfa", templ);
            Write("TARNcall.dfa", std::string("prog\n") + c.defaultsLine + "\nS I W\nTES\n185*\n");
            // No fallback for the long path, which must stay.
            QVERIFY(QDir().mkpath("main") && (c.edit.size() > 9 || QDir().mkpath("uvanalys")));
            if (c.before == "|") QCOMPARE(mkfifo("long.dfa", 0600), 0);
            if (c.before.size() > 1) Write("long.dfa", c.before);
            struct stat before {
            }, after{};
            stat("long.dfa", &before);
            TForm1 form;
            QCOMPARE(form.edt_MainAna->text(), c.edit);
            QCOMPARE(m_dialogs.Messages().size(), c.message.isEmpty() ? 0 : 1);
            QVERIFY(c.message.isEmpty() || (m_dialogs.Messages()[0].startsWith(c.message) &&
                                            m_dialogs.Messages()[0].size() < 300));
            QCOMPARE(Read("tarn_e.dfa"), templ);
            stat("long.dfa", &after);
            if (c.before.size() > 1)
                QCOMPARE(Read("long.dfa"), c.after.empty() ? c.before : c.after);
            if (c.before.size() != 0 && c.after.empty()) QCOMPARE(after.st_ino, before.st_ino);
        }
    }

    // A path in Latin-1, as editors on other systems write it, stays byte for
    // byte through the start and the next change of an entry.
    void latin1EntriesKeepTheirBytes() {
        Write("tarn_e.dfa", Join(LongDefaults(4, "gone/")));
        std::ofstream("long\xE9.dfa") << Join(LongDefaults(4, "m\xE9/"));
        QCOMPARE(mkdir("m\xE9", 0700), 0);
        Write("TARNcall.dfa", "prog\nlong\xE9.dfa\nS I W\nTES\n185*\n");
        TForm1 form;
        QCOMPARE(form.edtDFA->text(), QString::fromLatin1("long\xE9.dfa"));
        QCOMPARE(form.edt_MainAna->text(), QString::fromLatin1("m\xE9/"));
        Type(form.edtInstrument, "ABC");
        QCOMPARE(Read("TARNcall.dfa"), std::string("prog\nlong\xE9.dfa\nS I W\nABC\n185*\n"));
        QVERIFY(!QFileInfo::exists(QString::fromUtf8("long\uFFFD.dfa")));  // no mangled name
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    // A new operator: the installed working directory, one scan put into its
    // "uvdata/", listed at the second "Show dataselection".
    void freshWorkDirectoryListsAScanPutIntoItsUvdata() {
        QProcess script;
        script.start("bash", {TARN_PROGRAM_DIR_PATH "/tarn-workdir", Path("work")});
        QVERIFY(script.waitForFinished(60000) && script.exitCode() == 0);
        QVERIFY(QDir::setCurrent(Path("work")));
        Write("uvdata/1850900.TES", "290 1\n");
        TForm1 form;
        QTest::mouseClick(form.btnDataselect, Qt::LeftButton);
        QTest::mouseClick(form.btnDataselect, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(),
                 (QStringList{"Instrument defaults not found: uvanalys/TES.DFA  Check settings",
                              "1 datafile(s) selected"}));
        QCOMPARE(form.DataFiles().Items(), Lines{"1850900.TES"});
    }

    void startKeepsAMissingMainPath() {
        WriteWorkDirectory("gone/");
        const std::string before = Read("long.dfa");
        TForm1 form;
        QCOMPARE(m_dialogs.Messages(), QStringList{"Main analysis datapath does not exist: gone/"});
        QCOMPARE(form.edt_MainAna->text(), QString("gone/"));
        QCOMPARE(Read("long.dfa"), before);
        // Settings filled, "Run TARN" refused, nothing made there; Apply mends it.
        QTest::mouseClick(form.btnSettings, Qt::LeftButton);
        QTest::mouseClick(form.Button1, Qt::LeftButton);
        QVERIFY(!QDir("gone").exists() && QDir().mkpath("main"));
        Type(form.Settings().Edt_Analys, "main/");
        QTest::mouseClick(form.Settings().BitBtnOK, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(), QStringList(3, kMainPathMissingText + QString("gone/")));
        QVERIFY(!form.Settings().edtYEAR->text().isEmpty());
        QCOMPARE(form.Settings().edt_exten->text(), QString(".TES"));
    }

    void windowsDoNotShrinkBelowTheirSize() {
        WriteWorkDirectory("main/");
        TForm1 form;
        TGrafiek1 graph(form.Graphs());
        for (const auto& [window, size] : {std::pair<QWidget*, QSize>{&form, {438, 300}},
                                           {&form.DataFiles(), {143, 300}},
                                           {&form.Settings(), {435, 300}},
                                           {&form.Graphs().AxisDialog(), {187, 209}},
                                           {&graph, {696, 480}}}) {
            window->resize(20, 20);
            QCOMPARE(window->size(), size);
        }
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
        QCOMPARE(form.DataFiles().Items(), scans);
    }
};

QTEST_MAIN(TarncallTest)
#include "test_main_window.moc"
