#pragma once

#include <QDialog>

#include <memory>

class NoticeForm;

// Notice: the mouse does not answer (g_MouseOffLineKind 0) or its freshly read
// settings were not applied in time (1). It also closes by itself when the
// device answers again (SigCloseOffOnline).
class MouseOffLine : public QDialog
{
    Q_OBJECT

public:
    explicit MouseOffLine(QWidget* parent = nullptr);
    ~MouseOffLine() override;

public slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    std::unique_ptr<NoticeForm> m_form;
};
