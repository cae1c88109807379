#include "view_helpers/shadow.h"

#include "view_helpers/color.h"

#include <QCache>
#include <QFont>
#include <QFontMetricsF>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

namespace tarimo::view_helpers {

namespace {

// Widths of three box blurs whose combined variance is closest to sigma²
// (odd widths, the first `m` one size smaller than the rest).
std::array<int, 3> boxSizes(qreal sigma)
{
    constexpr int n = 3;
    if (!(sigma > 0))
        return {1, 1, 1};
    const qreal variance12 = 12.0 * sigma * sigma;
    int lower = int(std::floor(std::sqrt(variance12 / n + 1.0)));
    if (lower % 2 == 0)
        --lower;
    lower = std::max(lower, 1);
    const int upper = lower + 2;
    const int m = int(std::lround((variance12 - n * lower * lower - 4.0 * n * lower - 3.0 * n)
                                  / (-4.0 * lower - 4.0)));
    std::array<int, 3> sizes{};
    for (int i = 0; i < n; ++i)
        sizes[i] = i < m ? lower : upper;
    return sizes;
}

// How many pixels the three boxes reach past a shape.
int blurReach(qreal sigma)
{
    int reach = 0;
    for (const int size : boxSizes(sigma))
        reach += (size - 1) / 2;
    return reach;
}

// One box blur of a line; beyond the ends the end values repeat. The
// window's edges are clamped only near the ends of the line, so the middle,
// where nearly all pixels are, runs without bounds checks.
void boxLine(const uchar *source, uchar *target, int length, int radius)
{
    if (radius == 0 || length == 0) {
        std::memcpy(target, source, std::size_t(length));
        return;
    }
    const int size = 2 * radius + 1;
    const int last = length - 1;
    int sum = 0;
    for (int k = -radius; k <= radius; ++k)
        sum += source[std::clamp(k, 0, last)];
    const int safeFrom = radius;              // x - radius >= 0
    const int safeTo = length - radius - 1;   // x + radius + 1 <= last
    int x = 0;
    for (; x < std::min(safeFrom, length); ++x) {
        target[x] = uchar((sum + size / 2) / size);
        sum += source[std::min(x + radius + 1, last)] - source[std::max(x - radius, 0)];
    }
    for (; x < safeTo; ++x) {
        target[x] = uchar((sum + size / 2) / size);
        sum += source[x + radius + 1] - source[x - radius];
    }
    for (; x < length; ++x) {
        target[x] = uchar((sum + size / 2) / size);
        sum += source[std::min(x + radius + 1, last)] - source[std::max(x - radius, 0)];
    }
}

void blurLine(std::vector<uchar> &line, std::vector<uchar> &scratch, const std::array<int, 3> &sizes)
{
    const int length = int(line.size());
    boxLine(line.data(), scratch.data(), length, (sizes[0] - 1) / 2);
    boxLine(scratch.data(), line.data(), length, (sizes[1] - 1) / 2);
    boxLine(line.data(), scratch.data(), length, (sizes[2] - 1) / 2);
    line.swap(scratch);
}

qreal pixelRatioOf(const QPainter &painter)
{
    const qreal deviceRatio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal scale = std::sqrt(std::abs(painter.worldTransform().determinant()));
    return deviceRatio * (scale > 0 ? scale : 1.0);
}

// The image's corner on the pixel grid, so that equal shapes at equal
// sub-pixel positions give equal keys.
QPointF snapped(QPointF point, qreal ratio)
{
    return {std::floor(point.x() * ratio) / ratio, std::floor(point.y() * ratio) / ratio};
}

class KeyBuilder
{
public:
    explicit KeyBuilder(char kind) { m_bytes.append(kind); }

    template<class T>
        requires std::is_trivially_copyable_v<T>
    KeyBuilder &add(const T &value)
    {
        m_bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
        return *this;
    }
    KeyBuilder &add(const QPainterPath &path, QPointF origin)
    {
        add(int(path.fillRule())).add(path.elementCount());
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element element = path.elementAt(i);
            add(int(element.type)).add(element.x - origin.x()).add(element.y - origin.y());
        }
        return *this;
    }
    KeyBuilder &add(const QString &text)
    {
        add(text.size());
        m_bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        return *this;
    }
    KeyBuilder &add(const Shadow &shadow, qreal opacity)
    {
        QColor color = shadow.color;
        color.setAlphaF(float(color.alphaF() * opacity));
        return add(color.rgba64()).add(shadow.radius).add(shadow.offset.x()).add(shadow.offset.y());
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Each image is kept under its place: for shapes, all that shapes them, so
// equal shapes share one; for text, where and how it is drawn, with the text
// itself as the content that must match. A place holds one image, so a text
// that changes (the date line, every hour) replaces its glow instead of
// adding one that is never drawn again.
class ImageCache
{
public:
    std::optional<QImage> find(const QByteArray &place, const QByteArray &content)
    {
        QMutexLocker lock(&m_mutex);
        if (const Entry *entry = m_images.object(place); entry && entry->content == content) {
            ++m_statistics.hits;
            return entry->image;
        }
        return std::nullopt;
    }
    void insert(const QByteArray &place, const QByteArray &content, const QImage &image)
    {
        QMutexLocker lock(&m_mutex);
        ++m_statistics.blurs;
        m_images.insert(place, new Entry{content, image}, std::max<qsizetype>(1, image.sizeInBytes()));
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_images.clear();
    }
    ShadowCacheStatistics statistics()
    {
        QMutexLocker lock(&m_mutex);
        ShadowCacheStatistics statistics = m_statistics;
        statistics.entries = m_images.count();
        statistics.bytes = m_images.totalCost();
        return statistics;
    }

private:
    struct Entry
    {
        QByteArray content;
        QImage image;
    };

    QMutex m_mutex;
    QCache<QByteArray, Entry> m_images{32 * 1024 * 1024};
    ShadowCacheStatistics m_statistics;
};

ImageCache &imageCache()
{
    static ImageCache cache;
    return cache;
}

// Premultiplied `color` scaled by each of the 256 coverage values.
std::array<QRgb, 256> coverageTable(const QColor &color)
{
    const QRgb premultiplied = qPremultiply(color.rgba());
    std::array<QRgb, 256> table{};
    for (int m = 0; m < 256; ++m) {
        auto scale = [m](int channel) { return (channel * m + 127) / 255; };
        table[m] = qRgba(scale(qRed(premultiplied)), scale(qGreen(premultiplied)),
                         scale(qBlue(premultiplied)), scale(qAlpha(premultiplied)));
    }
    return table;
}

QImage colorized(const QImage &mask, const QColor &color)
{
    const auto table = coverageTable(color);
    QImage image(mask.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < mask.height(); ++y) {
        const uchar *source = mask.constScanLine(y);
        auto *target = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < mask.width(); ++x)
            target[x] = table[source[x]];
    }
    return image;
}

QImage emptyMask(int width, int height, uchar fill)
{
    QImage mask(std::max(width, 1), std::max(height, 1), QImage::Format_Alpha8);
    mask.fill(fill);
    return mask;
}

// Blurs a coverage mask made by `paintMask` (in points, the image corner at
// `origin` − pad) and draws it, coloured, at that corner plus the offset.
// Cached at `place` as showing `content` (see ImageCache).
template<class PaintMask>
void drawCastShadow(QPainter &painter, const QByteArray &place, const QByteArray &content, QPointF origin,
                    QSizeF size, qreal ratio, const Shadow &shadow, const QColor &color, PaintMask &&paintMask,
                    QSize logicalDpi = QSize())
{
    const qreal sigma = shadow.radius / 2.0 * ratio;
    const int pad = blurReach(sigma) + 1;
    std::optional<QImage> image = imageCache().find(place, content);
    if (!image) {
        QImage mask = emptyMask(int(std::ceil(size.width() * ratio)) + 2 * pad,
                                int(std::ceil(size.height() * ratio)) + 2 * pad, 0);
        if (logicalDpi.isValid()) {
            // Fonts take their pixel size from this: the same as on the device.
            mask.setDotsPerMeterX(qRound(logicalDpi.width() / 0.0254));
            mask.setDotsPerMeterY(qRound(logicalDpi.height() / 0.0254));
        }
        {
            QPainter maskPainter(&mask);
            maskPainter.setRenderHint(QPainter::Antialiasing);
            maskPainter.setRenderHint(QPainter::TextAntialiasing);
            maskPainter.translate(pad, pad);
            maskPainter.scale(ratio, ratio);
            maskPainter.translate(-origin);
            paintMask(maskPainter);
        }
        blurAlpha(mask, sigma);
        image = colorized(mask, color);
        image->setDevicePixelRatio(ratio);
        imageCache().insert(place, content, *image);
    }
    painter.drawImage(origin - QPointF(pad, pad) / ratio + shadow.offset, *image);
}

} // namespace

Shadow Shadow::glow(const QColor &color, qreal opacity, qreal radius)
{
    return Shadow{withAlphaMultiplied(color, opacity), radius, QPointF()};
}

qreal shadowExtent(qreal radius)
{
    return 1.5 * std::max<qreal>(radius, 0);
}

QMarginsF shadowMargins(const Shadow &shadow)
{
    const qreal extent = shadowExtent(shadow.radius);
    const QPointF d = shadow.offset;
    return QMarginsF(std::max<qreal>(0, extent - d.x()), std::max<qreal>(0, extent - d.y()),
                     std::max<qreal>(0, extent + d.x()), std::max<qreal>(0, extent + d.y()));
}

void blurAlpha(QImage &image, qreal sigma)
{
    Q_ASSERT(image.depth() == 8);
    if (image.isNull() || !(sigma > 0))
        return;
    const auto sizes = boxSizes(sigma);
    const int width = image.width();
    const int height = image.height();

    std::vector<uchar> line(static_cast<std::size_t>(width));
    std::vector<uchar> scratch(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        uchar *row = image.scanLine(y);
        line.assign(row, row + width);
        blurLine(line, scratch, sizes);
        std::memcpy(row, line.data(), std::size_t(width));
    }

    line.resize(std::size_t(height));
    scratch.resize(std::size_t(height));
    const qsizetype stride = image.bytesPerLine();
    uchar *bits = image.bits();
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y)
            line[std::size_t(y)] = bits[y * stride + x];
        blurLine(line, scratch, sizes);
        for (int y = 0; y < height; ++y)
            bits[y * stride + x] = line[std::size_t(y)];
    }
}

void drawPathShadow(QPainter &painter, const QPainterPath &path, const Shadow &shadow, qreal fillOpacity)
{
    const QColor color = withAlphaMultiplied(shadow.color, fillOpacity);
    const QRectF bounds = path.boundingRect();
    if (!shadow.color.isValid() || color.alpha() == 0 || bounds.isEmpty())
        return;
    const qreal ratio = pixelRatioOf(painter);
    const QPointF origin = snapped(bounds.topLeft(), ratio);
    const QByteArray key = KeyBuilder('P').add(ratio).add(shadow, fillOpacity).add(path, origin).bytes();
    drawCastShadow(painter, key, {}, origin, QSizeF(bounds.right() - origin.x(), bounds.bottom() - origin.y()),
                   ratio, shadow, color, [&](QPainter &mask) { mask.fillPath(path, Qt::black); });
}

void fillPathWithShadow(QPainter &painter, const QPainterPath &path, const QColor &fill,
                        const std::optional<Shadow> &shadow)
{
    if (shadow)
        drawPathShadow(painter, path, *shadow, fill.alphaF());
    painter.fillPath(path, fill);
}

void drawTextShadow(QPainter &painter, const QRectF &rect, int flags, const QString &text, const QFont &font,
                    const QColor &color, const Shadow &shadow)
{
    const QColor shadowColor = withAlphaMultiplied(shadow.color, color.alphaF());
    if (text.isEmpty() || !shadow.color.isValid() || shadowColor.alpha() == 0)
        return;
    QPaintDevice *device = painter.device();
    const QFontMetricsF metrics(font, device);
    // Glyphs may reach a little past the advance-based box (italics, accents).
    const qreal slack = metrics.height() / 4;
    const QRectF bounds = metrics.boundingRect(rect, flags, text).adjusted(-slack, -slack, slack, slack);
    const qreal ratio = pixelRatioOf(painter);
    const QPointF origin = snapped(bounds.topLeft(), ratio);
    const int dpiX = device ? device->logicalDpiX() : 96;
    const int dpiY = device ? device->logicalDpiY() : 96;
    // The place is all but the text, so that a new text replaces the old.
    const QByteArray place = KeyBuilder('T')
                                 .add(ratio)
                                 .add(shadow, color.alphaF())
                                 .add(font.key())
                                 .add(flags)
                                 .add(rect.x())
                                 .add(rect.y())
                                 .add(rect.width())
                                 .add(rect.height())
                                 .add(dpiX)
                                 .add(dpiY)
                                 .bytes();
    const QByteArray content(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    drawCastShadow(painter, place, content, origin, QSizeF(bounds.right() - origin.x(), bounds.bottom() - origin.y()),
                   ratio, shadow, shadowColor, [&](QPainter &mask) {
                       mask.setFont(font);
                       mask.setPen(Qt::black);
                       mask.drawText(rect, flags, text);
                   },
                   QSize(dpiX, dpiY));
}

void drawTextWithShadow(QPainter &painter, const QRectF &rect, int flags, const QString &text, const QFont &font,
                        const QColor &color, const std::optional<Shadow> &shadow)
{
    if (shadow)
        drawTextShadow(painter, rect, flags, text, font, color, *shadow);
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, flags, text);
    painter.restore();
}

void drawInnerShadow(QPainter &painter, const QPainterPath &shape, const Shadow &shadow)
{
    const QRectF bounds = shape.boundingRect();
    if (!shadow.color.isValid() || shadow.color.alpha() == 0 || bounds.isEmpty())
        return;
    const qreal ratio = pixelRatioOf(painter);
    const QPointF origin = snapped(bounds.topLeft(), ratio);
    const QByteArray key = KeyBuilder('I').add(ratio).add(shadow, 1.0).add(shape, origin).bytes();

    std::optional<QImage> image = imageCache().find(key, {});
    if (!image) {
        const qreal sigma = shadow.radius / 2.0 * ratio;
        const QPointF offset = shadow.offset * ratio;
        const int pad = blurReach(sigma) + 1
                        + int(std::ceil(std::max(std::abs(offset.x()), std::abs(offset.y()))));
        const int width = int(std::ceil((bounds.right() - origin.x()) * ratio));
        const int height = int(std::ceil((bounds.bottom() - origin.y()) * ratio));
        auto paintShape = [&](QImage &mask, QPointF at, const QColor &color) {
            QPainter maskPainter(&mask);
            maskPainter.setRenderHint(QPainter::Antialiasing);
            maskPainter.setCompositionMode(QPainter::CompositionMode_Source);
            maskPainter.translate(at);
            maskPainter.scale(ratio, ratio);
            maskPainter.translate(-origin);
            maskPainter.fillPath(shape, color);
        };
        // Everything outside the shape, moved by the offset, casts the shadow.
        QImage outside = emptyMask(width + 2 * pad, height + 2 * pad, 255);
        paintShape(outside, QPointF(pad, pad) + offset, Qt::transparent);
        blurAlpha(outside, sigma);
        QImage inside = emptyMask(width, height, 0);
        paintShape(inside, QPointF(), Qt::black);

        const auto table = coverageTable(shadow.color);
        image = QImage(inside.size(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < inside.height(); ++y) {
            const uchar *cover = inside.constScanLine(y);
            const uchar *cast = outside.constScanLine(y + pad) + pad;
            auto *target = reinterpret_cast<QRgb *>(image->scanLine(y));
            for (int x = 0; x < inside.width(); ++x)
                target[x] = table[(cover[x] * cast[x] + 127) / 255];
        }
        image->setDevicePixelRatio(ratio);
        imageCache().insert(key, {}, *image);
    }
    painter.drawImage(origin, *image);
}

void drawInnerShadow(QPainter &painter, const QRectF &rect, const Shadow &shadow)
{
    if (!shadow.color.isValid() || shadow.color.alpha() == 0 || rect.isEmpty())
        return;
    const qreal ratio = pixelRatioOf(painter);
    const qreal sigma = shadow.radius / 2.0 * ratio;
    if (!(sigma > 0)) {
        QPainterPath path;
        path.addRect(rect);
        drawInnerShadow(painter, path, shadow);
        return;
    }

    // A rectangle blurs one axis at a time: the blurred coverage of the
    // casting rectangle is X(x) · Y(y), with X and Y Gaussian-blurred spans.
    // So the shadow needs no blur at all, and it is non-zero only in a band
    // along the edges: only that band is kept, as four strips.
    const QPointF origin = snapped(rect.topLeft(), ratio);
    const qreal left = (rect.left() - origin.x()) * ratio;
    const qreal top = (rect.top() - origin.y()) * ratio;
    const qreal right = (rect.right() - origin.x()) * ratio;
    const qreal bottom = (rect.bottom() - origin.y()) * ratio;
    const int width = int(std::ceil(right));
    const int height = int(std::ceil(bottom));
    const QPointF offset = shadow.offset * ratio;
    const qreal opacity = shadow.color.alphaF();

    auto axis = [sigma](int count, qreal from, qreal to, qreal shift) {
        struct Axis
        {
            std::vector<qreal> inside; // how much of each pixel the rectangle covers
            std::vector<qreal> cast;   // blurred coverage of the moved rectangle
        } result;
        const qreal scale = 1.0 / (sigma * std::sqrt(2.0));
        for (int i = 0; i < count; ++i) {
            result.inside.push_back(std::clamp(std::min(i + 1.0, to) - std::max(qreal(i), from), 0.0, 1.0));
            const qreal centre = i + 0.5;
            result.cast.push_back(0.5 * (std::erf((centre - from - shift) * scale) - std::erf((centre - to - shift) * scale)));
        }
        return result;
    };
    const auto xs = axis(width, left, right, offset.x());
    const auto ys = axis(height, top, bottom, offset.y());

    // Rows and columns whose shadow rounds to nothing on their own axis.
    const qreal clear = 1.0 - 0.25 / 255.0 / std::max(opacity, 0.01);
    auto clearRange = [clear](const std::vector<qreal> &cast) {
        int first = 0;
        while (first < int(cast.size()) && cast[std::size_t(first)] < clear)
            ++first;
        int last = int(cast.size()) - 1;
        while (last >= first && cast[std::size_t(last)] < clear)
            --last;
        return std::pair(first, last + 1); // [first, end)
    };
    auto [clearLeft, clearRight] = clearRange(xs.cast);
    auto [clearTop, clearBottom] = clearRange(ys.cast);
    if (clearLeft >= clearRight || clearTop >= clearBottom)
        clearLeft = clearRight = clearTop = clearBottom = 0;

    const auto table = coverageTable(shadow.color);
    const QByteArray key = KeyBuilder('R').add(ratio).add(shadow, 1.0).add(left).add(top).add(right).add(bottom).bytes();
    auto strip = [&](char part, QRect area) {
        if (area.isEmpty())
            return;
        const QByteArray stripKey = key + part;
        std::optional<QImage> image = imageCache().find(stripKey, {});
        if (!image) {
            image = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < area.height(); ++y) {
                const std::size_t j = std::size_t(area.top() + y);
                auto *target = reinterpret_cast<QRgb *>(image->scanLine(y));
                for (int x = 0; x < area.width(); ++x) {
                    const std::size_t i = std::size_t(area.left() + x);
                    const qreal cover = xs.inside[i] * ys.inside[j] * (1.0 - xs.cast[i] * ys.cast[j]);
                    target[x] = table[std::size_t(std::lround(std::clamp(cover, 0.0, 1.0) * 255))];
                }
            }
            image->setDevicePixelRatio(ratio);
            imageCache().insert(stripKey, {}, *image);
        }
        painter.drawImage(origin + QPointF(area.topLeft()) / ratio, *image);
    };
    if (clearRight == 0) {
        strip('a', QRect(0, 0, width, height));
        return;
    }
    strip('t', QRect(0, 0, width, clearTop));
    strip('b', QRect(0, clearBottom, width, height - clearBottom));
    strip('l', QRect(0, clearTop, clearLeft, clearBottom - clearTop));
    strip('r', QRect(clearRight, clearTop, width - clearRight, clearBottom - clearTop));
}

ShadowCacheStatistics shadowCacheStatistics()
{
    return imageCache().statistics();
}

void clearShadowCache()
{
    imageCache().clear();
}

} // namespace tarimo::view_helpers
