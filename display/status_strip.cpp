#include "display/status_strip.h"

#include "display/day_switch.h"
#include "display/equalizer.h"
#include "display/panel_colors.h"
#include "price/content_view_model.h"
#include "view_helpers/color.h"
#include "view_helpers/shadow.h"

#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

namespace tarimo::display {

using price::ContentViewModel;
using Tomorrow = ContentViewModel::Tomorrow;

namespace {

QString twoDigitHour(const QDateTime &instant)
{
    return instant.toLocalTime().toString(QStringLiteral("HH"));
}

} // namespace

StatusStrip::StatusStrip(ContentViewModel *viewModel, Equalizer *chart, QWidget *parent)
    : QLabel(parent)
    , m_viewModel(viewModel)
    , m_chart(chart)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContentsMargins(0, textTop, 0, 0);
    setTextFormat(Qt::PlainText);
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, view_helpers::withAlpha(panel_colors::light(), 0.85));
    setPalette(palette);
    if (viewModel) {
        for (auto signal : {&ContentViewModel::stateChanged, &ContentViewModel::responseChanged,
                            &ContentViewModel::tomorrowChanged, &ContentViewModel::cheapestRunChanged,
                            &ContentViewModel::includesVatChanged, &ContentViewModel::selectedZoneChanged}) {
            connect(viewModel, signal, this, &StatusStrip::refresh);
        }
    }
    refresh();
}

void StatusStrip::setShownDay(int day)
{
    m_shownDay = day;
    refresh();
}

QString StatusStrip::ore(double kronor) const
{
    const auto shown = m_viewModel->shownOre(kronor);
    return shown ? QString::number(*shown) : QStringLiteral("–");
}

QString StatusStrip::daySummary(int day) const
{
    const price::PriceDay *held = m_viewModel->heldDay(day);
    if (!held || !held->summary())
        return day == 0 ? tr("No prices for this day") : tr("No prices for tomorrow");
    const auto &summary = *held->summary();
    const auto &hours = held->hours();
    const price::SpotPriceModel &lowest = hours[summary.lowest];
    const price::SpotPriceModel &highest = hours[summary.highest];
    const QString text = day == 1 ? tr("Tomorrow: lowest %1 öre at %2, mean %3, highest %4 at %5")
                         : held->isFromSavedCopy() ? tr("Saved prices: lowest %1 öre at %2, mean %3, highest %4 at %5")
                                                   : tr("Today: lowest %1 öre at %2, mean %3, highest %4 at %5");
    return text.arg(ore(*lowest.spotPriceSEK), twoDigitHour(*lowest.timeStart), ore(summary.mean),
                    ore(*highest.spotPriceSEK), twoDigitHour(*highest.timeStart));
}

QString StatusStrip::summaryLine() const
{
    if (!m_viewModel)
        return {};
    if (m_shownDay == 1) {
        const QString status = DaySwitch::tomorrowStatus(*m_viewModel);
        return status.isEmpty() ? daySummary(1) : status;
    }
    // The minute nearest the retry: the tick that makes it runs late by a
    // little or early by nothing.
    const QString retry = m_viewModel->nextRetry().addSecs(30).toLocalTime().toString(QStringLiteral("HH:mm"));
    switch (m_viewModel->state()) {
    case ContentViewModel::State::notLoaded:
    case ContentViewModel::State::loading:
        return tr("Loading prices…");
    case ContentViewModel::State::error:
        switch (m_viewModel->lastFailure()) {
        case ContentViewModel::Failure::noConnection:
            return tr("No connection · tries again at %1").arg(retry);
        case ContentViewModel::Failure::noPrices:
            return tr("The service has no prices for this day · tries again at %1").arg(retry);
        default:
            return tr("The prices could not be read · tries again at %1").arg(retry);
        }
    case ContentViewModel::State::loaded:
        break;
    }
    return daySummary(0);
}

QString StatusStrip::runLine() const
{
    const auto &run = m_viewModel ? m_viewModel->cheapestRun() : std::nullopt;
    if (!run)
        return {};
    const QDate today = m_viewModel->selectedDate().toLocalTime().date();
    const QDate first = run->start.toLocalTime().date();
    const QDate last = run->end.addMSecs(-1).toLocalTime().date();
    const QString when = first != last ? tr("today to tomorrow") : first == today ? tr("today") : tr("tomorrow");
    return tr("Cheapest %1 h: %2–%3 %4, mean %5 öre")
        .arg(run->length)
        .arg(twoDigitHour(run->start), twoDigitHour(run->end), when, ore(run->meanPrice));
}

void StatusStrip::refresh()
{
    const QString line = runLine();
    const QString text = line.isEmpty() ? summaryLine() : summaryLine() + u'\n' + line;
    // Unchanged text is not set again: no repaint, no news for screen readers.
    if (text != this->text())
        setText(text);
    QString why;
    if (m_viewModel && m_shownDay == 0 && m_viewModel->state() == ContentViewModel::State::error)
        why = m_viewModel->lastError();
    else if (m_viewModel && m_shownDay == 1 && m_viewModel->tomorrow() == Tomorrow::unreachable)
        why = m_viewModel->tomorrowError();
    if (why != toolTip())
        setToolTip(why);

    const auto &run = m_viewModel ? m_viewModel->cheapestRun() : std::nullopt;
    const QList<int> marked = run && m_chart ? m_chart->columnsBetween(run->start, run->end) : QList<int>();
    if (marked != m_marked) {
        m_marked = marked;
        update();
    }
}

void StatusStrip::paintEvent(QPaintEvent *event)
{
    if (m_chart && !m_marked.isEmpty()) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor mark = panel_colors::cheapRun();
        const qreal dx = m_chart->x() - x();
        for (int column : std::as_const(m_marked)) {
            const QRectF columnRect = m_chart->columnRect(column);
            QPainterPath path;
            path.addRoundedRect(QRectF(columnRect.x() + dx, 1, columnRect.width(), markHeight), 1, 1);
            view_helpers::fillPathWithShadow(painter, path, mark, view_helpers::Shadow::glow(mark, 0.8, 4));
        }
    }
    QLabel::paintEvent(event);
}

void StatusStrip::wheelEvent(QWheelEvent *event)
{
    if (!m_viewModel) {
        event->ignore();
        return;
    }
    // One step per notch; a touchpad's small turns add up to one.
    m_wheel += event->angleDelta().y();
    const int steps = m_wheel / QWheelEvent::DefaultDeltasPerStep;
    m_wheel -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        m_viewModel->setCheapestRunLength(m_viewModel->cheapestRunLength() + steps);
    event->accept();
}

} // namespace tarimo::display
