#include "app/named_image.h"

#include <QImageReader>

// The images live in this static library, whose resource initialiser the
// linker would drop: nothing refers to it by name.
static void initialiseImages()
{
    Q_INIT_RESOURCE(app);
}

namespace tarimo::app {

namespace {

QString resourcePath(const QString &name, const QString &suffix = QStringLiteral(".svg"))
{
    static const bool initialised = (initialiseImages(), true);
    Q_UNUSED(initialised);
    return QStringLiteral(":/images/%1%2").arg(name, suffix);
}

} // namespace

QPixmap namedImage(const QString &name, QSize size, qreal devicePixelRatio)
{
    return namedIcon(name).pixmap(size, devicePixelRatio);
}

QSize namedImageSize(const QString &name)
{
    return QImageReader(resourcePath(name)).size();
}

QIcon namedIcon(const QString &name)
{
    // The svg icon engine renders each requested size from the drawing.
    return QIcon(resourcePath(name));
}

QIcon applicationIcon()
{
    // Read as what they are: a file of unknown format would make Qt load
    // every image plugin to ask each whether it can read it (half a MiB).
    QIcon icon;
    for (int size : {32, 64, 128}) {
        QImageReader reader(resourcePath(QStringLiteral("logopixel"), QStringLiteral("-%1.png").arg(size)),
                            QByteArrayLiteral("png"));
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace tarimo::app
