#include "display/equalizer.h"

#include "display/painted_parts_accessible.h"
#include "display/panel_colors.h"
#include "price/content_view_model.h"
#include "price/digit_model.h"
#include "view_helpers/color.h"
#include "view_helpers/shadow.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>

namespace tarimo::display {

using view_helpers::withAlpha;
using view_helpers::Shadow;

namespace {

class ChartAccessible : public PaintedPartsAccessible
{
public:
    explicit ChartAccessible(Equalizer *chart)
        : PaintedPartsAccessible(chart, QAccessible::List, Equalizer::tr("Prices by hour"))
    {}

    Equalizer *chart() const { return static_cast<Equalizer *>(widget()); }

    int partCount() const override { return Equalizer::hourCount; }
    QAccessible::Role partRole(int) const override { return QAccessible::ListItem; }
    QString partText(int hour, QAccessible::Text text) const override
    {
        return text == QAccessible::Name ? chart()->spokenHour(hour) : QString();
    }
    QAccessible::State partState(int hour) const override
    {
        QAccessible::State state = PaintedPartsAccessible::partState(hour);
        state.focusable = true;
        state.selectable = true;
        // The clock's hour, as its bright label shows.
        state.selected = hour == chart()->currentHour();
        return state;
    }
    QRect partRect(int hour) const override { return chart()->columnRect(hour).toAlignedRect(); }
    int focusedPart() const override { return chart()->focusedHour(); }
};

} // namespace

Equalizer::Equalizer(price::ContentViewModel *viewModel, int firstCell, int endCell, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_firstCell(firstCell)
    , m_endCell(endCell)
    // The glow of the outer columns reaches past the chart's edges.
    , m_drawing(this, view_helpers::shadowExtent(glowRadius), [this](QPainter &painter) { paint(painter); })
{
    installAccessibleFactoryOnce<ChartAccessible, Equalizer>();
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    // Moves reach the chart so that a visible tip can follow the pointer.
    setMouseTracking(true);
}

QFont Equalizer::labelFont(const QFont &base, bool bold)
{
    QFont font = base;
    font.setPixelSize(int(labelPixelSize));
    font.setBold(bold);
    return font;
}

qreal Equalizer::labelHeight() const
{
    return QFontMetricsF(labelFont(font(), true)).height();
}

QRectF Equalizer::columnRect(int hour) const
{
    const qreal columnWidth = (width() - (hourCount - 1) * spacing) / hourCount;
    return QRectF(hour * (columnWidth + spacing), 0, columnWidth, height());
}

QRectF Equalizer::cellRect(int hour, int cell) const
{
    const QRectF column = columnRect(hour);
    return QRectF(column.x(), (cell - m_firstCell) * (cellHeight + spacing), column.width(), cellHeight);
}

QRectF Equalizer::labelRect(int hour) const
{
    const QRectF column = columnRect(hour);
    const qreal top = cellCount() * (cellHeight + spacing);
    return QRectF(column.x(), top, column.width(), labelHeight());
}

int Equalizer::hourAt(QPointF position) const
{
    for (int hour = 0; hour < hourCount; ++hour) {
        const QRectF column = columnRect(hour);
        if (position.x() >= column.left() && position.x() < column.right() + spacing)
            return position.y() >= 0 && position.y() < height() ? hour : -1;
    }
    return -1;
}

std::optional<double> Equalizer::level(int hour) const
{
    if (!m_viewModel)
        return std::nullopt;
    const auto record = m_viewModel->priceRecord(hour);
    if (!record)
        return std::nullopt;
    return m_viewModel->relativePrice(*record);
}

bool Equalizer::isLit(int cell, const std::optional<double> &level) const
{
    // Counted from the cells' own range, so that the bottom cell lights from
    // 1 / count up and the top one only at 1 wherever the range starts. A
    // level that is not a number (all prices equal) lights nothing.
    return level && double(m_endCell - cell) / cellCount() <= *level;
}

bool Equalizer::isLit(int hour, int cell) const
{
    return isLit(cell, level(hour));
}

int Equalizer::litCellCount(int hour) const
{
    const auto hourLevel = level(hour);
    int lit = 0;
    for (int cell = m_firstCell; cell < m_endCell; ++cell)
        lit += isLit(cell, hourLevel) ? 1 : 0;
    return lit;
}

int Equalizer::currentHour() const
{
    // The view model's clock, the one its hours and digits follow.
    return m_viewModel ? m_viewModel->now().toLocalTime().time().hour() : -1;
}

QSize Equalizer::sizeHint() const
{
    const qreal cells = cellCount() * cellHeight + qMax(0, cellCount() - 1) * spacing;
    return QSize(hourCount * 12 + (hourCount - 1) * int(spacing), qCeil(cells + spacing + labelHeight()));
}

QSize Equalizer::minimumSizeHint() const
{
    return QSize(hourCount + (hourCount - 1) * int(spacing), sizeHint().height());
}

void Equalizer::paint(QPainter &painter)
{
    CacheKey key;
    key.litCells.reserve(hourCount);
    for (int hour = 0; hour < hourCount; ++hour)
        key.litCells.push_back(litCellCount(hour));
    key.currentHour = currentHour();
    // The chart changes once an hour at most: draw it once, then reuse it.
    m_drawing.draw(painter, std::move(key),
                   [this](QPainter &imagePainter, const CacheKey &shown) { drawChart(imagePainter, shown); });
    if (isFocusShown() && m_focusHour >= 0)
        KeyboardFocus::drawOutline(painter, columnRect(m_focusHour).adjusted(-1, -1, 1, 1));
}

void Equalizer::drawChart(QPainter &painter, const CacheKey &key) const
{
    const QColor litColor = withAlpha(panel_colors::red(), 0.9);
    const Shadow litGlow = Shadow::glow(panel_colors::red(), 1.0, glowRadius);
    const QColor unlitColor = panel_colors::black();
    const QColor labelColor = panel_colors::hourLabel();
    const QColor currentColor = panel_colors::currentHourLabel();
    const Shadow currentGlow = Shadow::glow(Qt::white, 0.7, 5);

    for (int hour = 0; hour < hourCount; ++hour) {
        // The lit cells are the bottom ones: (end - j) / count falls as j grows.
        const int firstLit = m_endCell - key.litCells[std::size_t(hour)];
        for (int cell = m_firstCell; cell < m_endCell; ++cell) {
            const QRectF rect = cellRect(hour, cell);
            if (cell >= firstLit) {
                QPainterPath path;
                path.addRect(rect);
                view_helpers::fillPathWithShadow(painter, path, litColor, litGlow);
            } else {
                painter.fillRect(rect, unlitColor);
            }
        }
        const bool current = hour == key.currentHour;
        view_helpers::drawTextWithShadow(painter, labelRect(hour), Qt::AlignHCenter | Qt::AlignTop,
                                         QString::number(hour), labelFont(font(), current),
                                         current ? currentColor : labelColor,
                                         current ? std::optional(currentGlow) : std::nullopt);
    }
}

void Equalizer::showPriceTip(int hour, QPoint globalPosition)
{
    const QString text = hour >= 0 && m_viewModel ? m_viewModel->priceLabel(hour) : QString();
    m_tipHour = text.isEmpty() ? -1 : hour;
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPosition, text, this, columnRect(hour).toAlignedRect());
}

bool Equalizer::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        showPriceTip(hourAt(help->pos()), help->globalPos());
        if (m_tipHour < 0)
            event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void Equalizer::mouseMoveEvent(QMouseEvent *event)
{
    // While a tip is up, it moves straight to the next column instead of
    // waiting for the tooltip delay again.
    const int hour = hourAt(event->position());
    if (m_tipHour >= 0 && hour != m_tipHour && QToolTip::isVisible())
        showPriceTip(hour, event->globalPosition().toPoint());
    event->ignore();
}

QString Equalizer::spokenHour(int hour) const
{
    const auto record = m_viewModel ? m_viewModel->priceRecord(hour) : std::nullopt;
    const auto ore = record && record->spotPriceSEK ? m_viewModel->shownOre(*record->spotPriceSEK) : std::nullopt;
    const QString time = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
    return ore ? tr("%1, %2 öre per kWh").arg(time).arg(*ore) : tr("%1, no price").arg(time);
}

void Equalizer::setFocusHour(int hour)
{
    m_focusHour = std::clamp(hour, 0, hourCount - 1);
    update();
    showPriceTip(m_focusHour, mapToGlobal(columnRect(m_focusHour).center().toPoint()));
    PaintedPartsAccessible::notify(this, m_focusHour, QAccessible::Focus);
}

void Equalizer::mousePressEvent(QMouseEvent *event)
{
    m_focus.mouseUsed();
    update();
    event->ignore();
}

void Equalizer::keyPressEvent(QKeyEvent *event)
{
    int hour = m_focusHour;
    switch (event->key()) {
    case Qt::Key_Left:
        --hour;
        break;
    case Qt::Key_Right:
        ++hour;
        break;
    case Qt::Key_Home:
        hour = 0;
        break;
    case Qt::Key_End:
        hour = hourCount - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_focus.keyUsed();
    setFocusHour(hour);
}

void Equalizer::focusInEvent(QFocusEvent *event)
{
    m_focus.focusIn(event);
    m_focusHour = currentHour();
    QWidget::focusInEvent(event);
    update();
    // After the chart's own focus news: a screen reader then reads the hour.
    QMetaObject::invokeMethod(this, [this] {
        if (hasFocus())
            PaintedPartsAccessible::notify(this, m_focusHour, QAccessible::Focus);
    }, Qt::QueuedConnection);
}

void Equalizer::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (m_tipHour >= 0)
        QToolTip::hideText();
    update();
}

void Equalizer::paintEvent(QPaintEvent *)
{
    // Only reached without the overhang effect: the glow stops at the edges.
    QPainter painter(this);
    paint(painter);
}

} // namespace tarimo::display
