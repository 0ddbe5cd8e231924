#pragma once

#include "ui/common/NoticeQuestion.h"

// Question whether to pair mouse and receiver again; read `accepted` after exec().
class RePair : public NoticeQuestion
{
    Q_OBJECT

public:
    explicit RePair(QWidget* parent = nullptr);
    ~RePair() override;

public slots:
    void SlotAllLanguage(int language);
};
