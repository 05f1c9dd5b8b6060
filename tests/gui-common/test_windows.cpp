// The DataFiles window, the axis dialog driven by keystrokes, and the widget
// snapshot.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "gui-common/axis_setting_dialog.h"
#include "gui-common/chart.h"
#include "gui-common/data_files_window.h"
#include "gui-common/widget_png.h"
#include "tests/support/recording_dialogs.h"

using tarn::gui::Chart;
using tarn::gui::TFrm_axissetting;
using tarn::gui::TfrmDataFiles;

namespace {

void Touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// Replaces the edit's text the way an operator does: select all, then type.
void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void dataFilesListsTheMaskSortedWithoutCase() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("exa/173sub.exa"));  // a directory never lists
        for (const char* name : {"1731100.exa", "1730500.EXA", "1740500.exa", "173x.txt"})
            Touch(dir.filePath(QString("exa/") + name));
        TfrmDataFiles window;
        QCOMPARE(window.windowTitle(), QString("DataFiles"));
        QCOMPARE(window.size(), QSize(143, 300));

        window.SetMask(dir.path().toStdString() + "/EXA/173*.exa");
        const std::vector<std::string> want = {"1730500.EXA", "1731100.exa"};
        QVERIFY(window.Items() == want);
        QCOMPARE(window.FileListBox1->count(), 2);
        QCOMPARE(window.FileListBox1->item(0)->text(), QString("1730500.EXA"));
        QCOMPARE(window.Item(1), std::string("1731100.exa"));

        Touch(dir.filePath("exa/1730000.Exa"));
        window.Refresh();
        QCOMPARE(window.Count(), 3);
        QCOMPARE(window.FileListBox1->item(0)->text(), QString("1730000.Exa"));
        window.SetMask(dir.path().toStdString() + "/exa/186*.*");
        QCOMPARE(window.Count(), 0);
        QCOMPARE(window.FileListBox1->count(), 0);
    }

    void axisDialogAppliesEachKeystrokeToTheCurrentChart() {
        tarn::gui::RecordingDialogs dialogs;
        TFrm_axissetting dialog;
        QCOMPARE(dialog.windowTitle(), QString("Frm_axissetting"));
        QCOMPARE(dialog.size(), QSize(187, 209));
        QCOMPARE(dialog.edt_Ymin->text(), QString("-0.5"));
        auto* chart = new Chart();
        chart->LeftAxis().SetMinMax(-0.3, 0.3);
        chart->BottomAxis().SetMinMax(300.0, 400.0);
        dialog.SetCurrentChart(chart);

        Type(dialog.edt_ymax, "0.2");
        QVERIFY(dialog.isVisible());
        QCOMPARE(chart->LeftAxis().Minimum(), -0.5);
        QCOMPARE(chart->LeftAxis().Maximum(), 0.2);
        QCOMPARE(chart->BottomAxis().Maximum(), 400.0);  // the other axis untouched

        Type(dialog.edt_ymax, "0.2x");  // not a number: the axis stays
        QCOMPARE(chart->LeftAxis().Maximum(), 0.2);
        for (int enter = 0; enter < 2; ++enter) QTest::keyClick(dialog.edt_ymax, Qt::Key_Return);
        QCOMPARE(dialogs.Messages(), QStringList{"Maximum on Y-axis: a number expected, not "
                                                 "'0.2x'; the axis stays as it was"});
        Type(dialog.edt_Xmin, "420");  // above the maximum: the smaller is the minimum
        QCOMPARE(chart->BottomAxis().Minimum(), 400.0);
        QCOMPARE(chart->BottomAxis().Maximum(), 420.0);

        Chart other;
        QVERIFY(!dialog.ApplyToChart(other));  // Y still holds "0.2x"
        QCOMPARE(other.BottomAxis().Minimum(), 400.0);
        QCOMPARE(other.LeftAxis().Maximum(), 1.0);
        dialog.edt_ymax->setText("1.5");  // a program's change applies as typing does
        QCOMPARE(chart->LeftAxis().Maximum(), 1.5);
        QVERIFY(dialog.ApplyToChart(other));
        QCOMPARE(other.LeftAxis().Maximum(), 1.5);

        delete chart;  // the current graph closed: changes apply to nothing
        QVERIFY(dialog.CurrentChart() == nullptr);
        Type(dialog.edt_Ymin, "-1");
    }

    void widgetRendersToPng() {
        QTemporaryDir dir;
        TFrm_axissetting dialog;
        const QString path = dir.filePath("axis.png");
        QVERIFY(tarn::gui::RenderWidgetToPng(dialog, path, false));
        QCOMPARE(QImage(path).size(), QSize(187, 209));
        QVERIFY(tarn::gui::RenderWidgetToPng(dialog, path));
        QVERIFY(QImage(path).height() > 209);
    }
};

QTEST_MAIN(WindowsTest)
#include "test_windows.moc"
