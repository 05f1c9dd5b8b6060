// The shell's program start and end, shared by main() and by the tests that
// drive the whole program: Ctrl+C (SIGINT) ignored by the shell and every
// program it starts, numbers shown and written in the C locale, the
// application's title, then the main window, which makes the DataFiles
// window, the settings dialog and the axis dialog it owns; the shift-graph
// windows come later, when first needed.
#pragma once

#include <memory>

namespace tarn::tarncall {

class TForm1;

class ShellProgram {
  public:
    // The program start: the application object must exist.  Makes the main
    // window (TForm1's FormCreate reads "TARNcall.dfa" of the working
    // directory) and shows it.
    ShellProgram();
    // The program end: deletes the main window with the windows it owns.
    ~ShellProgram();
    ShellProgram(const ShellProgram&) = delete;
    ShellProgram& operator=(const ShellProgram&) = delete;

    TForm1& Form() { return *m_form; }

  private:
    std::unique_ptr<TForm1> m_form;
};

}  // namespace tarn::tarncall
