#include "display/label_bar.h"

#include "display/painted_parts_accessible.h"
#include "display/panel_colors.h"
#include "view_helpers/overhang_effect.h"
#include "view_helpers/shadow.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <utility>

namespace tarimo::display {

namespace {

// Room for the glow of the chosen label and the focus outline.
constexpr qreal overhang = 10;

QRectF outlineRect(const QRectF &label)
{
    return label.adjusted(-3, -1, 3, 1);
}

void sendStateChange(LabelBar *bar, int index)
{
    if (QAccessibleInterface *part = PaintedPartsAccessible::listeningPart(bar, index)) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(part, changed);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace

LabelBarAccessible::LabelBarAccessible(LabelBar *bar)
    : PaintedPartsAccessible(bar, QAccessible::Grouping)
{}

LabelBar *LabelBarAccessible::bar() const
{
    return static_cast<LabelBar *>(widget());
}

QString LabelBarAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return bar()->groupName();
    return PaintedPartsAccessible::text(t);
}

int LabelBarAccessible::partCount() const
{
    return bar()->labelCount();
}

QAccessible::Role LabelBarAccessible::partRole(int) const
{
    return QAccessible::RadioButton;
}

QString LabelBarAccessible::partText(int part, QAccessible::Text text) const
{
    if (text == QAccessible::Name)
        return bar()->labelName(part);
    if (text == QAccessible::Description)
        return bar()->labelDescription(part);
    return {};
}

QAccessible::State LabelBarAccessible::partState(int part) const
{
    QAccessible::State state = PaintedPartsAccessible::partState(part);
    state.focusable = true;
    state.checkable = true;
    state.checked = bar()->chosenLabel() == part;
    state.disabled = !bar()->isLabelEnabled(part);
    return state;
}

QRect LabelBarAccessible::partRect(int part) const
{
    return bar()->labelRect(part).toAlignedRect();
}

int LabelBarAccessible::focusedPart() const
{
    return bar()->currentLabel();
}

bool LabelBarAccessible::isPressable(int part) const
{
    return bar()->isLabelEnabled(part);
}

void LabelBarAccessible::pressPart(int part)
{
    if (bar()->isLabelEnabled(part))
        bar()->choose(part);
}

LabelBar::LabelBar(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_effect = new view_helpers::OverhangEffect(QMarginsF(overhang, overhang, overhang, overhang),
                                                [this](QPainter &painter) { paint(painter); }, this);
    setGraphicsEffect(m_effect);
}

void LabelBar::setLabels(std::vector<QRectF> rects, const QFont &font)
{
    m_labels = std::move(rects);
    m_font = font;
    update();
}

QRectF LabelBar::labelRect(int index) const
{
    return index >= 0 && index < labelCount() ? m_labels[std::size_t(index)] : QRectF();
}

std::optional<int> LabelBar::labelAt(QPointF position) const
{
    for (int i = 0; i < labelCount(); ++i) {
        if (labelRect(i).contains(position))
            return i;
    }
    return std::nullopt;
}

void LabelBar::chosenChanged()
{
    const int chosen = chosenLabel();
    const std::optional<int> previous = std::exchange(m_shown, chosen);
    m_current = chosen;
    update();
    if (previous && previous != chosen) {
        sendStateChange(this, *previous);
        sendStateChange(this, chosen);
    }
}

void LabelBar::setCurrent(int index)
{
    m_current = index;
    update();
    if (hasFocus())
        PaintedPartsAccessible::notify(this, index, QAccessible::Focus);
}

void LabelBar::paint(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QColor light = panel_colors::light();
    QColor dark = panel_colors::black();
    dark.setAlphaF(0.722f);
    QColor dim = panel_colors::black();
    dim.setAlphaF(0.32f);
    const int chosen = chosenLabel();
    for (int i = 0; i < labelCount(); ++i) {
        const bool isChosen = i == chosen;
        view_helpers::drawTextWithShadow(painter, labelRect(i), Qt::AlignLeft | Qt::AlignVCenter, labelText(i), m_font,
                                         isChosen ? light : isLabelDim(i) ? dim : dark,
                                         isChosen ? std::optional(view_helpers::Shadow::glow(light, 0.7, 5))
                                                  : std::nullopt);
    }
    if (isFocusShown())
        KeyboardFocus::drawOutline(painter, outlineRect(labelRect(m_current)));
}

bool LabelBar::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const auto label = labelAt(help->pos());
        const QString text = label ? labelToolTip(*label) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this, labelRect(*label).toAlignedRect());
        }
        return true;
    }
    return QWidget::event(event);
}

void LabelBar::paintEvent(QPaintEvent *)
{
    // Only reached without the overhang effect.
    QPainter painter(this);
    paint(painter);
}

void LabelBar::mousePressEvent(QMouseEvent *event)
{
    m_focus.mouseUsed();
    update();
    m_pressed = event->button() == Qt::LeftButton ? labelAt(event->position()) : std::nullopt;
    if (m_pressed && !isLabelEnabled(*m_pressed))
        m_pressed.reset();
    // Between the labels the press belongs to the window (it moves it).
    event->setAccepted(m_pressed.has_value());
}

void LabelBar::mouseReleaseEvent(QMouseEvent *event)
{
    const auto pressed = std::exchange(m_pressed, std::nullopt);
    if (pressed && event->button() == Qt::LeftButton && labelAt(event->position()) == pressed) {
        choose(*pressed);
        return;
    }
    event->ignore();
}

void LabelBar::mouseMoveEvent(QMouseEvent *event)
{
    const auto label = labelAt(event->position());
    if (label && isLabelEnabled(*label))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    event->ignore();
}

void LabelBar::keyPressEvent(QKeyEvent *event)
{
    const int count = labelCount();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        setCurrent((m_current + count - 1) % count);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        setCurrent((m_current + 1) % count);
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        if (isLabelEnabled(m_current))
            choose(m_current);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_focus.keyUsed();
    update();
}

void LabelBar::focusInEvent(QFocusEvent *event)
{
    m_focus.focusIn(event);
    m_current = chosenLabel();
    QWidget::focusInEvent(event);
    update();
    // After the bar's own focus news: a screen reader then reads the label.
    QMetaObject::invokeMethod(this, [this] { setCurrent(m_current); }, Qt::QueuedConnection);
}

void LabelBar::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace tarimo::display
