#pragma once

#include <QAccessibleWidget>
#include <QList>

#include <optional>

namespace tarimo::display {

// What a screen reader sees of a widget that paints parts of itself (a
// price, a row of zones, the hours of a chart) without a widget for each:
// every part becomes a child of the widget's own accessible object. Parts
// come first, then the widget's children that are worth reading (see
// widgetChildren()).
class PaintedPartsAccessible : public QAccessibleWidget
{
public:
    PaintedPartsAccessible(QWidget *widget, QAccessible::Role role, const QString &name = {});
    ~PaintedPartsAccessible() override;

    virtual int partCount() const = 0;
    virtual QAccessible::Role partRole(int part) const = 0;
    virtual QString partText(int part, QAccessible::Text text) const = 0;
    virtual QAccessible::State partState(int part) const;
    // In widget coordinates.
    virtual QRect partRect(int part) const = 0;
    // A number for parts that have one (a price); none by default.
    virtual QVariant partValue(int) const { return {}; }
    // The text of parts that are read as text (a price, a date line); the
    // others have none.
    virtual std::optional<QString> partContent(int) const { return std::nullopt; }
    // The part that has the keyboard focus while the widget has it.
    virtual int focusedPart() const { return -1; }
    // Parts that do something when pressed (a screen reader's "click").
    virtual bool isPressable(int) const { return false; }
    virtual void pressPart(int) {}
    // Child widgets shown after the parts; none by default.
    virtual QList<QWidget *> widgetChildren() const { return {}; }

    // The accessible object of a part, made on first use.
    QAccessibleInterface *part(int part) const;

    // The accessible object of a part of `widget`, for an event about it;
    // null while no assistive technology listens, so that no accessible
    // objects are made for nothing.
    static QAccessibleInterface *listeningPart(QWidget *widget, int part);
    // Sends `event` about that part, if anyone can listen.
    static void notify(QWidget *widget, int part, QAccessible::Event event);

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    QString m_name;
    mutable QList<QAccessible::Id> m_partIds;
};

// Installs `factory` when the first widget it serves is built, and only
// then: call it from the widget's constructor. Programs that build no such
// widget leave Qt's accessibility alone.
template<QAccessible::InterfaceFactory factory>
void installAccessibleFactoryOnce()
{
    static const bool installed = (QAccessible::installFactory(factory), true);
    Q_UNUSED(installed);
}

// A factory that gives every object of class `Widget` exactly (not of a
// subclass) an `Interface`.
template<class Interface, class Widget>
QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(Widget::staticMetaObject.className()))
        return new Interface(static_cast<Widget *>(object));
    return nullptr;
}

template<class Interface, class Widget>
void installAccessibleFactoryOnce()
{
    installAccessibleFactoryOnce<&accessibleFactory<Interface, Widget>>();
}

} // namespace tarimo::display
