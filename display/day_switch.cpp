#include "display/day_switch.h"

#include "price/content_view_model.h"

namespace tarimo::display {

using Tomorrow = price::ContentViewModel::Tomorrow;

DaySwitch::DaySwitch(price::ContentViewModel *viewModel, QWidget *parent)
    : LabelBar(parent)
    , m_viewModel(viewModel)
{
    installAccessibleFactoryOnce<LabelBarAccessible, DaySwitch>();
    if (viewModel)
        connect(viewModel, &price::ContentViewModel::tomorrowChanged, this, &DaySwitch::chosenChanged);
    chosenChanged();
}

void DaySwitch::setShownDay(int day)
{
    if (day == m_shownDay)
        return;
    m_shownDay = day;
    chosenChanged();
}

QString DaySwitch::labelText(int index) const
{
    return labelName(index).toUpper();
}

QString DaySwitch::labelName(int index) const
{
    return index == today ? tr("Today") : tr("Tomorrow");
}

QString DaySwitch::labelDescription(int index) const
{
    if (index == today)
        return tr("Today's prices in the chart");
    if (!m_viewModel)
        return {};
    const QString status = tomorrowStatus(*m_viewModel);
    return status.isEmpty() ? tr("Tomorrow's prices in the chart") : status;
}

QString DaySwitch::tomorrowStatus(const price::ContentViewModel &viewModel)
{
    const QString nextTry = viewModel.nextTomorrowTry().toLocalTime().toString(QStringLiteral("HH:mm"));
    switch (viewModel.tomorrow()) {
    case Tomorrow::beforePublication:
        return tr("Tomorrow's prices come around %1:00").arg(price::ContentViewModel::publicationHour);
    case Tomorrow::notHeld:
        return tr("Tomorrow's prices are out: choose to fetch them");
    case Tomorrow::fetching:
        return tr("Fetching tomorrow's prices…");
    case Tomorrow::notPublished:
        return tr("Tomorrow's prices are not published yet · next try at %1").arg(nextTry);
    case Tomorrow::unreachable:
        return tr("No connection for tomorrow's prices · next try at %1").arg(nextTry);
    case Tomorrow::held:
        break;
    }
    return {};
}

QString DaySwitch::groupName() const
{
    return tr("Day");
}

bool DaySwitch::isLabelEnabled(int index) const
{
    return index == today || (m_viewModel && m_viewModel->tomorrow() != Tomorrow::beforePublication);
}

bool DaySwitch::isLabelDim(int index) const
{
    return index == tomorrow && (!m_viewModel || m_viewModel->tomorrow() != Tomorrow::held);
}

void DaySwitch::choose(int index)
{
    Q_EMIT dayChosen(index);
}

} // namespace tarimo::display
