// Renders the windows of the operator shell to PNG files, offscreen, in the
// current directory taken as the shell's working directory:
//   tarn_pictures <output directory> [picture ...]
// Without picture names every picture of the shell's windows is made.  Each
// picture is one function of the table below: it drives the windows as an
// operator does and names the window to render.  Messages the shell shows are
// printed, not shown.
//
// The pictures of the seven quality views (the name "views" stands for all of
// them) are made only when named: they need the day's results in the working
// directory and the viewer resplot beside this program or on the search path.
// Each presses "View" with its radio button ticked; resplot, started by the
// shell in its export mode, writes the graph, and the spectral-shift view's
// graph is the shell's own window.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "gui-common/data_files_window.h"
#include "gui-common/widget_png.h"
#include "shell/child_process.h"
#include "shell/main_window.h"
#include "shell/settings_dialog.h"
#include "shell/shell_program.h"
#include "shell/shift_graph_window.h"
#include "tests/support/recording_dialogs.h"

namespace {

using tarn::tarncall::TForm1;

// The shell as the pictures see it: started as the program starts, on first
// use.
class Scene {
  public:
    TForm1& Form() {
        if (!m_program) m_program = std::make_unique<tarn::tarncall::ShellProgram>();
        return m_program->Form();
    }

  private:
    std::unique_ptr<tarn::tarncall::ShellProgram> m_program;
};

// The main window as at start.
QWidget& MainWindow(Scene& scene) {
    return scene.Form();
}

// The DataFiles window after "Show dataselection".
QWidget& DataFiles(Scene& scene) {
    scene.Form().btnDataselect->click();
    return scene.Form().DataFiles();
}

// The shift graph of the example day: "Run TARN" with "Plot" ticked, the
// engine and the batch interpreter taken from the directory of the engine
// that "TARNcall.dfa" names.  The main window when no graph was made.
QWidget& ShiftGraph(Scene& scene) {
    TForm1& form = scene.Form();
    tarn::tarncall::SetProgramDirectory(QFileInfo(form.edtProg->text()).absolutePath());
    form.chckbx_Plot->setChecked(true);
    form.Button1->click();
    tarn::tarncall::TGrafiek1* graph = form.Graphs().Current();
    return graph != nullptr ? static_cast<QWidget&>(*graph) : form;
}

// The settings dialog after "Settings", on one of its tabs.
QWidget& SettingsTab(Scene& scene, int tab) {
    scene.Form().btnSettings->click();
    tarn::tarncall::TfrmSettings& dialog = scene.Form().Settings();
    dialog.PageControl1->setCurrentIndex(tab);
    return dialog;
}
QWidget& SettingsMain(Scene& scene) {
    return SettingsTab(scene, 0);
}
QWidget& SettingsAnalysis(Scene& scene) {
    return SettingsTab(scene, 1);
}
QWidget& SettingsOutput(Scene& scene) {
    return SettingsTab(scene, 2);
}
QWidget& SettingsEtQa(Scene& scene) {
    return SettingsTab(scene, 3);
}

struct Picture {
    const char* name;  // file name without ".png"
    QWidget& (*prepare)(Scene&);
};

const Picture kPictures[] = {
    {"tarncall_main", MainWindow},
    {"tarncall_datafiles", DataFiles},
    {"tarncall_shift_graph", ShiftGraph},
    {"tarncall_settings_main", SettingsMain},
    {"tarncall_settings_analysis", SettingsAnalysis},
    {"tarncall_settings_output", SettingsOutput},
    {"tarncall_settings_etqa", SettingsEtQa},
};

// A quality view: its radio button, and "SZA" ticked or not.
struct ViewPicture {
    const char* name;
    QRadioButton* TForm1::*radio;
    bool sza;
};

const char kAllViews[] = "views";
const ViewPicture kViewPictures[] = {
    {"view_spectral_shift", &TForm1::rdbtn_shftspec, false},
    {"view_spectral_spikes", &TForm1::rdbtn_spkspec, false},
    {"view_spectral_transmission", &TForm1::rdbtn_spectrans, false},
    {"view_diurnal_shift1", &TForm1::rdbtn_shftdiur, true},
    {"view_diurnal_shift2", &TForm1::rdbtn_shft2diur, false},
    {"view_diurnal_shape", &TForm1::rdbtn_shape, true},
    {"view_diurnal_transmission2", &TForm1::rdbtn_diurnaltrans, false},
};

// Presses "View" for `picture` and writes its graph as `file`: the viewer's
// first graph, or the shell's shift-graph window.  False when there is none
// or it cannot be written.
bool MakeViewPicture(Scene& scene, const ViewPicture& picture, const QString& file) {
    TForm1& form = scene.Form();
    (form.*picture.radio)->setChecked(true);
    form.chckbx_viewSZA->setChecked(picture.sza);
    if (picture.radio == &TForm1::rdbtn_shftspec) {
        form.btn_View->click();
        tarn::tarncall::TGrafiek1* graph = form.Graphs().Current();
        return graph != nullptr && tarn::gui::RenderWidgetToPng(*graph, file);
    }
    QTemporaryDir exported;
    tarn::tarncall::SetExtraArguments("resplot", {"--export", exported.path()});
    form.btn_View->click();
    tarn::tarncall::SetExtraArguments("resplot", {});
    QFile::remove(file);
    return QFile::copy(QDir(exported.path()).filePath("graph-1.png"), file);
}

void PrintMessages(tarn::gui::RecordingDialogs& dialogs, const char* picture) {
    for (const QString& text : dialogs.Messages())
        std::printf("%s: message: %s\n", picture, qPrintable(text));
    dialogs.Clear();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: tarn_pictures <output directory> [picture ...]\n");
        return 1;
    }
    const QDir out(arguments[0]);
    const QStringList wanted = arguments.mid(1);
    tarn::gui::RecordingDialogs dialogs;
    int failures = 0;
    {
        Scene scene;
        for (const Picture& picture : kPictures) {
            if (!wanted.isEmpty() && !wanted.contains(QLatin1String(picture.name))) continue;
            QWidget& window = picture.prepare(scene);
            const QString file = out.filePath(QLatin1String(picture.name) + ".png");
            PrintMessages(dialogs, picture.name);
            if (tarn::gui::RenderWidgetToPng(window, file)) {
                std::printf("%s\n", qPrintable(file));
            } else {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                ++failures;
            }
        }
        for (const ViewPicture& picture : kViewPictures) {
            if (!wanted.contains(QLatin1String(picture.name)) &&
                !wanted.contains(QLatin1String(kAllViews)))
                continue;
            const QString file = out.filePath(QLatin1String(picture.name) + ".png");
            const bool made = MakeViewPicture(scene, picture, file);
            PrintMessages(dialogs, picture.name);
            if (made) {
                std::printf("%s\n", qPrintable(file));
            } else {
                std::fprintf(stderr, "no graph for %s\n", qPrintable(file));
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 2;
}
