#pragma once

#include <QFrame>
#include <QtGlobal>

class QLabel;
class QToolButton;

// An on/off setting of the mouse shown as a two-state switch beside a title.
// The frames differ only by a row of a table (switch name, image field and
// writer), so they share this class; RippeControl, StraightLine and MotionSync
// just pick their row.
//
// setChecked() shows a device value and never writes; a click by the user
// writes the new state through the row's one-field writer. A refused write
// (device offline) is not undone: the switch keeps what was asked for.
class SwitchFrame : public QFrame
{
    Q_OBJECT

public:
    enum Kind { Ripple, AngleSnapping, MotionSyncSwitch };

    struct Row
    {
        Kind kind;
        const char* className;   // object name of the frame's switch is this + "_2"
        int imageOffset;         // the FlashDataMap byte the writer sets
        bool (*writer)(quint8 on);
    };
    static const Row& row(Kind kind);

    ~SwitchFrame() override;

    Kind kind() const { return m_row.kind; }

    void setChecked(bool on);
    bool isChecked() const;
    void setText(const QString& text);
    // The tip belongs to the title, not to the frame.
    void setToolTip(const QString& text);

    QToolButton* switchButton() const { return m_switch; }
    QLabel* titleLabel() const { return m_label; }

protected:
    SwitchFrame(Kind kind, QWidget* parent);

private slots:
    void onSwitchClicked(bool checked);

private:
    const Row& m_row;
    QToolButton* m_switch = nullptr;
    QLabel* m_label = nullptr;
    QString m_pictureFolder;
};
