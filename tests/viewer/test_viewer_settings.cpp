// The viewer settings file: its thirteen lines written and read back, later
// lines kept or dropped, short lists, and the shortest number form.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "gui-common/line_list.h"
#include "gui-common/viewer_settings.h"

using tarn::gui::LineList;
using tarn::gui::ViewerSettings;

namespace {

ViewerSettings SpikeView() {
    return tarn::gui::ViewerSettingsOf(
        {"1850900Q.TES", "/data/TES/qaqc/struc/", "Spectral spikes for: 1850900 TES", "1", "400",
         "290", "Wavelength (nm)", "5", "50", "-50", "Percent deviation", "11", "10"});
}

const char kSpikeViewText[] =
    "1850900Q.TES\n/data/TES/qaqc/struc/\nSpectral spikes for: 1850900 TES\n1\n400\n290\n"
    "Wavelength (nm)\n5\n50\n-50\nPercent deviation\n11\n10\n";

LineList ListOf(std::initializer_list<const char*> lines) {
    LineList list;
    for (const char* line : lines) list.Append(line);
    return list;
}

bool Same(const ViewerSettings& a, const ViewerSettings& b) {
    return tarn::gui::ViewerSettingsLines(a) == tarn::gui::ViewerSettingsLines(b);
}

}  // namespace

class ViewerSettingsTest : public QObject {
    Q_OBJECT

  private slots:
    void writesThirteenLinesAndReadsThemBack() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("viewer.dfa").toStdString();
        LineList lines;
        tarn::gui::WriteViewerSettings(SpikeView(), lines, true);
        lines.Save(path);
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(kSpikeViewText));

        LineList loaded;
        loaded.Load(dir.filePath("Viewer.DFA").toStdString());  // same file, other case
        ViewerSettings read = tarn::gui::DefaultViewerSettings();
        QCOMPARE(tarn::gui::ReadViewerSettings(loaded, read), 13);
        QVERIFY(Same(read, SpikeView()));
    }

    void laterLinesKeptOrDroppedShortListsFilled() {
        LineList longer = ListOf({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
                                  "line 13", "line 14"});
        LineList copy = longer;
        tarn::gui::WriteViewerSettings(SpikeView(), longer, true);
        QCOMPARE(longer.Count(), 15);
        QCOMPARE(longer.Line(12), std::string("10"));
        QCOMPARE(longer.Line(13), std::string("line 13"));
        QCOMPARE(longer.Line(14), std::string("line 14"));
        tarn::gui::WriteViewerSettings(SpikeView(), copy, false);
        QCOMPARE(copy.Count(), 13);

        LineList shorter = ListOf({"x", "y"});
        tarn::gui::WriteViewerSettings(SpikeView(), shorter, true);
        QCOMPARE(shorter.Count(), 13);
        QCOMPARE(shorter.Line(1), std::string("/data/TES/qaqc/struc/"));

        // Reading a short list takes the lines it has; the rest keep their values.
        ViewerSettings read = SpikeView();
        QCOMPARE(tarn::gui::ReadViewerSettings(ListOf({"185*", "/p/", "T"}), read), 3);
        QCOMPARE(read.Title, std::string("T"));
        QCOMPARE(read.XColumn, std::string("1"));
        QCOMPARE(read.YSteps, std::string("10"));

        // A line break typed into a value cannot shift the later lines.
        ViewerSettings broken = SpikeView();
        broken.Title = "two\nlines\r";
        LineList out;
        tarn::gui::WriteViewerSettings(broken, out, false);
        QCOMPARE(out.Count(), 13);
        QCOMPARE(out.Line(2), std::string("two lines "));
    }

    void defaultsAndShortestNumbers() {
        const auto lines = tarn::gui::ViewerSettingsLines(tarn::gui::DefaultViewerSettings());
        QCOMPARE(lines[0], std::string("1851200i.ati"));
        QCOMPARE(lines[1], std::string("uvanalys/ati/"));
        QCOMPARE(lines[8], std::string("1.3"));
        QCOMPARE(lines[12], std::string());

        const std::pair<double, const char*> cases[] = {
            {400.0, "400"},  {290.0, "290"},       {-50.0, "-50"},
            {0.5, "0.5"},    {1.4, "1.4"},         {0.05, "0.05"},
            {1e20, "1e+20"}, {100000.0, "100000"}, {0.1 + 0.2, "0.30000000000000004"}};
        for (const auto& [value, text] : cases)
            QCOMPARE(tarn::gui::ViewerSettingsNumber(value), std::string(text));
    }
};

QTEST_GUILESS_MAIN(ViewerSettingsTest)
#include "test_viewer_settings.moc"
