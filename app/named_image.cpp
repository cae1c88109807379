#include "app/named_image.h"

#include <QPainter>
#include <QSvgRenderer>

// The images live in this static library, whose resource initialiser the
// linker would drop: nothing refers to it by name.
static void initialiseImages()
{
    Q_INIT_RESOURCE(app);
}

namespace tarimo::app {

namespace {

QString resourcePath(const QString &name)
{
    static const bool initialised = (initialiseImages(), true);
    Q_UNUSED(initialised);
    return QStringLiteral(":/images/%1.svg").arg(name);
}

} // namespace

QPixmap namedImage(const QString &name, QSize size, qreal devicePixelRatio)
{
    QSvgRenderer renderer(resourcePath(name));
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QSize namedImageSize(const QString &name)
{
    return QSvgRenderer(resourcePath(name)).defaultSize();
}

QIcon namedIcon(const QString &name)
{
    // The svg icon engine renders each requested size from the drawing.
    return QIcon(resourcePath(name));
}

} // namespace tarimo::app
