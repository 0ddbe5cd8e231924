#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Notice of the macro page's files: a file the page cannot take whole (an
// exchange file that is damaged, foreign or too large, or a macro file too
// large to read), or a change of the macro folder that did not happen (a
// folder that cannot be written, a full disk). Nothing was changed.
class MacroFileRefused : public QDialog
{
    Q_OBJECT

public:
    enum class Reason { NotAMacroFile, NotChanged };

    explicit MacroFileRefused(QWidget* parent = nullptr, Reason reason = Reason::NotAMacroFile);
    ~MacroFileRefused() override;

public slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
    Reason m_reason;
};
