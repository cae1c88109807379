#pragma once

#include "display/keyboard_focus.h"
#include "display/painted_parts_accessible.h"

#include <QFont>
#include <QWidget>

#include <optional>
#include <vector>

namespace tarimo::view_helpers {
class OverhangEffect;
}

namespace tarimo::display {

// A row of painted labels of which one is chosen, the chosen one glowing
// (the zones, the days). A click on a label chooses it. From the keyboard
// the row is one stop in the focus chain: Left and Right move between the
// labels, Space or Enter chooses. Screen readers see a group of radio
// buttons. What the labels are and what choosing does, a subclass says.
class LabelBar : public QWidget
{
    Q_OBJECT

public:
    // Where the labels go, in the bar's coordinates, and their font.
    void setLabels(std::vector<QRectF> rects, const QFont &font);
    int labelCount() const { return int(m_labels.size()); }
    QRectF labelRect(int index) const;
    std::optional<int> labelAt(QPointF position) const;
    // The label the keyboard is on.
    int currentLabel() const { return m_current; }
    bool isFocusShown() const { return m_focus.isShown(this); }

    // The text drawn, the name and description a screen reader reads, and
    // the tooltip (by default the description).
    virtual QString labelText(int index) const = 0;
    virtual QString labelName(int index) const = 0;
    virtual QString labelDescription(int index) const = 0;
    virtual QString labelToolTip(int index) const { return labelDescription(index); }
    // What the group of labels is about, for screen readers.
    virtual QString groupName() const = 0;
    virtual int chosenLabel() const = 0;
    // A label that cannot be chosen now is drawn dim and ignores clicks.
    virtual bool isLabelEnabled(int) const { return true; }
    // Drawn dim though it can be chosen: what it stands for is not at hand.
    virtual bool isLabelDim(int index) const { return !isLabelEnabled(index); }
    virtual void choose(int index) = 0;

    // Draws the labels in bar coordinates; glows reach past the edges.
    void paint(QPainter &painter);

protected:
    explicit LabelBar(QWidget *parent = nullptr);

    // Call when chosenLabel() or what the labels say has changed.
    void chosenChanged();

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void setCurrent(int index);

    std::vector<QRectF> m_labels;
    QFont m_font;
    view_helpers::OverhangEffect *m_effect = nullptr;
    std::optional<int> m_pressed;
    int m_current = 0;
    // The label drawn as chosen, to tell what changed.
    std::optional<int> m_shown;
    KeyboardFocus m_focus;
};

// What a screen reader sees of a label bar: a group named by the bar, of
// radio buttons that say whether they are chosen and can be chosen.
class LabelBarAccessible : public PaintedPartsAccessible
{
public:
    explicit LabelBarAccessible(LabelBar *bar);

    LabelBar *bar() const;
    QString text(QAccessible::Text t) const override;
    int partCount() const override;
    QAccessible::Role partRole(int part) const override;
    QString partText(int part, QAccessible::Text text) const override;
    QAccessible::State partState(int part) const override;
    QRect partRect(int part) const override;
    int focusedPart() const override;
    bool isPressable(int part) const override;
    void pressPart(int part) override;
};

} // namespace tarimo::display
