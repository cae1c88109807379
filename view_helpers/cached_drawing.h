#pragma once

#include <QImage>
#include <QPainter>
#include <QSize>

#include <functional>
#include <optional>
#include <utility>

class QWidget;

namespace tarimo::view_helpers {

class OverhangEffect;

// The part of CachedDrawing that does not depend on its key.
class CachedDrawingBase
{
public:
    using Paint = std::function<void(QPainter &)>;

    // How far (points) the drawing reaches past each edge of the widget.
    qreal overhang() const { return m_overhang; }
    // The next paint draws the image anew.
    void setOverhang(qreal overhang);

protected:
    CachedDrawingBase(QWidget *widget, qreal overhang, Paint paint);

    // Whether the image was drawn for the widget's present size and `ratio`.
    bool fits(qreal ratio) const;
    // Draws a new image at `ratio`: transparent, the widget's size grown by
    // the overhang on each side, `render` painting antialiased in widget
    // coordinates.
    void renderImage(qreal ratio, const Paint &render);
    // The image, its corner at (−overhang, −overhang).
    void drawImage(QPainter &painter) const;
    // The device pixel ratio that `painter` paints at.
    qreal pixelRatio(const QPainter &painter) const;

private:
    QWidget *m_widget;
    OverhangEffect *m_effect;
    qreal m_overhang;
    QImage m_image;
    QSize m_size;
};

// A widget's drawing kept as one image, redrawn only when what shapes it
// changes: its Key (anything with ==), the widget's size or the device pixel
// ratio. An unchanged repaint draws one image.
//
// The drawing may reach past the widget's edges (a glow): the widget gets an
// OverhangEffect that paints with `paint`. Its own paintEvent, reached only
// when the effect is switched off, should call `paint` too; the drawing then
// stops at the widget's edges.
template<class Key>
class CachedDrawing : public CachedDrawingBase
{
public:
    // `paint` is called with a painter in widget coordinates and calls draw().
    CachedDrawing(QWidget *widget, qreal overhang, Paint paint)
        : CachedDrawingBase(widget, overhang, std::move(paint))
    {}

    // Draws the image of `key`, first drawing it anew with
    // `render(QPainter &, const Key &)` when it is not the image of `key` at
    // this size and pixel ratio.
    template<class Render>
    void draw(QPainter &painter, Key key, Render &&render)
    {
        const qreal ratio = pixelRatio(painter);
        if (!fits(ratio) || !m_key || !(*m_key == key)) {
            renderImage(ratio, [&](QPainter &imagePainter) { render(imagePainter, std::as_const(key)); });
            m_key = std::move(key);
        }
        drawImage(painter);
    }

private:
    std::optional<Key> m_key;
};

} // namespace tarimo::view_helpers
