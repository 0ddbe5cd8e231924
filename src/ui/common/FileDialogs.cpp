#include "ui/common/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>

QString FileDialogs::filterExtension(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^\\s;()*]+)"));
    return pattern.match(filter).captured(1);
}

QString FileDialogs::withFilterExtension(const QString& path, const QString& filter)
{
    const QString extension = filterExtension(filter);
    if (path.isEmpty() || extension.isEmpty())
        return path;
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name.contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + extension;
}

QString FileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    QFileDialog dialog(parent, caption, QDir::homePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(filterExtension(filter));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}
