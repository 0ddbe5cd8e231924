#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QTimer;

// The "please wait" notice shown while the pages receive a device's whole
// configuration (after a connect or a reset). It has no buttons: 2.5 s after
// StartTimer() its timeout waits for the sensor and button pages to confirm
// the image, keeps the first image of a device in the per-device cache, raises
// the offline notice when nothing arrived, and closes itself.
//
// Applying an imported configuration file is not built yet: an import request
// only closes the dialog.
class UpDataParam : public QDialog
{
    Q_OBJECT

public:
    explicit UpDataParam(QWidget* parent = nullptr);
    ~UpDataParam() override;

    // (Re)starts the single-shot 2500 ms timer; call it before exec().
    void StartTimer();

    QString importFilePath;
    bool importRequested = false;
    // The next timeouts wait for the pages as after a reset.
    bool waitForPages = false;

public slots:
    void onTimeupDestroy();
    void SlotAllLanguage(int language);

private:
    // Up to 12 tests of the two page flags with 500 ms of event pumping between
    // them; `clear` resets the flags once both were seen.
    static bool waitForPagesApplied(bool clear);

    QFrame* m_frame = nullptr;
    QLabel* m_label = nullptr;
    QTimer* m_timer = nullptr;
    QString m_pictureFolder;
};
