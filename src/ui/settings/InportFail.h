#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Notice that the configuration file chosen for an import was refused; its
// text follows the last import result (g_ImportResult).
class InportFail : public QDialog
{
    Q_OBJECT

public:
    explicit InportFail(QWidget* parent = nullptr);
    ~InportFail() override;

public slots:
    void on_NewHong_clicked();
    void SlotAllLanguage(int language);
    void on_CloseButton_clicked();

private:
    std::unique_ptr<NoticeForm> m_form;
};
