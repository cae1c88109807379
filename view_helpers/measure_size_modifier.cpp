#include "view_helpers/measure_size_modifier.h"

#include <QEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QWidget>

namespace tarimo::view_helpers {

MeasureSizeModifier::MeasureSizeModifier(QWidget *widget, Callback onChange)
    : QObject(widget)
    , onChange(std::move(onChange))
    , m_widget(widget)
{
    widget->installEventFilter(this);
}

bool MeasureSizeModifier::eventFilter(QObject *watched, QEvent *event)
{
    // A shown widget gets its resize events from inside layout; a hidden one
    // gets the pending one when it is shown. Either way, report later.
    if (watched == m_widget && event->type() == QEvent::Resize) {
        const QSizeF size = static_cast<QResizeEvent *>(event)->size();
        QTimer::singleShot(0, this, [this, size] {
            if (onChange)
                onChange(size);
        });
    }
    return QObject::eventFilter(watched, event);
}

MeasureSizeModifier *measureSize(QWidget *widget, MeasureSizeModifier::Callback onChange)
{
    return new MeasureSizeModifier(widget, std::move(onChange));
}

} // namespace tarimo::view_helpers
