#include "engine/shift_results.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine_state.h"
#include "engine/formats/result_names.h"
#include "engine/program_state.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

constexpr double kNoValue = 9.999;

bool g_loggedNoValidWindow = false;

// Windows 1..count that exist in the table.
int WindowCount() {
    return std::clamp(Windows.Count, 0, kMaxWindows);
}

double Centre(int w) {
    return (Windows.Lower[w] + Windows.Upper[w]) / 2;
}

bool ExceedsBothLimits(int w) {
    return Windows.ErrorRatio[w] > Windows.ErThreshold &&
           Windows.SdShift[w] > Analysis.SdShiftThreshold;
}

// A window is valid when its test was significant and it does not exceed
// both the error-ratio and the SD-shift threshold.
bool IsValid(int w) {
    return Windows.Status[w].find("NOT_SIGNIFICANT") == std::string::npos && !ExceedsBothLimits(w);
}

std::string ShiftDirectory(const std::string& root) {
    return ResultDirectoryName(root, CommandLine.IdMet) + Paths.ShiftSubdir;
}

std::string ScanShiftTablePath() {
    return ShiftDirectory(Paths.ShiftRootPath) +
           ScanShiftTableName(CommandLine.ScanName, CommandLine.IdShift, CommandLine.IdMet);
}

std::string DailyShiftPath() {
    // The day is the scan name's first three characters as they stand.
    return ShiftDirectory(Paths.ShiftRootPath) + DailyShiftName(CommandLine.ScanName.substr(0, 3),
                                                                CommandLine.IdShift,
                                                                CommandLine.IdMet);
}

std::string AppliedShiftPath() {
    return ShiftDirectory(Paths.MainPath) +
           AppliedShiftName(CommandLine.ScanName, CommandLine.IdShifAppl, CommandLine.IdMet);
}

void WriteScanShiftTable(const std::string& path) {
    TextOut out;
    out.Create(path);
    out.WriteLine(std::string("! Programm: ") + kVersionBanner);
    out.WriteLine("! Calculated : " + RunDateText());
    out.WriteLine("! Units as in measurement file: " + ScanFilePath() +
                  " Measurement Year: " + Analysis.MeasurementYear);
    out.Text("! Extra Terrestrial spectrum  : ")
        .Text(Paths.EtFileName)
        .Text("  ET-shifted over: ")
        .Fixed(Analysis.EtShift, 6, 3)
        .Text(" nm")
        .EndLine();
    out.Text("! Ozone cross section applied : ")
        .Text(Paths.O3CrossFileName)
        .Text("  OzonX-shifted over: ")
        .Fixed(Analysis.O3Shift, 6, 3)
        .Text(" nm")
        .EndLine();
    out.Text("! Range in wavelengths        : ")
        .Fixed(Instrument.RangeStart, 6, 2)
        .Text(" - ")
        .Fixed(Instrument.RangeEnd, 6, 2)
        .Text(" step: ")
        .Fixed(Instrument.RangeStep, 6, 2)
        .EndLine();
    out.Text("! Latitude: ")
        .Fixed(Analysis.Latitude, 6, 2)
        .Text(" Longitude ")
        .Fixed(Analysis.Longitude, 6, 2)
        .Text(" Solar Zenith Angle: ")
        .Fixed(Scan.SolarZenithAngle, 6, 3)
        .EndLine();
    out.Text("! Measurement Header-information: ")
        .Int(Instrument.HeaderLineCount, 3)
        .Text(" lines")
        .EndLine();
    const unsigned headers = std::min<unsigned>(Instrument.HeaderLineCount, kMaxHeaderLines);
    for (unsigned h = 1; h <= headers; ++h) out.WriteLine("! " + Scan.HeaderLines[h]);
    out.WriteLine("!wave begin end  shift SDshift Err.Ratio Mean_wavelength");
    for (int w = 1; w <= WindowCount(); ++w) {
        out.Fixed(Windows.Lower[w], 7, 2).Text(" ").Fixed(Windows.Upper[w], 7, 2).Text(" ");
        out.Fixed(Windows.Shift[w], 6, 3).Text(" ").Fixed(Windows.SdShift[w], 5, 3).Text(" ");
        out.Fixed(Windows.ErrorRatio[w], 8, 5).Text("  ").Fixed(Centre(w), 7, 2);
        if (ExceedsBothLimits(w)) {
            out.Text(" ! Error Ratio AND SDshift exceed resp.: ").Fixed(Windows.ErThreshold, 8, 5);
            out.Text(" AND ").Fixed(Analysis.SdShiftThreshold, 6, 3);
        }
        out.Text(" " + Windows.Status[w]).EndLine();
    }
    out.Close();
}

// Selected window numbers [1..n] of the day file; a number outside
// 1..count shows 9.999 in its fields.
int SelectedCount() {
    return std::clamp(Qc.SelectedWindowCount, 0, kMaxSelectedWindows);
}

bool SelectedExists(int s) {
    int w = Qc.SelectedWindows[s];
    return w >= 1 && w <= WindowCount();
}

double SelectedValue(int s, const double (&values)[kMaxWindows + 1]) {
    return SelectedExists(s) ? values[Qc.SelectedWindows[s]] : kNoValue;
}

void WriteDailyShiftHeader(const std::string& path) {
    const int n = SelectedCount();
    TextOut out;
    out.Create(path);
    out.WriteLine("!date hh.dec  sza shift: ");
    out.Text("!                     ");
    for (int s = 1; s <= n; ++s) {
        out.Fixed(SelectedValue(s, Windows.Lower), 5, 1).Text("-");
        out.Fixed(SelectedValue(s, Windows.Upper), 5, 1).Text("   ");
    }
    out.Text("ER:");
    for (int s = 1; s <= n; ++s) out.Fixed(SelectedValue(s, Windows.Lower), 5, 1).Text("    ");
    out.EndLine();
    std::string columns = "!daytime hh.dec  sza  ";
    for (int s = 1; s <= n; ++s) columns += "shift SD_shi  ";
    for (int s = 1; s <= n; ++s) columns += "ER_ratio ";
    out.WriteLine(columns);
    out.Close();
}

// Integer value of characters `first`..`first`+1 (0-based) of the scan name;
// 0 when they are missing or not a number.
long NamePart(size_t first) {
    long value = 0;
    if (CommandLine.ScanName.size() <= first) return 0;
    if (!ParseInt(CommandLine.ScanName.substr(first, 2), value)) return 0;
    return value;
}

void AppendDailyShiftRow(const std::string& path) {
    const double hour = static_cast<double>(NamePart(3)) + static_cast<double>(NamePart(5)) / 60;
    TextOut out;
    out.Append(path);
    out.Text(CommandLine.ScanName + " ").Fixed(hour, 7, 4).Text(" ");
    out.Fixed(Scan.SolarZenithAngle, 5, 2).Text(" ");
    const int n = SelectedCount();
    for (int s = 1; s <= n; ++s) {
        out.Fixed(SelectedValue(s, Windows.Shift), 6, 3).Text(" ");
        out.Fixed(SelectedValue(s, Windows.SdShift), 5, 3).Text("  ");
    }
    for (int s = 1; s <= n; ++s) out.Fixed(SelectedValue(s, Windows.ErrorRatio), 8, 5).Text(" ");
    out.EndLine();
    out.Close();
}

}  // namespace

void ResetShiftResults() {
    g_loggedNoValidWindow = false;
}

void WriteShiftResults() {
    const std::string tablePath = ScanShiftTablePath();
    if (Engine.Switches.Log_main_tarn) LogLine(tablePath);
    if (Engine.Switches.Detailed_shif) WriteScanShiftTable(tablePath);
    if (Engine.Switches.Daily_shif) {
        const std::string dayPath = DailyShiftPath();
        if (!TextFileExists(dayPath)) WriteDailyShiftHeader(dayPath);
        AppendDailyShiftRow(dayPath);
    }
}

void Shift_correction() {
    double* wl = Spectra.MeasuredWavelengths;
    const long long n = std::clamp<long long>(RoundEven(wl[0]), 0, kMaxMeasuredPoints);
    for (long long i = 1; i <= n; ++i) {
        const double s = ShiftAtWavelength(wl[i]);
        wl[i] = static_cast<double>(RoundEven((wl[i] + s) * 100)) / 100;
    }
}

double ShiftAtWavelength(double wavelength) {
    const int count = WindowCount();
    int first = 1;
    while (first <= count && !IsValid(first)) ++first;
    double result = 0.0;
    if (first > count) {
        if (!g_loggedNoValidWindow) {
            g_loggedNoValidWindow = true;
            LogLine("No valid shift window: a shift of 0 nm is applied");
        }
    } else if (wavelength <= Centre(first)) {
        result = Windows.Shift[first];
    } else {
        double prevCentre = Centre(first), prevShift = Windows.Shift[first];
        double curCentre = prevCentre, curShift = prevShift;
        for (int w = first + 1; w <= count; ++w) {
            prevCentre = curCentre;
            prevShift = curShift;
            if (IsValid(w)) {
                curCentre = Centre(w);
                curShift = Windows.Shift[w];
            }
            if (curCentre >= wavelength) break;
        }
        if (wavelength >= curCentre) {
            result = curShift;
        } else {
            result = prevShift +
                     (curShift - prevShift) * (wavelength - prevCentre) / (curCentre - prevCentre);
        }
    }
    if (Engine.Switches.Corr_waveln) {
        TextOut out;
        out.Append(AppliedShiftPath());
        out.Fixed(wavelength, 6, 2).Text(" ").Fixed(result, 9, 4).EndLine();
        out.Close();
    }
    return result;
}

IntervalShiftStats ShiftWindowStatistics(double intervalStart, double intervalEnd) {
    IntervalShiftStats stats{kNoValue, kNoValue, 0, kNoValue, kNoValue};
    const int count = WindowCount();
    int w = 1;
    while (w <= count && Centre(w) < intervalStart) ++w;
    int n = 0;
    double sumShift = 0.0, sumShift2 = 0.0, sumRatio = 0.0, sumRatio2 = 0.0;
    for (; w <= count && Centre(w) <= intervalEnd; ++w) {
        if (!IsValid(w)) continue;
        ++n;
        sumShift += Windows.Shift[w];
        sumShift2 += Windows.Shift[w] * Windows.Shift[w];
        sumRatio += Windows.ErrorRatio[w];
        sumRatio2 += Windows.ErrorRatio[w] * Windows.ErrorRatio[w];
    }
    stats.WindowsUsed = n;
    if (n == 0) return stats;
    stats.MeanShift = sumShift / n;
    stats.MeanErrorRatio = sumRatio / n;
    if (n == 1) return stats;
    auto deviation = [n](double sum2, double mean) {
        return n * mean * mean >= sum2 ? 0.0 : std::sqrt((sum2 - n * mean * mean) / (n - 1));
    };
    stats.SdShift = deviation(sumShift2, stats.MeanShift);
    stats.SdErrorRatio = deviation(sumRatio2, stats.MeanErrorRatio);
    return stats;
}

}  // namespace tarn
