#include "ui/settings/UpDateRepair.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/DeviceDiscovery.h"
#include "device/FirmwareImageSearch.h"
#include "device/UpdateRecords.h"
#include "ui/common/StyleHelper.h"
#include "ui/settings/UpdateLog.h"

#include <HIDUsb.h>

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QShortcut>
#include <QToolButton>

namespace {
QList<QByteArray> s_repairImageList;
// Set while a repair transfer reports progress; the dialog cannot be closed
// meanwhile. GUI thread.
bool s_transferInProgress = false;
// The dialog whose repair transfer runs; GUI thread.
QPointer<UpDateRepair> s_repairing;

QString autoRepairText(int position)
{
    return LanguageTables::text(LanguageSection::AutoRepair, position);
}

QString option(const QString& group, const QString& key)
{
    return ConfigSettings::instance()->value(group, key);
}

bool isWirelessPid(const QString& pid, const QString& key)
{
    return ConfigSettings::instance()->valueList(QStringLiteral("Option"), key).contains(pid);
}
}

UpDateRepair::UpDateRepair(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("WarningDialog"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    StyleHelper::activateWhenShown(this);
    applyLook();

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigAutoRepair(int)), this, SLOT(SlotAutoRepair(int)));
    connect(bus, SIGNAL(SigAutoRepairProgress(int)), this, SLOT(SlotAutoRepairProgress(int)));
    connect(bus, SIGNAL(SigProgress(int,int)), this, SLOT(SlotProgress(int,int)));
    connect(bus, SIGNAL(SigRepairCheckUpdate()), this, SLOT(SlotRepairCheckUpdate()));
    connect(bus, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
    // Whoever shows it next picks its mode; until then none of the form's own
    // placeholder texts or an empty bar can show.
    ShowRepairMode();
}

UpDateRepair::~UpDateRepair()
{
    if (g_UpDateRepairDialog == this)
        g_UpdateDialogShown = false;
}

void UpDateRepair::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (g_UpDateRepairDialog == this)
        g_UpdateDialogShown = isVisible();
}

void UpDateRepair::buildForm()
{
    setObjectName(QStringLiteral("UpDateRepair"));
    setWindowTitle(QStringLiteral("Dialog"));
    setFixedSize(420, 220);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("AutoRepair"));
    m_frame->setGeometry(0, 0, 420, 220);

    m_closeButton = new QToolButton(m_frame);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setGeometry(390, 10, 20, 20);

    m_toolText = new QLabel(m_frame);
    m_toolText->setObjectName(QStringLiteral("ToolText"));
    m_toolText->setGeometry(30, 36, 360, 70);
    m_toolText->setWordWrap(true);
    m_toolText->setAlignment(Qt::AlignCenter);
    m_toolText->setFont(font);
    m_toolText->setText(QString::fromUtf8("请先确保插入接收器和有线鼠标,升级期间请勿关闭程序或者拔插设备。"));

    m_toolText2 = new QLabel(m_frame);
    m_toolText2->setObjectName(QStringLiteral("ToolText_2"));
    m_toolText2->setGeometry(30, 108, 360, 44);
    m_toolText2->setWordWrap(true);
    m_toolText2->setAlignment(Qt::AlignCenter);
    m_toolText2->setFont(font);
    m_toolText2->setText(QString::fromUtf8("当前没有发现可以升级的鼠标,请确认鼠标是否处于有线模式"));

    m_progressBar = new QProgressBar(m_frame);
    m_progressBar->setObjectName(QStringLiteral("progressBar_2"));
    m_progressBar->setGeometry(40, 156, 340, 16);
    m_progressBar->setFormat(QStringLiteral("%p%"));
    m_progressBar->setValue(0);

    m_newHong = new QToolButton(m_frame);
    m_newHong->setObjectName(QStringLiteral("NewHong"));
    m_newHong->setGeometry(100, 180, 90, 24);
    m_newHong->setFont(font);
    m_newHong->setText(QString::fromUtf8("取消"));

    m_newHong2 = new QToolButton(m_frame);
    m_newHong2->setObjectName(QStringLiteral("NewHong_2"));
    m_newHong2->setGeometry(230, 180, 90, 24);
    m_newHong2->setFont(font);
    m_newHong2->setText(QString::fromUtf8("升级"));
}

void UpDateRepair::applyLook()
{
    m_frame->setStyleSheet(QStringLiteral("QFrame#AutoRepair{border:none;border-image:url(%1BackGround.png);}")
                               .arg(m_pictureFolder));
    m_closeButton->setStyleSheet(
        QStringLiteral("QToolButton{border:none;background:url(%1Close.png) center no-repeat;}"
                       "QToolButton:hover{background:url(%1CloseHover.png) center no-repeat;}"
                       "QToolButton:pressed{background:url(%1CloseClick.png) center no-repeat;}")
            .arg(m_pictureFolder));
    StyleHelper::applyTextColor(m_toolText, QStringLiteral("LabelColor"));
    m_toolText2->setStyleSheet(QStringLiteral("#ToolText_2{color: rgb(255,0,0);background-color:rgba(0,0,0,0);}"));
    const QString buttons = StyleHelper::toolButtonImages(m_pictureFolder, QStringLiteral("ok_nr.png"),
                                                          QStringLiteral("ok_enter.png"), QString(), QString(),
                                                          StyleHelper::colorRule(QStringLiteral("ButtonColor")));
    m_newHong->setStyleSheet(buttons);
    m_newHong2->setStyleSheet(buttons);

    // The groove and fill of the sliders on the dark pages. The percentage
    // stands right of the groove, in the dialog's text colour, so that no part
    // of it lies on the fill whatever the value.
    const int textRoom = m_progressBar->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 12;
    m_progressBar->setStyleSheet(
        QStringLiteral("QProgressBar#progressBar_2{border:none;background:rgb(44,50,61);background-clip:content;"
                       "padding:3px %1px 3px 0px;text-align:right;%2}"
                       "QProgressBar#progressBar_2::chunk{border-radius:5px;background:%3;}")
            .arg(textRoom)
            .arg(StyleHelper::colorRule(QStringLiteral("LabelColor")),
                 StyleHelper::optionRgb(QStringLiteral("SliderColor"))));
}

void UpDateRepair::bindKeys()
{
    if (m_returnKey)
        return;
    m_returnKey = new QShortcut(QKeySequence(Qt::Key_Return), this);
    m_enterKey = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    m_escapeKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    // A key stands for its button only while the button is there to press: a
    // hidden start button must not restart or leave a running transfer.
    auto press = [](QToolButton* button) {
        if (button->isVisible() && button->isEnabled())
            button->click();
    };
    connect(m_returnKey, &QShortcut::activated, this, [=] { press(m_newHong2); });
    connect(m_enterKey, &QShortcut::activated, this, [=] { press(m_newHong2); });
    connect(m_escapeKey, &QShortcut::activated, this, [=] { press(m_newHong); });
}

void UpDateRepair::ShowUpdateMode()
{
    bindKeys();
    m_newHong2->setText(m_startCaption);
    m_newHong2->show();
    m_newHong->setText(m_cancelCaption);
    m_newHong->setEnabled(true);
    m_newHong->show();
    m_closeButton->setEnabled(true);
    m_closeButton->show();
    m_toolText2->setText(autoRepairText(12));
    m_toolText2->show();
    m_progressBar->hide();
}

void UpDateRepair::ShowIdleMode()
{
    bindKeys();
    m_newHong2->setText(m_closeCaption);
    m_newHong2->show();
    m_newHong->setEnabled(true);
    m_newHong->show();
    m_closeButton->setEnabled(true);
    m_closeButton->show();
    m_toolText2->show();
    m_progressBar->hide();
}

void UpDateRepair::ShowRepairMode()
{
    bindKeys();
    m_newHong2->setText(m_startCaption);
    m_newHong2->show();
    m_newHong->setText(m_cancelCaption);
    m_newHong->show();
    m_closeButton->show();
    m_toolText->show();
    m_toolText2->clear();
    m_toolText2->show();
    m_progressBar->setValue(0);
    m_progressBar->hide();
}

void UpDateRepair::SetLabelText(const QString& text)
{
    m_toolText2->setText(text);
}

bool UpDateRepair::ShowsRun() const
{
    return !m_progressBar->isHidden();
}

void UpDateRepair::StartUpgradeFor(int mode)
{
    Q_UNUSED(mode)
    m_startedFromTopWindow = true;
    // The top window offers this for the one receiver on the list, whose newer
    // image it found: that receiver is the target, nothing else is updated.
    const DeviceAllInfo device = g_DeviceList.value(0);
    m_modelGroup = QStringLiteral("Drive%1").arg(device.modelIndex + 1);
    m_recordType = FirmwareImageHeader::kReceiverType;
    m_repairKind = FirmwareImageSearch::receiverKindOf(device.connectionType);
    const QString key = FirmwareImageSearch::receiverModelKey(m_repairKind);
    m_receiverModelName = key.isEmpty() ? QString() : option(m_modelGroup, key);
    m_mouseModelName = option(m_modelGroup, QStringLiteral("MM"));
    m_repairCustomerId = option(QStringLiteral("Option"), QStringLiteral("CID")).toInt();
    m_repairModelId = option(m_modelGroup, QStringLiteral("MID")).toInt();
    m_repairDeviceCount = 1;
    m_imageFound = !m_receiverModelName.isEmpty();
    if (!m_imageFound) {
        refuse(autoRepairText(8));
        return;
    }
    startRepair();
}

QList<QByteArray>& UpDateRepair::repairImageList()
{
    return s_repairImageList;
}

bool UpDateRepair::FindFirmwareFile(uchar type, QString version, QString modelName, uchar customerId, uchar modelId)
{
    return FirmwareImageSearch::run(FirmwareImageSearch::Variant::Repair, type, version, modelName, customerId,
                                    modelId, &s_repairImageList);
}

bool UpDateRepair::refuse(const QString& text)
{
    SetLabelText(text);
    ShowIdleMode();
    return false;
}

bool UpDateRepair::RepairCheck()
{
    const std::optional<UpdateRecords::Failure> record = UpdateRecords::failureRecord();
    if (!record)
        return false;
    m_recordType = record->type;
    const int recordModelId = record->modelId;
    const QString kindText = record->kind;
    m_repairKind = 0;

    if (g_DeviceList.isEmpty())
        return refuse(autoRepairText(2));

    if (g_DeviceList.size() > 1) {
        QList<DeviceAllInfo> wired;
        QList<DeviceAllInfo> receivers;
        for (const DeviceAllInfo& d : g_DeviceList)
            (d.direct ? wired : receivers).append(d);
        if (wired.size() >= 2)
            return refuse(autoRepairText(10));
        if (receivers.size() >= 2)
            return refuse(autoRepairText(11));
        if (m_recordType == FirmwareImageHeader::kMouseType && wired.size() == 1 && wired.first().mid != recordModelId)
            return refuse(autoRepairText(10));
        if (m_recordType == FirmwareImageHeader::kReceiverType && receivers.size() == 1
            && receivers.first().mid != recordModelId)
            return refuse(autoRepairText(11));
    }

    // Receivers that answer in normal mode count as candidates of a receiver repair.
    int normalReceivers = 0;
    if (m_recordType == FirmwareImageHeader::kReceiverType) {
        static const QStringList kWirelessKeys = {QStringLiteral("Wireless_PID"), QStringLiteral("Wireless2_PID"),
                                                  QStringLiteral("Wireless4_PID"), QStringLiteral("Wireless8_PID")};
        for (const DeviceAllInfo& d : g_DeviceListB) {
            for (const QString& key : kWirelessKeys) {
                if (isWirelessPid(d.pid, key)) {
                    ++normalReceivers;
                    break;
                }
            }
        }
        if (normalReceivers == 1) {
            QString kindKey;
            if (kindText == QLatin1String("1"))
                kindKey = QStringLiteral("Wireless_PID");
            else if (kindText == QLatin1String("2"))
                kindKey = QStringLiteral("Wireless2_PID");
            else if (kindText == QLatin1String("4"))
                kindKey = QStringLiteral("Wireless4_PID");
            else if (kindText == QLatin1String("8"))
                kindKey = QStringLiteral("Wireless8_PID");
            normalReceivers = 0;
            for (const DeviceAllInfo& d : g_DeviceListB) {
                if (!kindKey.isEmpty() && isWirelessPid(d.pid, kindKey))
                    ++normalReceivers;
            }
        }
    }

    m_stage = 0;
    if (!m_startedFromTopWindow) {
        const DeviceAllInfo first = g_DeviceList.first();
        if (m_recordType == FirmwareImageHeader::kReceiverType && !(first.direct && first.mid == recordModelId))
            return refuse(autoRepairText(6));
        if (m_recordType == FirmwareImageHeader::kMouseType && !(!first.direct && first.mid == recordModelId))
            return refuse(autoRepairText(5));

        m_modelGroup.clear();
        const int total = DeviceDiscovery::DeviceTotal();
        for (int n = 1; n <= total; ++n) {
            const QString group = QStringLiteral("Drive%1").arg(n);
            bool ok = false;
            if (option(group, QStringLiteral("MID")).toInt(&ok) == recordModelId && ok) {
                m_modelGroup = group;
                break;
            }
        }
        m_mouseModelName = m_modelGroup.isEmpty() ? QString() : option(m_modelGroup, QStringLiteral("MM"));
        m_receiverModelName.clear();
        for (int kind : {1, 2, 4, 8}) {
            if (kindText == QString::number(kind)) {
                m_repairKind = kind;
                if (!m_modelGroup.isEmpty())
                    m_receiverModelName = option(m_modelGroup, FirmwareImageSearch::receiverModelKey(kind));
            }
        }
        m_repairCustomerId = record->customerId;
        m_repairModelId = m_modelGroup.isEmpty() ? 0 : option(m_modelGroup, QStringLiteral("MID")).toInt();

        const bool mouseImage = FindFirmwareFile(FirmwareImageHeader::kMouseType, QString(), m_mouseModelName,
                                                 uchar(m_repairCustomerId), uchar(m_repairModelId));
        const bool receiverImage = FindFirmwareFile(FirmwareImageHeader::kReceiverType, QString(),
                                                    m_receiverModelName, uchar(m_repairCustomerId),
                                                    uchar(m_repairModelId));
        m_repairDeviceCount = mouseImage && receiverImage ? 2 : 1;
        if (m_recordType == FirmwareImageHeader::kReceiverType) {
            m_imageFound = FindFirmwareFile(FirmwareImageHeader::kReceiverType, QString(), m_receiverModelName,
                                            uchar(m_repairCustomerId), uchar(m_repairModelId));
        } else {
            m_imageFound = FindFirmwareFile(FirmwareImageHeader::kMouseType, QString(), m_mouseModelName,
                                            uchar(m_repairCustomerId), uchar(m_repairModelId));
        }
    } else {
        m_imageFound = true;
    }

    // Without an image there is nothing to ask the boot loader about.
    const int bootDevices =
        m_imageFound && !s_repairImageList.isEmpty() ? FirmwareTransfer::bootDevices(s_repairImageList.first()) : 0;
    const int total = bootDevices + normalReceivers;

    if (m_imageFound) {
        if (total != 1) {
            refuse(autoRepairText(total == 0 ? 2 : 3));
            m_newHong->show();
            g_RepairRunning = false;
            return false;
        }
        return true;
    }
    if (total == 1)
        return refuse(autoRepairText(8));
    return true;
}

void UpDateRepair::SlotRepairCheckUpdate()
{
    // A device change does not replace the result of a run the dialog shows:
    // a failure stays said until the dialog is closed, and Start is not
    // offered again for a device that went during the run.
    if (ShowsRun())
        return;
    if (RepairCheck())
        ShowUpdateMode();
}

bool UpDateRepair::transferInProgress()
{
    return s_transferInProgress;
}

void UpDateRepair::ShowProgressMode()
{
    bindKeys();
    m_newHong2->hide();
    m_newHong->hide();
    m_newHong->setEnabled(false);
    m_closeButton->show();
    m_closeButton->setEnabled(false);
    m_toolText2->setText(LanguageTables::text(LanguageSection::Progress, 0));
    m_toolText2->show();
    m_progressBar->setValue(0);
    m_progressBar->show();
}

bool UpDateRepair::sendRepairImage(void (UpDateRepair::*notSent)(FirmwareTransfer::Outcome))
{
    QString reason;
    if (s_repairImageList.isEmpty() || !FirmwareImageHeader::checkImage(s_repairImageList.first(), &reason)) {
        UpdateLog::append(QStringLiteral("Repair refused: %1").arg(reason.isEmpty() ? QStringLiteral("no image") : reason),
                          QStringList());
        return false;
    }
    const QByteArray image = s_repairImageList.first();
    m_sentVersion = FirmwareImageSearch::versionText(FirmwareImageHeader::parse(image).version);
    // The library takes a device in its boot loader first: one come or gone
    // during the record's write would change where the image goes.
    const int bootBefore = FirmwareTransfer::bootDevices(image);
    auto stillThere = [image, bootBefore] { return FirmwareTransfer::bootDevices(image) == bootBefore; };
    FirmwareTransfer::start(stageDevice(), image, &UpDateRepair::onTransferMessage, this, stillThere,
                            [this, notSent](FirmwareTransfer::Outcome outcome) {
                                if (outcome == FirmwareTransfer::Outcome::Started)
                                    s_repairing = this;
                                else
                                    (this->*notSent)(outcome);
                            });
    return true;
}

int UpDateRepair::stageType() const
{
    const bool mouse = (m_stage == 1) != m_mouseFirst;
    return mouse ? FirmwareImageHeader::kMouseType : FirmwareImageHeader::kReceiverType;
}

UpdateRecords::Failure UpDateRepair::stageDevice() const
{
    return UpdateRecords::device(stageType(), m_repairKind, m_repairCustomerId, m_repairModelId);
}

bool UpDateRepair::findStageImage()
{
    const bool mouse = stageType() == FirmwareImageHeader::kMouseType;
    return FindFirmwareFile(uchar(stageType()), QString(), mouse ? m_mouseModelName : m_receiverModelName,
                            uchar(m_repairCustomerId), uchar(m_repairModelId));
}

void UpDateRepair::startRepair()
{
    if (!m_imageFound)
        return;
    g_RepairRunning = true;
    ShowProgressMode();
    g_DevicePollingEnabled = false;
    // The device the record names goes first, under that record; the other
    // follows under a record of its own once the first is repaired and its
    // record gone. Broken off anywhere, the record names the device left in
    // its boot loader beside one that works, which is what the check finds.
    m_mouseFirst = m_recordType == FirmwareImageHeader::kMouseType;
    m_stage = 0;
    bool found = findStageImage();
    if (!found) {
        m_stage = 1;
        found = findStageImage();
    }
    PostMsg* bus = PostMsg::GetInstance();
    if (!found) {
        bus->PostAutoRepair(0);
        bus->PostUpDateButton(true);
        g_RepairRunning = false;
        g_DevicePollingEnabled = true;
        // Nothing was sent: the dialog must still end in a closable state.
        bus->PostProgress(0, 5);
        return;
    }
    m_imageFound = sendRepairImage(&UpDateRepair::firstImageNotSent);
    if (!m_imageFound)
        firstImageNotSent(FirmwareTransfer::Outcome::NotStarted);
}

void UpDateRepair::firstImageNotSent(FirmwareTransfer::Outcome outcome)
{
    // A refused image or a transfer that did not start: nothing was sent, the
    // record stays for a later attempt.
    m_imageFound = false;
    g_RepairRunning = false;
    g_DevicePollingEnabled = true;
    PostMsg* bus = PostMsg::GetInstance();
    bus->PostAutoRepair(1);
    bus->PostProgress(0, 6);
    if (outcome == FirmwareTransfer::Outcome::OtherDevicePending)
        SetLabelText(LanguageTables::text(LanguageSection::DialogChange, 2));
}

void UpDateRepair::onTransferMessage(int kind, int value)
{
    if (UpDateRepair* dialog = s_repairing)
        dialog->repairEvent(kind, value);
    else if (kind == 2)
        s_transferInProgress = false;
}

void UpDateRepair::repairEvent(int kind, int value)
{
    if (kind == 1) {
        s_transferInProgress = true;
        int p = value;
        if (m_repairDeviceCount == 2)
            p = (p >> 1) + (m_stage == 1 ? 50 : 0);
        PostMsg::GetInstance()->PostAutoRepairProgress(p);
        return;
    }
    if (kind != 2)
        return;
    repairEnded(value == 1);
    g_DevicePollingEnabled = true;
    s_transferInProgress = false;
}

void UpDateRepair::repairEnded(bool success)
{
    PostMsg* bus = PostMsg::GetInstance();
    const bool mouse = stageType() == FirmwareImageHeader::kMouseType;
    if (!success) {
        UpdateLog::append(QStringLiteral("Repair of the %1 failed").arg(mouse ? "mouse" : "receiver"),
                          UpdateLog::libraryLines());
        bus->PostAutoRepair(1);
        bus->PostUpDateButton(false);
        bus->PostProgress(0, 6);
        UpdateRecords::writeFailure(stageDevice());
        g_RepairRunning = false;
        return;
    }
    UpdateLog::append(QStringLiteral("Repair of the %1 done").arg(mouse ? "mouse" : "receiver"),
                      UpdateLog::libraryLines());
    // The record goes with the success of the device it names.
    UpdateRecords::clearFailureFor(stageDevice());
    // The device list compares this version with the images when the device is opened.
    if (mouse && !m_modelGroup.isEmpty())
        UpdateRecords::writeMouseVersion(m_modelGroup, m_sentVersion);
    if (m_stage == 1) {
        repairDone();
        return;
    }
    // The first device is done: the other follows when it is listed and has an image.
    m_stage = 1;
    const bool secondMouse = stageType() == FirmwareImageHeader::kMouseType;
    bool listed = false;
    for (const DeviceAllInfo& d : qAsConst(g_DeviceList))
        listed = listed || (d.direct == secondMouse && d.mid == m_repairModelId);
    if (!findStageImage() || !listed) {
        repairDone();
        return;
    }
    if (!sendRepairImage(&UpDateRepair::secondImageNotSent))
        secondImageNotSent(FirmwareTransfer::Outcome::NotStarted);
}

void UpDateRepair::repairDone()
{
    PostMsg* bus = PostMsg::GetInstance();
    bus->PostAutoRepair(0);
    bus->PostUpDateButton(true);
    bus->PostProgress(0, 2);
    g_RepairRunning = false;
}

void UpDateRepair::secondImageNotSent(FirmwareTransfer::Outcome outcome)
{
    // The device the record named is repaired; the other was not touched.
    PostMsg* bus = PostMsg::GetInstance();
    bus->PostAutoRepair(1);
    bus->PostUpDateButton(UpdateRecords::failure().isEmpty());
    bus->PostProgress(0, 5);
    if (outcome == FirmwareTransfer::Outcome::OtherDevicePending)
        SetLabelText(LanguageTables::text(LanguageSection::DialogChange, 2));
    g_RepairRunning = false;
}

void UpDateRepair::leaveAfterRun()
{
    if (m_progressBar->isVisible()) {
        if (m_progressBar->value() >= 100)
            PostMsg::GetInstance()->PostSetNewVer();
        else if (g_LinkEnabled == 1)
            PostMsg::GetInstance()->PostChangeMainDialog(0);
    }
}

void UpDateRepair::on_CloseButton_clicked()
{
    if (s_transferInProgress)
        return;
    leaveAfterRun();
    close();
}

void UpDateRepair::on_NewHong_clicked()
{
    on_CloseButton_clicked();
}

void UpDateRepair::on_NewHong_2_clicked()
{
    if (!s_transferInProgress && m_progressBar->isVisible()) {
        leaveAfterRun();
        close();
        return;
    }
    if (m_newHong2->text() == m_closeCaption) {
        close();
        return;
    }
    if (g_LinkEnabled == 1)
        PostMsg::GetInstance()->PostUpdateStart();
    else
        startRepair();
}

void UpDateRepair::SlotAutoRepair(int result)
{
    m_toolText2->setText(result != 0 ? m_failedText : m_doneText);
    m_newHong2->setText(m_closeCaption);
    m_newHong->show();
}

void UpDateRepair::SlotAutoRepairProgress(int value)
{
    m_progressBar->setValue(value);
}

void UpDateRepair::SlotProgress(int value, int status)
{
    switch (status) {
    case 0:
        m_progressBar->setValue(value);
        break;
    case 1:
    case 5:
        m_newHong2->setText(m_closeCaption);
        m_newHong2->show();
        m_newHong->show();
        m_toolText2->setText(m_failedText);
        m_closeButton->setEnabled(true);
        m_newHong->setEnabled(true);
        if (status == 5)
            m_progressBar->setValue(50);
        break;
    case 2:
        m_newHong2->setText(m_closeCaption);
        m_newHong2->show();
        m_toolText2->setText(m_doneText);
        m_progressBar->setValue(100);
        m_newHong->show();
        m_closeButton->setEnabled(true);
        m_newHong->setEnabled(true);
        break;
    case 3:
        m_newHong->hide();
        break;
    case 4:
        m_newHong->hide();
        m_progressBar->setValue(0);
        break;
    case 6:
        m_toolText2->setText(m_failedText);
        m_newHong->show();
        m_closeButton->setEnabled(true);
        m_newHong->setEnabled(true);
        break;
    default:
        break;
    }
}

void UpDateRepair::SlotAllLanguage(int language)
{
    const bool showsClose = !m_closeCaption.isEmpty() && m_newHong2->text() == m_closeCaption;
    m_toolText->setText(LanguageTables::text(LanguageSection::AutoRepair, language, 0));
    m_startCaption = LanguageTables::text(LanguageSection::AutoRepair, language, 4);
    m_cancelCaption = LanguageTables::text(LanguageSection::AutoRepair, language, 1);
    m_closeCaption = LanguageTables::text(LanguageSection::DialogChange, language, 4);
    m_doneText = LanguageTables::text(LanguageSection::Progress, language, 1);
    m_failedText = LanguageTables::text(LanguageSection::Progress, language, 2);
    m_newHong->setText(m_cancelCaption);
    m_newHong2->setText(showsClose ? m_closeCaption : m_startCaption);
}
