#include "display/equalizer.h"

#include "display/painted_parts_accessible.h"
#include "display/panel_colors.h"
#include "price/content_view_model.h"
#include "price/digit_model.h"
#include "price/hourly_prices.h"
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
        : PaintedPartsAccessible(chart, QAccessible::List)
    {}

    Equalizer *chart() const { return static_cast<Equalizer *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return chart()->spokenName();
        return PaintedPartsAccessible::text(t);
    }
    int partCount() const override { return chart()->columnCount(); }
    QAccessible::Role partRole(int) const override { return QAccessible::ListItem; }
    QString partText(int column, QAccessible::Text text) const override
    {
        return text == QAccessible::Name ? chart()->spokenHour(column) : QString();
    }
    QAccessible::State partState(int column) const override
    {
        QAccessible::State state = PaintedPartsAccessible::partState(column);
        state.focusable = true;
        state.selectable = true;
        // The clock's hour, as its bright label shows.
        state.selected = column == chart()->currentHour();
        return state;
    }
    QRect partRect(int column) const override { return chart()->columnRect(column).toAlignedRect(); }
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

void Equalizer::setShownDay(int day)
{
    if (day == m_shownDay)
        return;
    m_shownDay = day;
    m_focusHour = std::clamp(m_focusHour, 0, columnCount() - 1);
    update();
    if (QAccessibleInterface *chart = QAccessible::isActive() ? QAccessible::queryAccessibleInterface(this) : nullptr) {
        QAccessibleEvent renamed(chart, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

const price::PriceDay *Equalizer::tomorrow() const
{
    return m_shownDay == 1 && m_viewModel ? m_viewModel->heldDay(1) : nullptr;
}

int Equalizer::columnCount() const
{
    const price::PriceDay *day = tomorrow();
    return day && !day->hours().empty() ? int(day->hours().size()) : hourCount;
}

int Equalizer::hourOfColumn(int column) const
{
    const price::PriceDay *day = tomorrow();
    if (!day || column < 0 || column >= int(day->hours().size()))
        return column;
    return price::localHour(*day->hours()[std::size_t(column)].timeStart).hour;
}

std::optional<price::SpotPriceModel> Equalizer::record(int column) const
{
    if (!m_viewModel)
        return std::nullopt;
    if (m_shownDay == 0)
        return m_viewModel->priceRecord(column);
    const price::PriceDay *day = tomorrow();
    if (!day || column < 0 || column >= int(day->hours().size()))
        return std::nullopt;
    return day->hours()[std::size_t(column)];
}

QList<int> Equalizer::columnsBetween(const QDateTime &start, const QDateTime &end) const
{
    QList<int> columns;
    for (int column = 0; column < columnCount(); ++column) {
        const auto hour = record(column);
        if (hour && hour->timeStart && *hour->timeStart >= start && *hour->timeStart < end)
            columns.append(column);
    }
    return columns;
}

QRectF Equalizer::columnRect(int column) const
{
    const int count = columnCount();
    const qreal columnWidth = (width() - (count - 1) * spacing) / count;
    return QRectF(column * (columnWidth + spacing), 0, columnWidth, height());
}

QRectF Equalizer::cellRect(int column, int cell) const
{
    const QRectF rect = columnRect(column);
    return QRectF(rect.x(), (cell - m_firstCell) * (cellHeight + spacing), rect.width(), cellHeight);
}

QRectF Equalizer::labelRect(int column) const
{
    const QRectF rect = columnRect(column);
    const qreal top = cellCount() * (cellHeight + spacing);
    return QRectF(rect.x(), top, rect.width(), labelHeight());
}

int Equalizer::hourAt(QPointF position) const
{
    for (int column = 0; column < columnCount(); ++column) {
        const QRectF rect = columnRect(column);
        if (position.x() >= rect.left() && position.x() < rect.right() + spacing)
            return position.y() >= 0 && position.y() < height() ? column : -1;
    }
    return -1;
}

std::optional<double> Equalizer::level(int column) const
{
    const auto hour = record(column);
    if (!hour)
        return std::nullopt;
    // Tomorrow on its own scale, as today is on today's.
    return m_shownDay == 0 ? m_viewModel->relativePrice(*hour) : tomorrow()->relativePrice(*hour);
}

bool Equalizer::isLit(int cell, const std::optional<double> &level) const
{
    // A level that is not a number (all prices equal) lights nothing. The
    // share of cells from this one down, counted from the range's own first.
    return level && double(m_endCell - cell) / cellCount() <= *level;
}

bool Equalizer::isLit(int column, int cell) const
{
    return isLit(cell, level(column));
}

int Equalizer::litCellCount(int column) const
{
    const auto columnLevel = level(column);
    int lit = 0;
    for (int cell = m_firstCell; cell < m_endCell; ++cell)
        lit += isLit(cell, columnLevel) ? 1 : 0;
    return lit;
}

int Equalizer::currentHour() const
{
    // The view model's clock, the one its hours and digits follow; tomorrow
    // has no hour of the clock yet.
    return m_viewModel && m_shownDay == 0 ? m_viewModel->now().toLocalTime().time().hour() : -1;
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
    const int count = columnCount();
    key.litCells.reserve(std::size_t(count));
    key.hours.reserve(std::size_t(count));
    for (int column = 0; column < count; ++column) {
        key.litCells.push_back(litCellCount(column));
        key.hours.push_back(hourOfColumn(column));
    }
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

    for (int column = 0; column < int(key.litCells.size()); ++column) {
        // The lit cells are the bottom ones: (U - j) / U falls as j grows.
        const int firstLit = m_endCell - key.litCells[std::size_t(column)];
        for (int cell = m_firstCell; cell < m_endCell; ++cell) {
            const QRectF rect = cellRect(column, cell);
            if (cell >= firstLit) {
                QPainterPath path;
                path.addRect(rect);
                view_helpers::fillPathWithShadow(painter, path, litColor, litGlow);
            } else {
                painter.fillRect(rect, unlitColor);
            }
        }
        const bool current = column == key.currentHour;
        view_helpers::drawTextWithShadow(painter, labelRect(column), Qt::AlignHCenter | Qt::AlignTop,
                                         QString::number(key.hours[std::size_t(column)]), labelFont(font(), current),
                                         current ? currentColor : labelColor,
                                         current ? std::optional(currentGlow) : std::nullopt);
    }
}

QString Equalizer::priceTip(int column) const
{
    const auto hour = record(column);
    return hour ? m_viewModel->priceLabel(*hour) : QString();
}

void Equalizer::showPriceTip(int column, QPoint globalPosition)
{
    const QString text = priceTip(column);
    m_tipHour = text.isEmpty() ? -1 : column;
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(globalPosition, text, this, columnRect(column).toAlignedRect());
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
    const int column = hourAt(event->position());
    if (m_tipHour >= 0 && column != m_tipHour && QToolTip::isVisible())
        showPriceTip(column, event->globalPosition().toPoint());
    event->ignore();
}

QString Equalizer::spokenHour(int column) const
{
    const auto hour = record(column);
    const auto ore = hour && hour->spotPriceSEK && m_viewModel ? m_viewModel->shownOre(*hour->spotPriceSEK) : std::nullopt;
    const QString time = QStringLiteral("%1:00").arg(hourOfColumn(column), 2, 10, QLatin1Char('0'));
    return ore ? tr("%1, %2 öre per kWh").arg(time).arg(*ore) : tr("%1, no price").arg(time);
}

QString Equalizer::spokenName() const
{
    return m_shownDay == 0 ? tr("Prices by hour, today") : tr("Prices by hour, tomorrow");
}

void Equalizer::setFocusHour(int column)
{
    m_focusHour = std::clamp(column, 0, columnCount() - 1);
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
    int column = m_focusHour;
    switch (event->key()) {
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_Home:
        column = 0;
        break;
    case Qt::Key_End:
        column = columnCount() - 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_focus.keyUsed();
    setFocusHour(column);
}

void Equalizer::focusInEvent(QFocusEvent *event)
{
    m_focus.focusIn(event);
    m_focusHour = std::max(0, currentHour());
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
    // Only reached without the overhang effect.
    QPainter painter(this);
    paint(painter);
}

} // namespace tarimo::display
