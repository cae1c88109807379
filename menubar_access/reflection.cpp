#include "menubar_access/reflection.h"

#include <QMetaProperty>

namespace tarimo::menubar_access {

namespace {

QString valueText(const QVariant &value)
{
    if (!value.isValid())
        return QStringLiteral("nil");
    if (QObject *object = objectIn(value))
        return QString::fromLatin1(object->metaObject()->className());
    if (value.canConvert<QString>())
        return value.toString();
    return QString::fromLatin1(value.typeName());
}

} // namespace

QObject *objectIn(const QVariant &value)
{
    if (!value.isValid() || !value.metaType().flags().testFlag(QMetaType::PointerToQObject))
        return nullptr;
    return value.value<QObject *>();
}

std::optional<QVariant> reflectedMember(const QVariant &value, const QString &name)
{
    if (QObject *object = objectIn(value)) {
        if (QObject *child = object->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
            return QVariant::fromValue(child);
        const QByteArray key = name.toUtf8();
        // A declared property always answers, even with a null value.
        if (object->metaObject()->indexOfProperty(key.constData()) >= 0
            || object->dynamicPropertyNames().contains(key))
            return object->property(key.constData());
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = value.toMap();
        const auto entry = map.constFind(name);
        if (entry != map.constEnd())
            return *entry;
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::QVariantHash) {
        const QVariantHash hash = value.toHash();
        const auto entry = hash.constFind(name);
        if (entry != hash.constEnd())
            return *entry;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QVariant> reflectedDescendant(QObject *root, const QStringList &path)
{
    if (!root)
        return std::nullopt;
    std::optional<QVariant> current = QVariant::fromValue(root);
    for (const QString &name : path) {
        current = reflectedMember(*current, name);
        if (!current)
            return std::nullopt;
    }
    return current;
}

QString reflectedDescription(const QVariant &value)
{
    QObject *object = objectIn(value);
    if (!object)
        return valueText(value);

    const QMetaObject *meta = object->metaObject();
    QStringList members;
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.isReadable())
            members.append(QStringLiteral("%1: %2").arg(QString::fromLatin1(property.name()),
                                                         valueText(property.read(object))));
    }
    const QList<QByteArray> dynamicNames = object->dynamicPropertyNames();
    for (const QByteArray &name : dynamicNames)
        members.append(QStringLiteral("%1: %2").arg(QString::fromUtf8(name),
                                                     valueText(object->property(name.constData()))));
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(meta->className()),
                                        members.join(QStringLiteral(", ")));
}

} // namespace tarimo::menubar_access
