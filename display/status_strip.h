#pragma once

#include <QLabel>
#include <QList>
#include <QPointer>

namespace tarimo::price {
class ContentViewModel;
}

namespace tarimo::display {

class Equalizer;

// The strip under the chart says in words what the panel shows: the day at a
// glance and the cheapest run of hours, or, when there is no price, what the
// program is doing about it (its tooltip gives the technical reason). Marks
// along its top edge, under the chart's columns, show the cheapest run. The
// mouse wheel over it makes the run longer or shorter. Screen readers read
// it as a label.
class StatusStrip : public QLabel
{
    Q_OBJECT

public:
    static constexpr int markHeight = 2;
    static constexpr int textTop = 5;

    StatusStrip(price::ContentViewModel *viewModel, Equalizer *chart, QWidget *parent = nullptr);

    // The day the chart shows, 0 today or 1 tomorrow: the summary is of it.
    void setShownDay(int day);

    // The first line: the day at a glance, or what the program is doing.
    QString summaryLine() const;
    // The second: the cheapest run, or nothing when there is none.
    QString runLine() const;
    // The chart's columns that the cheapest run covers.
    QList<int> markedColumns() const { return m_marked; }

public Q_SLOTS:
    // Says again what the view model holds; repaints only what changed.
    void refresh();

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QString ore(double kronor) const;
    QString daySummary(int day) const;

    QPointer<price::ContentViewModel> m_viewModel;
    QPointer<Equalizer> m_chart;
    int m_shownDay = 0;
    QList<int> m_marked;
    // Angle the wheel has turned that has not yet made a step.
    int m_wheel = 0;
};

} // namespace tarimo::display
