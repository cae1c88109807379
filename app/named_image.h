#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace tarimo::app {

// Our own images, looked up by name ("logopixel", "elpriser") in the
// program's resources and drawn sharp at the screen's pixel ratio. They are
// SVG drawings, read through Qt's SVG plugins only when first shown, so the
// price window starts without loading SVG support.
QPixmap namedImage(const QString &name, QSize size, qreal devicePixelRatio);
// The natural size of a named image, for keeping its aspect ratio.
QSize namedImageSize(const QString &name);
QIcon namedIcon(const QString &name);

// The program's icon for its windows, from ready-made bitmaps of the logo.
QIcon applicationIcon();

} // namespace tarimo::app
