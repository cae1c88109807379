#pragma once

#include <QRectF>

class QFocusEvent;
class QPainter;
class QWidget;

namespace tarimo::display {

// Whether a widget shows where its focus is: once the keyboard is used,
// never after a click, and not merely because its window became active.
class KeyboardFocus
{
public:
    // Call from the widget's focusInEvent.
    void focusIn(const QFocusEvent *event);
    void keyUsed() { m_shown = true; }
    void mouseUsed() { m_shown = false; }
    bool isShown(const QWidget *widget) const;

    // A thin outline around `rect`, in the panel's light text colour.
    static void drawOutline(QPainter &painter, const QRectF &rect);

private:
    bool m_shown = false;
};

} // namespace tarimo::display
