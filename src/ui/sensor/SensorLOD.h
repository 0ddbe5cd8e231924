#pragma once

#include <QFrame>

class MyConmboBox;
class QLabel;

// Lift-off distance chooser: "1mm" and "2mm", plus "0.7mm" as the first entry on
// sensors that offer it. The choice is written as a code into byte 5
// (1 = 1 mm, 2 = 2 mm, 3 = 0.7 mm). Setters show device values and never write;
// only a choice of the user does.
class SensorLOD : public QFrame
{
    Q_OBJECT

public:
    explicit SensorLOD(QWidget* parent = nullptr);
    ~SensorLOD() override;

    void AddLowLodItem();
    void RemoveLowLodItem();
    // v = lift-off code - 1.
    void setIndex(int v);
    // Enables the chooser (the title stays as it is).
    void setEnabled(bool on);
    void setText(const QString& text);
    void setToolTip(const QString& text);

    // Code that entry `index` stands for; 0 for an entry the chooser does not have.
    int codeForIndex(int index) const;

    MyConmboBox* chooser() const { return m_lod; }

public slots:
    void on_LOD_currentIndexChanged(int index);

private:
    QLabel* m_label = nullptr;
    MyConmboBox* m_lod = nullptr;
    QString m_pictureFolder;
    // Set while a setter changes the entry.
    bool m_showing = false;
};
