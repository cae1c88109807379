#pragma once

// Glows, drop shadows and inner shadows: one blur for every widget.
//
// Radius: a shadow of radius r is the shape's coverage blurred by a Gaussian
// of standard deviation sigma = r / 2 points, approximated by three box blurs
// (whose combined variance is within a few per cent of sigma squared). The
// blur reaches about 3 sigma = 1.5 r points past the shape, see
// shadowExtent(). A radius of 0 gives a hard shadow.
//
// Strength: like a cast shadow, the glow of a half-transparent fill or text is
// half as strong: its opacity is the shadow colour's alpha times the alpha of
// what casts it.
//
// Resolution and caching: the blur runs on a QImage at the painter's device
// pixel ratio (times any scaling of its world transform), so shadows stay
// smooth on HiDPI screens. Every blurred image is kept in one process-wide
// cache, so painting something unchanged again blurs nothing. A shape's is
// keyed by all that shapes it (outline, position within a pixel, colour,
// radius, offset, pixel ratio): equal shapes at equal sub-pixel positions
// share one image. A text's is kept for its place (rectangle, flags, font,
// colour, radius, offset, pixel ratio), one per place: a new text there
// replaces the old one's, so text that changes leaves nothing behind. The
// cache holds at most about 32 MB and may be used from any thread.

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>

#include <optional>

class QFont;
class QPainter;
class QPainterPath;
class QString;

namespace tarimo::view_helpers {

struct Shadow
{
    QColor color;   // its alpha is the shadow's opacity
    qreal radius = 0; // points, see above
    QPointF offset; // points; a glow has none

    // A glow: `color` with its opacity multiplied by `opacity`, offset (0, 0).
    static Shadow glow(const QColor &color, qreal opacity, qreal radius);

    friend bool operator==(const Shadow &, const Shadow &) = default;
};

// How far (points) a shadow of `radius` reaches past its shape, offset aside.
qreal shadowExtent(qreal radius);
// Room a shadow needs around its shape on each side, offset included.
QMarginsF shadowMargins(const Shadow &shadow);

// Fills `path` with `fill`, its shadow (if any) drawn first, beneath it.
void fillPathWithShadow(QPainter &painter, const QPainterPath &path, const QColor &fill,
                        const std::optional<Shadow> &shadow);

// Only the shadow that `path` would cast if filled with a colour of
// `fillOpacity`.
void drawPathShadow(QPainter &painter, const QPainterPath &path, const Shadow &shadow,
                    qreal fillOpacity = 1.0);

// Draws `text` as QPainter::drawText(rect, flags, text) does, in `font` and
// `color`, its shadow (if any) drawn first. The font is resolved against the
// painter's device like any painter font.
void drawTextWithShadow(QPainter &painter, const QRectF &rect, int flags, const QString &text,
                        const QFont &font, const QColor &color, const std::optional<Shadow> &shadow);

// Only the shadow of that text.
void drawTextShadow(QPainter &painter, const QRectF &rect, int flags, const QString &text,
                    const QFont &font, const QColor &color, const Shadow &shadow);

// The shadow that the surroundings of `shape` cast into it: dark along the
// inside of its edges, clear in its middle (with a radius much smaller than
// the shape), moved by the offset, so (1, 1) darkens the top and left edges
// more. Drawn over whatever is already painted, inside `shape` only.
void drawInnerShadow(QPainter &painter, const QPainterPath &shape, const Shadow &shadow);
void drawInnerShadow(QPainter &painter, const QRectF &rect, const Shadow &shadow);

// The blur itself: blurs an 8-bit single-channel image (Format_Alpha8 or
// Format_Grayscale8) in place with a Gaussian of `sigma` pixels, approximated
// by three box blurs per axis. Pixels beyond the edges repeat the edge pixel.
void blurAlpha(QImage &image, qreal sigma);

// How many blurs have run and how many shadows came from the cache, since
// the process started, and what the cache holds now (for tests and
// benchmarks).
struct ShadowCacheStatistics
{
    quint64 blurs = 0;
    quint64 hits = 0;
    qsizetype entries = 0;
    qsizetype bytes = 0; // of the images
};
ShadowCacheStatistics shadowCacheStatistics();
// Drops every cached image; the counters keep running.
void clearShadowCache();

} // namespace tarimo::view_helpers
