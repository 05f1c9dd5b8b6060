// The chart layer: axes, series, the average series, export and printing.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "gui-common/chart.h"
#include "tests/support/recording_dialogs.h"

using tarn::gui::Chart;
using tarn::gui::ChartAxis;
using tarn::gui::ChartSeries;
using tarn::gui::PointerStyle;
using tarn::gui::SeriesKind;

namespace {

constexpr double kTolerance = 1e-12;

QVector<double> Xs(const ChartSeries& series) {
    QVector<double> xs;
    for (const auto& p : series.Points()) xs << p.X;
    return xs;
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff)) ++count;
    return count;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ChartTest : public QObject {
    Q_OBJECT

  private slots:
    void axisRangesAndIncrements() {
        ChartAxis axis;
        axis.SetMinMax(0.2, -0.5);  // minimum above maximum: the smaller is the minimum
        QCOMPARE(axis.Minimum(), -0.5);
        QCOMPARE(axis.Maximum(), 0.2);
        axis.SetMinMax(std::nan(""), 3.0);  // not a number: range kept
        QCOMPARE(axis.Minimum(), -0.5);

        for (double automatic :
             {0.0, -0.05, std::numeric_limits<double>::infinity(), std::nan("")}) {
            axis.SetIncrement(automatic);
            QVERIFY(axis.AutomaticIncrement());
        }
        axis.SetMinMax(300.0, 400.0);
        QCOMPARE(axis.TickStep(600.0, 50.0), 10.0);  // 100 nm over 600 px, 50 px apart
        QCOMPARE(axis.TickStep(600.0, 150.0), 50.0);

        axis.SetMinMax(-0.3, 0.3);
        axis.SetIncrement(0.05);
        QVERIFY(!axis.AutomaticIncrement());
        const double step = axis.TickStep(400.0, 20.0);
        QCOMPARE(step, 0.05);
        const std::vector<double> ticks = axis.TickValues(step);
        QCOMPARE(ticks.size(), size_t(13));
        QVERIFY(std::fabs(ticks.front() + 0.3) < kTolerance);
        QVERIFY(std::fabs(ticks.back() - 0.3) < kTolerance);
        QCOMPARE(ChartAxis::LabelText(ticks.front(), step), QString("-0.30"));
        QCOMPARE(ChartAxis::LabelText(ticks[6], step), QString("0.00"));
        QVERIFY(std::fabs(axis.TickStep(40.0, 20.0) - 0.3) < kTolerance);  // six increments
        axis.SetIncrement(1e-300);  // absurdly fine: thinned, never millions of ticks
        QVERIFY(axis.TickValues(axis.TickStep(400.0, 20.0)).size() <= 21);
    }

    void seriesOrderDeleteAndClear() {
        Chart chart;
        ChartSeries& series = chart.AddSeries(SeriesKind::Point);
        series.SetXOrdered(true);
        series.AddXY(3.0, 30.0, Qt::red);
        series.AddXY(1.0, 10.0, Qt::red);
        series.AddXY(2.0, 20.0);
        series.AddXY(1.0, 11.0);  // after the earlier point of equal x
        QCOMPARE(Xs(series), (QVector<double>{1.0, 1.0, 2.0, 3.0}));
        QCOMPARE(series.Points()[1].Y, 11.0);
        QCOMPARE(series.Points()[0].Colour, QColor(Qt::red));
        QVERIFY(!series.Points()[1].Colour.isValid());

        for (int left = 3; left >= 0; --left) {
            QVERIFY(series.Delete(0));
            QCOMPARE(series.Count(), left);
        }
        QVERIFY(!series.Delete(0));  // nothing left to delete
        series.AddXY(5.0, 1.0);
        series.AddXY(4.0, 1.0);
        series.Clear();
        QCOMPARE(series.Count(), 0);
    }

    void averageFollowsItsSource() {
        Chart chart;
        ChartSeries& source = chart.AddSeries(SeriesKind::Point);
        ChartSeries& average = chart.AddSeries(SeriesKind::Line);
        average.SetAverageOf(&source);
        QCOMPARE(average.Count(), 0);  // empty source: no points

        source.AddXY(290.0, 0.01);
        source.AddXY(350.0, 0.02);
        source.AddXY(400.0, 0.06);
        QCOMPARE(average.Count(), 2);
        QCOMPARE(average.Points()[0].X, 290.0);
        QCOMPARE(average.Points()[1].X, 400.0);
        QVERIFY(std::fabs(average.Points()[0].Y - 0.03) < kTolerance);
        QVERIFY(std::fabs(average.Points()[1].Y - 0.03) < kTolerance);

        source.Delete(0);  // recomputed: 350..400, mean 0.04
        QCOMPARE(average.Points()[0].X, 350.0);
        QVERIFY(std::fabs(average.Points()[1].Y - 0.04) < kTolerance);
        source.Delete(0);
        QCOMPARE(average.Count(), 2);  // one point: first and last x coincide
        source.Clear();
        QCOMPARE(average.Count(), 0);

        average.SetAverageOf(&average);  // a series cannot average itself
        QVERIFY(average.AverageSource() == nullptr);
    }

    void longAxisTitleIsDrawnSmallerNotCut() {
        // Rows of the bottom title strip (the last 20 pixel rows) that hold ink.
        auto inkRows = [](const QString& title) {
            Chart chart;
            chart.BottomAxis().SetMinMax(0.0, 24.0);
            chart.BottomAxis().SetTitle(title);
            QImage image(600, 400, QImage::Format_RGB32);
            QPainter painter(&image);
            chart.Render(painter, QRectF(0, 0, 600, 400), 1.0);
            painter.end();
            int rows = 0;
            for (int y = image.height() - 20; y < image.height(); ++y) {
                bool ink = false;
                for (int x = 0; x < image.width(); ++x) ink |= qGray(image.pixel(x, y)) < 128;
                rows += ink;
            }
            return rows;
        };
        const int whole = inkRows("Time (UTpg)");
        const int fitted = inkRows(QString("Time (UTpg) ").repeated(12));  // 3 times too wide
        QVERIFY2(whole >= 8 && fitted > 0 && 4 * fitted < 3 * whole,
                 qPrintable(QString("%1 %2").arg(whole).arg(fitted)));
    }

    void exportsScaleToImageAndPage() {
        QTemporaryDir dir;
        Chart chart;
        chart.resize(600, 400);
        chart.SetTitle("Wavelength shifts for: TES 185*");
        chart.BottomAxis().SetMinMax(300.0, 400.0);
        chart.BottomAxis().SetTitle("Wavelength (nm)");
        chart.LeftAxis().SetMinMax(-0.3, 0.3);
        chart.LeftAxis().SetIncrement(0.05);
        chart.LeftAxis().SetMinorTickCount(4);
        ChartSeries& inside = chart.AddSeries(SeriesKind::Point);
        inside.SetPointerStyle(PointerStyle::Rectangle);
        inside.SetPointerSize(10, 10);
        inside.SetBrushColour(QColor(0, 255, 0));
        inside.SetOutlineVisible(false);
        inside.AddXY(350.0, 0.0);
        ChartSeries& outside = chart.AddSeries(SeriesKind::Line);
        outside.SetColour(QColor(0, 0, 255));
        outside.SetPointerSize(10, 10);
        outside.AddXY(295.0, -0.2);  // in the left margin, beside the plot: clipped away
        outside.AddXY(295.0, 0.2);

        const QString small = dir.filePath("small.png"), large = dir.filePath("large.png");
        QVERIFY(chart.ExportPng(small));
        QVERIFY(chart.ExportPng(large, QSize(1200, 800)));
        const QImage one(small), two(large);
        QCOMPARE(one.size(), QSize(600, 400));
        QCOMPARE(two.size(), QSize(1200, 800));
        const int area1 = CountPixels(one, qRgb(0, 255, 0));
        const int area2 = CountPixels(two, qRgb(0, 255, 0));
        QVERIFY2(area1 >= 64 && area1 <= 121, qPrintable(QString::number(area1)));
        QVERIFY2(area2 >= 3.2 * area1 && area2 <= 4.8 * area1, qPrintable(QString::number(area2)));
        QCOMPARE(CountPixels(two, qRgb(0, 0, 255)), 0);

        const QString pdf = dir.filePath("chart.pdf");
        QVERIFY(chart.ExportPdf(pdf));
        const QByteArray bytes = ReadAll(pdf);
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.size() > 1000);
        QVERIFY(bytes.contains("/MediaBox [0 0 841.89") || bytes.contains("/MediaBox [0 0 842"));
        QVERIFY(!chart.ExportPdf(dir.filePath("no/such/dir/chart.pdf")));
        QVERIFY(!chart.ExportPng(dir.filePath("no/such/dir/chart.png")));

        tarn::gui::RecordingDialogs dialogs;
        // A print to file is offered in the working directory, under a name
        // every file system takes.
        chart.SetTitle("Wavelength shifts for: exa 173*");
        QVERIFY(!chart.Print(dialogs));  // cancelled: nothing printed
        QCOMPARE(dialogs.SuggestedFile(),
                 QDir::currentPath() + "/Wavelength shifts for_ exa 173_.pdf");
        dialogs.SetPrintFile(dir.filePath("printed.pdf"));
        QVERIFY(chart.Print(dialogs));
        QCOMPARE(dialogs.PrintRequests(), 2);
        QVERIFY(ReadAll(dialogs.PrintFile()).startsWith("%PDF-"));
        dialogs.SetPrintFile(dir.filePath("no/such/dir/printed.pdf"));  // a failure is no cancel
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, chart.Print(dialogs));
    }
};

QTEST_MAIN(ChartTest)
#include "test_chart.moc"
