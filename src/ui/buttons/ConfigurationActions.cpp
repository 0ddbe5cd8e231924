#include "ui/buttons/ConfigurationActions.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/CachedImage.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"
#include "ui/buttons/ConfigurationFile.h"
#include "ui/common/FileDialogs.h"
#include "ui/common/StyleHelper.h"
#include "ui/macro/ContainReset.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/settings/UpDataParam.h"
#include "ui/settings/UpDateWarning.h"

#include <HIDUsb.h>

#include <QDir>
#include <QFileDialog>
#include <QTimer>

namespace {
// Dialogs of these actions stand left of and above the page's centre.
constexpr int kDialogDx = -75;
constexpr int kDialogDy = -65;
const char kFilter[] = "File(*.bin)";

bool deviceOnline()
{
    if (UsbFinderC_GetDeviceOnLine(g_DevicePath.load()))
        return true;
    PostMsg::GetInstance()->PostMouseOffLineo(0);
    return false;
}
}  // namespace

std::function<QString(QWidget*, bool)> ConfigurationActions::chooseFile = [](QWidget* page, bool save) {
    return save ? FileDialogs::saveFileName(page, QStringLiteral("FileSave"), QString::fromLatin1(kFilter))
                : QFileDialog::getOpenFileName(page, QStringLiteral("SelectFile"), QDir::homePath(),
                                               QString::fromLatin1(kFilter));
};

void ConfigurationActions::chooseProfile(MyConmboBox* box, int index)
{
    if (index < 0)
        return;
    if (!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()) && !g_ButtonPageFilling) {
        // The mouse keeps its profile, so the box shows it again.
        box->setCurrentIndex(box->pressIndex);
        PostMsg::GetInstance()->PostMouseOffLineo(0);
        return;
    }
    // The mouse asks for a refresh once it has switched; however soon after the
    // last one that comes, the pages must show the chosen profile.
    ReleaseStatusRefreshSlot();
    UsbServer_SetCurrentConfig(static_cast<unsigned char>(index));
}

void ConfigurationActions::factoryReset(QWidget* page)
{
    if (!deviceOnline())
        return;
    ContainReset question;
    StyleHelper::placeCentred(&question, page, kDialogDx, kDialogDy);
    question.exec();
    if (!question.accepted)
        return;

    g_ApplyingSettings = true;
    if (g_WorkerPollTimer)
        g_WorkerPollTimer->stop();
    // Flags left from an earlier image must not end the wait for the new one.
    g_SensorPageApplied = false;
    g_ButtonPageApplied = false;
    UsbServer_SetBatteryOptimizeEnable(false);
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        if (WorkingImage::isCurrentLocked())
            ProtocolDataUpdate(&g_FlashData);
    }
    UsbServer_SetClearSetting();

    UpDataParam wait;
    wait.StartTimer();
    wait.waitForPages = true;
    g_WorkerRunRequest = true;
    if (g_Worker)
        g_Worker->start(QThread::InheritPriority);
    StyleHelper::placeCentred(&wait, page, kDialogDx, kDialogDy);
    wait.exec();

    g_ApplyingSettings = false;
    if (g_WorkerPollTimer)
        g_WorkerPollTimer->start();
}

void ConfigurationActions::importFile(QWidget* page)
{
    if (!deviceOnline())
        return;
    g_ApplyingSettings = true;
    const QString path = chooseFile(page, false);
    if (!path.isEmpty()) {
        g_ImportMode = 1;
        UpDataParam wait;
        wait.StartTimer();
        wait.importRequested = true;
        wait.importFilePath = path;
        StyleHelper::placeCentred(&wait, page, kDialogDx, kDialogDy);
        wait.exec();
        g_ImportMode = 0;
    }
    g_ApplyingSettings = false;
}

void ConfigurationActions::exportFile(QWidget* page)
{
    const QString path = FileDialogs::withFilterExtension(chooseFile(page, true), QString::fromLatin1(kFilter));
    if (path.isEmpty())
        return;
    // The open device's image; offline before its first read, its cached one.
    FlashDataMap image;
    bool have = false;
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        if (WorkingImage::isCurrentLocked()) {
            image = g_FlashData;
            have = true;
        }
    }
    if (!have) {
        QString cacheName;
        {
            AnnotatedMutexLocker lock(g_FlashDataMutex);
            cacheName = g_SelectedFlashDataFile;
        }
        have = CachedImage::load(cacheName, &image);
    }
    if (have && writeExport(path, image))
        return;
    UpDateWarning notice;
    notice.SetMessage(LanguageTables::text(LanguageSection::InportFail, g_LanguageIndex, 2));
    StyleHelper::placeCentred(&notice, page);
    notice.exec();
}

bool ConfigurationActions::writeExport(const QString& path, const FlashDataMap& image)
{
    return ConfigurationFile::write(path, image, ConfigurationFile::currentModel());
}
