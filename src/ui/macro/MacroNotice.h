#pragma once

#include "app/LanguageTables.h"

#include <QDialog>

#include <memory>

class NoticeForm;

// A one-message notice of the macro and key functions: the message and one
// confirm button; both buttons and Escape only close it.
class MacroNotice : public QDialog
{
    Q_OBJECT

public:
    ~MacroNotice() override;

public slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

protected:
    // The message is text 0 of `section`.
    MacroNotice(QWidget* parent, const QString& dialogName, const QString& frameName,
                const QString& defaultMessage, LanguageSection section);

private:
    std::unique_ptr<NoticeForm> m_form;
    LanguageSection m_section;
};
