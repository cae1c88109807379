#include "display/zone_bar.h"

#include "price/content_view_model.h"

#include <vector>

namespace tarimo::display {

using price::Zone;

namespace {

// Marked for translation here, translated where shown.
constexpr std::array<const char *, 4> cities{QT_TRANSLATE_NOOP("tarimo::display::ZoneBar", "Luleå"),
                                             QT_TRANSLATE_NOOP("tarimo::display::ZoneBar", "Sundsvall"),
                                             QT_TRANSLATE_NOOP("tarimo::display::ZoneBar", "Stockholm"),
                                             QT_TRANSLATE_NOOP("tarimo::display::ZoneBar", "Malmö")};

} // namespace

ZoneBar::ZoneBar(price::ContentViewModel *viewModel, QWidget *parent)
    : LabelBar(parent)
    , m_viewModel(viewModel)
{
    installAccessibleFactoryOnce<LabelBarAccessible, ZoneBar>();
    if (viewModel)
        connect(viewModel, &price::ContentViewModel::selectedZoneChanged, this, &ZoneBar::chosenChanged);
    chosenChanged();
}

void ZoneBar::setLabels(const std::array<QRectF, 4> &rects, const QFont &font)
{
    LabelBar::setLabels(std::vector<QRectF>(rects.begin(), rects.end()), font);
}

Zone ZoneBar::selectedZone() const
{
    return m_viewModel ? m_viewModel->selectedZone() : Zone::se3;
}

std::optional<Zone> ZoneBar::zoneAt(QPointF position) const
{
    const auto label = labelAt(position);
    return label ? std::optional(Zone(*label)) : std::nullopt;
}

QString ZoneBar::description(Zone zone)
{
    return QStringLiteral("%1, %2").arg(price::rawValue(zone), tr(cities[std::size_t(zone)]));
}

QString ZoneBar::toolTip(Zone zone)
{
    //: A zone label's tooltip: the zone, a dash, the city it is named after.
    return tr("%1 – %2").arg(price::rawValue(zone), tr(cities[std::size_t(zone)]));
}

void ZoneBar::select(Zone zone)
{
    if (m_viewModel)
        m_viewModel->perform(price::ViewModelAction::selectZone(zone));
}

QString ZoneBar::labelText(int index) const
{
    return price::rawValue(Zone(index));
}

QString ZoneBar::labelName(int index) const
{
    return price::rawValue(Zone(index));
}

QString ZoneBar::labelDescription(int index) const
{
    return description(Zone(index));
}

QString ZoneBar::labelToolTip(int index) const
{
    return toolTip(Zone(index));
}

QString ZoneBar::groupName() const
{
    return tr("Zone");
}

} // namespace tarimo::display
