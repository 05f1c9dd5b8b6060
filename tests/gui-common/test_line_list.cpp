// Line-list files, the edit that saves on the way out, and the handler guard.
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "gui-common/handler_guard.h"
#include "gui-common/line_list.h"
#include "gui-common/list_edit.h"
#include "tests/support/recording_dialogs.h"

using tarn::RunTimeError;
using tarn::gui::LineList;
using tarn::gui::ListEdit;

namespace {

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs `action` and returns the RunTimeError it raised (fails when none).
template <typename Action>
RunTimeError Raised(Action action) {
    try {
        action();
    } catch (const RunTimeError& error) {
        return error;
    }
    QTest::qFail("no RunTimeError raised", __FILE__, __LINE__);
    return RunTimeError::ListError("", "", -1, "");
}

}  // namespace

class LineListTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        m_dir.reset(new QTemporaryDir());
        m_path = m_dir->path().toStdString() + "/list.dfa";
    }

    void loadsCrLfReplacesAppendsAndKeepsTheLineEnds() {
        // Carriage returns at a line's end are all part of the line end.
        Write(m_path, "a\r\r\nb\r\n\r\nc\r");
        LineList list;
        list.Load(m_dir->path().toStdString() + "/LIST.DFA");  // found without regard to case
        QCOMPARE(list.Count(), 4);
        QCOMPARE(Q(list.Line(1)), "b");
        QVERIFY(list.Line(2).empty());
        list.Replace(1, "B");
        list.Append("d");
        list.Save(m_dir->path().toStdString() + "/List.Dfa");  // replaces the existing file
        QCOMPARE(Q(Read(m_path)), "a\r\r\nB\r\n\r\nc\r\nd\r\n");
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"list.dfa"});
    }

    // A list saved as loaded is the file byte for byte; a replaced line keeps
    // its end, an appended one takes the file's; no other file is ever replaced.
    void savedListsKeepEveryByte() {
        const std::string latin1 =
            std::string("\xEF\xBB\xBF") + "C:\\M\xFCller\r\n" + std::string(40000, 'x');
        struct Case {
            std::string in;
            int replaced;          // the line replaced by "R", -1 none
            const char* appended;  // nullptr none
            std::string out;       // "" as in
        };
        const Case cases[] = {{"a\r\nb\r\n", -1, nullptr, ""},
                              {latin1, -1, nullptr, ""},
                              {"a\r\nb\nc", 1, nullptr, "a\r\nR\nc"},
                              {"a\r\nb", -1, "c", "a\r\nb\r\nc\r\n"},
                              {"a\n", 0, "", "R\n\n"}};
        for (const Case& c : cases) {
            Write(m_path, c.in);
            LineList list;
            list.Load(m_path);
            if (c.replaced >= 0) list.Replace(c.replaced, "R");
            if (c.appended != nullptr) list.Append(c.appended);
            list.Save(m_path);
            QCOMPARE(Read(m_path), c.out.empty() ? c.in : c.out);
        }
        const std::string fifo = m_dir->path().toStdString() + "/fifo.dfa";
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        LineList list;
        QCOMPARE(Q(Raised([&] { list.Load(fifo); }).Reason()), "not a regular file");
        QCOMPARE(Q(Raised([&] { list.Save(fifo); }).Reason()), "not a regular file");
        Write(m_path, std::string("PK\x03\x04\0\0zip", 9));
        QCOMPARE(Q(Raised([&] { list.Load(m_path); }).Reason()), "not a text file");
    }

    void errorsNameOperationFileAndIndex() {
        Write(m_path, "a\nb\nc\n");
        LineList list;
        list.Load(m_path);
        RunTimeError read = Raised([&] { list.Line(3); });
        QCOMPARE(Q(read.what()),
                 Q("Cannot read line index 3 of '" + m_path + "': the file holds 3 lines"));
        RunTimeError replace = Raised([&] { list.Replace(-1, "x"); });
        QCOMPARE(Q(replace.Operation()), "replace line");
        QCOMPARE(replace.Index(), -1);

        const std::string missing = m_dir->path().toStdString() + "/missing.dfa";
        RunTimeError load = Raised([&] { list.Load(missing); });
        QCOMPARE(Q(load.what()), Q("Cannot load file '" + missing + "': not found or unreadable"));
        QCOMPARE(list.Count(), 3);  // a failed load leaves the list as it was

        const std::string noDir = m_dir->path().toStdString() + "/no/such/dir.dfa";
        RunTimeError save = Raised([&] { list.Save(noDir); });
        QCOMPARE(Q(save.Operation()), "save file");
        QCOMPARE(Q(save.File()), Q(noDir));
        QCOMPARE(save.Index(), -1);

        // A save that cannot replace its target leaves it and no temporary file.
        QVERIFY(QDir(m_dir->path()).mkdir("taken"));
        Raised([&] { list.Save(m_dir->path().toStdString() + "/taken"); });
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"list.dfa", "taken"}));
    }

    void guardSavesTheEditAndShowsOneMessage() {
        tarn::gui::RecordingDialogs dialogs;
        Write(m_path, "a\r\nb\r\nc\r\n");
        const std::string target = m_dir->path().toStdString() + "/copy.dfa";
        bool reachedEnd = false;
        bool done = tarn::gui::RunGuarded([&] {
            ListEdit edit(m_path, target);
            edit->Replace(0, "X");
            edit->Replace(5, "Y");
            reachedEnd = true;
            edit.Save();
        });
        QVERIFY(!done);
        QVERIFY(!reachedEnd);
        QCOMPARE(Q(Read(target)), "X\r\nb\r\nc\r\n");  // saved on the way out
        QCOMPARE(dialogs.Messages(), QStringList{Q("Cannot replace line index 5 of '" + m_path +
                                                   "': the file holds 3 lines")});

        // The program goes on: the next action runs; an edit whose file could
        // not be loaded saves nothing.
        const std::string never = m_dir->path().toStdString() + "/never.dfa";
        QVERIFY(tarn::gui::RunGuarded([&] {
            ListEdit edit(target);
            edit->Append("d");
            edit.Save();
        }));
        QCOMPARE(Q(Read(target)), "X\r\nb\r\nc\r\nd\r\n");
        QVERIFY(!tarn::gui::RunGuarded([&] { ListEdit edit(never + ".absent", never); }));
        QVERIFY(!QFile::exists(QString::fromStdString(never)));
        QCOMPARE(dialogs.Messages().size(), 2);
    }

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::string m_path;
};

QTEST_GUILESS_MAIN(LineListTest)
#include "test_line_list.moc"
