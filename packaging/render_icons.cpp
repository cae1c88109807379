// Renders the application's drawing into the bitmap sizes of the desktop's
// icon theme:
//   tarimo_render_icons <drawing.svg> <folder> <size>...
// writes <folder>/<size>x<size>/apps/tarimo.png for each size.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <drawing.svg> <folder> <size>...\n", argv[0]);
        return 2;
    }
    QSvgRenderer drawing(QString::fromLocal8Bit(argv[1]));
    if (!drawing.isValid()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QString root = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root, QString::number(size));
        if (size <= 0 || !QDir().mkpath(folder)) {
            std::fprintf(stderr, "%s: cannot make the folder for size %s\n", argv[0], argv[i]);
            return 1;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawing.render(&painter);
        painter.end();
        if (!image.save(folder + QStringLiteral("/tarimo.png"))) {
            std::fprintf(stderr, "%s: cannot write %s/tarimo.png\n", argv[0], qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
