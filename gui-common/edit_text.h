// The texts of the windowed programs' edits as the bytes of the files they
// come from.  A line of a file is shown decoded (as UTF-8 when it is valid
// UTF-8, else as Latin-1, as editors on other systems write it) and the edit
// remembers the bytes it shows: while the operator leaves the edit as it was
// shown, its text is those bytes, so that a line shown and not edited goes
// back to its file as it was read.  A text the operator changed is encoded as
// its line was: Latin-1 when the line was and every character fits, else
// UTF-8.  Edits take texts of any length.
#pragma once

#include <QString>
#include <string>

class QLineEdit;

namespace tarn::gui {

// An edit's text as bytes, and whether the operator changed it since it was
// shown (a text put in by the program counts as changed, as a typed one).
// Made from bytes alone it is a text as read: not edited.
struct EditText {
    EditText() = default;
    EditText(std::string bytes) : Bytes(std::move(bytes)) {}  // NOLINT: a text as read
    EditText(const char* bytes) : Bytes(bytes) {}             // NOLINT

    std::string Bytes;
    bool Edited = false;
};

// `bytes` as text: UTF-8 when they are valid UTF-8, else Latin-1.
QString DecodeBytes(const std::string& bytes);

// Shows `bytes` in `edit` (DecodeBytes) and remembers them as the edit's text
// as read.
void ShowBytes(QLineEdit* edit, const std::string& bytes);

// Takes the edit's text as it stands as its text as read, standing for
// `bytes` (what an Apply has just written from it): from now on the edit is
// Edited only when its text changes again.
void KeepShown(QLineEdit* edit, const std::string& bytes);

// The edit's text: the bytes shown while its text is the one shown, else the
// text encoded as its bytes were, Edited.  An edit never shown is Edited.
EditText TextOf(const QLineEdit* edit);
std::string BytesOf(const QLineEdit* edit);

}  // namespace tarn::gui
