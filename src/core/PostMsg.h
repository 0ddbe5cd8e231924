#pragma once

#include "device/DeviceAllInfo.h"
#include "device/DongleRGB.h"
#include "device/FlashDataMap.h"

#include <QObject>
#include <QString>

// The program-wide message bus: senders call a Post... function, receivers
// connect to the matching Sig... signal in their constructors (string form).
//
// The records (FlashDataMap, DeviceAllInfo, DongleRGB*) are not registered as
// meta-types on purpose: they may only travel through direct or blocking
// queued connections. Device-side emitters (device thread, report callback)
// reach the pages through Qt::BlockingQueuedConnection, so they must never emit
// those signals from the GUI thread.
class PostMsg : public QObject
{
    Q_OBJECT

public:
    // The single instance, created on first use (safe from any thread) and
    // never deleted. It belongs to the application's main thread.
    static PostMsg* GetInstance();

    void PostChangeMainDialog(int page);
    void PostChangeSize(int action);
    void PostUpDataConfigUI(int kind, int value, bool valid);
    void PostUpDataLightUIButton(FlashDataMap image);
    void PostUpDataLightLight(FlashDataMap image);
    void PostUpDataLightSensor(FlashDataMap image);
    void PostUpDataLightUIA(FlashDataMap image);
    void PostUpDataSensorUIB(FlashDataMap image);
    void PostUpDataButtonUIC(FlashDataMap image);
    void PostButtonToMacro(FlashDataMap image, int button);
    void PostSelectMouseInfo(DeviceAllInfo info);
    void PostMouseOffLineo(int kind);
    void PostMainPageChange();
    void PostSecondPageChange();
    void PostAddMacroButton();
    void PostDeleteMacroButton(QString name);
    void PostMacroDownLoadData(QString name, int button);
    void PostUpDataMacro(QString name, int button);
    void PostUpDataParam(int refresh);
    void PostUpDataReportRate(int rate);
    void PostUpDataDPI(int stage);
    void PostUpDataDPILed(FlashDataMap image);
    void PostTimerStop();
    void PostButtonEnable(int result);
    void PostLabelText(int kind, QString text);
    void PostLabelTextB(QString receiverVersion, QString flag);
    void PostProgress(int value, int total);
    void PostBattery(bool charging, int level, bool showValue);
    void PostAutoRepair(int state);
    void PostAutoRepairProgress(int value);
    void PostLanguageSameA(int language);
    void PostLanguageSameB(int language);
    void PostCloseOffOnline();
    void PostSetMacroPage();
    void PostStartRecord(int state);
    void PostUpDateButton(bool hide);
    void PostMacroRename(QString oldName, QString newName);
    void PostSetver(int kind);
    void PostRGBValue(DongleRGB* buffer);
    void PostLongRangeMode(bool on);
    void PostForm();
    void PostFormB();
    void PostEnterKey();
    void PostFormReset();
    void PostHideModel(int high);
    void PostContinue(int value);
    void PostMouseIndex(int modelIndex);
    void PostUpdateStart();
    void PostCheckUpdate();
    void PostRepairCheckUpdate();
    void PostSetNewVer();
    void PostLightToFrom(int value);
    void PostButtonCheck();
    void PostAllLanguage(int language);

signals:
    void SigChangeMainDialog(int);
    void SigChangeSize(int);
    void SigUpDataConfigUI(int, int, bool);
    void SigUpDataLightUIButton(FlashDataMap);
    void SigUpDataLightLight(FlashDataMap);
    void SigUpDataLightSensor(FlashDataMap);
    void SigUpDataLightUIA(FlashDataMap);
    void SigUpDataSensorUIB(FlashDataMap);
    void SigUpDataButtonUIC(FlashDataMap);
    void SigButtonToMacro(FlashDataMap, int);
    void SigSelectMouseInfo(DeviceAllInfo);
    void SigMouseOffLineo(int);
    void SigMainPageChange();
    void SigSecondPageChange();
    void SigUpPageLight();
    void SigAddMacroButton();
    void SigDeleteMacroButton(QString);
    void SigMacroDownLoadData(QString, int);
    void SigUpDataMacro(QString, int);
    void SigUpDataParam(int);
    void SigUpDataReportRate(int);
    void SigUpDataDPI(int);
    void SigUpDataDPILed(FlashDataMap);
    void SigTimerStop();
    void SigButtonEnable(int);
    void SigLabelText(int, QString);
    void SigLabelTextB(QString, QString);
    void SigCloseUpdate();
    void SigProgress(int, int);
    void SigBattery(bool, int, bool);
    void SigAutoRepair(int);
    void SigAutoRepairProgress(int);
    void SigChangeLanguage(int);
    void SigLanguageSameA(int);
    void SigLanguageSameB(int);
    void SigCloseOffOnline();
    void SigSetMacroPage();
    void SigStartRecord(int);
    void SigUpDateButton(bool);
    void SigMacroRename(QString, QString);
    void SigSetver(int);
    void SigCloseProgress();
    void SigRGBValue(DongleRGB*);
    void SigLongRangeMode(bool);
    void SigForm();
    void SigFormB();
    void SigEnterKey();
    void SigFormReset();
    void SigHideModel(int);
    void SigContinue(int);
    void SigMouseIndex(int);
    void SigUpdateStart();
    void SigCheckUpdate();
    void SigRepairCheckUpdate();
    void SigSetNewVer();
    void SigLightToFrom(int);
    void SigButtonCheck();
    void SigAllLanguage(int);

private:
    PostMsg() = default;
};
