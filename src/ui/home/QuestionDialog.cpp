#include "ui/home/QuestionDialog.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "ui/common/StyleHelper.h"

#include <QFont>
#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextBoundaryFinder>
#include <QToolButton>

namespace {

// Refused as the whole text of a key press.
const char16_t kRefusedKeyTexts[] = u"-=/*[];',.`\\+\u3010\uFF1B\uFF0C\u3002\u2019";
// Refused as the whole commit text of an input method.
const char16_t kRefusedInputMethodTexts[] = u"-=/*\u3010\u3011\uFF1B\uFF0C\u3002\u2019\u3001\u00B7\u2018";

bool isSingleOf(const QString& text, const char16_t* set)
{
    if (text.size() != 1)
        return false;
    for (const char16_t* c = set; *c; ++c) {
        if (text.at(0).unicode() == *c)
            return true;
    }
    return false;
}

// Path separators would make the name a path; control characters have no
// place in a file name or on the device's display.
bool isUnsafe(uint codePoint)
{
    return codePoint == '/' || codePoint == '\\' || QChar::category(codePoint) == QChar::Other_Control;
}

QString withoutUnsafe(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const QVector<uint> codePoints = text.toUcs4();
    for (uint cp : codePoints) {
        if (!isUnsafe(cp))
            out += QString::fromUcs4(&cp, 1);
    }
    return out;
}

// Longest beginning that ends on a character boundary (never inside a
// surrogate pair or a combined character) and fits in maxBytes.
QString cutToBytes(const QString& text, int maxBytes)
{
    if (text.toLocal8Bit().size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int kept = 0;
    for (int pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
        if (text.left(pos).toLocal8Bit().size() > maxBytes)
            break;
        kept = pos;
    }
    return text.left(kept);
}

} // namespace

QuestionDialog::QuestionDialog(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/WarningDialog"));
    setWindowFlags(StyleHelper::noticeFlags());
    setFixedSize(width(), height());
    StyleHelper::activateWhenShown(this);

    connect(m_newHong2, SIGNAL(clicked()), this, SLOT(WindowClosedLan()));
    applyLook();

    m_lineEdit->setFocus(Qt::ActiveWindowFocusReason);
    m_lineEdit->installEventFilter(this);

    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

QuestionDialog::~QuestionDialog() = default;

void QuestionDialog::buildForm()
{
    setObjectName(QStringLiteral("QuestionDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    resize(300, 140);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Question"));
    m_frame->setGeometry(0, 0, 300, 140);

    m_closeButton = new QToolButton(m_frame);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setGeometry(272, 8, 20, 20);

    m_label = new QLabel(m_frame);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(20, 22, 260, 28);
    m_label->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignBottom);
    m_label->setFont(font);
    m_label->setText(QStringLiteral("Please create a macro first"));

    m_lineEdit = new QLineEdit(m_frame);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_lineEdit->setGeometry(20, 56, 260, 30);
    m_lineEdit->setAlignment(Qt::AlignCenter);
    m_lineEdit->setFont(font);

    m_newHong = new QToolButton(m_frame);
    m_newHong->setObjectName(QStringLiteral("NewHong"));
    m_newHong->setGeometry(45, 102, 90, 24);
    m_newHong->setFont(font);
    m_newHong->setText(QString::fromUtf8("确认"));

    m_newHong2 = new QToolButton(m_frame);
    m_newHong2->setObjectName(QStringLiteral("NewHong_2"));
    m_newHong2->setGeometry(165, 102, 90, 24);
    m_newHong2->setFont(font);
    m_newHong2->setText(QString::fromUtf8("取消"));
}

void QuestionDialog::applyLook()
{
    StyleHelper::applyTextColor(m_label, QStringLiteral("LabelColor"));
    // A dark field, so that the light text colour of the look stays readable.
    m_lineEdit->setStyleSheet(QStringLiteral("QLineEdit{background-color:rgb(21,23,28);border:1px solid rgb(44,50,61);"
                                             "border-radius:3px;%1}QLineEdit:focus{border-color:rgb(39,194,160);}")
                                  .arg(StyleHelper::colorRule(QStringLiteral("LinEditColor"))));
    m_frame->setStyleSheet(
        StyleHelper::frameBackground(m_frame->objectName(), m_pictureFolder, QStringLiteral("BackGround.png")));
    m_closeButton->setStyleSheet(StyleHelper::toolButtonImages(
        m_pictureFolder, QStringLiteral("Close.png"), QStringLiteral("CloseHover.png"), QStringLiteral("CloseClick.png")));
    const QString buttons = StyleHelper::toolButtonImages(
        m_pictureFolder, QStringLiteral("Confirm.png"), QString(), QStringLiteral("ConfirmClick.png"), QString(),
        StyleHelper::colorRule(QStringLiteral("ButtonColor")));
    m_newHong->setStyleSheet(buttons);
    m_newHong2->setStyleSheet(buttons);
}

void QuestionDialog::SetMode(int mode)
{
    m_label->setText(mode == 0 ? m_newMacroPrompt : m_renamePrompt);
}

void QuestionDialog::SlotAllLanguage(int language)
{
    m_newMacroPrompt = LanguageTables::text(LanguageSection::Question, language, 0);
    m_renamePrompt = LanguageTables::text(LanguageSection::Question, language, 1);
    m_newHong->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    m_newHong2->setText(LanguageTables::text(LanguageSection::Question, language, 3));
}

void QuestionDialog::on_NewHong_clicked()
{
    // The rules already ran on every edit; applying them again costs nothing
    // and keeps a path separator out of the name whatever way it came in.
    answer = cleanName(m_lineEdit->text());
    close();
}

void QuestionDialog::WindowClosedLan()
{
    answer.clear();
    close();
}

void QuestionDialog::on_CloseButton_clicked()
{
    answer.clear();
    close();
}

QString QuestionDialog::cleanName(const QString& edited)
{
    QString text = withoutUnsafe(edited);
    if (text.endsWith(QLatin1Char(' ')))
        text.remove(QLatin1Char(' '));
    return cutToBytes(text, kMaxNameBytes);
}

void QuestionDialog::on_lineEdit_textEdited(const QString& text)
{
    // setText also moves the cursor to the end, as the user expects after a cut.
    m_lineEdit->setText(cleanName(text));
}

bool QuestionDialog::isRefusedKeyText(const QString& text)
{
    return isSingleOf(text, kRefusedKeyTexts);
}

bool QuestionDialog::isRefusedInputMethodText(const QString& text)
{
    return isSingleOf(text, kRefusedInputMethodTexts);
}

bool QuestionDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lineEdit) {
        if (event->type() == QEvent::KeyPress) {
            if (isRefusedKeyText(static_cast<QKeyEvent*>(event)->text()))
                return true;
        } else if (event->type() == QEvent::InputMethod) {
            if (isRefusedInputMethodText(static_cast<QInputMethodEvent*>(event)->commitString()))
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void QuestionDialog::keyPressEvent(QKeyEvent* e)
{
    // Not QDialog's handler: Escape must not close and Return must not confirm.
    if (e->key() == Qt::Key_Shift) {
        m_lineEdit->setEnabled(false);
        return;
    }
    QWidget::keyPressEvent(e);
}

void QuestionDialog::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Shift) {
        m_lineEdit->setEnabled(true);
        m_lineEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    e->ignore();
}
