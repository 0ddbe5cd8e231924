#pragma once

#include <QFrame>

class MyConmboBox;

// Idle time after which the mouse turns its lights off, 10 s .. 40 min, written
// in units of 10 s into byte 8. Shown by the lighting and the settings pages,
// each with an instance of its own.
class StopCloseTime : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kEntryCount = 11;
    // Stored code (units of 10 s) of an entry; 0 for an entry outside 0..10.
    static int codeForEntry(int entry);

    explicit StopCloseTime(QWidget* parent = nullptr);
    ~StopCloseTime() override;

    // Shows a device value; never writes.
    void setIndex(int entry);
    void setItemText(int entry, const QString& text);

    MyConmboBox* chooser() const { return m_box; }

public slots:
    void on_StopClose_activated(int entry);

private:
    MyConmboBox* m_box = nullptr;
    QString m_pictureFolder;
};
