#include "display/content_view.h"

#include "digit/digit.h"
#include "display/equalizer.h"
#include "display/glass_overlay.h"
#include "display/painted_parts_accessible.h"
#include "display/panel_colors.h"
#include "display/zone_bar.h"
#include "price/content_view_model.h"
#include "view_helpers/color.h"
#include "view_helpers/shadow.h"

#include <QAction>
#include <QCoro/QCoroTask>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>
#include <QToolTip>

#include <utility>

namespace tarimo::display {

using price::Zone;
using view_helpers::withAlpha;
using view_helpers::Shadow;

const QColor ContentView::backdropColor(0x3a, 0x3d, 0x42);

namespace {

Shadow textGlow()
{
    return Shadow::glow(panel_colors::light(), 0.7, 5);
}

// The first line of an error, cut to a length that fits a tooltip.
QString shortError(const QString &error)
{
    constexpr qsizetype longest = 60;
    const QString line = error.section(u'\n', 0, 0).trimmed();
    return line.size() <= longest ? line : line.left(longest - 1).trimmed() + u'…';
}

enum Part { pricePart, datePart, partCount };

// The panel as a screen reader reads it: the price, the date line, the
// zones and the chart.
class PanelAccessible : public PaintedPartsAccessible
{
public:
    explicit PanelAccessible(ContentView *view)
        : PaintedPartsAccessible(view, QAccessible::Grouping)
    {}

    ContentView *view() const { return static_cast<ContentView *>(widget()); }

    int partCount() const override { return Part::partCount; }
    QAccessible::Role partRole(int) const override { return QAccessible::StaticText; }
    QString partText(int part, QAccessible::Text text) const override
    {
        if (part == datePart)
            return text == QAccessible::Name ? view()->spokenDate() : QString();
        switch (text) {
        case QAccessible::Name:
            return ContentView::tr("Spot price");
        case QAccessible::Value:
            return view()->spokenPrice();
        case QAccessible::Description:
            return view()->priceStatus();
        default:
            return {};
        }
    }
    QRect partRect(int part) const override
    {
        const auto &layout = view()->panelLayout();
        return (part == datePart ? layout.header : layout.digitRow()).toAlignedRect();
    }
    QVariant partValue(int part) const override
    {
        return part == pricePart ? view()->priceInOre() : QVariant();
    }
    std::optional<QString> partContent(int part) const override
    {
        return part == pricePart ? view()->spokenPrice() : view()->spokenDate();
    }
    QList<QWidget *> widgetChildren() const override { return {view()->zoneBar(), view()->equalizer()}; }
};

} // namespace

ContentView::ContentView(price::ContentViewModel *viewModel, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
{
    installAccessibleFactoryOnce<PanelAccessible, ContentView>();
    setFixedSize(panelSize);
    setAttribute(Qt::WA_NoSystemBackground);

    const qreal thickness = panelSize.width() * 0.02;
    for (auto &digit : m_digits) {
        digit = new digit::Digit(thickness, m_distance, price::DigitModel::blankDigit,
                                 withAlpha(Qt::black, 0.052), withAlpha(panel_colors::red(), 0.95), true,
                                 this);
    }
    // In focus order: the zones, then the chart.
    m_zoneBar = new ZoneBar(viewModel, this);
    m_equalizer = new Equalizer(viewModel, 0, cellCount, this);
    m_glass = new GlassOverlay(this);
    m_glass->setGeometry(rect());
    m_glass->raise();

    if (viewModel) {
        connect(viewModel, &price::ContentViewModel::spotPriceChanged, this, &ContentView::showDigits);
        // The date line, the zones and the chart follow every other change.
        for (auto signal : {&price::ContentViewModel::stateChanged, &price::ContentViewModel::responseChanged}) {
            connect(viewModel, signal, this, [this] {
                update();
                m_equalizer->update();
            });
        }
        connect(viewModel, &price::ContentViewModel::stateChanged, this, [this] {
            PaintedPartsAccessible::notify(this, pricePart, QAccessible::DescriptionChanged);
            announcePrice();
        });
    }

    // Keys 1 to 4 choose SE1 to SE4 from anywhere in the window.
    for (Zone zone : price::allZones) {
        auto *choose = new QAction(price::rawValue(zone), this);
        choose->setShortcut(QKeySequence(Qt::Key_1 + int(zone)));
        choose->setShortcutContext(Qt::WindowShortcut);
        connect(choose, &QAction::triggered, m_zoneBar, [this, zone] { m_zoneBar->select(zone); });
        addAction(choose);
    }
    relayout();
    showDigits();
}

void ContentView::setDistance(qreal distance)
{
    m_distance = distance;
    for (auto *digit : m_digits)
        digit->setDistance(distance);
}

void ContentView::setFontSize(double fontSize)
{
    m_fontSize = fontSize;
    relayout();
    update();
}

QFont ContentView::textFont(bool bold) const
{
    QFont font = this->font();
    font.setPixelSize(qRound(m_fontSize));
    font.setBold(bold);
    return font;
}

QString ContentView::headerTitle() const
{
    return tr("Spot price").toUpper();
}

QString ContentView::headerDate() const
{
    return m_viewModel ? m_viewModel->dateText().toUpper() : QString();
}

QString ContentView::unitText() const
{
    return tr("öre / kwh");
}

QString ContentView::priceStatus() const
{
    if (!m_viewModel)
        return {};
    switch (m_viewModel->state()) {
    case price::ContentViewModel::State::notLoaded:
    case price::ContentViewModel::State::loading:
        return tr("Loading prices…");
    case price::ContentViewModel::State::error:
        return tr("No prices: %1 — trying again in %2 min")
            .arg(shortError(m_viewModel->lastError()))
            .arg(std::max(1, m_viewModel->ticksUntilRetry()));
    case price::ContentViewModel::State::loaded:
        break;
    }
    return {};
}

void ContentView::relayout()
{
    const QFontMetricsF regular(textFont(false));
    const QFontMetricsF bold(textFont(true));
    const qreal width = panelSize.width() - 2 * padding;
    Layout layout;

    qreal y = padding;
    layout.header = QRectF(padding, y, width, regular.height());
    y = layout.header.bottom() + blockSpacing;

    // The unit takes its natural width; the five digits share the rest.
    const qreal unitWidth = regular.horizontalAdvance(unitText());
    const qreal digitWidth = (width - unitWidth - 5 * digitSpacing) / 5;
    for (int i = 0; i < 5; ++i)
        layout.digits[std::size_t(i)] = QRectF(padding + i * (digitWidth + digitSpacing), y, digitWidth, digitRowHeight);
    layout.unit = QRectF(layout.digits[4].right() + digitSpacing, y + digitRowHeight - regular.height(), unitWidth,
                         regular.height());
    y += digitRowHeight + blockSpacing;

    // The zone labels pack to the left.
    qreal x = padding;
    for (Zone zone : price::allZones) {
        const qreal labelWidth = bold.horizontalAdvance(price::rawValue(zone));
        layout.zones[std::size_t(zone)] = QRectF(x, y, labelWidth, bold.height());
        x += labelWidth + stackSpacing;
    }
    y += bold.height() + blockSpacing;

    layout.equalizer = QRectF(padding, y, width, m_equalizer->sizeHint().height());
    layout.contentHeight = layout.equalizer.bottom() + padding;
    m_layout = layout;

    for (std::size_t i = 0; i < m_digits.size(); ++i)
        m_digits[i]->setGeometry(layout.digits[i].toRect());
    m_equalizer->setGeometry(layout.equalizer.toRect());
    QRectF zoneRow;
    for (const QRectF &label : layout.zones)
        zoneRow |= label;
    const QRect bar = zoneRow.toAlignedRect();
    std::array<QRectF, 4> labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = layout.zones[i].translated(-bar.topLeft());
    m_zoneBar->setGeometry(bar);
    m_zoneBar->setLabels(labels, textFont(true));
    m_glass->setContentHeight(layout.contentHeight);
}

void ContentView::showDigits()
{
    if (!m_viewModel)
        return;
    const auto &price = m_viewModel->spotPrice();
    const std::array<qint64, 5> codes{price.digitOne, price.digitTwo, price.digitThree, price.digitFour,
                                      price.digitFive};
    for (std::size_t i = 0; i < codes.size(); ++i) {
        // Codes outside the digit's table show blank.
        const qint64 code = codes[i];
        m_digits[i]->setValue(code >= 0 && code <= price::DigitModel::blankDigit ? int(code)
                                                                                 : int(price::DigitModel::blankDigit));
    }
    // A new price comes with a new zone or hour: the texts follow.
    update();
    m_equalizer->update();
    announcePrice();
}

void ContentView::announcePrice()
{
    // Once per change of what a screen reader would read: as a new value,
    // and as new text for those that follow a label's text.
    const QString spoken = spokenPrice();
    const QString previous = std::exchange(m_spokenPrice, spoken);
    if (spoken == previous)
        return;
    if (QAccessibleInterface *part = PaintedPartsAccessible::listeningPart(this, pricePart)) {
        QAccessibleValueChangeEvent value(part, spoken);
        QAccessible::updateAccessibility(&value);
        QAccessibleTextUpdateEvent text(part, 0, previous, spoken);
        QAccessible::updateAccessibility(&text);
    }
}

QVariant ContentView::priceInOre() const
{
    // After a failed load the digits may still show the last price, which
    // nothing vouches for any more.
    if (!m_viewModel || m_viewModel->state() == price::ContentViewModel::State::error)
        return {};
    // The number the digits show, read back from them.
    QString shown;
    for (const digit::Digit *digit : m_digits) {
        if (digit->value() == price::DigitModel::minusDigit)
            shown += u'-';
        else if (digit->value() >= 0 && digit->value() <= 9)
            shown += QChar(u'0' + digit->value());
    }
    bool isNumber = false;
    const qlonglong ore = shown.toLongLong(&isNumber);
    return isNumber ? QVariant(ore) : QVariant();
}

QString ContentView::spokenPrice() const
{
    if (m_viewModel && m_viewModel->state() == price::ContentViewModel::State::error)
        return tr("No price: %1").arg(shortError(m_viewModel->lastError()));
    const QVariant ore = priceInOre();
    return ore.isValid() ? tr("%1 öre per kWh").arg(ore.toLongLong()) : QString();
}

QString ContentView::spokenDate() const
{
    return m_viewModel ? m_viewModel->dateText() : QString();
}

bool ContentView::event(QEvent *event)
{
    // The digits stay blank whether prices are loading or failed to come:
    // their tooltip tells which.
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QRectF digits = m_layout.digitRow();
        const QString status = priceStatus();
        if (digits.contains(help->pos()) && !status.isEmpty()) {
            QToolTip::showText(help->globalPos(), status, this, digits.toAlignedRect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void ContentView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Each time the panel comes on screen it loads; a window restored by the
    // desktop is not a new showing. The load starts once the panel is
    // painted: the first request sets up the network and TLS stack, and the
    // first frame should not wait for that.
    if (!event->spontaneous() && m_viewModel)
        m_loadAfterPaint = true;
}

void ContentView::paintEvent(QPaintEvent *)
{
    // The load begins from the event loop, after this frame is flushed to
    // the screen.
    if (std::exchange(m_loadAfterPaint, false) && m_viewModel)
        m_viewModel->reload();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QColor light = panel_colors::light();
    const QFont regular = textFont(false);
    view_helpers::drawTextWithShadow(painter, m_layout.header, Qt::AlignLeft | Qt::AlignVCenter, headerTitle(),
                                     regular, light, textGlow());
    view_helpers::drawTextWithShadow(painter, m_layout.header, Qt::AlignRight | Qt::AlignVCenter, headerDate(),
                                     regular, light, textGlow());
    view_helpers::drawTextWithShadow(painter, m_layout.unit, Qt::AlignLeft | Qt::AlignBottom, unitText(), regular,
                                     light, std::nullopt);
}

} // namespace tarimo::display
