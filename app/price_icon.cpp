#include "app/price_icon.h"

#include "digit/digit.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tarimo::app {

namespace {

// Renders the icon at whatever size it is asked for, so that a tray never
// scales a picture made for another size.
class PriceIconEngine : public QIconEngine
{
public:
    explicit PriceIconEngine(PriceIcon icon)
        : m_icon(std::move(icon))
    {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const int side = std::min(rect.width(), rect.height());
        QImage image = m_icon.image(int(std::lround(side * ratio)));
        image.setDevicePixelRatio(ratio);
        QRect square(0, 0, side, side);
        square.moveCenter(rect.center());
        painter->drawImage(square, image);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        const int side = std::min(size.width(), size.height());
        QPainter painter(&pixmap);
        painter.drawImage((size.width() - side) / 2, (size.height() - side) / 2, m_icon.image(side));
        return pixmap;
    }
    // What a tray that is sent pictures over D-Bus gets to choose from.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    }
    QIconEngine *clone() const override { return new PriceIconEngine(m_icon); }
    QString key() const override { return QStringLiteral("tarimo-price"); }

private:
    PriceIcon m_icon;
};

// Where one character's segments are lit: digits from the panel's own table.
std::array<bool, 7> litSegments(QChar character)
{
    std::array<bool, 7> lit{};
    const int value = character == u'-' ? digit::minusCode : character.digitValue();
    for (int segment = 1; segment <= 7; ++segment)
        lit[std::size_t(segment - 1)] = digit::Digit::isLit(digit::Digit::standardMapping(), value, segment);
    return lit;
}

} // namespace

std::optional<QString> PriceIcon::textOf(qint64 ore)
{
    if (ore >= -999 && ore <= 9999)
        return QString::number(ore);
    const QString thousands = QString::number(ore / 1000) + u'k';
    if (thousands.size() > 4)
        return std::nullopt;
    return thousands;
}

PriceIcon::Level PriceIcon::levelOf(double relative)
{
    if (!(relative >= 0.25))
        return Level::low;
    if (relative < 0.5)
        return Level::moderate;
    return relative < 0.75 ? Level::high : Level::peak;
}

QColor PriceIcon::color(Level level)
{
    // Light enough to read on the dark plate, which reads on light panels.
    switch (level) {
    case Level::low:
        return QColor(0x6f, 0xe0, 0x8a);
    case Level::moderate:
        return QColor(0xf2, 0xd1, 0x4b);
    case Level::high:
        return QColor(0xff, 0x99, 0x33);
    case Level::peak:
        break;
    }
    return QColor(0xff, 0x5c, 0x50);
}

QColor PriceIcon::plateColor()
{
    return QColor(0x1c, 0x1e, 0x22);
}

PriceIcon::Layout PriceIcon::layout(int side, int count)
{
    Layout layout;
    if (count <= 0 || side <= 0)
        return layout;
    // Below 22 pixels every pixel goes to the characters.
    const int pad = side / 22;
    const int gap = std::max(1, pad);
    const int inner = side - 2 * pad;
    // Never wider than half as high: one or two characters stay digits.
    const int width = std::min((inner - (count - 1) * gap) / count, (inner + 1) / 2);
    layout.stroke = std::max(1, int(std::lround(width * 0.3)));
    layout.bar = std::max(layout.stroke, inner / 10);
    int x = (side - (count * width + (count - 1) * gap)) / 2;
    for (int i = 0; i < count; ++i, x += width + gap)
        layout.cells.append(QRect(x, pad, width, inner));
    return layout;
}

std::array<QRect, 7> PriceIcon::segments(const QRect &cell, int stroke, int bar)
{
    const int x = cell.x();
    const int y = cell.y();
    const int w = cell.width();
    const int h = cell.height();
    const int middle = y + (h - bar) / 2;
    const int upper = middle + bar - y;
    const int lower = y + h - middle;
    return {
        QRect(x, y, stroke, upper),                   // 1 upper left
        QRect(x, middle, stroke, lower),              // 2 lower left
        QRect(x, y, w, bar),                          // 3 top
        QRect(x, middle, w, bar),                     // 4 middle
        QRect(x, y + h - bar, w, bar),                // 5 bottom
        QRect(x + w - stroke, y, stroke, upper),      // 6 upper right
        QRect(x + w - stroke, middle, stroke, lower), // 7 lower right
    };
}

QImage PriceIcon::image(int side) const
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(plateColor());
    painter.drawRoundedRect(QRectF(0, 0, side, side), side * 0.15, side * 0.15);

    // The characters on whole pixels, without antialiasing: sharp strokes
    // of one or two pixels are what makes them legible this small.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink = color(level);
    const Layout cells = layout(side, int(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QRect cell = cells.cells.at(i);
        const auto segmentRects = segments(cell, cells.stroke, cells.bar);
        if (text.at(i) == u'k') {
            // A stem, and an arm and a leg from its middle, stepped a pixel
            // row at a time.
            painter.fillRect(segmentRects[0] | segmentRects[1], ink);
            const int reach = cell.width() - cells.stroke;
            const int joint = segmentRects[3].center().y();
            const int armTop = joint - reach - reach / 2;
            for (int row = armTop; row <= cell.bottom(); ++row) {
                const int span = row < joint ? joint - armTop : cell.bottom() - joint;
                const int offset = span > 0 ? std::abs(row - joint) * reach / span : 0;
                painter.fillRect(QRect(cell.x() + cells.stroke + offset - cells.stroke / 2, row, cells.stroke, 1)
                                     .intersected(cell),
                                 ink);
            }
            continue;
        }
        const auto lit = litSegments(text.at(i));
        for (std::size_t segment = 0; segment < lit.size(); ++segment) {
            if (lit[segment])
                painter.fillRect(segmentRects[segment], ink);
        }
    }
    return image;
}

QIcon PriceIcon::icon() const
{
    return QIcon(new PriceIconEngine(*this));
}

} // namespace tarimo::app
