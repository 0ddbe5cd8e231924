#include "ui/settings/UpDataParam.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "core/Timing.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/CachedImage.h"
#include "device/DeviceCache.h"
#include "device/WorkingImage.h"
#include "ui/buttons/ConfigurationFile.h"
#include "ui/common/StyleHelper.h"
#include "ui/settings/InportFail.h"

#include <HIDUsb.h>

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace {
constexpr int kTimeoutMs = 2500;
constexpr int kAttempts = 12;
constexpr int kAttemptWaitMs = 500;
constexpr int kResetPauseMs = 2000;
constexpr int kImportShowWaits = 5;
}

UpDataParam::UpDataParam(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("UpDataParam"));
    setWindowTitle(QStringLiteral("Dialog"));
    setFixedSize(300, 140);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("UpDataParamA"));
    m_frame->setGeometry(0, 0, 300, 140);
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Raised);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);
    m_label = new QLabel(m_frame);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(15, 20, 270, 100);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setFont(font);
    m_label->setText(QStringLiteral("Please wait, we are updating the setting"));

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("WarningDialog"));
    setWindowFlags(StyleHelper::noticeFlags());
    m_frame->setStyleSheet(QStringLiteral("QFrame#UpDataParamA{border:none;background:url(%1BackGround.png) center no-repeat;}")
                               .arg(m_pictureFolder));
    StyleHelper::applyTextColor(m_label, QStringLiteral("LabelColor"));

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    // A coarse timer (Qt's default) may end this wait up to 125 ms early or late.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, SIGNAL(timeout()), this, SLOT(onTimeupDestroy()));
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

UpDataParam::~UpDataParam() = default;

void UpDataParam::StartTimer()
{
    m_timer->start(Timing::scaled(kTimeoutMs));
}

void UpDataParam::SlotAllLanguage(int language)
{
    if (g_ImportMode == 0)
        m_label->setText(LanguageTables::text(LanguageSection::UpDataParam, language, 0));
    else if (g_ImportMode == 1)
        m_label->setText(LanguageTables::text(LanguageSection::UpDataParam, language, 1));
}

int UpDataParam::ReadImportFile(QString path, FlashDataMap& image)
{
    FlashDataMap candidate;
    const int result = ConfigurationFile::read(path, ConfigurationFile::currentModel(), &candidate);
    if (result != ConfigurationFile::Accepted)
        return result;
    if (!ConfigurationFile::fieldsOffered(candidate, currentDeviceCopy()))
        return ConfigurationFile::DoesNotFit;
    image = candidate;
    return ConfigurationFile::Accepted;
}

void UpDataParam::showImportFailed()
{
    InportFail notice;
    StyleHelper::placeCentred(&notice, this);
    notice.exec();
}

void UpDataParam::applyImport(const FlashDataMap& image)
{
    // The working image changes only when the mouse took the file, so the pages
    // never show a configuration the mouse does not hold.
    bool sent = false;
    bool refused = false;
    if (UsbFinderC_GetDeviceOnLine(g_DevicePath.load())) {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        if (WorkingImage::isCurrentLocked()) {
            sent = ProtocolDataUpdate(&image);
            refused = !sent;
            if (sent)
                g_FlashData = image;
        }
    }
    // An online mouse that refuses the image is not offline: the file does not
    // fit it, and the pages still show what it holds.
    if (refused) {
        g_ImportResult = ConfigurationFile::DoesNotFit;
        showImportFailed();
        return;
    }
    const FlashDataMap shown = sent ? image : currentFlashData();
    PostMsg* bus = PostMsg::GetInstance();
    bus->PostUpDataLightUIA(shown);
    bus->PostUpDataSensorUIB(shown);
    bus->PostUpDataButtonUIC(shown);
    bus->PostFormB();
    if (!sent) {
        bus->PostMouseOffLineo(0);
        return;
    }
    for (int i = 0; i < kImportShowWaits; ++i)
        Timing::pumpEvents(kAttemptWaitMs);
}

bool UpDataParam::waitForPagesApplied(bool clear)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (g_SensorPageApplied && g_ButtonPageApplied) {
            if (clear) {
                g_SensorPageApplied = false;
                g_ButtonPageApplied = false;
            }
            return true;
        }
        Timing::pumpEvents(kAttemptWaitMs);
    }
    return false;
}

void UpDataParam::onTimeupDestroy()
{
    PostMsg* bus = PostMsg::GetInstance();
    bus->PostSetver(4);

    if (waitForPages) {
        const bool applied = waitForPagesApplied(false);
        Timing::sleep(kResetPauseMs);
        close();
        if (!applied)
            bus->PostMouseOffLineo(0);
        return;
    }

    if (importRequested) {
        FlashDataMap image;
        const int result = ReadImportFile(importFilePath, image);
        g_ImportResult = result;
        if (result == 0)
            applyImport(image);
        else
            showImportFailed();
        importRequested = false;
        close();
        return;
    }

    if (g_FullReadDone) {
        const bool applied = waitForPagesApplied(true);
        close();
        if (!applied)
            bus->PostMouseOffLineo(1);
        // Read after the wait: the image that arrived meanwhile named its file.
        QString selectedFile;
        QString lastReadFile;
        {
            AnnotatedMutexLocker lock(g_FlashDataMutex);
            selectedFile = g_SelectedFlashDataFile;
            lastReadFile = g_FlashDataFile;
        }
        FlashDataMap cached;
        if (g_DeviceOnline && !lastReadFile.isEmpty() && !CachedImage::load(selectedFile, &cached))
            SaveDeviceCache(lastReadFile, currentFlashData());
        return;
    }

    QString selectedFile;
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        selectedFile = g_SelectedFlashDataFile;
    }
    FlashDataMap cached;
    if (CachedImage::load(selectedFile, &cached)) {
        bus->PostUpDataLightUIA(cached);
        bus->PostUpDataSensorUIB(cached);
        bus->PostUpDataButtonUIC(cached);
        bus->PostFormB();
    }
    bus->PostMouseOffLineo(0);
    close();
}
