#pragma once

#include <QGraphicsEffect>
#include <QMarginsF>

#include <functional>

namespace tarimo::view_helpers {

// Lets a widget paint past its own edges, as far as its parent allows: a
// glow spills over the spacing around the widget instead of being cut off
// at its rectangle. Set on a widget with QWidget::setGraphicsEffect(); from
// then on `paint` draws the widget, in the widget's own coordinates, and may
// reach `overhang` beyond each edge. Use it for widgets that paint nothing
// but their own drawing (no child widgets, no style).
class OverhangEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    using Paint = std::function<void(QPainter &)>;

    OverhangEffect(QMarginsF overhang, Paint paint, QObject *parent = nullptr);

    QMarginsF overhang() const { return m_overhang; }
    void setOverhang(QMarginsF overhang);

    QRectF boundingRectFor(const QRectF &sourceRect) const override;

protected:
    void draw(QPainter *painter) override;

private:
    QMarginsF m_overhang;
    Paint m_paint;
};

} // namespace tarimo::view_helpers
