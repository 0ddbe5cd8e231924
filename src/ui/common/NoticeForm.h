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

    // Other pictures (of the same folder) for the confirming buttons.
    void setButtonPictures(const QString& normal, const QString& pressed);

    // Another size, for a form with more controls: the background picture
    // stretches to it, the close cross keeps to the top-right corner and the
    // buttons to the bottom.
    void resize(QDialog* dialog, int width, int height);

    // Style of an entry field on the panel (`widgetClass` "QLineEdit",
    // "QSpinBox"): a dark field, so that the light text colour of the look
    // stays readable.
    static QString fieldSheet(const QString& widgetClass);

    // Connects the dialog's "on_" slots by name and its SlotAllLanguage(int) to
    // the language broadcast, and shows the texts of the current language.
    // Called last in the dialog's constructor, once its form is in place.
    static void connectDialog(QDialog* dialog);

    QFrame* frame = nullptr;
    QLabel* label = nullptr;
    QToolButton* closeButton = nullptr;
    QList<QToolButton*> buttons;
    QString pictureFolder;
};
