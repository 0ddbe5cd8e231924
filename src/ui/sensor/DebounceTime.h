#pragma once

#include "device/ImageFieldCodes.h"

#include <QFrame>

class MyConmboBox;

// Button debounce time, 0..20 ms, written as the entry index into byte 6. A
// choice below 8 ms brings up the short-debounce notice. Shown by the button
// page, which sets the entry texts and shows the device's value with setIndex.
class DebounceTime : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kEntryCount = ImageFieldCodes::kDebounceEntries;
    // Choices below this many ms bring up the notice.
    static constexpr int kNoticeBelow = 8;

    explicit DebounceTime(QWidget* parent = nullptr);
    ~DebounceTime() override;

    // Shows a device value: selects the entry without writing and without notice.
    void setIndex(int i);
    // Entry i reads i followed by the unit.
    void setItemText(int i, const QString& unit);

    MyConmboBox* chooser() const { return m_box; }

public slots:
    void on_Debunce_currentIndexChanged(int index);

private:
    MyConmboBox* m_box = nullptr;
    QString m_pictureFolder;
};
