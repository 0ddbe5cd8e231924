#include "ui/macro/MacroFolder.h"

#include "core/AppPaths.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kSuffix = QStringLiteral(".ini");
}

QString MacroFolder::defaultPath()
{
    return AppPaths::dataSubdir(QStringLiteral("usersetting/MacroPage"));
}

bool MacroFolder::isSafeName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return false;  // also "." and ".."
    const QVector<uint> codePoints = name.toUcs4();
    for (uint cp : codePoints) {
        if (cp == '/' || cp == '\\' || cp == 0 || QChar::category(cp) == QChar::Other_Control)
            return false;
    }
    return true;
}

QString MacroFolder::filePath(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || !isSafeName(name))
        return QString();
    const QString path = folder + QLatin1Char('/') + name + kSuffix;
    // The checks above already keep the name to one path component; this one
    // states what they are for.
    const QFileInfo info(path);
    if (QDir::cleanPath(info.absolutePath()) != QDir::cleanPath(QFileInfo(folder).absoluteFilePath()))
        return QString();
    return path;
}

QStringList MacroFolder::list(const QString& folder)
{
    QStringList names;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        const QString file = entry.fileName();
        if (!file.endsWith(kSuffix))
            continue;
        const QString name = file.left(file.size() - kSuffix.size());
        if (isSafeName(name))
            names << name;
    }
    return names;
}
