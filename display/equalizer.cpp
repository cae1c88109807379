#include "display/equalizer.h"

#include "price/content_view_model.h"
#include "view_helpers/color.h"
#include "view_helpers/overhang_effect.h"
#include "view_helpers/shadow.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace tarimo::display {

using view_helpers::colorFromHex;
using view_helpers::Shadow;

namespace {

qreal overhangFor()
{
    return view_helpers::shadowExtent(Equalizer::glowRadius);
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(float(opacity));
    return color;
}

} // namespace

Equalizer::Equalizer(price::ContentViewModel *viewModel, int firstCell, int endCell, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_firstCell(firstCell)
    , m_endCell(endCell)
{
    setAttribute(Qt::WA_NoSystemBackground);
    // The glow of the outer columns reaches past the chart's edges.
    const qreal overhang = overhangFor();
    m_effect = new view_helpers::OverhangEffect(QMarginsF(overhang, overhang, overhang, overhang),
                                                [this](QPainter &painter) { paint(painter); }, this);
    setGraphicsEffect(m_effect);
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
    // A level that is not a number (all prices equal) lights nothing.
    const double upper = m_endCell;
    return level && (upper - cell) / upper <= *level;
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
    const QDateTime now = m_viewModel ? m_viewModel->now() : QDateTime::currentDateTime();
    return now.toLocalTime().time().hour();
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
    key.size = size();
    key.ratio = painter.device() ? painter.device()->devicePixelRatioF() : devicePixelRatioF();
    // The chart changes once an hour at most: draw it once, then reuse it.
    if (!m_cacheKey || !(*m_cacheKey == key)) {
        m_cache = render(key);
        m_cacheKey = std::move(key);
    }
    const qreal overhang = overhangFor();
    painter.drawImage(QPointF(-overhang, -overhang), m_cache);
}

QImage Equalizer::render(const CacheKey &key) const
{
    const qreal overhang = overhangFor();
    const QSizeF logical = QSizeF(key.size).grownBy(QMarginsF(overhang, overhang, overhang, overhang));
    QImage image((logical * key.ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(key.ratio);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(overhang, overhang);

    const QColor litColor = withOpacity(colorFromHex(u"ff0000"), 0.9);
    const Shadow litGlow = Shadow::glow(colorFromHex(u"ff0000"), 1.0, glowRadius);
    const QColor unlitColor = colorFromHex(u"000000");
    const QColor labelColor = colorFromHex(u"aaaaaa");
    const QColor currentColor = colorFromHex(u"ffffff");
    const Shadow currentGlow = Shadow::glow(Qt::white, 0.7, 5);

    for (int hour = 0; hour < hourCount; ++hour) {
        // The lit cells are the bottom ones: (U - j) / U falls as j grows.
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
    return image;
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

void Equalizer::paintEvent(QPaintEvent *)
{
    // Only reached without the overhang effect: the glow stops at the edges.
    QPainter painter(this);
    paint(painter);
}

} // namespace tarimo::display
