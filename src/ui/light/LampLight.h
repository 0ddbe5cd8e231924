#pragma once

#include <QWidget>

// The lighting page of the device home page. Not built yet: it shows an empty
// page of its final size and offers no controls.
class LampLight : public QWidget
{
    Q_OBJECT

public:
    explicit LampLight(QWidget* parent = nullptr);
    ~LampLight() override;
};
