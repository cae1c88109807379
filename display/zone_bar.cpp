#include "display/zone_bar.h"

#include "display/painted_parts_accessible.h"
#include "display/panel_colors.h"
#include "price/content_view_model.h"
#include "view_helpers/overhang_effect.h"
#include "view_helpers/shadow.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <utility>

namespace tarimo::display {

using price::Zone;

namespace {

// Room for the glow of the selected label and the focus outline.
constexpr qreal overhang = 10;

QRectF outlineRect(const QRectF &label)
{
    return label.adjusted(-3, -1, 3, 1);
}

class ZoneBarAccessible : public PaintedPartsAccessible
{
public:
    explicit ZoneBarAccessible(ZoneBar *bar)
        : PaintedPartsAccessible(bar, QAccessible::Grouping, ZoneBar::tr("Zone"))
    {}

    ZoneBar *bar() const { return static_cast<ZoneBar *>(widget()); }

    int partCount() const override { return int(price::allZones.size()); }
    QAccessible::Role partRole(int) const override { return QAccessible::RadioButton; }
    QString partText(int part, QAccessible::Text text) const override
    {
        if (text == QAccessible::Name)
            return price::rawValue(Zone(part));
        if (text == QAccessible::Description)
            return ZoneBar::description(Zone(part));
        return {};
    }
    QAccessible::State partState(int part) const override
    {
        QAccessible::State state = PaintedPartsAccessible::partState(part);
        state.focusable = true;
        state.checkable = true;
        state.checked = bar()->selectedZone() == Zone(part);
        return state;
    }
    QRect partRect(int part) const override { return bar()->labelRect(Zone(part)).toAlignedRect(); }
    int focusedPart() const override { return int(bar()->currentZone()); }
    bool isPressable(int) const override { return true; }
    void pressPart(int part) override { bar()->select(Zone(part)); }
};

void sendStateChange(ZoneBar *bar, Zone zone)
{
    if (QAccessibleInterface *part = PaintedPartsAccessible::listeningPart(bar, int(zone))) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(part, changed);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace

ZoneBar::ZoneBar(price::ContentViewModel *viewModel, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
{
    installAccessibleFactoryOnce<ZoneBarAccessible, ZoneBar>();
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_effect = new view_helpers::OverhangEffect(QMarginsF(overhang, overhang, overhang, overhang),
                                                [this](QPainter &painter) { paint(painter); }, this);
    setGraphicsEffect(m_effect);

    m_shown = m_current = selectedZone();
    if (viewModel) {
        connect(viewModel, &price::ContentViewModel::selectedZoneChanged, this, &ZoneBar::showSelection);
    }
}

void ZoneBar::setLabels(const std::array<QRectF, 4> &rects, const QFont &font)
{
    m_labels = rects;
    m_font = font;
    update();
}

Zone ZoneBar::selectedZone() const
{
    return m_viewModel ? m_viewModel->selectedZone() : Zone::se3;
}

std::optional<Zone> ZoneBar::zoneAt(QPointF position) const
{
    for (Zone zone : price::allZones) {
        if (labelRect(zone).contains(position))
            return zone;
    }
    return std::nullopt;
}

namespace {

// Marked for translation here, translated where shown.
constexpr std::array<const char *, 4> cities{QT_TRANSLATE_NOOP("tarimo::display::ZoneBar", "Luleå"),
                                             QT_TRANSLATE_NOOP("tarimo::display::ZoneBar", "Sundsvall"),
                                             QT_TRANSLATE_NOOP("tarimo::display::ZoneBar", "Stockholm"),
                                             QT_TRANSLATE_NOOP("tarimo::display::ZoneBar", "Malmö")};

} // namespace

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

void ZoneBar::showSelection()
{
    const Zone selected = selectedZone();
    const Zone previous = std::exchange(m_shown, selected);
    m_current = selected;
    update();
    if (previous != selected) {
        sendStateChange(this, previous);
        sendStateChange(this, selected);
    }
}

void ZoneBar::setCurrent(Zone zone)
{
    m_current = zone;
    update();
    if (hasFocus())
        PaintedPartsAccessible::notify(this, int(zone), QAccessible::Focus);
}

void ZoneBar::paint(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QColor light = panel_colors::light();
    QColor dark = panel_colors::black();
    dark.setAlphaF(0.722f);
    const Zone selected = selectedZone();
    for (Zone zone : price::allZones) {
        const bool isSelected = zone == selected;
        view_helpers::drawTextWithShadow(painter, labelRect(zone), Qt::AlignLeft | Qt::AlignVCenter,
                                         price::rawValue(zone), m_font, isSelected ? light : dark,
                                         isSelected ? std::optional(view_helpers::Shadow::glow(light, 0.7, 5))
                                                    : std::nullopt);
    }
    if (isFocusShown())
        KeyboardFocus::drawOutline(painter, outlineRect(labelRect(m_current)));
}

bool ZoneBar::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        if (const auto zone = zoneAt(help->pos())) {
            QToolTip::showText(help->globalPos(), toolTip(*zone), this, labelRect(*zone).toAlignedRect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void ZoneBar::paintEvent(QPaintEvent *)
{
    // Only reached without the overhang effect.
    QPainter painter(this);
    paint(painter);
}

void ZoneBar::mousePressEvent(QMouseEvent *event)
{
    m_focus.mouseUsed();
    update();
    m_pressedZone = event->button() == Qt::LeftButton ? zoneAt(event->position()) : std::nullopt;
    // Between the labels the press belongs to the window (it moves it).
    event->setAccepted(m_pressedZone.has_value());
}

void ZoneBar::mouseReleaseEvent(QMouseEvent *event)
{
    const auto pressed = std::exchange(m_pressedZone, std::nullopt);
    if (pressed && event->button() == Qt::LeftButton && zoneAt(event->position()) == pressed) {
        select(*pressed);
        return;
    }
    event->ignore();
}

void ZoneBar::mouseMoveEvent(QMouseEvent *event)
{
    if (zoneAt(event->position()))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    event->ignore();
}

void ZoneBar::keyPressEvent(QKeyEvent *event)
{
    const int count = int(price::allZones.size());
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        setCurrent(Zone((int(m_current) + count - 1) % count));
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        setCurrent(Zone((int(m_current) + 1) % count));
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        select(m_current);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_focus.keyUsed();
    update();
}

void ZoneBar::focusInEvent(QFocusEvent *event)
{
    m_focus.focusIn(event);
    m_current = selectedZone();
    QWidget::focusInEvent(event);
    update();
    // After the bar's own focus news: a screen reader then reads the zone.
    QMetaObject::invokeMethod(this, [this] { setCurrent(m_current); }, Qt::QueuedConnection);
}

void ZoneBar::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace tarimo::display
