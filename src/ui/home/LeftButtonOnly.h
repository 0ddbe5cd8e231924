#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QToolButton;

// Notice: the left button must keep its function.
class LeftButtonOnly : public QDialog
{
    Q_OBJECT

public:
    explicit LeftButtonOnly(QWidget* parent = nullptr);
    ~LeftButtonOnly() override;

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
