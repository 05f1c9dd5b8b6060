// PNG files of images and of widgets (shown or not, without a display: for the
// project's screenshot scripts).
#pragma once

#include <QString>

class QImage;
class QWidget;

namespace tarn::gui {

// Writes `image` as a PNG file through a temporary file that replaces `path`
// only when complete; false when it cannot be written.
[[nodiscard]] bool SaveImageAsPng(const QImage& image, const QString& path);

// Writes `widget` as it would appear, at its current size, to the PNG file
// `path`.  With `withCaption`, a caption bar holding the window title is drawn
// above it.  False when the file cannot be written.
[[nodiscard]] bool RenderWidgetToPng(QWidget& widget, const QString& path, bool withCaption = true);

}  // namespace tarn::gui
