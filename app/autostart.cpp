#include "app/autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace tarimo::app::autostart {

QString filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/tarimo.desktop");
}

bool isEnabled()
{
    return QFileInfo(filePath()).isFile();
}

QString execLine(const QString &program)
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("tarimo"));
    if (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == QFileInfo(program).canonicalFilePath())
        return QStringLiteral("tarimo");
    // The desktop entry's quoting: the path in double quotes, with ", `, $
    // and \ escaped by a backslash; then the escapes of any value (\ as \\)
    // and of Exec (% as %%).
    QString quoted = program;
    for (const QChar special : {u'\\', u'"', u'`', u'$'})
        quoted.replace(special, QStringLiteral("\\") + special);
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

std::optional<QString> setEnabled(bool enabled)
{
    const QString path = filePath();
    if (!enabled) {
        QFile file(path);
        if (!file.exists() || file.remove())
            return std::nullopt;
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    }

    // QDir::mkpath would say only that it failed.
    std::error_code error;
    const QString folder = QFileInfo(path).absolutePath();
    std::filesystem::create_directories(folder.toStdString(), error);
    if (error)
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(folder), QString::fromStdString(error.message()));

    // The installed entry, with this program in its Exec line.
    QFile installed(QStringLiteral(":/tarimo.desktop"));
    QString entry = installed.open(QIODevice::ReadOnly) ? QString::fromUtf8(installed.readAll()) : QString();
    entry.replace(QStringLiteral("\nExec=tarimo\n"),
                  QStringLiteral("\nExec=%1\n").arg(execLine(QCoreApplication::applicationFilePath())));
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(entry.toUtf8()) >= 0 && file.commit())
        return std::nullopt;
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
}

} // namespace tarimo::app::autostart
