#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace tarimo::app {

// Our own images, looked up by name ("logopixel", "elpriser") in the
// program's resources and drawn sharp at the screen's pixel ratio.
QPixmap namedImage(const QString &name, QSize size, qreal devicePixelRatio);
// The natural size of a named image, for keeping its aspect ratio.
QSize namedImageSize(const QString &name);
QIcon namedIcon(const QString &name);

} // namespace tarimo::app
