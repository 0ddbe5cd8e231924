#include "ui/settings/ExeIsRun.h"

#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"
#include "core/Timing.h"

#include <QFile>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <QToolButton>

namespace {
QString rgbText(const QStringList& list)
{
    // Shorter lists than red, green, blue give no colour rule at all.
    if (list.size() < 3)
        return QString();
    return QString("rgb(%1,%2,%3)").arg(list.at(0).trimmed(), list.at(1).trimmed(), list.at(2).trimmed());
}
}

ExeIsRun::ExeIsRun(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);

    // Nothing sends this today; an open notice keeps its language.
    connect(PostMsg::GetInstance(), SIGNAL(SigChangeLanguage(int)), this, SLOT(SlotChangeLanguage(int)));

    m_pictureFolder = AppPaths::appSubdir("/Picture/WarningDialog/");
    setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowStaysOnTopHint);
    applyLook();

    // A copy started together with this one may open its window after the
    // notice; without a window manager nothing stacks the notice above it, and
    // a notice nobody sees waits for ever. It raises itself while shown.
    m_raiseTimer = new QTimer(this);
    m_raiseTimer->setInterval(Timing::scaled(kRaiseIntervalMs));
    connect(m_raiseTimer, &QTimer::timeout, this, [this] { raise(); });

    // A stored index the program has no file for shows English rather than the
    // placeholder texts.
    bool ok = false;
    int language = SettingsStore::instance()->value("Language", "Language").toInt(&ok);
    if (!ok || language < 0 || language >= kLanguageCount)
        language = 0;
    SlotChangeLanguage(language);
}

ExeIsRun::~ExeIsRun() = default;

void ExeIsRun::buildForm()
{
    setObjectName("ExeIsRun");
    setWindowTitle("Dialog");
    setFixedSize(300, 140);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);

    m_frame = new QFrame(this);
    m_frame->setObjectName("DeleteConfirmA");
    m_frame->setGeometry(0, 0, 300, 140);
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Raised);

    m_closeButton = new QToolButton(m_frame);
    m_closeButton->setObjectName("CloseButton");
    m_closeButton->setGeometry(272, 8, 20, 20);
    m_closeButton->setAutoRaise(true);

    m_label = new QLabel(m_frame);
    m_label->setObjectName("label");
    m_label->setGeometry(15, 35, 270, 55);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setFont(font);
    m_label->setText("Confirm Delete");

    m_newHong = new QToolButton(m_frame);
    m_newHong->setObjectName("NewHong");
    m_newHong->setGeometry(105, 102, 90, 24);
    m_newHong->setAutoRaise(true);
    m_newHong->setFont(font);
    m_newHong->setText(QString::fromUtf8("确定"));
}

void ExeIsRun::applyLook()
{
    ConfigSettings* config = ConfigSettings::instance();
    const QString labelColor = rgbText(config->valueList("Option", "LabelColor"));
    const QString buttonColor = rgbText(config->valueList("Option", "ButtonColor"));

    if (!labelColor.isEmpty())
        m_label->setStyleSheet(QString("color:%1;").arg(labelColor));

    QString button = QString("QToolButton{border:none;%1border-image:url(%2Confirm.png);}"
                             "QToolButton:pressed{border-image:url(%2ConfirmClick.png);}")
                         .arg(buttonColor.isEmpty() ? QString() : QString("color:%1;").arg(buttonColor),
                              m_pictureFolder);
    m_newHong->setStyleSheet(button);

    m_closeButton->setStyleSheet(
        QString("QToolButton{border:none;background:url(%1Close.png) center no-repeat;}"
                "QToolButton:hover{background:url(%1CloseHover.png) center no-repeat;}"
                "QToolButton:pressed{background:url(%1CloseClick.png) center no-repeat;}")
            .arg(m_pictureFolder));

    m_frame->setStyleSheet(
        QString("QFrame#DeleteConfirmA{border:none;background:url(%1BackGround.png) center no-repeat;}")
            .arg(m_pictureFolder));
}

QString ExeIsRun::languageFilePath(int language)
{
    if (language < 0 || language >= kLanguageCount)
        return QString();
    return LanguageTables::filePath(language);
}

void ExeIsRun::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    raise();
    activateWindow();
    m_raiseTimer->start();
}

void ExeIsRun::hideEvent(QHideEvent* event)
{
    m_raiseTimer->stop();
    QDialog::hideEvent(event);
}

void ExeIsRun::ShowLabel2Text()
{
    m_label->setText(m_label2Text);
}

void ExeIsRun::ShowPleaseStopText()
{
    m_label->setText(m_pleaseStopText);
}

void ExeIsRun::on_NewHong_clicked()
{
    close();
}

void ExeIsRun::on_CloseButton_clicked()
{
    close();
}

void ExeIsRun::SlotChangeLanguage(int language)
{
    const QString path = languageFilePath(language);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;

    m_reader = std::make_unique<QXmlStreamReader>(&file);
    while (!m_reader->atEnd()) {
        m_reader->readNext();
        if (m_reader->isStartElement()) {
            if (m_reader->name() == QLatin1String("Total"))
                readTotal();
            else
                m_reader->raiseError(tr("Not a labels file"));
        }
    }
    file.close();
}

void ExeIsRun::readTotal()
{
    while (!m_reader->atEnd()) {
        m_reader->readNext();
        if (m_reader->isEndElement())
            return;
        if (m_reader->isStartElement()) {
            if (m_reader->name() == QLatin1String("EXEIsRun"))
                readSection();
            else
                skipElement();
        }
    }
}

void ExeIsRun::readSection()
{
    while (!m_reader->atEnd()) {
        m_reader->readNext();
        if (m_reader->isEndElement())
            return;
        if (!m_reader->isStartElement())
            continue;
        const QStringRef name = m_reader->name();
        if (name == QLatin1String("label"))
            m_label->setText(m_reader->readElementText(QXmlStreamReader::IncludeChildElements));
        else if (name == QLatin1String("NewHong"))
            m_newHong->setText(m_reader->readElementText(QXmlStreamReader::IncludeChildElements));
        else if (name == QLatin1String("label_2"))
            m_label2Text = m_reader->readElementText(QXmlStreamReader::IncludeChildElements);
        else if (name == QLatin1String("PleaseStop"))
            m_pleaseStopText = m_reader->readElementText(QXmlStreamReader::IncludeChildElements);
        else
            skipElement();
    }
}

void ExeIsRun::skipElement()
{
    while (!m_reader->atEnd()) {
        m_reader->readNext();
        if (m_reader->isEndElement())
            return;
        if (m_reader->isStartElement())
            skipElement();
    }
}
