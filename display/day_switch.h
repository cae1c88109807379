#pragma once

#include "display/label_bar.h"

#include <QPointer>

namespace tarimo::price {
class ContentViewModel;
}

namespace tarimo::display {

// Today and tomorrow, at the right end of the zone row: the day the chart
// shows glows. Tomorrow is dim until its prices are held, and cannot be
// chosen before they are published.
class DaySwitch : public LabelBar
{
    Q_OBJECT

public:
    enum Day { today, tomorrow };

    explicit DaySwitch(price::ContentViewModel *viewModel, QWidget *parent = nullptr);

    // The day the chart shows.
    int shownDay() const { return m_shownDay; }
    void setShownDay(int day);

    // Where tomorrow's prices stand while they are not held ("Fetching
    // tomorrow's prices…"); empty once they are. The tomorrow label's
    // tooltip and the strip say the same.
    static QString tomorrowStatus(const price::ContentViewModel &viewModel);

    QString labelText(int index) const override;
    QString labelName(int index) const override;
    QString labelDescription(int index) const override;
    QString groupName() const override;
    int chosenLabel() const override { return m_shownDay; }
    bool isLabelEnabled(int index) const override;
    bool isLabelDim(int index) const override;
    void choose(int index) override;

Q_SIGNALS:
    // A person chose the day.
    void dayChosen(int day);

private:
    QPointer<price::ContentViewModel> m_viewModel;
    int m_shownDay = today;
};

} // namespace tarimo::display
