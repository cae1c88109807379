#pragma once

#include <QObject>
#include <QPointer>
#include <QSizeF>

#include <functional>

class QWidget;

namespace tarimo::view_helpers {

// Reports a widget's size after each layout. The widget is drawn unchanged.
//
// Every resize of the widget queues one call of `onChange` with the new size
// to the event loop, so the callback never runs inside the layout pass that
// produced the size and may safely change what is shown. Sizes are not
// compared with earlier ones: the same size may arrive more than once.
class MeasureSizeModifier : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(QSizeF)>;

    // Watches `widget` and is owned by it.
    MeasureSizeModifier(QWidget *widget, Callback onChange);

    Callback onChange;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_widget;
};

// Applies a MeasureSizeModifier to `widget`; the widget owns it.
MeasureSizeModifier *measureSize(QWidget *widget, MeasureSizeModifier::Callback onChange);

} // namespace tarimo::view_helpers
