#include "display/painted_parts_accessible.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace tarimo::display {

namespace {

// One painted part: everything it knows comes from its owner.
class PaintedPart : public QAccessibleInterface,
                    public QAccessibleActionInterface,
                    public QAccessibleValueInterface,
                    public QAccessibleTextInterface
{
public:
    PaintedPart(const PaintedPartsAccessible *owner, int index)
        : m_owner(owner)
        , m_widget(qobject_cast<QWidget *>(owner->object()))
        , m_index(index)
    {}

    bool isValid() const override { return m_widget && m_index < m_owner->partCount(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_owner->window(); }
    QAccessibleInterface *parent() const override { return const_cast<PaintedPartsAccessible *>(m_owner); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override { return isValid() ? m_owner->partText(m_index, t) : QString(); }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = m_owner->partRect(m_index);
        return QRect(m_widget->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return m_owner->partRole(m_index); }
    QAccessible::State state() const override
    {
        if (!isValid()) {
            QAccessible::State gone;
            gone.invalid = true;
            return gone;
        }
        return m_owner->partState(m_index);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface && isValid() && m_owner->isPressable(m_index))
            return static_cast<QAccessibleActionInterface *>(this);
        if (type == QAccessible::ValueInterface && isValid() && currentValue().isValid())
            return static_cast<QAccessibleValueInterface *>(this);
        if (type == QAccessible::TextInterface && isValid() && m_owner->partContent(m_index))
            return static_cast<QAccessibleTextInterface *>(this);
        return nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid())
            const_cast<PaintedPartsAccessible *>(m_owner)->pressPart(m_index);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    // A value that is read, not set: its own minimum and maximum.
    QVariant currentValue() const override { return m_owner->partValue(m_index); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return currentValue(); }
    QVariant minimumValue() const override { return currentValue(); }
    QVariant minimumStepSize() const override { return 0; }

    // Text that is read, never edited or selected.
    QString content() const { return isValid() ? m_owner->partContent(m_index).value_or(QString()) : QString(); }
    QString text(int start, int end) const override { return content().mid(start, end - start); }
    int characterCount() const override { return int(content().size()); }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    const PaintedPartsAccessible *m_owner;
    QPointer<QWidget> m_widget;
    int m_index;
};

} // namespace

PaintedPartsAccessible::PaintedPartsAccessible(QWidget *widget, QAccessible::Role role, const QString &name)
    : QAccessibleWidget(widget, role)
    , m_name(name)
{}

PaintedPartsAccessible::~PaintedPartsAccessible()
{
    for (QAccessible::Id id : std::as_const(m_partIds))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessible::State PaintedPartsAccessible::partState(int part) const
{
    QAccessible::State state;
    if (!widget()->isVisible())
        state.invisible = true;
    if (part == focusedPart() && widget()->hasFocus())
        state.focused = true;
    return state;
}

QAccessibleInterface *PaintedPartsAccessible::part(int part) const
{
    if (part < 0 || part >= partCount())
        return nullptr;
    while (m_partIds.size() <= part)
        m_partIds.append(QAccessible::registerAccessibleInterface(new PaintedPart(this, int(m_partIds.size()))));
    return QAccessible::accessibleInterface(m_partIds[part]);
}

QAccessibleInterface *PaintedPartsAccessible::listeningPart(QWidget *widget, int part)
{
    if (!QAccessible::isActive())
        return nullptr;
    return static_cast<PaintedPartsAccessible *>(QAccessible::queryAccessibleInterface(widget))->part(part);
}

void PaintedPartsAccessible::notify(QWidget *widget, int part, QAccessible::Event event)
{
    if (QAccessibleInterface *iface = listeningPart(widget, part)) {
        QAccessibleEvent change(iface, event);
        QAccessible::updateAccessibility(&change);
    }
}

QString PaintedPartsAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && !m_name.isEmpty() && widget()->accessibleName().isEmpty())
        return m_name;
    return QAccessibleWidget::text(t);
}

int PaintedPartsAccessible::childCount() const
{
    return partCount() + int(widgetChildren().size());
}

QAccessibleInterface *PaintedPartsAccessible::child(int index) const
{
    if (index < partCount())
        return part(index);
    return QAccessible::queryAccessibleInterface(widgetChildren().value(index - partCount()));
}

int PaintedPartsAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child));
    if (const qsizetype index = m_partIds.indexOf(id); index >= 0)
        return int(index);
    const qsizetype index = widgetChildren().indexOf(qobject_cast<QWidget *>(child->object()));
    return index < 0 ? -1 : partCount() + int(index);
}

QAccessibleInterface *PaintedPartsAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface *candidate = child(i);
        if (candidate && candidate->rect().contains(x, y))
            return candidate;
    }
    return nullptr;
}

QAccessibleInterface *PaintedPartsAccessible::focusChild() const
{
    if (widget()->hasFocus())
        return focusedPart() >= 0 ? part(focusedPart()) : nullptr;
    QWidget *focus = QApplication::focusWidget();
    for (QWidget *child : widgetChildren()) {
        if (focus && (child == focus || child->isAncestorOf(focus)))
            return QAccessible::queryAccessibleInterface(child);
    }
    return nullptr;
}

} // namespace tarimo::display
