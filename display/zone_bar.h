#pragma once

#include "display/keyboard_focus.h"
#include "price/zone.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

#include <array>
#include <optional>

namespace tarimo::price {
class ContentViewModel;
}
namespace tarimo::view_helpers {
class OverhangEffect;
}

namespace tarimo::display {

// The four zone labels of the price panel, the selected one glowing. A
// click on a label selects its zone. From the keyboard it is one stop in
// the focus chain: Left and Right move between the zones, Space or Enter
// selects. Screen readers see a group of four radio buttons.
class ZoneBar : public QWidget
{
    Q_OBJECT

public:
    explicit ZoneBar(price::ContentViewModel *viewModel, QWidget *parent = nullptr);

    // Where the labels go, in the bar's coordinates, and their font.
    void setLabels(const std::array<QRectF, 4> &rects, const QFont &font);
    QRectF labelRect(price::Zone zone) const { return m_labels[std::size_t(zone)]; }
    std::optional<price::Zone> zoneAt(QPointF position) const;

    // The zone that the keyboard is on, and the view model's zone.
    price::Zone currentZone() const { return m_current; }
    price::Zone selectedZone() const;
    bool isFocusShown() const { return m_focus.isShown(this); }

    // "SE3, Stockholm": the zone and the city it is named after.
    static QString description(price::Zone zone);
    // "SE3 – Stockholm": the same for the label's tooltip.
    static QString toolTip(price::Zone zone);

    // Draws the labels in bar coordinates; glows reach past the edges.
    void paint(QPainter &painter);

    // Selects the zone through the view model.
    void select(price::Zone zone);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showSelection();
    void setCurrent(price::Zone zone);

    QPointer<price::ContentViewModel> m_viewModel;
    std::array<QRectF, 4> m_labels{};
    QFont m_font;
    view_helpers::OverhangEffect *m_effect = nullptr;
    std::optional<price::Zone> m_pressedZone;
    price::Zone m_current = price::Zone::se3;
    // The zone drawn as selected, to tell what changed.
    price::Zone m_shown = price::Zone::se3;
    KeyboardFocus m_focus;
};

} // namespace tarimo::display
