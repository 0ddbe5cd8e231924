#include "ui/home/QuestionDialog.h"

#include "app/LanguageTables.h"
#include "device/DeviceText.h"
#include "ui/common/NoticeForm.h"

#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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

} // namespace

QuestionDialog::QuestionDialog(QWidget* parent)
    : QDialog(parent)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("QuestionDialog"), QStringLiteral("Question"),
                                          QStringLiteral("Please create a macro first"),
                                          QStringList{QStringLiteral("NewHong"), QStringLiteral("NewHong_2")},
                                          QStringList{QString::fromUtf8("确认"), QString::fromUtf8("取消")}))
{
    // The prompt stands above the name field, in up to two lines that end
    // just above it (long prompts of some languages need the second line).
    QLabel* label = m_form->label;
    label->setGeometry(20, 12, 250, 40);
    label->setAlignment(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignBottom);

    m_lineEdit = new QLineEdit(m_form->frame);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_lineEdit->setGeometry(20, 56, 260, 30);
    m_lineEdit->setAlignment(Qt::AlignCenter);
    m_lineEdit->setFont(label->font());
    m_lineEdit->setStyleSheet(NoticeForm::fieldSheet(QStringLiteral("QLineEdit")));

    connect(m_form->buttons.at(1), SIGNAL(clicked()), this, SLOT(WindowClosedLan()));

    m_lineEdit->setFocus(Qt::ActiveWindowFocusReason);
    m_lineEdit->installEventFilter(this);

    NoticeForm::connectDialog(this);
}

QuestionDialog::~QuestionDialog() = default;

void QuestionDialog::SetMode(int mode)
{
    m_form->label->setText(mode == 0 ? m_newMacroPrompt : m_renamePrompt);
}

void QuestionDialog::SlotAllLanguage(int language)
{
    m_newMacroPrompt = LanguageTables::text(LanguageSection::Question, language, 0);
    m_renamePrompt = LanguageTables::text(LanguageSection::Question, language, 1);
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    m_form->buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
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
    return DeviceText::cutToBytes(text, kMaxNameBytes);
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
