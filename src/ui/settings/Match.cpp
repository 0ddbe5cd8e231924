#include "ui/settings/Match.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/Timing.h"
#include "ui/common/StyleHelper.h"
#include "ui/home/DialogChange.h"

#include <HIDUsb.h>

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kStateTickMs = 100;
// Pair status shared by every pairing dialog (only one exists at a time).
int s_pairStatus = 0;
}

Match::Match(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Setting"));
    setWindowFlags(StyleHelper::noticeFlags());
    setAttribute(Qt::WA_TranslucentBackground);
    StyleHelper::activateWhenShown(this);
    applyLook();

    m_pathAtConstruction = currentDeviceCopy().path;

    m_stateTimer = new QTimer(this);
    connect(m_stateTimer, &QTimer::timeout, this, &Match::onUSBTimeupDestroy);
    connect(m_closeButton, &QToolButton::clicked, this, &Match::WindowClosedSet);
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

Match::~Match() = default;

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
    m_textEdit->setGeometry(160, 40, 276, 120);
    m_textEdit->setReadOnly(true);
    m_textEdit->setEnabled(false);
    m_textEdit->setFont(font);
    m_textEdit->setFocusPolicy(Qt::NoFocus);

    m_label = new QLabel(m_frame);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(160, 40, 276, 120);
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
    m_customerId = quint8(ConfigSettings::instance()->value(QStringLiteral("Option"), QStringLiteral("CID")).toInt());
    m_stateTimer->start(Timing::scaled(kStateTickMs));
    onUSBTimeupDestroy();
}

void Match::onUSBTimeupDestroy()
{
    m_pairable = m_wired ? 0 : 1;
    m_textEdit->setVisible(m_pairable);
    m_label->setVisible(!m_pairable);
    m_matchButton->setEnabled(m_pairable);
    if (!m_pairable)
        setButtonLook(QStringLiteral("Pair.png"), true);
}

void Match::on_MatchButton_clicked()
{
    // Nothing is sent to the receiver yet; a paired or unpairable target stays as it is.
    if (s_pairStatus == 2 || !m_pairable)
        return;
}

void Match::SlotAllLanguage(int language)
{
    m_label->setText(LanguageTables::text(LanguageSection::Match, language, 0));
    m_textEdit->setPlainText(LanguageTables::text(LanguageSection::Match, language, 1));
    m_startText = LanguageTables::text(LanguageSection::Match, language, 2);
    setButtonText(m_startText);
}

void Match::WindowClosedSet()
{
    StartUsbChanged(&DialogChange::OnUsbChanged, 600);
    m_stateTimer->stop();
    close();
}
