#include "ui/macro/GroupKey.h"

#include "app/LanguageTables.h"
#include "ui/buttons/ButtonKeyCodec.h"
#include "ui/common/NoticeForm.h"
#include "ui/common/StyleHelper.h"
#include "ui/macro/GroupMaxThree.h"
#include "ui/macro/KeyTable.h"
#include "ui/macro/MyLineEdit.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

namespace {
constexpr qint64 kCombinationWindowMs = 2000;

// The modifiers in the order of the answer, with the texts of their boxes.
const struct { const char* objectName; const char* boxText; const char* name; } kModifiers[4] = {
    {"Shift", "shift", "Shift"},
    {"Ctrl", "Ctrl", "Ctrl"},
    {"Alt", "Alt", "Alt"},
    {"Win", "Win", "Win"},
};

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

int namesIn(const QString& text)
{
    return text.isEmpty() ? 0 : ButtonKeyCodec::combinationNames(text).size();
}
} // namespace

GroupKey::GroupKey(QWidget* parent)
    : QDialog(parent)
    , m_hook(KeyHookModule::GroupKey)
    , m_now(monotonicMs)
    , m_form(std::make_unique<NoticeForm>(this, QStringLiteral("GroupKey"), QStringLiteral("groupKeyA"),
                                          QStringLiteral("Please enter keystroke"),
                                          QStringList{QStringLiteral("NewHong"), QStringLiteral("NewHong_2")},
                                          QStringList{QString::fromUtf8("确定"), QString::fromUtf8("取消")}))
{
    buildForm();
    m_hook.Install();
    m_hook.SetCallback(this, [this](int virtualKey, bool down, bool repeat) {
        UpdateCapslockTip(virtualKey, down, repeat);
    });
    NoticeForm::connectDialog(this);
}

GroupKey::~GroupKey()
{
    stopCapture();
}

void GroupKey::buildForm()
{
    QLabel* label = m_form->label;
    label->setGeometry(15, 18, 270, 36);

    m_lineEdit = new MyLineEdit(m_form->frame);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_lineEdit->setGeometry(40, 54, 220, 24);
    m_lineEdit->setAlignment(Qt::AlignCenter);
    m_lineEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_lineEdit->setFont(label->font());
    m_lineEdit->setStyleSheet(NoticeForm::fieldSheet(QStringLiteral("QLineEdit")));

    const QString folder = m_form->pictureFolder;
    const QString boxSheet =
        QStringLiteral("QCheckBox{%1}QCheckBox::indicator{width:16px;height:16px;}"
                       "QCheckBox::indicator:unchecked{image:url(%2CheckBox.png);}"
                       "QCheckBox::indicator:checked{image:url(%2CheckBoxCheck.png);}")
            .arg(StyleHelper::colorRule(QStringLiteral("LabelColor")), folder);
    for (int i = 0; i < 4; ++i) {
        auto* box = new QCheckBox(m_form->frame);
        box->setObjectName(QString::fromLatin1(kModifiers[i].objectName));
        box->setText(QString::fromLatin1(kModifiers[i].boxText));
        box->setGeometry(30 + i * 62, 81, 60, 18);
        box->setFont(label->font());
        box->setFocusPolicy(Qt::NoFocus);
        box->setStyleSheet(boxSheet);
        m_modifiers[i] = box;
    }
    m_lineEdit->setFocus();
}

void GroupKey::setClock(std::function<qint64()> nowMs)
{
    m_now = std::move(nowMs);
}

void GroupKey::UpdateCapslockTip(int virtualKey, bool down, bool)
{
    if (!down)
        return;
    const qint64 now = m_now();
    if (firstKey) {
        keyTimerStart = now;
        firstKey = false;
    } else if (now - keyTimerStart > kCombinationWindowMs) {
        m_lineEdit->clear();
        lastKey = -1;
        keyTimerStart = now;
    }
    if (virtualKey == lastKey)
        return;  // already taken; also the auto-repeat of a held key
    lastKey = virtualKey;

    const QString name = KeyTable::VirtualKeyToName(virtualKey, false);
    const QString text = m_lineEdit->text();
    const QStringList names = text.isEmpty() ? QStringList() : ButtonKeyCodec::combinationNames(text);
    plusCount = qMax(0, names.size() - 1);
    if (plusCount >= ButtonKeyCodec::kMaxCombinationNames - 1) {
        // Three names shown: this key begins a new combination.
        plusCount = 0;
        m_lineEdit->setText(name);
        return;
    }
    if (name.isEmpty() || names.contains(name))
        return;
    if (text.isEmpty()) {
        m_lineEdit->setText(name);
    } else {
        m_lineEdit->setText(text + QLatin1Char('+') + name);
        if (plusCount == 1)
            lastKey = -1;  // the third name: the next press starts anew, even of this key
    }
}

void GroupKey::on_NewHong_clicked()
{
    QString modifiers;
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        if (!m_modifiers[i]->isChecked())
            continue;
        ++count;
        if (!modifiers.isEmpty())
            modifiers += QLatin1Char('+');
        modifiers += QString::fromLatin1(kModifiers[i].name);
    }
    const QString captured = m_lineEdit->text();
    count += namesIn(captured);

    if (count > ButtonKeyCodec::kMaxCombinationNames) {
        GroupMaxThree notice;
        notice.move(mapToGlobal(QPoint(0, 0)));
        notice.exec();
        // The capture goes on: take the keyboard back from the notice.
        activateWindow();
        plusCount = 0;
        lastKey = -1;
        m_lineEdit->clear();
        return;
    }

    stopCapture();
    QString text = modifiers;
    if (!text.isEmpty() && !captured.isEmpty())
        text += QLatin1Char('+') + captured;
    else if (text.isEmpty())
        text = captured;
    keyText = text;
    accepted = true;
    close();
}

void GroupKey::on_CloseButton_clicked()
{
    accepted = false;
    stopCapture();
    close();
}

void GroupKey::on_NewHong_2_clicked()
{
    accepted = false;
    stopCapture();
    close();
}

void GroupKey::on_lineEdit_textEdited(QString text)
{
    m_lineEdit->setText(text.toUpper());
}

void GroupKey::SlotAllLanguage(int language)
{
    m_form->label->setText(LanguageTables::text(LanguageSection::groupKey, language, 0));
    m_form->buttons.at(0)->setText(LanguageTables::text(LanguageSection::Question, language, 2));
    m_form->buttons.at(1)->setText(LanguageTables::text(LanguageSection::Question, language, 3));
}

void GroupKey::keyPressEvent(QKeyEvent* event)
{
    // Escape is a key of a combination here, not a way out; F12 likewise.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QDialog::keyPressEvent(event);
}

void GroupKey::hideEvent(QHideEvent* event)
{
    // Every way of closing hides the dialog; a minimised one only pauses.
    if (!event->spontaneous())
        stopCapture();
    QDialog::hideEvent(event);
}

void GroupKey::stopCapture()
{
    m_hook.Uninstall();
}
