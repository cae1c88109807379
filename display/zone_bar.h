#pragma once

#include "display/label_bar.h"
#include "price/zone.h"

#include <QPointer>

#include <array>
#include <optional>

namespace tarimo::price {
class ContentViewModel;
}

namespace tarimo::display {

// The four zone labels of the price panel, the selected one glowing. A
// click on a label selects its zone, as do Space and Enter on the one the
// keyboard is on; screen readers see a group of four radio buttons.
class ZoneBar : public LabelBar
{
    Q_OBJECT

public:
    explicit ZoneBar(price::ContentViewModel *viewModel, QWidget *parent = nullptr);

    // Where the labels go, in the bar's coordinates, and their font.
    void setLabels(const std::array<QRectF, 4> &rects, const QFont &font);
    QRectF labelRect(price::Zone zone) const { return LabelBar::labelRect(int(zone)); }
    std::optional<price::Zone> zoneAt(QPointF position) const;

    // The zone that the keyboard is on, and the view model's zone.
    price::Zone currentZone() const { return price::Zone(currentLabel()); }
    price::Zone selectedZone() const;

    // "SE3, Stockholm": the zone and the city it is named after.
    static QString description(price::Zone zone);
    // "SE3 – Stockholm": the same for the label's tooltip.
    static QString toolTip(price::Zone zone);

    // Selects the zone through the view model.
    void select(price::Zone zone);

    QString labelText(int index) const override;
    QString labelName(int index) const override;
    QString labelDescription(int index) const override;
    QString labelToolTip(int index) const override;
    QString groupName() const override;
    int chosenLabel() const override { return int(selectedZone()); }
    void choose(int index) override { select(price::Zone(index)); }

private:
    QPointer<price::ContentViewModel> m_viewModel;
};

} // namespace tarimo::display
