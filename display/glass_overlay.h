#pragma once

#include <QWidget>

#include <optional>

namespace tarimo::display {

// The glass in front of the price panel: a curved gloss across its upper
// part, a shade towards the bottom, a shade from the top and an inner
// shadow along the edges. Ignores the mouse.
class GlassOverlay : public QWidget
{
    Q_OBJECT

public:
    explicit GlassOverlay(QWidget *parent = nullptr);

    // The height of the panel's content block, whose middle the gloss is
    // placed from.
    void setContentHeight(qreal height);
    qreal contentHeight() const { return m_contentHeight; }

    // The gloss ellipse and the rounded mask that clips it, for a panel of
    // `size` whose content block is `contentHeight` high.
    static QRectF glossEllipse(QSizeF size, qreal contentHeight);
    static QRectF glossMask(QSizeF size, qreal contentHeight);

    // Draws the glass uncached.
    static void drawGlass(QPainter &painter, QSizeF size, qreal contentHeight);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_contentHeight = 0;
};

} // namespace tarimo::display
