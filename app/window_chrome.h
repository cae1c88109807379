#pragma once

#include <QObject>
#include <QPoint>

#include <functional>
#include <optional>

class QWidget;

namespace tarimo::app {

class WindowControlButton;

// What a title bar would give a window that has none: close and minimise
// controls over its top-left corner, shown while the pointer is over the
// window or a control has the keyboard focus, and moving the window by
// dragging its background, the point pressed staying under the pointer.
class WindowChrome : public QObject
{
    Q_OBJECT

public:
    // The controls sit inside the top 16 points, left of x 34: the margin
    // around the window's content.
    static constexpr QPoint closePosition{2, 1};
    static constexpr QPoint minimisePosition{19, 1};

    // `close` runs for the close control; minimise minimises the window.
    WindowChrome(QWidget *window, const QString &closeName, std::function<void()> close);

    WindowControlButton *closeButton() const { return m_close; }
    WindowControlButton *minimiseButton() const { return m_minimise; }

Q_SIGNALS:
    // A drag has begun to move the window.
    void moveStarted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateControls();

    QWidget *m_window;
    WindowControlButton *m_close = nullptr;
    WindowControlButton *m_minimise = nullptr;
    bool m_hovered = false;
    // Where the left button went down on the background, while it is held,
    // and where the window was then.
    std::optional<QPoint> m_pressedAt;
    QPoint m_windowAtPress;
    // A drag is moving the window.
    bool m_dragging = false;
};

} // namespace tarimo::app
