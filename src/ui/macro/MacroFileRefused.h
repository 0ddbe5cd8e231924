#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Notice: the file chosen for a macro import is not a macro exchange file this
// program can take (damaged, foreign or too large); nothing was imported.
class MacroFileRefused : public QDialog
{
    Q_OBJECT

public:
    explicit MacroFileRefused(QWidget* parent = nullptr);
    ~MacroFileRefused() override;

public slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
