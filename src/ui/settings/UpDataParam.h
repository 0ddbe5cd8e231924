#pragma once

#include "device/FlashDataMap.h"

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QTimer;

// The "please wait" notice shown while the pages receive a device's whole
// configuration (after a connect, a reset or an import). It has no buttons:
// 2.5 s after StartTimer() its timeout waits for the sensor and button pages to
// confirm the image, keeps the first image of a device in the per-device cache,
// raises the offline notice when nothing arrived, or reads, checks and applies
// the file of an import; then it closes itself.
class UpDataParam : public QDialog
{
    Q_OBJECT

public:
    explicit UpDataParam(QWidget* parent = nullptr);
    ~UpDataParam() override;

    // (Re)starts the single-shot 2500 ms timer; call it before exec().
    void StartTimer();

    // 0: the file is accepted and `image` holds it; 1: the file cannot be read
    // or is not a configuration file; 2: it belongs to another sensor or model,
    // or holds a value the model does not offer (DPI stages, rate, codes,
    // button mappings, lights). `image` is left as it was unless 0.
    static int ReadImportFile(QString path, FlashDataMap& image);

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
    // Sends an accepted import to the mouse and shows it on every page; an
    // online mouse that refuses it brings up the import notice.
    void applyImport(const FlashDataMap& image);
    // The import notice for g_ImportResult, centred on the wait dialog.
    void showImportFailed();

    QFrame* m_frame = nullptr;
    QLabel* m_label = nullptr;
    QTimer* m_timer = nullptr;
    QString m_pictureFolder;
};
