// "Run TARN" pressed as an operator does.  With a stand-in engine (a script
// that keeps a copy of the batch file it was started from and its arguments):
// each day's batch line for line, the marker files, archives and deletions,
// quoting, refusals and messages.  With the real engine and interpreter over
// two example days: the result tree, both archives, the shift graph, a Break
// in the first day and a failed archive.
#include <unistd.h>

#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/formats/defaults_layout.h"
#include "gui-common/chart.h"
#include "gui-common/data_files_window.h"
#include "shell/batch_file.h"
#include "shell/batch_progress_window.h"
#include "shell/child_process.h"
#include "shell/main_window.h"
#include "shell/shell_program.h"
#include "shell/shift_graph_window.h"
#include "tests/shell/result_tree_support.h"
#include "tests/shell/shell_test_support.h"
#include "tests/support/recording_dialogs.h"

using namespace tarn::tarncall;
using tarn::test::ColumnPairs;
using tarn::test::Files;
using tarn::test::FilesUnder;
using tarn::test::Points;
using tarn::test::ProgressWindow;
using tarn::test::Read;
using tarn::test::Type;
using tarn::test::Write;
using tarn::test::ZipEntries;

namespace {

const char kEngineScript[] =
    "#!/bin/sh\n"
    "cp tarn_bat.bat \"batch-$(printf %.3s \"$1\").txt\"\n"
    "printf '%s\\n' \"$@\" >> args.txt\n";
// The deletion lines of day 185 in the working directory's main path main/.
const char kCleanDay185[] =
    "del main/TES/185*.*\n"
    "del main/TES/efuv/185*.*\n"
    "del main/TES/shift/185*.*\n"
    "del main/TES/qaqc/185*.*\n"
    "del main/TES/qaqc/struc/185*.*\n"
    "del main/TES/trans/185*.*\n";
const char kInstrumentFile[] =
    "ozonshi.dfa\n0 no_id_met\n.TES\ndata\n285.0 440.0 0.5\n1\n1\n0.32\n1\n";

std::string LongDefaults(const std::string& mainPath) {
    tarn::DefaultsSettings settings = tarn::BuiltInDefaults();
    settings.Qc.CriteriaCount = 4;
    settings.Paths.MainPath = mainPath;
    std::string text;
    for (const std::string& line : tarn::LongDefaultsLines(settings)) text += line + "\n";
    return text;
}

// Ticks an unticked box as the operator does.
void Tick(QCheckBox* box) {
    tarn::test::Toggle(box);
    QVERIFY(box->isChecked());
}

}  // namespace

class BatchRunTest : public QObject {
    Q_OBJECT

  private:
    QString Path(const QString& name) const { return m_dir->filePath(name); }

    // A working directory with the stand-in engine `program`, the long defaults
    // file `defaults` with the main path `mainPath`, the instrument `id` and
    // the scans `scans` (names without extension) in data/.
    void MakeWorkDirectory(const QStringList& scans, const QString& program = "bin/engine",
                           const QString& id = "TES", const QString& defaults = "long.dfa",
                           const QString& mainPath = "main/") {
        const std::string longText = LongDefaults(mainPath.toStdString());
        Write(Path("tarn_e.dfa"), longText);
        Write(Path(defaults), longText);
        Write(Path("efuv.dfa"), "1\nuv315\n315.0\n");
        Write(Path("TARNcall.dfa"),
              (program + "\n" + defaults + "\nS I W\n" + id + "\n*\n").toStdString());
        Write(Path(mainPath + id + ".DFA"), kInstrumentFile);
        QDir().mkpath(Path(mainPath + id));  // the engine's result directory
        Write(Path(program), kEngineScript);
        QFile::setPermissions(Path(program),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(Path("data"));
        for (const QString& scan : scans) Write(Path("data/" + scan + ".TES"), "290 1\n");
    }

    // Makes the main window, ticks the boxes asked for and presses "Run TARN".
    std::unique_ptr<TForm1> Press(bool zip, bool plot = false) {
        auto form = std::make_unique<TForm1>();
        if (zip) Tick(form->ChckBxZIP);
        if (plot) Tick(form->chckbx_Plot);
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        return form;
    }

    // The batch file that the stand-in engine saw for day `day`.
    std::string Batch(const char* day) const {
        return Read(Path(QString("batch-%1.txt").arg(day)));
    }

    // The example working directory in work/ with the scans 1731130 and
    // 1731230 of day 173 and, as day 174, their copies (`perDay` of each).
    void MakeExampleDays(int perDay) {
        tarn::test::MakeExampleWorkDirectory(Path("work"));
        QVERIFY(QDir::setCurrent(Path("work")));
        tarn::test::KeepExampleScansAsTwoDays(
            Path("work/uvdata/exa"), QStringList{"1731130.exa", "1731230.exa"}.mid(0, perDay));
    }

    // Presses "Run TARN" on the example days with the mask 17*.
    std::unique_ptr<TForm1> PressExample(bool plot) {
        auto form = std::make_unique<TForm1>();
        Type(form->edtDayTime, "17*");
        Tick(form->ChckBxZIP);
        if (plot) Tick(form->chckbx_Plot);
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        return form;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    tarn::gui::RecordingDialogs m_dialogs;
    QTimer m_poll;

  private slots:
    void init() {
        QVERIFY(tarn::test::EnterFreshWorkDirectory(m_dir));
        SetProgramDirectory(TARN_PROGRAM_DIR_PATH);
        m_dialogs.Clear();
    }
    void cleanup() {
        m_poll.stop();
        m_poll.disconnect();
    }

    void twoDaysWithoutZipGetTwoBatches() {
        MakeWorkDirectory({"1850900", "1850915", "1860900"});
        const auto form = Press(false);
        QCOMPARE(Batch("185"), std::string("del CHECK.RES\n"
                                           "bin/engine 1850900 TES long.dfa S I W\n"
                                           "bin/engine 1850915 TES long.dfa S I W\n"
                                           "del CHECK.RES\n"
                                           "copy CHECK.OK CHECK.RES\n"));
        QCOMPARE(Batch("186"), std::string("del CHECK.RES\n"
                                           "bin/engine 1860900 TES long.dfa S I W\n"));
        QCOMPARE(Read(Path("args.txt")), std::string("1850900\nTES\nlong.dfa\nS\nI\nW\n"
                                                     "1850915\nTES\nlong.dfa\nS\nI\nW\n"
                                                     "1860900\nTES\nlong.dfa\nS\nI\nW\n"));
        QVERIFY(!QFile::exists("CHECK.OK") && !QFile::exists("CHECK.RES"));
        QCOMPARE(form->FirstUnplottedIndex(), 3);
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void zipPacksEachDayAndCleansTheDayBefore() {
        MakeWorkDirectory({"1850900", "1850915", "1860900"});
        const Files day185 = {{"1850900I.TES", "i\n"},
                              {"shift/1850900W.TES", "w\n"},
                              {"efuv/185uv315.TES", "e\n"},
                              {"qaqc/185QC.TES", "q\n"},
                              {"qaqc/struc/1850900q.TES", "s\n"},
                              {"trans/1850900T.TES", "t\n"}};
        for (const auto& [name, text] : day185)
            Write(Path("main/TES/" + QString::fromStdString(name)), text);
        Write(Path("main/TES/shift/1860900W.TES"), "w6\n");
        Press(true);
        const std::string pack185 = "pkzip main/TES/TES185 main/TES/185*.* -rp\n";
        QCOMPARE(Batch("185"),
                 "del CHECK.RES\n"
                 "bin/engine 1850900 TES long.dfa S I W\n"
                 "bin/engine 1850915 TES long.dfa S I W\n" +
                     pack185 + "del CHECK.RES\ncopy CHECK.OK CHECK.RES\n");
        QCOMPARE(Batch("186"), std::string("del CHECK.RES\n"
                                           "bin/engine 1860900 TES long.dfa S I W\n"
                                           "pkzip main/TES/TES186 main/TES/186*.* -rp\n") +
                                   kCleanDay185);
        QCOMPARE(ZipEntries(Path("main/TES/TES185.zip")), day185);
        QCOMPARE(ZipEntries(Path("main/TES/TES186.zip")), (Files{{"shift/1860900W.TES", "w6\n"}}));
        QCOMPARE(FilesUnder(Path("main/TES")).size(), size_t(3));  // two archives and day 186
        QVERIFY(QFile::exists(Path("main/TES/shift/1860900W.TES")));
        QVERIFY(!QFile::exists("CHECK.OK"));
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void singleScanOfDaySevenAndAnArchiveBeforeTheRun() {
        // Day 7 is written with three digits; one day: no marker lines.
        MakeWorkDirectory({"0070900"});
        Press(true);
        QCOMPARE(Batch("007"), std::string("del CHECK.RES\n"
                                           "bin/engine 0070900 TES long.dfa S I W\n"
                                           "pkzip main/TES/TES007 main/TES/007*.* -rp\n"));
        QVERIFY(m_dialogs.Messages().isEmpty());
        QVERIFY(!QFile::exists("CHECK.OK") && !QFile::exists("CHECK.RES"));

        // The archive of day 185 exists before the run: the day just analysed
        // stays, and is restored first, also with some of its files on disk.
        QFile::remove(Path("data/0070900.TES"));
        Write(Path("data/1850900.TES"), "290 1\n");
        Write(Path("main/TES/TES185.zip"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
        for (const bool zip : {true, false}) {
            if (!zip) Write(Path("main/TES/trans/1850800T.TES"), "t\n");
            Press(zip);
            QCOMPARE(Batch("185"), std::string("del CHECK.RES\n") +
                                       "pkunzip -d main/TES/TES185.zip main/TES/\n" +
                                       "bin/engine 1850900 TES long.dfa S I W\n" +
                                       (zip ? "pkzip main/TES/TES185 main/TES/185*.* -rp\n" : ""));
        }
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    // An id holding a dot: the shell finds the archive tarnbat wrote, cleans
    // the day with the next day's batch and restores it before a re-run.
    void dottedIdArchivedCleanedAndRestored() {
        MakeWorkDirectory({"1850900", "1860900"}, "bin/engine", "a.b");
        Write(Path("main/a.b/shift/1850900W.a.b"), "w\n");
        Press(true);
        QCOMPARE(Batch("186"),
                 "del CHECK.RES\nbin/engine 1860900 a.b long.dfa S I W\n"
                 "pkzip main/a.b/a.b186.zip main/a.b/186*.* -rp\n" +
                     QString(kCleanDay185).replace("TES", "a.b").toStdString());
        QCOMPARE(ZipEntries(Path("main/a.b/a.b185.zip")), (Files{{"shift/1850900W.a.b", "w\n"}}));
        QVERIFY(!QFile::exists(Path("main/a.b/shift/1850900W.a.b")));
        QFile::remove(Path("data/1860900.TES"));
        Press(false);
        QCOMPARE(Batch("185"), std::string("del CHECK.RES\n"
                                           "pkunzip -d main/a.b/a.b185.zip main/a.b/\n"
                                           "bin/engine 1850900 a.b long.dfa S I W\n"));
        QCOMPARE(Read(Path("main/a.b/shift/1850900W.a.b")), std::string("w\n"));
        QVERIFY(m_dialogs.Messages().isEmpty());
    }

    void emptyListRunsNothing() {
        MakeWorkDirectory({});
        const auto form = Press(true, true);
        QVERIFY(!QFile::exists("tarn_bat.bat") && !QFile::exists("args.txt"));
        QVERIFY(!QFile::exists("CHECK.OK"));
        QVERIFY(form->Graphs().Current() == nullptr);
        QCOMPARE(m_dialogs.Messages(),
                 QStringList{"No data file matches *.TES in " + Path("data/")});
    }

    // Started by twoShellsInOneDirectory as a second process, in its directory.
    void secondShellIsRefused() {
        const QString dir = qEnvironmentVariable("TARN_FIRST_SHELL_DIR");
        if (dir.isEmpty()) QSKIP("only as the second shell of twoShellsInOneDirectory");
        QVERIFY(QDir::setCurrent(dir));
        Press(true);
        QVERIFY(m_dialogs.Errors().value(0).startsWith("A run of TARN is going on in " + dir));
    }

    void twoShellsInOneDirectory() {
        MakeWorkDirectory({"1850900", "1860900"});
        Write(Path("bin/engine"),
              "#!/bin/sh\n[ -e second.txt ] || { : >second.txt; "
              "TARN_FIRST_SHELL_DIR=\"$PWD\" '" +
                  QCoreApplication::applicationFilePath().toStdString() +
                  "' secondShellIsRefused >/dev/null 2>&1; echo $? >second.txt; }"
                  "\nprintf '%s\\n' \"$1\" >>args.txt\n");
        Press(true);
        QCOMPARE(Read("second.txt"), std::string("0\n"));
        QCOMPARE(Read("args.txt"), std::string("1850900\n1860900\n"));
        QVERIFY(m_dialogs.Messages().isEmpty() && !QFile::exists("CHECK.OK"));
    }

    void ctrlCChangesNothing() {
        MakeWorkDirectory({"1850900", "1860900"});
        Write(Path("bin/engine"), "#!/bin/sh\nkill -INT 0\necho \"$1\" >>args.txt\n");
        QVERIFY(setpgid(0, 0) == 0 || getpgrp() == getpid());  // a terminal's job
        QTest::mouseClick(ShellProgram().Form().Button1, Qt::LeftButton);
        QCOMPARE(Read(Path("args.txt")), std::string("1850900\n1860900\n"));
    }

    void textsWithBlanksReachTheEngineWhole() {
        QDir().mkpath(Path("bin"));
        MakeWorkDirectory({"1850900"}, "bin/fake engine", "T S", "my defaults.dfa", "main dir/");
        Press(true);
        QCOMPARE(Batch("185"),
                 std::string("del CHECK.RES\n"
                             "\"bin/fake engine\" 1850900 \"T S\" \"my defaults.dfa\" S I W\n"
                             "pkzip \"main dir/T S/T S185\" \"main dir/T S/185*.*\" -rp\n"));
        QCOMPARE(Read(Path("args.txt")), std::string("1850900\nT S\nmy defaults.dfa\nS\nI\nW\n"));
        QVERIFY(m_dialogs.Messages().isEmpty());

        // A scan name that would break the batch line runs nothing.
        QFile::remove(Path("args.txt"));
        Write(Path("data/185\nrm x.TES"), "290 1\n");
        Press(false);
        QCOMPARE(
            m_dialogs.Errors(),
            QStringList{"A batch line cannot carry a double quote or a line break: 185\nrm x"});
        QVERIFY(!QFile::exists("args.txt") && !QFile::exists("CHECK.OK"));
    }

    void shortResultCodesPlotNothingAndSaySoOnce() {
        MakeWorkDirectory({"1850900", "1860900"});
        Write(Path("main/TES/shift/1850900W.TES"), "!wavel wavelength shift (nm)\n290.00 0.0100\n");
        auto form = std::make_unique<TForm1>();
        Type(form->edtResCode, "S I");
        Tick(form->chckbx_Plot);
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(m_dialogs.Messages(),
                 QStringList{"No applied-shift code (5th character) in the result codes \"S I\": "
                             "nothing is plotted"});
        QVERIFY(form->Graphs().Current() == nullptr);
        QCOMPARE(Read(Path("args.txt")), std::string("1850900\nTES\nlong.dfa\nS\nI\n"
                                                     "1860900\nTES\nlong.dfa\nS\nI\n"));
    }

    // The plotted files lie where the engine writes them: in the shift
    // subdirectory that the long defaults file names.
    void plottedFilesFollowTheShiftSubdirectoryInForce() {
        QCOMPARE(AppliedShiftPath("m/", "sh/", "TES", "1850900", "S I W").value_or(""),
                 std::string("m/TES/sh/1850900W.TES"));
        QVERIFY(!AppliedShiftPath("m/", "sh/", "TES", "1850900", "S I"));
    }

    void interpreterThatCannotStartStopsTheRun() {
        MakeWorkDirectory({"1850900", "1860900"});
        Write(Path("fakebin/tarnbat"), "not a program\n");
        QFile::setPermissions(Path("fakebin/tarnbat"), QFile::ReadOwner | QFile::ExeOwner);
        SetProgramDirectory(Path("fakebin"));
        Press(false);
        QCOMPARE(m_dialogs.Messages().size(), 1);  // the second day was not tried
        QVERIFY2(m_dialogs.Errors().value(0).startsWith("Cannot start " + Path("fakebin/tarnbat")),
                 qPrintable(m_dialogs.Messages().value(0)));
        QVERIFY(!QFile::exists("CHECK.OK") && !QFile::exists("args.txt"));
        // A wrong program call: tarnbat's stop line, the second day not run.
        SetProgramDirectory(TARN_PROGRAM_DIR_PATH);
        m_dialogs.Clear();
        QFile::remove(Path("bin/engine"));
        Press(false);
        QCOMPARE(m_dialogs.Errors(),
                 QStringList{"batch stopped: cannot start bin/engine: No such file or directory"});
        QVERIFY(Read("tarn_bat.bat").find("1860900") == std::string::npos);
    }

    void failedArchiveOfTheLastDayIsReported() {
        MakeWorkDirectory({"1850900"});
        QDir().mkpath(Path("main/TES/shift"));
        QVERIFY(QFile::link(Path("nowhere"), Path("main/TES/shift/185link.TES")));
        Press(true);
        QCOMPARE(m_dialogs.Errors(),
                 QStringList{"batch stopped: pkzip: cannot read main/TES/shift/185link.TES: "
                             "No such file or directory"});
        QVERIFY(!QFile::exists(Path("main/TES/TES185.zip")));
        QVERIFY(!QFile::exists("CHECK.OK"));
    }

    // A stand-in engine ends a scan by its last digit: 1 halts, 2 fails, 3 is killed.
    void haltedAndFailedScansAreCountedAtTheEndOfTheRun() {
        const QString of = "Of %1 scans run, %2 halted and %3 failed; the first, ";
        const std::pair<QStringList, QString> cases[] = {
            {{"1850900", "1850901"}, of.arg(2).arg(1).arg(0) + "1850901: Program Halted; ERROR S2"},
            {{"1850902", "1860901", "1860903"}, of.arg(3).arg(1).arg(2) + "1850902: tarnpelo: x"},
            {{"1850903"}, of.arg(1).arg(0).arg(1) + "1850903: ended by signal 9"}};
        for (const auto& [scans, message] : cases) {
            MakeWorkDirectory(scans);
            Write(Path("bin/engine"),
                  "#!/bin/sh\ncase $1 in *1) echo 'Program Halted; ERROR S2'; exit 1;;"
                  " *2) echo 'tarnpelo: x' >&2; exit 2;; *3) kill -9 $$;; esac\n");
            m_dialogs.Clear();
            Press(false);
            QCOMPARE(m_dialogs.Errors(), QStringList{message});
            for (const QString& scan : scans) QFile::remove(Path("data/" + scan + ".TES"));
        }
    }

    // Closing the main window breaks the run; "closed" (the program's end) follows the run.
    void closingTheMainWindowBreaksTheRunThenEndsTheProgram() {
        MakeWorkDirectory({"1850900", "1860900"});
        Write(Path("bin/engine"), "#!/bin/sh\necho \"$1\" >>args.txt\nexec sleep 20\n");
        TForm1 form;
        QEventLoop loop;
        connect(&form, &TForm1::closed, &loop, [&] { loop.exit(ProgressWindow() ? 2 : 0); });
        connect(&m_poll, &QTimer::timeout, this, [&] {
            if (ProgressWindow() && QFile::exists("args.txt")) m_poll.stop(), form.close();
        });
        m_poll.start(10);
        QTimer::singleShot(0, form.Button1, &QPushButton::click);
        QTimer::singleShot(9000, &loop, [&] { loop.exit(1); });  // a sleep not broken
        QCOMPARE(loop.exec(), 0);
        QCOMPARE(Read("args.txt"), std::string("1850900\n"));
        QCOMPARE(m_dialogs.Messages(), QStringList{"USER induced break"});
    }

    void dayEndsJudgedByMarkerExitCodeAndBreak() {
        struct Case {
            BatchEnd end;
            bool lastDay, marker, goOn;
            std::string message;
        };
        const std::string pkzip = "batch stopped: pkzip: cannot read x: Permission denied";
        const std::string userBreak = "USER induced break";
        const Case cases[] = {
            {{true, 0, false, "", ""}, false, true, true, ""},
            {{true, 0, false, "", ""}, false, false, false, userBreak},
            {{true, 0, false, "", ""}, true, false, true, ""},  // the last day has no marker
            {{true, 1, true, "batch stopped: break", ""}, true, false, false, userBreak},
            {{true, 1, true, "batch stopped: break", ""}, false, true, false, userBreak},
            {{true, 1, false, pkzip, pkzip}, true, false, false, pkzip},
            {{true, 2, false, "", "run-time error: x"}, false, false, false, "run-time error: x"},
            {{true, -1, false, "", ""}, true, false, false, userBreak},  // crashed
            {{false, -1, false, "", ""}, false, false, false, ""},       // its start reported it
        };
        for (const Case& c : cases) {
            const DayVerdict verdict = JudgeDayBatch(c.end, c.lastDay, c.marker);
            QCOMPARE(verdict.GoOn, c.goOn);
            QCOMPARE(verdict.Message, c.message);
        }
    }

    // The real engine and interpreter over days 173 and 174, two scans each,
    // "Plot" and "ZIP" ticked.
    void exampleDaysArchivedAndPlotted() {
        MakeExampleDays(2);
        QPointer<TfrmBatchProgress> window;  // one progress window for the whole run
        int windows = 0;
        QString thirdScan;
        connect(&m_poll, &QTimer::timeout, this, [&] {
            TfrmBatchProgress* progress = ProgressWindow();
            if (progress == nullptr) return;
            if (progress != window) window = progress, ++windows;
            if (progress->lblScan->text().startsWith("Scan 3 of 4"))
                thirdScan = progress->lblDay->text() + ' ' + progress->barScans->text();
        });
        m_poll.start(5);
        std::unique_ptr<TForm1> form = PressExample(true);
        QCOMPARE(windows, 1);
        QCOMPARE(thirdScan, QString("Day 2 of 2 50%"));
        QVERIFY2(m_dialogs.Messages().isEmpty(), qPrintable(m_dialogs.Messages().join('|')));
        QVERIFY(!QFile::exists("CHECK.OK") && !QFile::exists("CHECK.RES"));
        const std::string engine = form->edtProg->text().toStdString();
        QCOMPARE(Read("tarn_bat.bat"), "del CHECK.RES\n" + engine +
                                           " 1741130 exa tarn_exa.dfa S I W\n" + engine +
                                           " 1741230 exa tarn_exa.dfa S I W\n"
                                           "pkzip uvanalys/exa/exa174 uvanalys/exa/174*.* -rp\n"
                                           "del uvanalys/exa/173*.*\n"
                                           "del uvanalys/exa/efuv/173*.*\n"
                                           "del uvanalys/exa/shift/173*.*\n"
                                           "del uvanalys/exa/qaqc/173*.*\n"
                                           "del uvanalys/exa/qaqc/struc/173*.*\n"
                                           "del uvanalys/exa/trans/173*.*\n");

        // Day 173 lives only in its archive, day 174 on disk and in its archive.
        Files zip173, day174;
        tarn::test::CheckTwoArchivedDays("uvanalys/exa/", "exa", zip173, day174);
        if (QTest::currentTestFailed()) return;
        QVERIFY(day174.size() > 10);
        QVERIFY(day174.count("shift/1741230W.exa") && day174.count("qaqc/struc/1741130q.exa"));
        QVERIFY(QFile::exists("uvanalys/exa/exa173.zip") &&
                QFile::exists("uvanalys/exa/exa174.zip"));

        // One graph holding one point per row of the four applied-shift files.
        Points rows;
        for (const std::string& text :
             {zip173.at("shift/1731130W.exa"), zip173.at("shift/1731230W.exa"),
              day174.at("shift/1741130W.exa"), day174.at("shift/1741230W.exa")}) {
            const Points file = ColumnPairs(text, 1, 2);
            QCOMPARE(file.size(), size_t(221));
            rows.insert(rows.end(), file.begin(), file.end());
        }
        TGrafiek1* graph = form->Graphs().Current();
        QVERIFY(graph != nullptr);
        QCOMPARE(graph->Chart1->Title(), QString("Wavelength shifts for: exa 17*"));
        Points plotted;
        for (const auto& point : graph->Series1->Points()) plotted.emplace_back(point.X, point.Y);
        std::sort(rows.begin(), rows.end());
        std::sort(plotted.begin(), plotted.end());
        QCOMPARE(plotted, rows);
        // One scan of the archived day 173 again, without "ZIP": the day is
        // restored first, so the new row follows the archived table.
        Type(form->edtDayTime, "1731230");
        tarn::test::Toggle(form->ChckBxZIP);
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QVERIFY2(m_dialogs.Messages().isEmpty(), qPrintable(m_dialogs.Messages().join('|')));
        const std::string table = Read("uvanalys/exa/qaqc/173QC.exa"),
                          &old = zip173["qaqc/173QC.exa"];
        QCOMPARE(table.substr(0, old.size()), old);
        QVERIFY(table.find("\n1731230 ", old.size() - 1) != std::string::npos);
    }

    void breakInTheFirstDayStopsTheRun() {
        MakeExampleDays(2);
        QString scan;
        connect(&m_poll, &QTimer::timeout, this, [&] {
            TfrmBatchProgress* progress = ProgressWindow();
            if (progress == nullptr || !progress->lblScan->text().startsWith("Scan 1 of 4")) return;
            scan = progress->lblScan->text();
            QTest::mouseClick(progress->btnBreak, Qt::LeftButton);
            m_poll.stop();
        });
        m_poll.start(10);
        const auto form = PressExample(false);
        QCOMPARE(scan, QString("Scan 1 of 4: 1731130"));
        QCOMPARE(m_dialogs.Messages(), QStringList{"USER induced break"});
        QVERIFY(!QFile::exists("CHECK.OK") && !QFile::exists("CHECK.RES"));
        QVERIFY(Read("tarn_bat.bat").find("1741130") == std::string::npos);  // no second day
        for (const auto& entry : FilesUnder("uvanalys/exa"))
            QVERIFY2(entry.first.find("174") == std::string::npos, entry.first.c_str());
        QVERIFY(!QFile::exists("uvanalys/exa/exa173.zip"));
        QCOMPARE(form->FirstUnplottedIndex(), 2);
    }

    void failedArchiveDeletesNothing() {
        MakeExampleDays(1);
        // The batch of day 174 would clean day
        // 173 after its pkzip line; a broken link stops the batch before.
        QVERIFY(QDir().mkpath("uvanalys/exa/shift"));
        QVERIFY(QFile::link("nowhere", "uvanalys/exa/shift/174link.exa"));
        PressExample(false);
        QCOMPARE(m_dialogs.Errors(),
                 QStringList{"batch stopped: pkzip: cannot read uvanalys/exa/shift/174link.exa: "
                             "No such file or directory"});
        QCOMPARE(m_dialogs.Messages().size(), 1);
        QVERIFY(Read("tarn_bat.bat").find("del uvanalys/exa/trans/173*.*\n") != std::string::npos);
        QVERIFY(QFile::exists("uvanalys/exa/shift/1731130W.exa"));
        QVERIFY(QFile::exists("uvanalys/exa/1731130I.exa"));
        QVERIFY(!QFile::exists("uvanalys/exa/exa174.zip"));
        QVERIFY(!QFile::exists("CHECK.OK") && !QFile::exists("CHECK.RES"));
    }
};

QTEST_MAIN(BatchRunTest)
#include "test_batch_run.moc"
