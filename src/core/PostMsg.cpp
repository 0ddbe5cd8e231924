#include "core/PostMsg.h"

#include "app/Globals.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

PostMsg* PostMsg::GetInstance()
{
    PostMsg* bus = g_PostMsg.load(std::memory_order_acquire);
    if (bus)
        return bus;
    static QMutex creation;
    QMutexLocker lock(&creation);
    bus = g_PostMsg.load(std::memory_order_relaxed);
    if (!bus) {
        bus = new PostMsg;
        // A first call from a short-lived thread must not leave the bus
        // belonging to a thread that is gone.
        if (QCoreApplication* app = QCoreApplication::instance())
            bus->moveToThread(app->thread());
        g_PostMsg.store(bus, std::memory_order_release);
    }
    return bus;
}

void PostMsg::PostChangeMainDialog(int page)
{
    emit SigChangeMainDialog(page);
}

void PostMsg::PostChangeSize(int action)
{
    emit SigChangeSize(action);
}

void PostMsg::PostUpDataConfigUI(int kind, int value, bool valid)
{
    emit SigUpDataConfigUI(kind, value, valid);
}

void PostMsg::PostUpDataLightUIButton(FlashDataMap image)
{
    emit SigUpDataLightUIButton(image);
}

void PostMsg::PostUpDataLightLight(FlashDataMap image)
{
    emit SigUpDataLightLight(image);
}

void PostMsg::PostUpDataLightSensor(FlashDataMap image)
{
    emit SigUpDataLightSensor(image);
}

void PostMsg::PostUpDataLightUIA(FlashDataMap image)
{
    emit SigUpDataLightUIA(image);
}

void PostMsg::PostUpDataSensorUIB(FlashDataMap image)
{
    emit SigUpDataSensorUIB(image);
}

void PostMsg::PostUpDataButtonUIC(FlashDataMap image)
{
    emit SigUpDataButtonUIC(image);
}

void PostMsg::PostButtonToMacro(FlashDataMap image, int button)
{
    emit SigButtonToMacro(image, button);
}

void PostMsg::PostSelectMouseInfo(DeviceAllInfo info)
{
    emit SigSelectMouseInfo(info);
}

void PostMsg::PostMouseOffLineo(int kind)
{
    emit SigMouseOffLineo(kind);
}

void PostMsg::PostMainPageChange()
{
    emit SigMainPageChange();
}

void PostMsg::PostSecondPageChange()
{
    emit SigSecondPageChange();
}

void PostMsg::PostAddMacroButton()
{
    emit SigAddMacroButton();
}

void PostMsg::PostDeleteMacroButton(QString name)
{
    emit SigDeleteMacroButton(name);
}

void PostMsg::PostMacroDownLoadData(QString name, int button)
{
    emit SigMacroDownLoadData(name, button);
}

void PostMsg::PostUpDataMacro(QString name, int button)
{
    emit SigUpDataMacro(name, button);
}

void PostMsg::PostUpDataParam(int refresh)
{
    emit SigUpDataParam(refresh);
}

void PostMsg::PostUpDataReportRate(int rate)
{
    emit SigUpDataReportRate(rate);
}

void PostMsg::PostUpDataDPI(int stage)
{
    emit SigUpDataDPI(stage);
}

void PostMsg::PostUpDataDPILed(FlashDataMap image)
{
    emit SigUpDataDPILed(image);
}

void PostMsg::PostTimerStop()
{
    emit SigTimerStop();
}

void PostMsg::PostButtonEnable(int result)
{
    emit SigButtonEnable(result);
}

void PostMsg::PostLabelText(int kind, QString text)
{
    emit SigLabelText(kind, text);
}

void PostMsg::PostLabelTextB(QString receiverVersion, QString flag)
{
    emit SigLabelTextB(receiverVersion, flag);
}

void PostMsg::PostProgress(int value, int total)
{
    emit SigProgress(value, total);
}

void PostMsg::PostBattery(bool charging, int level, bool showValue)
{
    emit SigBattery(charging, level, showValue);
}

void PostMsg::PostAutoRepair(int state)
{
    emit SigAutoRepair(state);
}

void PostMsg::PostAutoRepairProgress(int value)
{
    emit SigAutoRepairProgress(value);
}

void PostMsg::PostLanguageSameA(int language)
{
    emit SigLanguageSameA(language);
}

void PostMsg::PostLanguageSameB(int language)
{
    emit SigLanguageSameB(language);
}

void PostMsg::PostCloseOffOnline()
{
    emit SigCloseOffOnline();
}

void PostMsg::PostSetMacroPage()
{
    emit SigSetMacroPage();
}

void PostMsg::PostStartRecord(int state)
{
    emit SigStartRecord(state);
}

void PostMsg::PostUpDateButton(bool hide)
{
    emit SigUpDateButton(hide);
}

void PostMsg::PostMacroRename(QString oldName, QString newName)
{
    emit SigMacroRename(oldName, newName);
}

void PostMsg::PostSetver(int kind)
{
    emit SigSetver(kind);
}

void PostMsg::PostRGBValue(DongleRGB* buffer)
{
    emit SigRGBValue(buffer);
}

void PostMsg::PostLongRangeMode(bool on)
{
    emit SigLongRangeMode(on);
}

void PostMsg::PostForm()
{
    emit SigForm();
}

void PostMsg::PostFormB()
{
    emit SigFormB();
}

void PostMsg::PostEnterKey()
{
    emit SigEnterKey();
}

void PostMsg::PostFormReset()
{
    emit SigFormReset();
}

void PostMsg::PostHideModel(int high)
{
    emit SigHideModel(high);
}

void PostMsg::PostContinue(int value)
{
    emit SigContinue(value);
}

void PostMsg::PostMouseIndex(int modelIndex)
{
    emit SigMouseIndex(modelIndex);
}

void PostMsg::PostUpdateStart()
{
    emit SigUpdateStart();
}

void PostMsg::PostCheckUpdate()
{
    emit SigCheckUpdate();
}

void PostMsg::PostRepairCheckUpdate()
{
    emit SigRepairCheckUpdate();
}

void PostMsg::PostSetNewVer()
{
    emit SigSetNewVer();
}

void PostMsg::PostLightToFrom(int value)
{
    emit SigLightToFrom(value);
}

void PostMsg::PostButtonCheck()
{
    emit SigButtonCheck();
}

void PostMsg::PostAllLanguage(int language)
{
    emit SigAllLanguage(language);
}
