#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QFrame;
class QLabel;
class QToolButton;

// The form shared by the small notices and questions: a 300 x 140 frameless
// panel with a centred message, a close cross in the top-right corner and one
// or two confirming buttons at the bottom, in the look of the
// "/Picture/WarningDialog/" pictures and the Config.ini label and button colours.
class NoticeForm
{
public:
    // Builds the form on `dialog` (object name `dialogName`, frame `frameName`);
    // one button per name in `buttonNames`, centred when alone, side by side
    // otherwise. Sets the window flags and the look.
    NoticeForm(QDialog* dialog, const QString& dialogName, const QString& frameName,
               const QString& defaultMessage, const QStringList& buttonNames,
               const QStringList& defaultButtonTexts, int labelPointSize = 11);

    QFrame* frame = nullptr;
    QLabel* label = nullptr;
    QToolButton* closeButton = nullptr;
    QList<QToolButton*> buttons;
    QString pictureFolder;
};
