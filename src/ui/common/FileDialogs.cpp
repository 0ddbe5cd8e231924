#include "ui/common/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>

namespace {
// The save dialog, which gives a typed name the filter's extension before it
// checks the name, so that its question before replacing a file concerns the
// file that is then written. Its default suffix alone covers only names
// without any dot.
class SaveDialog : public QFileDialog
{
public:
    SaveDialog(QWidget* parent, const QString& caption, const QString& filter)
        : QFileDialog(parent, caption, QDir::homePath(), filter)
        , m_filter(filter)
    {
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        setDefaultSuffix(FileDialogs::filterExtension(filter));
    }

    void accept() override
    {
        // A platform's own dialog has no name field; the caller adds the extension then.
        auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QStringList files = selectedFiles();
        if (name && files.size() == 1 && !QFileInfo(files.first()).isDir()) {
            const QString& file = files.first();
            const QString named = FileDialogs::withFilterExtension(file, m_filter);
            if (named != file)
                name->setText(name->text() + named.mid(file.size()));
        }
        QFileDialog::accept();
    }

private:
    QString m_filter;
};
}  // namespace

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
    // A dot of the name's own ("team.v2") is no extension the filter lists.
    if (name.isEmpty() || name.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive))
        return path;
    return path + QLatin1Char('.') + extension;
}

QString FileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    SaveDialog dialog(parent, caption, filter);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}
