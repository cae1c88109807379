#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

class QWidget;

namespace tarimo::app {

// What a title bar would give a window that has none: moving the window by
// dragging its background.
class WindowChrome : public QObject
{
    Q_OBJECT

public:
    explicit WindowChrome(QWidget *window);

Q_SIGNALS:
    // The window has been handed to the window manager to be moved.
    void moveStarted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    // Where the left button went down on the background, while it is held.
    std::optional<QPoint> m_pressedAt;
};

} // namespace tarimo::app
