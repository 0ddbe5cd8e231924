#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QToolButton;

// Notice: the same device is plugged in more than once.
class QuestiondialogB : public QDialog
{
    Q_OBJECT

public:
    explicit QuestiondialogB(QWidget* parent = nullptr);
    ~QuestiondialogB() override;

public slots:
    void on_CloseButton_clicked();
    void SlotAllLanguage(int language);

private:
    void buildForm();
    void applyLook();

    QFrame* m_frame = nullptr;
    QLabel* m_label = nullptr;
    QToolButton* m_closeButton = nullptr;
    QString m_pictureFolder;
};
