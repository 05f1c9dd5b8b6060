#include "shell/shell_state.h"

#include "engine/formats/constants.h"

namespace tarn::tarncall {

namespace {

ShellStateRecord StartState() {
    ShellStateRecord state;
    state.OutputSpecName = kOutputSpecName;
    return state;
}

}  // namespace

ShellStateRecord ShellState = StartState();

void ResetShellState() {
    ShellState = StartState();
}

}  // namespace tarn::tarncall
