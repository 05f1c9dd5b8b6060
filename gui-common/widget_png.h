// Renders a widget (shown or not) to a PNG file, without a display: for the
// project's screenshot scripts.
#pragma once

#include <QString>

class QWidget;

namespace tarn::gui {

// Writes `widget` as it would appear, at its current size, to the PNG file
// `path`.  With `withCaption`, a caption bar holding the window title is drawn
// above it.  False when the file cannot be written.
bool RenderWidgetToPng(QWidget& widget, const QString& path, bool withCaption = true);

}  // namespace tarn::gui
