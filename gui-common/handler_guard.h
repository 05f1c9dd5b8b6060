// The one guard every event handler runs in.  An error that the handler does
// not test itself (a list file that cannot be loaded or saved, a line index
// beyond the list, a text-file error in a writer) ends the action: lists opened
// with ListEdit are saved on the way out, one message names the operation, the
// file and the line index, and the program goes on.
#pragma once

#include <functional>

namespace tarn::gui {

// Runs `action`; returns true when it ran to its end.  On an exception, shows
// its text once through CurrentDialogs().Error and returns false.
bool RunGuarded(const std::function<void()>& action);

}  // namespace tarn::gui
