#pragma once

#include <QWidget>

// The sensor-settings page: DPI stages, report rate and the sensor option frames.
class Sensor : public QWidget
{
    Q_OBJECT
public:
    explicit Sensor(QWidget* parent = nullptr);
    ~Sensor() override;
};
