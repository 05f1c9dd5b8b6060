#include "gui-common/dialogs.h"

#include "gui-common/box_dialogs.h"

namespace tarn::gui {

namespace {

Dialogs* g_dialogs = nullptr;

// `pos` moved by `step` (-1 or +1) off UTF-8 continuation bytes, so that no
// character is cut in two there.
size_t AtCharacter(const std::string& text, size_t pos, int step) {
    while (pos > 0 && pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
        pos += step;
    return pos;
}

}  // namespace

std::string MessagePart(const std::string& text) {
    if (text.size() <= kMessagePartLength) return text;
    const size_t head = AtCharacter(text, kMessagePartLength * 2 / 3, -1);
    const size_t tail = AtCharacter(text, text.size() - kMessagePartLength / 3, 1);
    return text.substr(0, head) + " ... " + text.substr(tail);
}

Dialogs& CurrentDialogs() {
    static BoxDialogs boxes;
    return g_dialogs != nullptr ? *g_dialogs : boxes;
}

void SetDialogs(Dialogs* dialogs) {
    g_dialogs = dialogs;
}

}  // namespace tarn::gui
