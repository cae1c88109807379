#include "display/content_view.h"

#include "digit/digit.h"
#include "display/day_switch.h"
#include "display/equalizer.h"
#include "display/glass_overlay.h"
#include "display/painted_parts_accessible.h"
#include "display/panel_colors.h"
#include "display/status_strip.h"
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
    QList<QWidget *> widgetChildren() const override
    {
        return {view()->zoneBar(), view()->daySwitch(), view()->equalizer(), view()->statusStrip()};
    }
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
    // In focus order: the zones, the days, then the chart.
    m_zoneBar = new ZoneBar(viewModel, this);
    m_daySwitch = new DaySwitch(viewModel, this);
    m_equalizer = new Equalizer(viewModel, 0, cellCount, this);
    m_strip = new StatusStrip(viewModel, m_equalizer, this);
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
    auto addKeys = [this](const QString &name, const QList<QKeySequence> &keys, auto &&act) {
        auto *action = new QAction(name, this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, act);
        addAction(action);
        return action;
    };
    for (Zone zone : price::allZones)
        addKeys(price::rawValue(zone), {QKeySequence(Qt::Key_1 + int(zone))}, [this, zone] { m_zoneBar->select(zone); });
    // PageDown shows tomorrow, PageUp and Escape today; + and − make the
    // cheapest run longer and shorter.
    addKeys(tr("Tomorrow"), {QKeySequence(Qt::Key_PageDown)}, [this] { showDay(1); });
    // Only while tomorrow is shown: Escape is no key of the panel otherwise.
    m_todayKeys = addKeys(tr("Today"), {QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::Key_Escape)}, [this] { showDay(0); });
    m_todayKeys->setEnabled(false);
    auto lengthen = [this](int hours) {
        if (m_viewModel)
            m_viewModel->setCheapestRunLength(m_viewModel->cheapestRunLength() + hours);
    };
    // Qt takes the keypad's + and − for these too.
    addKeys(tr("Longer cheapest run"), {QKeySequence(Qt::Key_Plus)}, [lengthen] { lengthen(1); });
    addKeys(tr("Shorter cheapest run"), {QKeySequence(Qt::Key_Minus)}, [lengthen] { lengthen(-1); });

    m_backToToday = new QTimer(this);
    m_backToToday->setObjectName(QStringLiteral("backToToday"));
    m_backToToday->setSingleShot(true);
    // Only runs while tomorrow is shown; a precise minute costs nothing then.
    m_backToToday->setTimerType(Qt::PreciseTimer);
    m_backToToday->setInterval(backToTodayAfter);
    connect(m_backToToday, &QTimer::timeout, this, [this] { showDay(0); });
    connect(m_daySwitch, &DaySwitch::dayChosen, this, &ContentView::showDay);
    for (QWidget *watched : std::initializer_list<QWidget *>{this, m_zoneBar, m_daySwitch, m_equalizer, m_strip})
        watched->installEventFilter(this);
    if (viewModel) {
        // Tomorrow becomes today at midnight; another zone has its own.
        connect(viewModel, &price::ContentViewModel::selectedDayChanged, this, [this] { showDay(0); });
        connect(viewModel, &price::ContentViewModel::selectedZoneChanged, this, [this] {
            if (m_shownDay == 1 && m_viewModel->tomorrow() != price::ContentViewModel::Tomorrow::held)
                showDay(0);
        });
        // The strip follows by itself.
        connect(viewModel, &price::ContentViewModel::tomorrowChanged, m_equalizer, qOverload<>(&QWidget::update));
        connect(viewModel, &price::ContentViewModel::includesVatChanged, this, [this] {
            update();
            m_equalizer->update();
        });
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

QFont ContentView::noteFont() const
{
    QFont font = this->font();
    font.setPixelSize(9);
    return font;
}

QString ContentView::vatNote() const
{
    return m_viewModel && m_viewModel->includesVat() ? tr("incl. VAT") : QString();
}

QRegion ContentView::addedElements() const
{
    // The day labels glow as far as the zones do.
    constexpr int glow = 10;
    QRegion added(m_daySwitch->geometry().adjusted(-glow, -glow, glow, glow));
    added += m_strip->geometry().adjusted(-glow, 0, glow, 0);
    added += m_layout.vatNote.toAlignedRect();
    return added & rect();
}

void ContentView::showDay(int day)
{
    if (day == 1 && m_viewModel) {
        switch (m_viewModel->tomorrow()) {
        case price::ContentViewModel::Tomorrow::beforePublication:
            return;
        case price::ContentViewModel::Tomorrow::held:
            break;
        default:
            // Shown as it arrives; meanwhile the strip says how it goes.
            m_viewModel->fetchTomorrow();
        }
    }
    if (day == 1)
        m_backToToday->start();
    else
        m_backToToday->stop();
    if (day == m_shownDay)
        return;
    m_shownDay = day;
    m_todayKeys->setEnabled(day == 1);
    m_daySwitch->setShownDay(day);
    m_equalizer->setShownDay(day);
    m_strip->setShownDay(day);
}

bool ContentView::eventFilter(QObject *watched, QEvent *event)
{
    // Any input while tomorrow is shown puts off the return to today.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        if (m_backToToday->isActive())
            m_backToToday->start();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
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

    // The zone labels pack to the left; the days, in the same style, to the right.
    qreal x = padding;
    for (Zone zone : price::allZones) {
        const qreal labelWidth = bold.horizontalAdvance(price::rawValue(zone));
        layout.zones[std::size_t(zone)] = QRectF(x, y, labelWidth, bold.height());
        x += labelWidth + stackSpacing;
    }
    x = padding + width;
    for (int day = int(layout.days.size()) - 1; day >= 0; --day) {
        const qreal labelWidth = bold.horizontalAdvance(m_daySwitch->labelText(day));
        x -= labelWidth;
        layout.days[std::size_t(day)] = QRectF(x, y, labelWidth, bold.height());
        x -= stackSpacing;
    }
    const qreal unitTop = y - blockSpacing - regular.height();
    y += bold.height() + blockSpacing;

    layout.equalizer = QRectF(padding, y, width, m_equalizer->sizeHint().height());
    layout.contentHeight = layout.equalizer.bottom() + padding;
    layout.strip = QRectF(padding, layout.equalizer.bottom() + 2, width,
                          panelSize.height() - 4 - (layout.equalizer.bottom() + 2));
    const QFontMetricsF note(noteFont());
    layout.vatNote = QRectF(layout.unit.x() - 20, unitTop - note.height(), layout.unit.width() + 20, note.height());
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
    const QRect days = layout.days.front().united(layout.days.back()).toAlignedRect();
    m_daySwitch->setGeometry(days);
    m_daySwitch->setLabels({layout.days[0].translated(-days.topLeft()), layout.days[1].translated(-days.topLeft())},
                           textFont(true));
    m_strip->setGeometry(layout.strip.toAlignedRect());
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
    // The first frame is the panel of old alone: the day switch and the
    // strip (a font of their own, a label) come a moment after it.
    if (!m_addedShown) {
        m_daySwitch->hide();
        m_strip->hide();
    }
}

void ContentView::paintEvent(QPaintEvent *)
{
    // The load begins from the event loop, after this frame is flushed to
    // the screen.
    if (std::exchange(m_loadAfterPaint, false) && m_viewModel)
        m_viewModel->reload();
    if (!std::exchange(m_addedShown, true)) {
        QTimer::singleShot(0, this, [this] {
            m_daySwitch->show();
            m_strip->show();
        });
    }

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
    if (const QString note = vatNote(); !note.isEmpty()) {
        view_helpers::drawTextWithShadow(painter, m_layout.vatNote, Qt::AlignRight | Qt::AlignBottom, note, noteFont(),
                                         view_helpers::withAlpha(light, 0.8), std::nullopt);
    }
}

} // namespace tarimo::display
