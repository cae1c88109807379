#pragma once

#include <QAbstractButton>

namespace tarimo::app {

// A small round close or minimise control for a window without a title bar,
// drawn in the panel's own colours. It draws nothing until it is revealed,
// but stays in place: a hidden control keeps its spot in the focus chain.
// A click never gives it focus; Tab does, and then it shows a ring.
class WindowControlButton : public QAbstractButton
{
    Q_OBJECT

public:
    enum class Kind { close, minimise };

    static constexpr int extent = 14;

    WindowControlButton(Kind kind, const QString &name, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    bool isRevealed() const { return m_revealed; }
    void setRevealed(bool revealed);
    // Focus that came from the keyboard, not from the window being activated.
    bool hasKeyboardFocus() const { return hasFocus() && m_keyboardFocus; }

    QSize sizeHint() const override { return {extent, extent}; }

Q_SIGNALS:
    void keyboardFocusChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Kind m_kind;
    bool m_revealed = false;
    bool m_keyboardFocus = false;
};

} // namespace tarimo::app
