#include "ui/common/SettingsNotSaved.h"

#include "app/LanguageTables.h"
#include "ui/common/NoticeForm.h"
#include "ui/common/StyleHelper.h"

#include <QLabel>

SettingsNotSaved::SettingsNotSaved(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("SettingsNotSaved"), QStringLiteral("SettingsNotSavedA"),
                                          QStringLiteral("Your settings could not be saved."), QStringList(),
                                          QStringList()))
{
    NoticeForm::connectDialog(this);
}

SettingsNotSaved::~SettingsNotSaved() = default;

void SettingsNotSaved::tellIfNotSaved(bool saved, QWidget* over)
{
    if (saved)
        return;
    SettingsNotSaved notice;
    if (over)
        StyleHelper::placeCentred(&notice, over->window(), 0, 0);
    notice.exec();
}

void SettingsNotSaved::on_CloseButton_clicked()
{
    close();
}

void SettingsNotSaved::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::FileNotice, language, 1));
}
