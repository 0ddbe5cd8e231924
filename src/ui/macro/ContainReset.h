#pragma once

#include "ui/common/NoticeQuestion.h"

#include <QString>

// Yes/no question, by default whether to restore the device's default
// settings; read `accepted` after exec() (OK or Return confirm).
class ContainReset : public NoticeQuestion
{
    Q_OBJECT

public:
    explicit ContainReset(QWidget* parent = nullptr);
    ~ContainReset() override;

    void SetMessage(QString text);

public slots:
    void SlotAllLanguage(int language);
};
