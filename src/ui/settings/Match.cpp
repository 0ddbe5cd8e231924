#include "ui/settings/Match.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/Timing.h"
#include "ui/common/StyleHelper.h"
#include "ui/home/DialogChange.h"

#include <HIDUsb.h>

#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <atomic>

namespace {
constexpr int kPollMs = 1000;
constexpr int kStateTickMs = 100;
constexpr int kDotsMs = 500;
constexpr int kPairStatusReport = 6;
constexpr int kFindCapacity = 5;

// Shared by every pairing dialog (only one exists at a time). The report
// callback reads and writes the flags from the library's thread.
std::atomic<int> s_pairStatus{0};
std::atomic<bool> s_pairRunning{false};
std::atomic<bool> s_linkRestore{false};
int s_dotsStep = 0;  // GUI thread
// The dialog that results are handed to; GUI thread only.
QPointer<Match> s_current;
}

Match::Match(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Setting"));
    setWindowFlags(StyleHelper::noticeFlags());
    StyleHelper::useTranslucentBackground(this);
    StyleHelper::activateWhenShown(this);
    applyLook();

    m_pathAtConstruction = currentDeviceCopy().path;

    m_pollTimer = new QTimer(this);
    m_stateTimer = new QTimer(this);
    m_dotsTimer = new QTimer(this);
    m_limitTimer = new QTimer(this);
    m_limitTimer->setSingleShot(true);
    connect(m_pollTimer, &QTimer::timeout, this, &Match::onPairTimeupDestroy);
    connect(m_stateTimer, &QTimer::timeout, this, &Match::onUSBTimeupDestroy);
    connect(m_dotsTimer, &QTimer::timeout, this, &Match::onTextTimeupDestroy);
    connect(m_limitTimer, &QTimer::timeout, this, &Match::onTimeLimit);
    connect(this, &Match::SigTimerStop, this, &Match::SlotStopTimer);
    connect(this, &Match::SigButtonEnable, this, &Match::SlotButtonenable);
    connect(m_closeButton, &QToolButton::clicked, this, &Match::WindowClosedSet);
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
    s_current = this;
}

Match::~Match()
{
    // A dialog destroyed while pairing (the program ends) leaves no flag behind.
    if (s_current == this) {
        s_pairRunning = false;
        giveLinkBack();
    }
}

int Match::pairStatus()
{
    return s_pairStatus;
}

bool Match::pairingRunning()
{
    return s_pairRunning;
}

void Match::buildForm()
{
    setObjectName(QStringLiteral("Match"));
    setWindowTitle(QStringLiteral("Dialog"));
    setFixedSize(458, 242);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("MatchA"));
    m_frame->setGeometry(0, 0, 458, 242);

    m_closeButton = new QToolButton(m_frame);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setGeometry(426, 10, 20, 20);
    m_closeButton->setFocusPolicy(Qt::NoFocus);

    m_picture = new QToolButton(m_frame);
    m_picture->setObjectName(QStringLiteral("toolButton_2"));
    m_picture->setGeometry(24, 50, 120, 60);
    m_picture->setEnabled(false);
    m_picture->setFocusPolicy(Qt::NoFocus);

    m_decoration = new QToolButton(m_frame);
    m_decoration->setObjectName(QStringLiteral("toolButton_3"));
    m_decoration->setGeometry(24, 120, 120, 10);
    m_decoration->setEnabled(false);
    m_decoration->setFocusPolicy(Qt::NoFocus);

    m_textEdit = new QTextEdit(m_frame);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setGeometry(160, 40, 276, 140);
    m_textEdit->setReadOnly(true);
    m_textEdit->setEnabled(false);
    m_textEdit->setFont(font);
    m_textEdit->setFocusPolicy(Qt::NoFocus);

    m_label = new QLabel(m_frame);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(160, 40, 276, 140);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setFont(font);
    m_label->hide();

    m_matchButton = new QToolButton(m_frame);
    m_matchButton->setObjectName(QStringLiteral("MatchButton"));
    m_matchButton->setGeometry(152, 190, 154, 32);
    m_matchButton->setFont(font);
    m_matchButton->setFocusPolicy(Qt::TabFocus);
}

void Match::applyLook()
{
    m_buttonColour = StyleHelper::colorRule(QStringLiteral("ButtonColor"));
    const QString labelColour = StyleHelper::colorRule(QStringLiteral("LabelColor"));
    m_frame->setStyleSheet(QStringLiteral("QFrame#MatchA{border:none;background:url(%1BackSecondPage.png) center no-repeat;}")
                               .arg(m_pictureFolder));
    m_closeButton->setStyleSheet(StyleHelper::toolButtonImages(
        m_pictureFolder, QStringLiteral("CloseSecondPage.png"), QStringLiteral("CloseSecondPageHover.png"),
        QStringLiteral("CloseSecondPageClick.png")));
    m_picture->setStyleSheet(StyleHelper::toolButtonImages(m_pictureFolder, QStringLiteral("Picture.png"),
                                                           QString(), QString()));
    m_decoration->setStyleSheet(QStringLiteral("QToolButton{border:none;background:transparent;}"));
    m_textEdit->setStyleSheet(QStringLiteral("QTextEdit{border:none;background:transparent;%1}").arg(labelColour));
    if (!labelColour.isEmpty())
        m_label->setStyleSheet(labelColour);
    setButtonLook(QStringLiteral("Pair.png"), false);
}

void Match::setButtonLook(const QString& picture, bool disabledLook)
{
    const QString colour = disabledLook ? QStringLiteral("color:rgb(0,0,0);") : m_buttonColour;
    m_matchButton->setStyleSheet(QStringLiteral("QToolButton{border:none;%1border-image:url(%2%3);}")
                                     .arg(colour, m_pictureFolder, picture));
    m_matchButton->setProperty("look", picture);
}

void Match::setButtonText(const QString& text)
{
    m_matchButton->setText(text);
    // A button's new text replaces its shortcut with the text's mnemonic.
    if (m_spaceBound)
        m_matchButton->setShortcut(QKeySequence(Qt::Key_Space));
}

void Match::ResetPairPage()
{
    m_spaceBound = true;
    s_dotsStep = 0;
    s_pairStatus = 0;
    m_matchButton->setEnabled(true);
    setButtonLook(QStringLiteral("Pair.png"), false);
    setButtonText(m_startText);

    if (g_LinkEnabled == 1) {
        const DeviceAllInfo current = currentDeviceCopy();
        m_targetPath = m_pathAtConstruction;
        m_vid = current.vid;
        m_pid = current.pid;
        m_wired = current.direct;
    } else {
        DeviceAllInfo target;
        if (g_MatchMode != 0)
            target = g_SelectedDevice;
        else if (!g_DeviceList.isEmpty())
            target = g_DeviceList.first();
        m_targetPath = target.path;
        m_vid = target.vid;
        m_pid = target.pid;
        m_wired = target.direct;
    }
    m_targetPathBytes = m_targetPath.toLatin1();
    m_customerId = quint8(ConfigSettings::instance()->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt());
    m_stateTimer->start(Timing::scaled(kStateTickMs));
    onUSBTimeupDestroy();
}

void Match::onUSBTimeupDestroy()
{
    if (!s_pairRunning) {
        m_pairable = m_wired ? 0 : 1;
        m_textEdit->setVisible(m_pairable);
        m_label->setVisible(!m_pairable);
    }
    m_matchButton->setEnabled(m_pairable);
    if (!m_pairable)
        setButtonLook(QStringLiteral("Pair.png"), true);
}

void Match::on_MatchButton_clicked()
{
    if (s_pairStatus == 2 || !m_pairable)
        return;
    s_pairStatus = 1;
    m_dotsTimer->start(Timing::scaled(kDotsMs));
    setButtonLook(QStringLiteral("Pair.png"), false);
    setButtonText(m_pairingText);
    // The device thread must not reconnect while the dialog owns the link.
    int linked = 1;
    if (g_LinkEnabled.compare_exchange_strong(linked, 0))
        s_linkRestore = true;
    s_pairRunning = false;
    EnterPair();
}

void Match::EnterPair()
{
    if (!s_pairRunning) {
        qDebug() << "Enter";
        s_pairRunning = true;
        m_pollTimer->start(Timing::scaled(kPollMs));
        m_limitTimer->start(Timing::scaled(kPairTimeLimitMs));
        const char* path = m_targetPathBytes.constData();
        UsbServerC_Start(path, path, &Match::OnPairReport);
        UsbServer_EnterDonglePairOnlyCid(m_customerId);
    } else {
        UsbServer_EnterDonglePairOnlyCid(m_customerId);
    }
}

void Match::onPairTimeupDestroy()
{
    UsbServer_ReadDonglePairStatus();
    int count = kFindCapacity;
    const QByteArray vid = m_vid.toLatin1();
    const QByteArray pid = m_pid.toLatin1();
    char** paths = UsbFinderC_FindHidDevicesByDefaultDeviceId(vid.constData(), pid.constData(), &count);
    for (int i = 0; paths && i < count; ++i) {
        if (paths[i] && m_targetPathBytes == paths[i])
            return;
    }
    // The receiver is gone.
    if (s_pairRunning.exchange(false))
        showFailed();
}

void Match::onTimeLimit()
{
    // The receiver never answered with a result.
    if (s_pairRunning.exchange(false))
        showFailed();
}

void Match::showFailed()
{
    stopPairingTimers();
    s_pairStatus = 3;
    SlotButtonenable(0);
}

void Match::onTextTimeupDestroy()
{
    static const char* const kDots[4] = {"", ".", "..", "..."};
    m_matchButton->setText(m_pairingText + QLatin1String(kDots[s_dotsStep]));
    s_dotsStep = (s_dotsStep + 1) % 4;
}

void Match::OnPairReport(unsigned char* header, int headerLength, unsigned char* data, unsigned int dataLength)
{
    const int type = header && headerLength >= 2 ? header[1] : 0;
    qDebug() << "in2" << type;
    if (type != kPairStatusReport || !data || dataLength < 1)
        return;
    const int answer = data[0];
    if (answer != 2 && answer != 3)
        return;
    // Only the pairing that is waiting takes a result; a late answer to one that
    // already ended (time limit, receiver gone) changes nothing.
    if (!s_pairRunning.exchange(false))
        return;
    const bool paired = answer == 3;
    qDebug() << (paired ? "success" : "fail");
    s_pairStatus = paired ? 2 : 3;
    giveLinkBack();
    // The widgets belong to the GUI thread.
    QMetaObject::invokeMethod(
        qApp,
        [paired] {
            if (Match* match = s_current) {
                emit match->SigTimerStop();
                emit match->SigButtonEnable(paired ? 1 : 0);
            }
        },
        Qt::QueuedConnection);
}

void Match::stopPairingTimers()
{
    m_pollTimer->stop();
    m_dotsTimer->stop();
    m_limitTimer->stop();
}

void Match::SlotStopTimer()
{
    stopPairingTimers();
}

void Match::SlotButtonenable(int result)
{
    if (result == 0) {
        setButtonText(m_failedText);
        setButtonLook(QStringLiteral("PairFail.png"), false);
    } else if (result == 1) {
        setButtonText(m_pairedText);
        setButtonLook(QStringLiteral("PairSuccess.png"), false);
        m_matchButton->setEnabled(false);
    }
}

void Match::SlotAllLanguage(int language)
{
    auto t = [language](int position) { return LanguageTables::text(LanguageSection::Match, language, position); };
    m_label->setText(t(0));
    m_textEdit->setPlainText(t(1));
    m_startText = t(2);
    m_pairingText = t(3);
    m_failedText = t(4);
    m_pairedText = t(5);
    switch (s_pairStatus) {
    case 1:
        setButtonText(m_pairingText);
        break;
    case 2:
        setButtonText(m_pairedText);
        break;
    case 3:
        setButtonText(m_failedText);
        break;
    default:
        setButtonText(m_startText);
    }
}

void Match::giveLinkBack()
{
    // Not when the device page was left meanwhile (its device was unplugged):
    // the list owns the link then.
    int restore = 0;
    if (s_linkRestore.exchange(false) && !currentDeviceCopy().path.isEmpty())
        g_LinkEnabled.compare_exchange_strong(restore, 1);
}

void Match::WindowClosedSet()
{
    reject();
}

void Match::reject()
{
    if (s_pairRunning)
        return;
    giveLinkBack();
    StartUsbChanged(&DialogChange::OnUsbChanged, 600);
    m_pollTimer->stop();
    m_stateTimer->stop();
    m_dotsTimer->stop();
    m_limitTimer->stop();
    QDialog::reject();
}
