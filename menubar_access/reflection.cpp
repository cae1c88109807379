#include "menubar_access/reflection.h"

namespace tarimo::menubar_access {

QObject *objectIn(const QVariant &value)
{
    if (!value.isValid() || !value.metaType().flags().testFlag(QMetaType::PointerToQObject))
        return nullptr;
    return value.value<QObject *>();
}

std::optional<QVariant> reflectedMember(const QVariant &value, const QString &name)
{
    if (QObject *object = objectIn(value)) {
        const QByteArray key = name.toUtf8();
        // A declared property always answers, even with a null value, and
        // comes before a child that merely happens to carry the same name.
        if (object->metaObject()->indexOfProperty(key.constData()) >= 0
            || object->dynamicPropertyNames().contains(key))
            return object->property(key.constData());
        if (QObject *child = object->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
            return QVariant::fromValue(child);
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

QString lastingDescription(const QVariant &value)
{
    if (QObject *object = objectIn(value))
        return QStringLiteral("%1(0x%2)").arg(QString::fromLatin1(object->metaObject()->className()),
                                               QString::number(quintptr(object), 16));
    return value.toString();
}

} // namespace tarimo::menubar_access
