#include "ui/macro/Macro.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "device/DeviceText.h"
#include "device/DeviceWriters.h"
#include "device/WorkingImage.h"
#include "ui/buttons/ButtonFunctionTable.h"
#include "ui/common/FileDialogs.h"
#include "ui/common/StyleHelper.h"
#include "ui/home/DeleteConfirm.h"
#include "ui/home/QuestionDialog.h"
#include "ui/macro/AddDelayTime.h"
#include "ui/macro/KeyNumberLimit.h"
#include "ui/macro/KeyTable.h"
#include "ui/macro/SameMacro.h"
#include "ui/macro/addKey.h"
#include "ui/macro/MacroEventList.h"
#include "ui/macro/MacroExchangeFile.h"
#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroFileRefused.h"
#include "ui/macro/MacroFolder.h"
#include "ui/macro/MacroRecordCodec.h"
#include "ui/macro/MacroRow.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/SensorLook.h"
#include "ui/settings/ExeIsRun.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <HIDUsb.h>

#include <cstring>

namespace {

constexpr int kNoticeDx = -100;
constexpr int kNoticeDy = -50;
constexpr int kEventDialogDx = -50;
constexpr int kEventDialogDy = -70;
constexpr int kMaxDelay = 65535;
const QColor kSelectedRow(0xe1, 0xbd, 0x22);

Macro::FileChooser s_fileChooser;

// The recorder's names: a virtual key without a name gives none (the Clear
// key has the empty name).
bool nameOfVirtualKey(int virtualKey, QString* name)
{
    bool known = false;
    *name = KeyTable::VirtualKeyToName(virtualKey, true, &known);
    return known;
}

// The file code and kind of a key name; false for a name that is no key.
bool keyRowOfName(const QString& name, MacroRow* row)
{
    const QStringList codes = KeyTable::KeyNameToHexCodes(name);
    if (codes.size() != 2)
        return false;
    *row = MacroRow::key(codes.at(0), codes.at(1).toInt(), false);
    return true;
}

// An exchange file names mouse buttons in the language it was written in.
bool importedKeyRow(const QString& name, MacroRow* row)
{
    if (keyRowOfName(name, row))
        return true;
    if (name.isEmpty())
        return false;
    for (const KeyTableEntry& entry : KeyTable::entries()) {
        if (entry.mouseSlot < 0)
            continue;
        for (int language = 0; language < kLanguageCount; ++language) {
            if (LanguageTables::text(LanguageSection::Buttoninterface, language, 4 + entry.mouseSlot) == name) {
                *row = MacroRow::key(KeyTable::codeText(entry.code), entry.kind, false);
                return true;
            }
        }
    }
    return false;
}

const char kExchangeFilter[] = "File(*.ini)";

// A name as the mouse holds it: cut to the record's name field.
QString deviceName(const QString& name)
{
    return DeviceText::cutToBytes(name, MacroRecord::kMaxNameBytes);
}

// The buttons of `image` that play the macro `name` (the six that can hold one).
QList<int> buttonsPlaying(const FlashDataMap& image, const QString& name)
{
    QList<int> buttons;
    const QString wanted = deviceName(name);
    for (int k = 0; k < ButtonFunctionTable::kSelectorCount; ++k) {
        if (image.buttons[k].type == ButtonMapping::kMacroType && MacroRecordCodec::name(image.macros[k]) == wanted)
            buttons << k;
    }
    return buttons;
}

bool mouseAnswers()
{
    return UsbFinderC_GetDeviceOnLine(g_DevicePath.load()) && WorkingImage::isCurrent();
}

QString chooseFile(QWidget* parent, const QString& caption, bool save)
{
    if (s_fileChooser)
        return s_fileChooser(parent, caption, save);
    const QString filter = QString::fromLatin1(kExchangeFilter);
    return save ? FileDialogs::saveFileName(parent, caption, filter)
                : QFileDialog::getOpenFileName(parent, caption, QDir::homePath(), filter);
}

} // namespace

void Macro::setFileChooser(FileChooser chooser)
{
    s_fileChooser = std::move(chooser);
}

Macro::Macro(QWidget* parent)
    : QWidget(parent)
    , m_recorder(nameOfVirtualKey)
{
    setObjectName(QStringLiteral("Macro"));
    m_picturePath = StyleHelper::pictureFolder(QStringLiteral("Picture/Macro"));
    m_macroDir = MacroFolder::defaultPath();
    buildForm();

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigSetMacroPage()), this, SLOT(SlotSetMacroPage()));
    connect(bus, SIGNAL(SigButtonToMacro(FlashDataMap, int)), this, SLOT(SlotButtonToMacro(FlashDataMap, int)));
    connect(bus, SIGNAL(SigMacroDownLoadData(QString, int)), this, SLOT(SlotMacroDownLoadData(QString, int)));
    applyLooks();
    LoadMacroList();

    m_delayModeGroup = new QButtonGroup(this);
    m_delayModeGroup->addButton(m_autoInsertDelay);
    m_delayModeGroup->addButton(m_defaultDelay);
    m_repeatModeGroup = new QButtonGroup(this);
    for (QCheckBox* box : {m_reUntilLoose, m_reUntilClick, m_reNumber, m_reUntil})
        m_repeatModeGroup->addButton(box);
    m_reNumber->setChecked(true);
    m_stopRecord->hide();
    m_autoInsertDelay->setChecked(true);
    connect(m_repeatModeGroup, QOverload<QAbstractButton*, bool>::of(&QButtonGroup::buttonToggled), this, [this] {
        m_repeatChanged = true;
        setSaveEnabled(true);
    });
    m_keyHook.SetCallback(this, [this](int virtualKey, bool down, bool repeat) {
        UpdateCapslockTip(virtualKey, down, repeat);
    });
    // Keys released while another program has the keyboard are never seen.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            releaseHeldKeys();
    });
    // A right click or an arrow key makes another macro current as a left
    // click does: the page shows it, so every action acts on what is shown.
    connect(m_listWidgetHong, &QListWidget::currentRowChanged, this, [this] { showCurrentMacro(); });
    const QAbstractItemModel* rows = m_listWidgetKey->model();
    auto rowsChanged = [this] { ++m_eventRowsGeneration; };
    connect(rows, &QAbstractItemModel::modelAboutToBeReset, this, rowsChanged);
    connect(rows, &QAbstractItemModel::rowsAboutToBeRemoved, this, rowsChanged);
    connect(rows, &QAbstractItemModel::rowsAboutToBeInserted, this, rowsChanged);
    connect(rows, &QAbstractItemModel::rowsAboutToBeMoved, this, rowsChanged);
    // A write to the mouse that is offline (or not read yet) raises this.
    connect(bus, &PostMsg::SigMouseOffLineo, this, [this] {
        if (m_sending)
            ++m_offlineNotices;
    });
    QMetaObject::connectSlotsByName(this);

    connect(bus, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

Macro::~Macro()
{
    if (recording())
        endRecording();
    // The lists are emptied as the children go, after this page is gone.
    m_listWidgetHong->disconnect(this);
    m_listWidgetKey->model()->disconnect(this);
}

void Macro::buildForm()
{
    resize(883, 630);
    setFixedSize(883, 630);
    auto* grid = new QGridLayout(this);
    grid->setObjectName(QStringLiteral("gridLayout"));
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    m_page = new QFrame(this);
    m_page->setObjectName(QStringLiteral("MacroPage"));
    grid->addWidget(m_page, 0, 0);

    auto label = [this](const char* name, const QRect& geometry, bool wrap = false) {
        auto* l = new QLabel(m_page);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(geometry);
        l->setWordWrap(wrap);
        return l;
    };
    auto toolButton = [this](const char* name, const QRect& geometry) {
        auto* b = new QToolButton(m_page);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(geometry);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return b;
    };
    auto checkBox = [this](const char* name, const QRect& geometry, Qt::FocusPolicy focus = Qt::NoFocus) {
        auto* c = new QCheckBox(m_page);
        c->setObjectName(QLatin1String(name));
        c->setGeometry(geometry);
        c->setFocusPolicy(focus);
        return c;
    };
    auto spinBox = [this](const char* name, const QRect& geometry, int low, int high, int value) {
        auto* s = new QSpinBox(m_page);
        s->setObjectName(QLatin1String(name));
        s->setGeometry(geometry);
        s->setRange(low, high);
        s->setValue(value);
        s->setButtonSymbols(QAbstractSpinBox::NoButtons);
        s->setAlignment(Qt::AlignCenter);
        s->setFocusPolicy(Qt::ClickFocus);
        return s;
    };
    auto list = [this](const char* name, const QRect& geometry, Qt::FocusPolicy focus) {
        auto* w = new QListWidget(m_page);
        w->setObjectName(QLatin1String(name));
        w->setGeometry(geometry);
        w->setFocusPolicy(focus);
        w->setAutoScroll(true);
        w->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return w;
    };

    m_label = label("label", QRect(40, 24, 200, 24));
    m_listWidgetHong = list("listWidgetHong", QRect(40, 54, 200, 400), Qt::ClickFocus);
    m_listWidgetHong->setContextMenuPolicy(Qt::CustomContextMenu);
    m_newHong = toolButton("NewHong", QRect(40, 466, 200, 30));
    m_deleteHong = toolButton("DeleteHong", QRect(40, 504, 200, 30));

    m_label2 = label("label_2", QRect(270, 24, 230, 24));
    m_listWidgetKey = list("listWidgetKey", QRect(270, 54, 230, 400), Qt::NoFocus);
    m_amend = toolButton("Amend", QRect(270, 466, 230, 30));
    m_deleteKey = toolButton("DeleteKey", QRect(270, 504, 230, 30));

    m_startRecord = new QPushButton(m_page);
    m_startRecord->setObjectName(QStringLiteral("StartRecord"));
    m_startRecord->setGeometry(540, 54, 190, 36);
    m_startRecord->setFocusPolicy(Qt::NoFocus);
    m_stopRecord = new QPushButton(m_page);
    m_stopRecord->setObjectName(QStringLiteral("StopRecord"));
    m_stopRecord->setGeometry(540, 54, 190, 36);
    m_stopRecord->setFocusPolicy(Qt::NoFocus);

    m_autoInsertDelay = checkBox("AutoInsertDelay", QRect(540, 116, 24, 20));
    m_autoInsertDelayLabel = label("AutoInsertDelayLabel", QRect(568, 104, 290, 44), true);
    m_defaultDelay = checkBox("DefaultDelay", QRect(540, 156, 220, 20));
    m_delayTime = spinBox("DelayTime", QRect(770, 153, 80, 26), 10, 99999, 10);

    m_reNumber = checkBox("ReNumber", QRect(540, 222, 220, 20));
    m_numberEdit = spinBox("NumberEdit", QRect(770, 219, 80, 26), 1, 250, 1);
    m_reUntil = checkBox("ReUntil", QRect(540, 266, 24, 20));
    m_reUntilLabel = label("ReUntilLabel", QRect(568, 254, 290, 44), true);
    m_reUntilLoose = checkBox("ReUntilLoose", QRect(540, 310, 24, 20), Qt::StrongFocus);
    m_reUntilLooseLabel = label("ReUntilLooseLabel", QRect(568, 298, 290, 44), true);
    m_reUntilClick = checkBox("ReUntilClick", QRect(540, 354, 24, 20));
    m_reUntilClickLabel = label("ReUntilClickLabel", QRect(568, 342, 290, 44), true);

    m_label3 = label("label_3", QRect(540, 410, 300, 24));
    m_chooseEvent = new MyConmboBox(m_page);
    m_chooseEvent->setObjectName(QStringLiteral("ChooseEvent"));
    m_chooseEvent->setGeometry(540, 440, 170, 30);
    m_chooseEvent->setFocusPolicy(Qt::NoFocus);
    m_chooseEvent->insertItems(0, QStringList() << QString() << QString() << QString() << QString() << QString()
                                                << QString() << QString() << QString() << QString());

    m_save = toolButton("Save", QRect(730, 504, 120, 30));
    m_save->setEnabled(false);
}

void Macro::applyLooks()
{
    const QString p = m_picturePath;
    m_buttonColor = StyleHelper::optionRgb(QStringLiteral("ButtonColor"));
    const QString buttonText = m_buttonColor.isEmpty() ? QString() : QStringLiteral("color:%1;").arg(m_buttonColor);

    const QString listSheet =
        QStringLiteral("QListWidget{background:transparent;color:white;border:1px solid rgb(44,50,61);outline:0px;}"
                       "QListWidget::item{height:24px;}"
                       "QListWidget::item:selected{background:%2;color:black;}"
                       "QScrollBar:vertical{background:rgb(30,34,42);width:10px;margin:10px 0px 10px 0px;}"
                       "QScrollBar::handle:vertical{background:rgb(70,78,92);min-height:20px;border-radius:4px;}"
                       "QScrollBar::sub-line:vertical{height:10px;subcontrol-position:top;"
                       "border-image:url(%1Up.png);}"
                       "QScrollBar::add-line:vertical{height:10px;subcontrol-position:bottom;"
                       "border-image:url(%1Down.png);}"
                       "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}")
            .arg(p, kSelectedRow.name());
    m_listWidgetHong->setStyleSheet(listSheet);
    m_listWidgetKey->setStyleSheet(listSheet);

    SensorLook::styleComboBox(m_chooseEvent, p, 5);

    const QString labelColor = StyleHelper::colorRule(QStringLiteral("LabelColor"));
    for (QLabel* l : {m_label, m_label2, m_label3, m_autoInsertDelayLabel, m_reUntilLabel, m_reUntilLooseLabel,
                      m_reUntilClickLabel})
        l->setStyleSheet(labelColor + QStringLiteral("background:transparent;"));
    const QString checkSheet = QStringLiteral("QCheckBox{%1background:transparent;spacing:8px;}"
                                              "QCheckBox::indicator{width:16px;height:16px;}"
                                              "QCheckBox::indicator:unchecked{image:url(%2CheckBox.png);}"
                                              "QCheckBox::indicator:checked{image:url(%2CheckBoxCheck.png);}")
                                   .arg(labelColor, p);
    for (QCheckBox* c : {m_autoInsertDelay, m_defaultDelay, m_reNumber, m_reUntil, m_reUntilLoose, m_reUntilClick})
        c->setStyleSheet(checkSheet);

    const QString tools = StyleHelper::toolButtonImages(p, QStringLiteral("Button.png"),
                                                        QStringLiteral("ButtonHover.png"),
                                                        QStringLiteral("ButtonClick.png"), QString(), buttonText);
    for (QToolButton* b : {m_newHong, m_deleteHong, m_amend, m_deleteKey})
        b->setStyleSheet(tools);
    setSaveEnabled(false);

    auto recordSheet = [&](const QString& normal, const QString& hover) {
        return QStringLiteral("QPushButton{border:none;padding-left:28px;%1border-image:url(%2%3);}"
                              "QPushButton:hover{border-image:url(%2%4);}")
            .arg(buttonText, p, normal, hover);
    };
    m_startRecord->setStyleSheet(recordSheet(QStringLiteral("Record.png"), QStringLiteral("RecordHover.png")));
    m_stopRecord->setStyleSheet(recordSheet(QStringLiteral("Stop.png"), QStringLiteral("StopHover.png")));

    const QString spinSheet = QStringLiteral("QSpinBox{%1background:rgb(63,63,63);border:none;}")
                                  .arg(StyleHelper::colorRule(QStringLiteral("LinEditColorSecond")));
    m_delayTime->setStyleSheet(spinSheet);
    m_numberEdit->setStyleSheet(spinSheet);
}

void Macro::setSaveEnabled(bool enabled)
{
    m_save->setEnabled(enabled);
    const QString text = enabled ? (m_buttonColor.isEmpty() ? QString()
                                                            : QStringLiteral("color:%1;").arg(m_buttonColor))
                                 : QStringLiteral("color:rgb(127,127,127);");
    if (enabled) {
        m_save->setStyleSheet(StyleHelper::toolButtonImages(m_picturePath, QStringLiteral("Button.png"),
                                                            QStringLiteral("ButtonHover.png"),
                                                            QStringLiteral("ButtonClick.png"), QString(), text));
    } else {
        m_save->setStyleSheet(QStringLiteral("QToolButton{border:none;%1border-image:url(%2Button.png);}")
                                  .arg(text, m_picturePath));
    }
}

void Macro::SlotAllLanguage(int language)
{
    auto t = [language](int position) { return LanguageTables::text(LanguageSection::Macro, language, position); };
    m_label->setText(t(0));
    m_label2->setText(t(1));
    m_newHong->setText(t(2));
    m_newHong->setToolTip(language == 5 ? t(2) : QString());
    m_deleteHong->setText(t(3));
    m_amend->setText(t(4));
    m_deleteKey->setText(t(5));
    m_startRecord->setText(t(6));
    m_stopRecord->setText(t(7));
    m_autoInsertDelayLabel->setText(t(8));
    m_defaultDelay->setText(t(9));
    m_reUntilLooseLabel->setText(t(10));
    m_reUntilClickLabel->setText(t(11));
    m_reUntilLabel->setText(t(12));
    m_reNumber->setText(t(13));
    m_label3->setText(t(14));
    for (int i = 1; i <= 3; ++i)
        m_chooseEvent->setItemText(i, t(14 + i));
    m_save->setText(t(18));
    m_macroLabelPrefix = t(19);
    m_menuTexts.clear();
    for (int i = 20; i <= 24; ++i)
        m_menuTexts << t(i);

    KeyTable::SetMouseButtonNames(language);
    for (int i = 0; i < 5; ++i)
        m_chooseEvent->setItemText(4 + i, g_MouseButtonNames[i]);
    // Mouse-button rows show the new language's names; their codes stay.
    const QSignalBlocker quiet(m_listWidgetKey);
    for (int i = 0; i < m_listWidgetKey->count(); ++i) {
        QListWidgetItem* item = m_listWidgetKey->item(i);
        if (!MacroEventList::isDelay(item) && item->data(MacroEventList::kKindRole).toInt() == 4)
            item->setText(Macro::KeyCodeToName(item->data(MacroEventList::kCodeRole).toString(), 4));
    }
}

// ---- Rows and files ----

QListWidgetItem* Macro::keyRowItem(const QString& name, const MacroRow& key) const
{
    return MacroEventList::keyItem(name, key, m_picturePath);
}

void Macro::AddKeyItem(const QString& name, bool press)
{
    if (!m_listWidgetHong->currentItem())
        return;
    MacroRow key;
    if (!keyRowOfName(name, &key))
        return;
    key.release = !press;
    m_listWidgetKey->addItem(keyRowItem(name, key));
    m_listWidgetKey->setCurrentRow(m_listWidgetKey->count() - 1);
}

void Macro::AddDelayItem(double ms)
{
    if (!m_listWidgetHong->currentItem())
        return;
    const quint32 whole = ms <= 0 ? 0u : ms >= 4294967295.0 ? 4294967295u : quint32(ms);
    m_listWidgetKey->addItem(MacroEventList::delayItem(whole, m_picturePath));
    m_listWidgetKey->setCurrentRow(m_listWidgetKey->count() - 2);
}

QString Macro::selectedName() const
{
    const QListWidgetItem* item = m_listWidgetHong->currentItem();
    return item ? item->text() : QString();
}

QString Macro::selectedPath() const
{
    return MacroFolder::filePath(m_macroDir, selectedName());
}

int Macro::repeatCode() const
{
    if (m_reUntil->isChecked())
        return 253;
    if (m_reUntilLoose->isChecked())
        return 254;
    if (m_reUntilClick->isChecked())
        return 255;
    return m_numberEdit->value();
}

void Macro::setRepeatCode(int code)
{
    if (code == 253) {
        m_reUntil->setChecked(true);
    } else if (code == 254) {
        m_reUntilLoose->setChecked(true);
    } else if (code == 255) {
        m_reUntilClick->setChecked(true);
    } else {
        m_reNumber->setChecked(true);
        m_numberEdit->setValue(code >= 1 && code <= 250 ? code : 1);
    }
}

void Macro::LoadMacroList(const QString&)
{
    m_listWidgetHong->clear();
    m_listWidgetHong->addItems(MacroFolder::list(m_macroDir));
}

void Macro::LoadMacroFile(const QString&)
{
    const QString path = selectedPath();
    MacroFile::Contents contents;
    m_shownNotReadWhole = false;
    if (!path.isEmpty()) {
        m_listWidgetKey->clear();
        const bool read = MacroFile::read(path, &contents);
        if ((!read && QFileInfo::exists(path)) || (read && contents.tooManyKeyEvents)) {
            // Part of a file is not the macro: nothing of it is shown, and
            // Save never puts what is shown in its place.
            m_shownNotReadWhole = true;
            queueRefusedNotice();
        } else if (read) {
            if (contents.repeatCode != -1)
                setRepeatCode(contents.repeatCode);
            const QSignalBlocker quiet(m_listWidgetKey);
            for (const MacroRow& row : qAsConst(contents.rows)) {
                if (row.isDelay()) {
                    m_listWidgetKey->addItem(MacroEventList::delayItem(row.delayMs, m_picturePath));
                    continue;
                }
                // A code the key table does not name is the empty key.
                const QString name = Macro::KeyCodeToName(row.code, row.kind);
                MacroRow key = row;
                if (name.isEmpty())
                    key = MacroRow::key(QStringLiteral("0x00"), 1, row.release);
                m_listWidgetKey->addItem(keyRowItem(name, key));
            }
        }
    }
    m_repeatModeGroup->blockSignals(false);
    m_numberEdit->blockSignals(false);
}

void Macro::on_listWidgetHong_clicked(const QModelIndex&)
{
    showCurrentMacro();
}

void Macro::showCurrentMacro()
{
    setSaveEnabled(false);
    m_listWidgetKey->clear();
    m_repeatModeGroup->blockSignals(true);
    m_numberEdit->blockSignals(true);
    LoadMacroFile();
}

// ---- Notices ----

void Macro::showNotice(QDialog* notice)
{
    StyleHelper::placeCentred(notice, this, kNoticeDx, kNoticeDy);
    notice->exec();
}

void Macro::showStopNotice()
{
    ExeIsRun notice;
    notice.ShowPleaseStopText();
    showNotice(&notice);
}

void Macro::showLimitNotice()
{
    KeyNumberLimit notice;
    showNotice(&notice);
}

void Macro::queueRefusedNotice()
{
    // Shown once the selection (or the device image) has been handled, not
    // inside it; once however often the file was looked at meanwhile.
    if (m_refusedNoticeQueued)
        return;
    m_refusedNoticeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refusedNoticeQueued = false;
            MacroFileRefused notice;
            showNotice(&notice);
        },
        Qt::QueuedConnection);
}

void Macro::showFileNotChanged()
{
    MacroFileRefused notice(nullptr, MacroFileRefused::Reason::NotChanged);
    showNotice(&notice);
}

bool Macro::roomForKeyEvents(int added)
{
    if (MacroEventList::keyEvents(m_listWidgetKey) + added <= MacroFile::kMaxKeyEvents)
        return true;
    showLimitNotice();
    return false;
}

bool Macro::showsUnsavedRows() const
{
    return recording() || m_save->isEnabled();
}

bool Macro::nameTaken(const QString& name) const
{
    if (!m_listWidgetHong->findItems(name, Qt::MatchExactly).isEmpty())
        return true;
    // The list is read at start: a file put there since has the name too.
    const QString path = MacroFolder::filePath(m_macroDir, name);
    return !path.isEmpty() && (QFileInfo::exists(path) || QFileInfo(path).isSymLink());
}

void Macro::setSending(bool sending, const QString& savingName)
{
    // The wait for the mouse runs the event loop: New, Delete, Rename and
    // Import wait for it to end, so none runs inside it and changes the
    // macro or the state it is about.
    m_sending = sending;
    m_savingName = sending ? savingName : QString();
    m_newHong->setEnabled(!sending);
    m_deleteHong->setEnabled(!sending);
}

// ---- Macros: new, delete, rename, export, import ----

void Macro::on_NewHong_clicked()
{
    if (recording()) {
        showStopNotice();
        return;
    }
    if (m_sending)
        return;
    QuestionDialog question;
    question.SetMode(0);
    showNotice(&question);
    const QString name = question.answer;
    if (name.isEmpty())
        return;
    if (nameTaken(name)) {
        SameMacro notice;
        showNotice(&notice);
        return;
    }
    const QString path = MacroFolder::filePath(m_macroDir, name);
    if (path.isEmpty())
        return;
    if (!MacroFile::createEmpty(path)) {
        showFileNotChanged();
        return;
    }
    m_listWidgetHong->addItem(name);
    m_listWidgetHong->setCurrentRow(m_listWidgetHong->count() - 1);
    m_listWidgetKey->clear();
    m_reNumber->setChecked(true);
    m_numberEdit->setValue(1);
}

void Macro::CreateMewMacro()
{
    on_NewHong_clicked();
}

void Macro::on_DeleteHong_clicked()
{
    if (recording()) {
        showStopNotice();
        return;
    }
    if (m_sending)
        return;
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    DeleteConfirm confirm;
    showNotice(&confirm);
    if (!confirm.confirmed || selectedName() != name)
        return;
    // The list shows what is on disk: a file that stays keeps its macro.
    const QString path = MacroFolder::filePath(m_macroDir, name);
    if (path.isEmpty() || (QFileInfo::exists(path) && !QFile::remove(path))) {
        showFileNotChanged();
        return;
    }
    PostMsg::GetInstance()->PostDeleteMacroButton(m_macroLabelPrefix + name);
    const int row = m_listWidgetHong->currentRow();
    m_listWidgetHong->setCurrentRow(-1);
    delete m_listWidgetHong->takeItem(row);
    m_listWidgetKey->clear();
}

void Macro::DeleteMacro()
{
    on_DeleteHong_clicked();
}

void Macro::RenameMacro()
{
    const QString oldName = selectedName();
    if (oldName.isEmpty() || m_sending)
        return;
    QuestionDialog question;
    question.SetMode(1);
    showNotice(&question);
    const QString newName = question.answer;
    if (newName.isEmpty() || selectedName() != oldName)
        return;
    const QString oldPath = MacroFolder::filePath(m_macroDir, oldName);
    const QString newPath = MacroFolder::filePath(m_macroDir, newName);
    if (nameTaken(newName)) {
        SameMacro notice;
        showNotice(&notice);
        return;
    }
    // The list follows the file, and the file follows the mouse: a name that
    // cannot be a file changes nothing; a rename the file system refuses, or
    // one the mouse did not take, says so and keeps the old name everywhere.
    if (oldPath.isEmpty() || newPath.isEmpty())
        return;
    if (!QFile::rename(oldPath, newPath)) {
        showFileNotChanged();
        return;
    }
    const bool taken = renameOnMouse(oldName, newName);
    if (!taken && QFile::rename(newPath, oldPath))
        return;
    // The list shows the file as it is on disk; a file left with the name the
    // mouse did not take (its folder no longer writable) says so.
    for (QListWidgetItem* item : m_listWidgetHong->findItems(oldName, Qt::MatchExactly))
        item->setText(newName);
    if (!taken)
        showFileNotChanged();
}

bool Macro::renameOnMouse(const QString& oldName, const QString& newName)
{
    m_offlineNotices = 0;
    setSending(true);
    PostMsg::GetInstance()->PostMacroRename(oldName, newName);
    setSending(false);
    bool taken = m_offlineNotices == 0;
    // A write the mouse refused leaves the old name in the working image.
    if (taken && WorkingImage::isCurrent() && deviceName(oldName) != deviceName(newName))
        taken = buttonsPlaying(currentFlashData(), oldName).isEmpty();
    if (taken)
        return true;
    // Buttons that took the new name get the old one back, so that mouse,
    // labels and file keep agreeing.
    if (WorkingImage::isCurrent() && !buttonsPlaying(currentFlashData(), newName).isEmpty())
        PostMsg::GetInstance()->PostMacroRename(newName, oldName);
    if (m_offlineNotices == 0)
        showLimitNotice();
    return false;
}

void Macro::ExPortMacro()
{
    QListWidgetItem* selected = m_listWidgetHong->currentItem();
    if (!selected)
        return;
    const QString name = selected->text();
    const int code = repeatCode();
    QVector<MacroExchangeFile::Item> items;
    for (int i = 0; i < m_listWidgetKey->count(); ++i) {
        const QListWidgetItem* row = m_listWidgetKey->item(i);
        items << MacroExchangeFile::Item{row->text(), MacroEventList::rowOf(row)};
    }
    const QString path = FileDialogs::withFilterExtension(chooseFile(this, QStringLiteral("FileSave"), true),
                                                          QString::fromLatin1(kExchangeFilter));
    if (path.isEmpty())
        return;
    if (!MacroExchangeFile::write(path, name, code, items, m_picturePath))
        showFileNotChanged();
}

void Macro::InPortMacro()
{
    if (m_sending)
        return;
    const QString path = chooseFile(this, QStringLiteral("SelectFile"), false);
    if (path.isEmpty())
        return;
    MacroExchangeFile::Contents contents;
    const MacroExchangeFile::Status status = MacroExchangeFile::read(path, importedKeyRow, &contents);
    if (status != MacroExchangeFile::Status::Ok) {
        MacroFileRefused notice;
        showNotice(&notice);
        return;
    }
    if (nameTaken(contents.name)) {
        SameMacro notice;
        showNotice(&notice);
        return;
    }
    QVector<MacroRow> rows;
    for (const MacroExchangeFile::Item& item : qAsConst(contents.items))
        rows << item.row;
    const QString file = MacroFolder::filePath(m_macroDir, contents.name);
    if (!MacroFile::write(file, contents.repeatCode, rows, MacroFile::WriteMode::CreateOrReplace)) {
        showFileNotChanged();
        return;
    }
    m_listWidgetHong->addItem(contents.name);
    // Made current, it is shown: its rows and its repeat mode.
    m_listWidgetHong->setCurrentRow(m_listWidgetHong->count() - 1);
}

void Macro::on_listWidgetHong_customContextMenuRequested(const QPoint& pos)
{
    QMenu menu(this);
    if (m_listWidgetHong->itemAt(pos)) {
        menu.addAction(m_menuTexts.value(0), this, &Macro::ExPortMacro);
        menu.addAction(m_menuTexts.value(1), this, &Macro::RenameMacro)->setEnabled(!m_sending);
        menu.addAction(m_menuTexts.value(2), this, &Macro::DeleteMacro)->setEnabled(!m_sending);
    } else {
        menu.addAction(m_menuTexts.value(3), this, &Macro::CreateMewMacro)->setEnabled(!m_sending);
        menu.addAction(m_menuTexts.value(4), this, &Macro::InPortMacro)->setEnabled(!m_sending);
    }
    menu.exec(QCursor::pos());
}

// ---- Events: insert, change, delete, save ----

void Macro::on_ChooseEvent_activated(int index)
{
    if (index <= 0)
        return;
    const bool macroSelected = m_listWidgetHong->currentItem() != nullptr;
    // An answer is for the rows the dialog was opened over; rows reloaded
    // meanwhile (an image from the mouse) take none.
    const quint64 generation = m_eventRowsGeneration;
    if (index == 1 || index == 2) {
        addKey dialog;
        StyleHelper::placeCentred(&dialog, this, kEventDialogDx, kEventDialogDy);
        const int result = dialog.exec();
        if (result != QDialog::Accepted || !dialog.accepted || !m_listWidgetHong->currentItem()
            || generation != m_eventRowsGeneration)
            return;
        MacroRow key;
        if (!keyRowOfName(dialog.keyName, &key) || !roomForKeyEvents(1))
            return;
        key.release = index == 2;
        MacroEventList::insertKey(m_listWidgetKey, keyRowItem(dialog.keyName, key), m_picturePath);
    } else if (index == 3) {
        AddDelayTime dialog;
        StyleHelper::placeCentred(&dialog, this, kEventDialogDx, kEventDialogDy);
        dialog.exec();
        if (!dialog.accepted || !m_listWidgetHong->currentItem() || !m_listWidgetKey->currentItem()
            || generation != m_eventRowsGeneration)
            return;
        if (!MacroEventList::insertDelay(m_listWidgetKey, quint32(qMax(0, dialog.delayTime)), m_picturePath))
            return;
    } else if (index <= 8) {
        if (!macroSelected || !roomForKeyEvents(2))
            return;
        const QString name = g_MouseButtonNames[index - 4];
        MacroRow press;
        if (!keyRowOfName(name, &press))
            return;
        MacroRow release = press;
        release.release = true;
        MacroEventList::insertClick(m_listWidgetKey, keyRowItem(name, press), keyRowItem(name, release),
                                    m_picturePath);
    } else {
        return;
    }
    m_eventsChanged = true;
    setSaveEnabled(true);
}

void Macro::on_Amend_clicked()
{
    if (recording()) {
        showStopNotice();
        return;
    }
    const int row = m_listWidgetKey->currentRow();
    const QListWidgetItem* current = m_listWidgetKey->currentItem();
    if (!current)
        return;
    // The dialogs run the event loop: an image from the mouse may reload the
    // rows meanwhile, and the row is found again only when none changed.
    const quint64 generation = m_eventRowsGeneration;
    auto rowAfterDialog = [&]() -> QListWidgetItem* {
        return generation == m_eventRowsGeneration ? m_listWidgetKey->item(row) : nullptr;
    };
    if (MacroEventList::isDelay(current)) {
        AddDelayTime dialog;
        StyleHelper::placeCentred(&dialog, this, kEventDialogDx, kEventDialogDy);
        dialog.exec();
        QListWidgetItem* item = rowAfterDialog();
        if (!item || !dialog.accepted)
            return;
        item->setText(MacroFile::delayText(quint32(qMax(0, dialog.delayTime))));
    } else {
        addKey dialog;
        StyleHelper::placeCentred(&dialog, this, kEventDialogDx, kEventDialogDy);
        const int result = dialog.exec();
        QListWidgetItem* item = rowAfterDialog();
        MacroRow key;
        if (!item || result != QDialog::Accepted || !dialog.accepted || !keyRowOfName(dialog.keyName, &key))
            return;
        item->setData(MacroEventList::kCodeRole, key.code);
        item->setData(MacroEventList::kKindRole, key.kind);
        item->setText(dialog.keyName);
        // The same name again changes no text, yet its code may be new.
        m_eventsChanged = true;
    }
    setSaveEnabled(true);
}

void Macro::on_DeleteKey_clicked()
{
    if (recording()) {
        showStopNotice();
        return;
    }
    if (!m_listWidgetHong->currentItem())
        return;
    const bool hadRows = m_listWidgetKey->count() > 0;
    const MacroEventList::Removed removed = MacroEventList::removeCurrent(m_listWidgetKey);
    if (removed == MacroEventList::Removed::Nothing)
        return;
    // A short list cleared whole is an edit like any other: the buttons that
    // play the macro must lose its events too.
    if (removed == MacroEventList::Removed::Event || hadRows)
        m_eventsChanged = true;
    setSaveEnabled(true);
}

void Macro::on_listWidgetKey_itemChanged(QListWidgetItem*)
{
    m_eventsChanged = true;
}

void Macro::on_NumberEdit_valueChanged(int)
{
    m_repeatChanged = true;
    setSaveEnabled(true);
}

void Macro::on_DelayTime_valueChanged(int value)
{
    if (value >= kMaxDelay)
        m_delayTime->setValue(kMaxDelay);
}

void Macro::on_Save_clicked()
{
    if (recording()) {
        showStopNotice();
        return;
    }
    // One save at a time: the first one's wait for the mouse runs the event loop.
    if (m_sending)
        return;
    setSaveEnabled(false);
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    // Name, rows and repeat code are taken here, before anything can run
    // between, and the file is replaced in one step.
    const QVector<MacroRow> rows = MacroEventList::rows(m_listWidgetKey);
    const int code = repeatCode();
    const QString path = MacroFolder::filePath(m_macroDir, name);
    QByteArray before;
    const bool existed = !path.isEmpty() && MacroFile::readBytes(path, &before);
    // A file that was not read whole is never replaced by what is shown.
    if (m_shownNotReadWhole || (!existed && !path.isEmpty() && QFileInfo::exists(path))) {
        MacroFileRefused notice;
        showNotice(&notice);
        return;
    }
    if (path.isEmpty() || !MacroFile::write(path, code, rows, MacroFile::WriteMode::CreateOrReplace)) {
        setSaveEnabled(true);  // nothing was kept: the user may try again
        showFileNotChanged();
        return;
    }
    // Whatever the file now holds differently goes to the buttons that play
    // the macro, so that the mouse and the file agree.
    const MacroFile::Contents old = MacroFile::parse(before);
    const bool events = m_eventsChanged || (existed && old.rows != rows);
    const bool repeat = m_repeatChanged || (existed && old.repeatCode != -1 && old.repeatCode != code);
    m_eventsChanged = false;
    m_repeatChanged = false;
    if (sendSaved(name, code, rows, events, repeat))
        return;
    // The mouse did not take it: the file goes back to what the mouse holds,
    // so that no later image from the mouse replaces the saved file unseen;
    // the rows stay on show, unsaved.
    const bool putBack =
        existed ? MacroFile::writeBytes(path, before, MacroFile::WriteMode::ReplaceExisting) : QFile::remove(path);
    if (!putBack)
        showFileNotChanged();
    m_eventsChanged = m_eventsChanged || events;
    m_repeatChanged = m_repeatChanged || repeat;
    if (selectedName() == name)
        setSaveEnabled(true);
}

bool Macro::sendSaved(const QString& name, int code, const QVector<MacroRow>& rows, bool events, bool repeat)
{
    if (!events && !repeat)
        return true;
    m_offlineNotices = 0;
    m_downloadsRefused = 0;
    setSending(true, name);
    if (events)
        PostMsg::GetInstance()->PostUpDataMacro(name, 0);
    if (repeat)
        PostMsg::GetInstance()->PostUpDataMacro(name, 1);
    setSending(false);

    bool taken = m_offlineNotices == 0 && m_downloadsRefused == 0;
    // A write the mouse refused leaves the working image as it was.
    if (taken && WorkingImage::isCurrent()) {
        MacroRecord expected;
        std::memset(&expected, 0, sizeof expected);
        const bool built = MacroRecordCodec::build(name, rows, &expected) == MacroRecordCodec::Result::Ok;
        const FlashDataMap image = currentFlashData();
        for (int k : buttonsPlaying(image, name)) {
            if (events && (!built || std::memcmp(&image.macros[k], &expected, sizeof expected) != 0))
                taken = false;
            if (repeat && image.buttons[k].param != quint8(code & 0xFF))
                taken = false;
        }
    }
    // Offline, the writer has raised its own notice.
    if (!taken && m_offlineNotices == 0)
        showLimitNotice();
    return taken;
}

// ---- Recording ----

bool Macro::recording() const
{
    return g_MacroRecording.load();
}

void Macro::on_StartRecord_clicked()
{
    if (!m_listWidgetHong->currentItem()) {
        ExeIsRun notice;
        notice.ShowLabel2Text();
        showNotice(&notice);
        return;
    }
    PostMsg::GetInstance()->PostStartRecord(0);
    m_chooseEvent->setEnabled(false);
    m_eventsChanged = true;
    m_recorder.setFixedDelay(0);
    m_recorder.start();
    m_keyHook.Install();
    m_startRecord->hide();
    m_stopRecord->show();
    g_MacroRecording = true;
    m_listWidgetKey->clear();
    m_delayTime->hide();
    m_numberEdit->hide();
    m_listWidgetHong->setEnabled(false);
    m_lastVirtualKey = -1;
}

void Macro::endRecording()
{
    // The recording's rows are an unsaved edit, ended with the releases of
    // the keys still down. (One the limit ended was made savable then.)
    const bool ended = recording();
    followDelayMode();
    addRecorded(m_recorder.stop());
    PostMsg::GetInstance()->PostStartRecord(1);
    m_keyHook.Uninstall();
    m_stopRecord->hide();
    m_startRecord->show();
    m_delayTime->show();
    m_numberEdit->show();
    m_listWidgetHong->setEnabled(true);
    g_MacroRecording = false;
    m_chooseEvent->setEnabled(true);
    if (ended)
        setSaveEnabled(true);
    m_lastVirtualKey = -1;
}

void Macro::on_StopRecord_clicked()
{
    endRecording();
}

void Macro::SlotSetMacroPage()
{
    // Rows not saved stay savable: the device is left, not the macro.
    endRecording();
}

void Macro::UpdateCapslockTip(int virtualKey, bool down, bool)
{
    if (!g_MacroRecording || !m_recorder.isActive()) {
        m_recorder.onKey(virtualKey, down, KeyHook::eventTime());
        return;
    }
    followDelayMode();
    const QVector<MacroRecorder::Step> steps = m_recorder.onKey(virtualKey, down, KeyHook::eventTime());
    m_lastVirtualKey = virtualKey;
    addRecorded(steps);
}

void Macro::releaseHeldKeys()
{
    if (!g_MacroRecording || !m_recorder.isActive())
        return;
    followDelayMode();
    addRecorded(m_recorder.releaseHeldKeys());
}

void Macro::followDelayMode()
{
    m_recorder.setFixedDelay(m_defaultDelay->isChecked() ? quint32(m_delayTime->value()) : 0u);
}

void Macro::addRecorded(const QVector<MacroRecorder::Step>& steps)
{
    for (const MacroRecorder::Step& step : steps) {
        if (step.addDelay)
            AddDelayItem(step.delayMs);
        if (step.addKey)
            AddKeyItem(step.name, !step.release);
        if (step.limitReached) {
            g_MacroRecording = false;
            m_keyHook.Uninstall();
            // The recording has ended: its rows can be saved at once.
            setSaveEnabled(true);
            // Shown once the key report has been handled, not inside it.
            QMetaObject::invokeMethod(this, [this] { showLimitNotice(); }, Qt::QueuedConnection);
        }
    }
}

// ---- Macros to and from the mouse ----

void Macro::SlotButtonToMacro(FlashDataMap map, int index)
{
    if (index < 0 || index >= FlashDataMap::kButtonCount)
        return;
    QString name;
    QVector<MacroRow> rows;
    if (!MacroRecordCodec::read(map.macros[index], &name, &rows))
        return;
    // A name from the mouse becomes a file name only when the editor would
    // have taken it as typed (and its bytes were text at all).
    const QString path = MacroFolder::filePath(m_macroDir, name);
    if (path.isEmpty() || QuestionDialog::cleanName(name) != name || name.contains(QChar::ReplacementCharacter))
        return;
    // The macro a save is sending: the mouse's copy arriving meanwhile is the
    // older one, and the save decides what file and mouse end with.
    if (m_sending && !m_savingName.isEmpty() && deviceName(m_savingName) == name)
        return;
    const int param = map.buttons[index].param;
    const int repeat = MacroFile::isValidRepeatCode(param) ? param : 1;
    // A file that holds this macro already is left alone: its write waits for
    // the disk on the GUI thread, each time an image with the macro arrives.
    // One that cannot be read whole is not replaced by a copy of part of it.
    MacroFile::Contents existing;
    const bool readable = MacroFile::read(path, &existing);
    if ((!readable && QFileInfo::exists(path)) || (readable && existing.tooManyKeyEvents))
        return;
    const bool held = readable && existing.repeatCode == repeat && existing.rows == rows;
    if (!held && !MacroFile::write(path, repeat, rows, MacroFile::WriteMode::CreateOrReplace))
        return;

    QList<QListWidgetItem*> same = m_listWidgetHong->findItems(name, Qt::MatchExactly);
    if (same.isEmpty()) {
        const int current = m_listWidgetHong->currentRow();
        m_listWidgetHong->insertItem(current >= 0 ? current + 1 : m_listWidgetHong->count(), name);
    } else if (!held && same.first() == m_listWidgetHong->currentItem() && !showsUnsavedRows()) {
        // The macro on show was replaced by the mouse's: show that. Rows not
        // saved stay on show, to be saved over the mouse's copy.
        on_listWidgetHong_clicked(m_listWidgetHong->currentIndex());
        m_eventsChanged = false;
        m_repeatChanged = false;
    }
    PostMsg::GetInstance()->PostAddMacroButton();
}

void Macro::SlotMacroDownLoadData(QString name, int index)
{
    name.remove(QChar(0));
    if (index < 0 || index >= FlashDataMap::kButtonCount)
        return;
    // A record that does not reach the mouse is told once, by the save that
    // asked for it.
    auto refused = [this] {
        if (m_sending)
            ++m_downloadsRefused;
        else if (mouseAnswers())
            showLimitNotice();
    };
    const QString path = MacroFolder::filePath(m_macroDir, name);
    MacroFile::Contents contents;
    if (!g_UiReady || path.isEmpty() || !MacroFile::read(path, &contents)) {
        refused();
        return;
    }
    MacroRecord record;
    if (contents.tooManyKeyEvents
        || MacroRecordCodec::build(name, contents.rows, &record) != MacroRecordCodec::Result::Ok) {
        refused();
        return;
    }
    // The button keeps its mapping as the mouse has it; one that is no
    // longer a macro is left alone. An image that is not the mouse's yet
    // cannot tell: the write is tried, and refused with the offline notice.
    const ButtonMapping mapping = currentFlashData().buttons[index];
    if (mapping.type != ButtonMapping::kMacroType && WorkingImage::isCurrent())
        return;
    if (!WriteMacroToDevice(index, mapping, record))
        refused();
}

// ---- Keys and mouse on the page ----

void Macro::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}

void Macro::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->pos();
    auto inside = [&](const QWidget* w) { return w->isVisible() && w->geometry().contains(m_page->mapFrom(this, pos)); };
    if (!inside(m_delayTime) && !inside(m_numberEdit)) {
        m_delayTime->clearFocus();
        m_numberEdit->clearFocus();
        setFocus();
    }
    QWidget::mousePressEvent(event);
}

// ---- Key names (the shared key table) ----

QString Macro::KeyCodeToName(const QString& codeText, int kind)
{
    return KeyTable::KeyCodeToName(codeText, kind);
}

QStringList Macro::KeyNameToHexCodes(const QString& name)
{
    return KeyTable::KeyNameToHexCodes(name);
}

void Macro::KeyNameToDeviceEvent(const QString& name, int eventIndex, MacroRecord* record)
{
    KeyTable::KeyNameToDeviceEvent(name, eventIndex, record);
}

QString Macro::DeviceKeyToName(int code, int kind)
{
    return KeyTable::DeviceKeyToName(code, kind);
}

QString Macro::MouseCodeToName(int code)
{
    return KeyTable::MouseCodeToName(code);
}
