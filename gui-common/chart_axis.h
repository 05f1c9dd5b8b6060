// One axis of a Chart: a manual range, an increment between labelled ticks
// (automatic when 0, negative or not a finite number), a count of minor ticks
// between labelled ticks and a title.  Changes repaint the owning widget.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace tarn::gui {

// `text` as an axis value: a finite number (C locale, blanks around allowed);
// none when it is no number or not finite.
[[nodiscard]] std::optional<double> AxisNumber(const std::string& text);

class ChartAxis {
  public:
    explicit ChartAxis(QWidget* owner = nullptr) : m_owner(owner) {}

    // Sets the range from the two values; the smaller one becomes the minimum.
    // A value that is not a finite number leaves the range as it was.
    void SetMinMax(double first, double second);
    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }

    // Distance between labelled ticks in axis units, as set.
    void SetIncrement(double increment);
    double Increment() const { return m_increment; }
    // True when the increment is 0, negative or not a finite number.
    bool AutomaticIncrement() const;

    void SetMinorTickCount(int count);
    int MinorTickCount() const { return m_minorTicks; }

    void SetTitle(const QString& title);
    const QString& Title() const { return m_title; }

    // Distance between labelled ticks on an axis `pixels` long whose labels
    // need `spacing` pixels each: the increment, or the smallest whole
    // multiple of it that leaves `spacing`; when automatic, the smallest step
    // of 1, 2 or 5 times a power of ten that does.  0 for an empty range.
    double TickStep(double pixels, double spacing) const;
    // Values of the labelled ticks within the range for that step (at most 1000).
    std::vector<double> TickValues(double step) const;
    // Label of a tick value, with as many decimals as the step needs (C locale).
    static QString LabelText(double value, double step);

  private:
    void Changed();

    QWidget* m_owner;
    double m_minimum = 0.0;
    double m_maximum = 1.0;
    double m_increment = 0.0;
    int m_minorTicks = 0;
    QString m_title;
};

}  // namespace tarn::gui
