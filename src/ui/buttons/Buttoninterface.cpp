#include "ui/buttons/Buttoninterface.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "core/Timing.h"
#include "device/ConsumerFunctions.h"
#include "device/CurrentDevice.h"
#include "device/DeviceCache.h"
#include "device/DeviceText.h"
#include "device/DeviceWriters.h"
#include "device/HeldImage.h"
#include "device/SensorDpiTables.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"
#include "ui/buttons/ButtonFunctionTable.h"
#include "ui/buttons/ButtonKeyCodec.h"
#include "ui/buttons/ConfigurationActions.h"
#include "ui/buttons/Ui_Buttoninterface.h"
#include "ui/common/StyleHelper.h"
#include "ui/home/LeftButtonOnly.h"
#include "ui/macro/FireKey.h"
#include "ui/macro/GroupKey.h"
#include "ui/macro/KeyNumberLimit.h"
#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroFolder.h"
#include "ui/macro/MacroRecordCodec.h"
#include "ui/macro/MakeMacro.h"
#include "ui/sensor/DebounceTime.h"
#include "ui/sensor/MyConmboBox.h"

#include <HIDUsb.h>

#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstring>
#include <memory>

namespace {

using Table = ButtonFunctionTable;

// Marker positions on each model picture (Number1 .. Number6) and the picture's number.
const QPoint kMarkerPositions[7][6] = {
    {{138, 55}, {258, 55}, {198, 55}, {100, 115}, {100, 165}, {290, 130}},
    {{160, 190}, {60, 150}, {112, 150}, {257, 178}, {285, 150}, {290, 230}},
    {{160, 180}, {80, 130}, {115, 150}, {244, 180}, {282, 150}, {290, 240}},
    {{150, 180}, {80, 130}, {110, 145}, {262, 170}, {301, 140}, {290, 240}},
    {{150, 180}, {80, 130}, {110, 145}, {262, 170}, {301, 140}, {290, 240}},
    {{80, 135}, {150, 165}, {117, 143}, {258, 170}, {295, 145}, {290, 230}},
    {{80, 135}, {150, 165}, {117, 143}, {258, 170}, {295, 145}, {290, 230}},
};
const int kPictureNumbers[7] = {0, 4, 5, 6, 7, 8, 9};

const char* const kFunctionGroup[] = {
    "LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey", "DPI_2", "DPI_3", "DPI_4", "DPI_5",
    "DPI_6", "DPI_7", "DPI_8", "DPI_9", "DPI_10", "DPI_11", "DPI_12", "DPI_13",
};
const char* const kKeyGroup[] = {
    "Player", "StartPause_2", "BackMusic_2", "TopMusic_2", "Mute", "VolumeUp", "VolumeDown", "VolumeDown_3",
    "VolumeDown_4", "VolumeDown_5", "VolumeDown_6", "VolumeDown_7", "VolumeDown_8", "VolumeDown_9",
    "VolumeDown_10", "VolumeDown_11", "VolumeDown_12", "VolumeDown_13", "VolumeUp_4", "VolumeUp_5",
    "VolumeUp_6", "VolumeUp_7", "VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_15", "VolumeUp_16",
    "VolumeUp_18", "VolumeUp_19", "VolumeUp_20", "VolumeUp_21", "VolumeUp_22", "VolumeUp_23", "VolumeUp_24",
    "VolumeDown_2", "VolumeUp_2", "VolumeUp_10", "VolumeUp_8", "VolumeUp_9", "VolumeUp_14", "VolumeDown_14",
};
// The seventeen buttons of the function list, which take the list's font.
const char* const kFunctionList[] = {
    "LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey", "DPI_2", "DPI_3", "DPI_6", "DPI_8",
    "DPI_5", "DPI_13", "DPI_11", "DPI_4", "DPI_9", "DPI_7", "DPI_12", "DPI_10",
};

// Category buttons that only open their sub-page.
struct CategorySwitch
{
    const char* button;
    const char* page;
};
const CategorySwitch kCategorySwitches[] = {
    {"DPI_12", "page_3"}, {"DPI_9", "page_6"}, {"DPI_4", "page_8"},
    {"DPI_11", "page_4"}, {"DPI_7", "page_7"}, {"DPI_13", "page_10"},
};

// Language positions of the page's texts (positions 48 to 50 are words the page keeps).
struct TextPosition
{
    int position;
    const char* widget;
};
const TextPosition kTextPositions[] = {
    {1, "Reset"}, {2, "ImportData"}, {3, "OutputData"},
    {4, "FireKey"}, {4, "LeftKey_3"}, {5, "RightKey"}, {5, "RightKey_3"}, {6, "BackKey"}, {6, "MidKey"},
    {7, "StartPause"}, {7, "ForWardKey"}, {8, "TopMusic"}, {8, "BackKey_2"}, {9, "BackMusic"}, {9, "VolumeUp_8"},
    {10, "DPI_2"}, {11, "DPI_3"}, {12, "DPI_6"}, {13, "DPI_8"}, {14, "DPI_5"}, {15, "DPI_13"}, {16, "DPI_11"},
    {17, "DPI_10"}, {18, "DPI_9"}, {19, "DPI_7"}, {20, "DPI_12"}, {21, "DPI_4"},
    {22, "Player"}, {23, "StartPause_2"}, {24, "BackMusic_2"}, {25, "TopMusic_2"}, {26, "Mute"}, {27, "VolumeUp"},
    {28, "VolumeDown"}, {29, "VolumeDown_4"}, {30, "VolumeDown_5"}, {31, "VolumeDown_6"}, {32, "VolumeDown_3"},
    {33, "VolumeDown_9"}, {34, "VolumeDown_7"}, {35, "VolumeDown_10"}, {36, "VolumeDown_12"},
    {37, "VolumeDown_13"}, {38, "VolumeDown_11"}, {39, "VolumeUp_4"}, {40, "VolumeUp_5"}, {41, "VolumeUp_6"},
    {42, "VolumeUp_7"}, {44, "VolumeUp_2"}, {45, "VolumeDown_2"}, {46, "VolumeUp_14"}, {47, "VolumeDown_14"},
    {51, "VolumeDown_8"},
};
constexpr int kDebounceCaption = 43;
constexpr int kMacroPrefix = 48;
constexpr int kProfileWordPosition = 49;
constexpr int kDebounceUnit = 50;

const char kListScrollBar[] = "QScrollBar {width:10px;}";


// "r,g,b" of an "Option" colour; white when the catalogue's list is not usable.
QString colourText(const QString& key)
{
    QString text;
    if (!ConfigSettings::instance()->colourText(key, &text))
        text = QStringLiteral("255,255,255");
    return text;
}

QString functionSheet(const QString& folder, const QString& normal, const QString& checked,
                      const QString& normalColour)
{
    return QStringLiteral("QToolButton{border:0px;color: rgb(%1);background-position:center;"
                          "background-repeat:no-repeat;background-image: url(%2%3);}"
                          "QToolButton:checked{color: rgb(255,255,255);background-image: url(%2%4);}")
        .arg(normalColour, folder, normal, checked);
}

// Text `position` of a language row; `fallback` when the row is shorter.
QString rowText(const QVector<QString>& row, int position, const QString& fallback)
{
    return position < row.size() ? row.at(position) : fallback;
}

} // namespace

Buttoninterface::Buttoninterface(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui_Buttoninterface)
{
    ui->setupUi(this);
    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Buttoninterface"));

    m_mainPageFolder = AppPaths::dataDir() + QStringLiteral("//usersetting/MainPage");
    if (!QDir(m_mainPageFolder).exists())
        QDir().mkpath(m_mainPageFolder);

    m_selectorGroup = new QButtonGroup(this);
    m_functionGroup = new QButtonGroup(this);
    m_keyGroup = new QButtonGroup(this);
    m_markerGroup = new QButtonGroup(this);
    SetupButtonGroup();

    m_buttonColourParts = ConfigSettings::instance()->valueList(QStringLiteral("Option"), QStringLiteral("ButtonColor"));
    m_buttonColour = colourText(QStringLiteral("ButtonColor"));
    m_macroLayout = ui->verticalLayout_6;
    m_macroGroup = new QButtonGroup(this);
    m_macroGroup->setExclusive(true);
    m_macroFolder = MacroFolder::defaultPath();

    ui->button(QStringLiteral("DPI_3"))->setVisible(false);
    ui->button(QStringLiteral("DPI_9"))->setVisible(false);

    applyStyleSheets();
    CreateMacroButtons();
    readDpiDefines();
    connectCategories();
    connectFunctions();

    connect(bus, SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotUpDataButtonUIButton(FlashDataMap)),
            Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigUpDataConfigUI(int, int, bool)), this, SLOT(SlotUpDataConfigUI(int, int, bool)),
            Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigUpDataButtonUIC(FlashDataMap)), this, SLOT(SlotUpDataButtonUIB(FlashDataMap)));
    // A change the mouse did not take: every control shows what it holds (the
    // idle light-off time of the settings page too, through SigLightToFrom).
    connect(HeldImage::instance(), &HeldImage::show, this, &Buttoninterface::SlotUpDataButtonUIB);
    connect(bus, SIGNAL(SigAddMacroButton()), this, SLOT(SlotAddMacroButton()));
    connect(bus, SIGNAL(SigUpDataMacro(QString, int)), this, SLOT(SlotUpDataMacro(QString, int)));
    connect(bus, SIGNAL(SigMacroRename(QString, QString)), this, SLOT(SlotMacroRename(QString, QString)));
    connect(bus, SIGNAL(SigDeleteMacroButton(QString)), this, SLOT(SlotDeleteMacroButton(QString)));
    connect(bus, SIGNAL(SigFormReset()), this, SLOT(SlotFormResetButton()), Qt::BlockingQueuedConnection);

    if (!g_Worker)
        g_Worker = new Worker();

    ui->stackedWidget->setCurrentWidget(ui->page);
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    connect(bus, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));

    ui->groupBox->setStyleSheet(
        QStringLiteral("#groupBox {border: 0;background-image: url(%1TiltleBack.png);}").arg(m_pictureFolder));
    const char* const borderless[] = {"groupBox_4", "groupBox_2", "scrollArea_4", "scrollArea_3", "scrollArea_7",
                                      "scrollArea_8", "scrollArea_10", "scrollArea_6", "scrollArea_9",
                                      "scrollArea_12"};
    for (const char* name : borderless) {
        if (QWidget* w = findChild<QWidget*>(QString::fromLatin1(name)))
            w->setStyleSheet(QStringLiteral("#%1{border: 0;}").arg(QString::fromLatin1(name)));
    }
    // The page lies on the home page's dark background: no light frame lines.
    ui->MainWindow->setStyleSheet(ui->MainWindow->styleSheet()
                                  + QStringLiteral("QFrame#MainWindow{border:none;background:transparent;}"));
    ui->DebunceButton->setStyleSheet(QStringLiteral("QFrame#DebunceButton{border:none;}"));

    // The language was broadcast before the home page was built.
    SlotAllLanguage(g_LanguageIndex);
}

Buttoninterface::~Buttoninterface()
{
    if (g_Worker) {
        Worker::StopRun();
        g_Worker->deleteLater();
        g_Worker->wait();
        g_Worker = nullptr;
    }
    StopUsbChanged();
    delete ui;
}

void Buttoninterface::SetupButtonGroup()
{
    for (int i = 0; i < Table::kSelectorCount; ++i)
        m_selectorGroup->addButton(ui->button(QString::fromLatin1(Table::selector(i).name)));
    for (const char* name : kFunctionGroup)
        m_functionGroup->addButton(ui->button(QString::fromLatin1(name)));
    for (const char* name : kKeyGroup)
        m_keyGroup->addButton(ui->button(QString::fromLatin1(name)));
    for (int i = 1; i <= 6; ++i)
        m_markerGroup->addButton(ui->button(QStringLiteral("Number%1").arg(i)));
    for (QButtonGroup* g : {m_selectorGroup, m_functionGroup, m_keyGroup, m_markerGroup})
        g->setExclusive(true);
}

void Buttoninterface::applyStyleSheets()
{
    const QString& f = m_pictureFolder;
    const QString pageSheet = QStringLiteral("QToolButton{color: rgb(%1);border-image: url(%2CMenuTitle.png);}"
                                             "QToolButton:checked{color: rgb(%1);"
                                             "border-image: url(%2CMenuTitleChecked.png);}")
                                  .arg(m_buttonColour, f);
    const QString transparent = QStringLiteral("background-color:transparent;border:none;");
    QWidget* listPages[][2] = {
        {ui->scrollAreaWidgetContents_3, ui->page_3}, {ui->scrollAreaWidgetContents_4, ui->page_9},
        {ui->scrollAreaWidgetContents_6, ui->page_4}, {ui->scrollAreaWidgetContents_8, ui->page_6},
        {ui->scrollAreaWidgetContents_9, ui->page_7}, {ui->scrollAreaWidgetContents_12, ui->page_10},
        {ui->scrollAreaWidgetContents_10, ui->page_8},
    };
    for (auto& pair : listPages) {
        pair[0]->setStyleSheet(transparent);
        pair[1]->setStyleSheet(pageSheet);
        // A sheet set on an ancestor restyles only its direct children once the
        // form has polished them; the list buttons lie deeper.
        for (QToolButton* b : pair[1]->findChildren<QToolButton*>()) {
            b->style()->unpolish(b);
            b->style()->polish(b);
        }
    }
    ui->scrollAreaWidgetContents_11->setStyleSheet(
        QStringLiteral("#scrollAreaWidgetContents_11{background-color:transparent;border:none;}"
                       "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                       "color: rgb(%1);background-image: url(%2AMenuTitle.png);}"
                       "QToolButton:checked{background-image: url(%2AMenuTitleChecked.png);}"
                       "QToolButton:unchecked{background-image: url(%2AMenuTitle.png);}"
                       "QLabel{color: rgb(0, 0, 0);border:0px;background-position:center;"
                       "background-repeat:no-repeat;background-image: url(%2LabelNumber.png);}")
            .arg(m_buttonColour, f));
    ui->scrollArea_11->setFrameShape(QFrame::NoFrame);
    ui->groupBox_4->setStyleSheet(QStringLiteral("QGroupBox{border:none;}"));
    ui->groupBox_2->setStyleSheet(QStringLiteral("QGroupBox{border:none;}"));

    const QString comboText = colourText(QStringLiteral("ComboxTextColor"));
    const QString comboSelect = colourText(QStringLiteral("ComboxSelectColor"));
    const QString comboBack = colourText(QStringLiteral("ComboxBackGroundColor"));
    ui->ProjectChoose->setStyleSheet(
        QStringLiteral("QComboBox{border: 1px solid gray; color: rgb(%1); border-image: url(%4ComboboxBack.png);}"
                       "QComboBox::drop-down:button{border-radius:5px; background:rgb(%3);} "
                       "QComboBox::down-arrow{image: url(%4Menu.png); right: 8px; }"
                       "QComboBox::down-arrow:on{ image: url(%4MenuClicked.png);}"
                       "QComboBox QAbstractItemView::item{height:25px;}"
                       "QComboBox QAbstractItemView {outline: 0px solid gray; border: 1px  solid gray;"
                       "color: rgb(%1); border-image: url(%4ComboboxTextBack.png);"
                       "selection-background-color: rgb(%2); }"
                       "QComboBox:disabled{color: rgb(0, 0, 0);}")
            .arg(comboText, comboSelect, comboBack, f));
    auto* view = new QListView();
    view->setStyleSheet(QStringLiteral("QListView::item:selected{background-color: rgb(%1);}"
                                       "QListView::item:hover{background-color: rgb(%1);}")
                            .arg(comboSelect));
    ui->ProjectChoose->setView(view);

    const QString labelColour = colourText(QStringLiteral("LabelColor"));
    ui->label_3->setStyleSheet(QStringLiteral("QLabel{color: rgb(%1);}").arg(labelColour));
    const QString toolSheet =
        QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                       "color: rgb(%1);border-image: url(%2Reset.png);}"
                       "QToolButton:hover{border-image: url(%2ResetHover.png);}"
                       "QToolButton:pressed{border-image: url(%2ResetClick.png);}")
            .arg(m_buttonColour, f);
    for (QToolButton* b : {ui->Reset, ui->ImportData, ui->OutputData})
        b->setStyleSheet(toolSheet);
    const QString markerSheet =
        QStringLiteral("QToolButton{color: rgb(0, 0, 0);border:0px;background-position:center;"
                       "background-repeat:no-repeat;background-image: url(%1NumberOrigin.png);}"
                       "QToolButton:hover{background-image: url(%1NumberHover.png);}"
                       "QToolButton:pressed{padding-left: 0px;background-image: url(%1NumberClick.png);}")
            .arg(f);
    for (QAbstractButton* marker : m_markerGroup->buttons())
        marker->setStyleSheet(markerSheet);

    // The mouse buttons and plain functions read white; categories that open a
    // sub-page carry their own picture.
    ui->button(QStringLiteral("LeftKey_3"))
        ->setStyleSheet(functionSheet(f, QStringLiteral("BMenuTitle.png"), QStringLiteral("BMenuTitleChecked.png"),
                                      QStringLiteral("255,255,255")));
    for (const char* name : {"RightKey_3", "MidKey", "BackKey_2", "ForWardKey", "DPI_2", "DPI_3", "DPI_6", "DPI_8",
                             "DPI_5"})
        ui->button(QString::fromLatin1(name))
            ->setStyleSheet(functionSheet(f, QStringLiteral("BMenuTitle.png"),
                                          QStringLiteral("BMenuTitleChecked.png"), m_buttonColour));
    for (const char* name : {"DPI_13", "DPI_11", "DPI_10", "DPI_9", "DPI_7", "DPI_12", "DPI_4"})
        ui->button(QString::fromLatin1(name))
            ->setStyleSheet(functionSheet(f, QStringLiteral("BMenuTitleB.png"),
                                          QStringLiteral("BMenuTitleCheckedB.png"), m_buttonColour));
    ui->label->setStyleSheet(QStringLiteral("#label{border:0px;color: rgb(255, 255, 255);background-position:center;"
                                            "background-repeat:no-repeat;background-image: url(%1Config.png);}")
                                 .arg(f));
}

void Buttoninterface::readDpiDefines()
{
    const SensorDefineTable table = SensorDpiTables::readDriverSensor(SensorDpiTables::driverSensorPath());
    m_dpiNames = table.names;
    m_dpiValues = table.values;
}

void Buttoninterface::connectCategories()
{
    for (const CategorySwitch& c : kCategorySwitches) {
        QWidget* target = findChild<QWidget*>(QString::fromLatin1(c.page));
        connect(ui->button(QString::fromLatin1(c.button)), &QToolButton::clicked, this,
                [this, target] { ui->stackedWidget_2->setCurrentWidget(target); });
    }
}

void Buttoninterface::changeEvent(QEvent* event)
{
    if (event->type() != QEvent::LanguageChange) {
        QWidget::changeEvent(event);
        return;
    }
    // Re-texting must not look like a profile choice.
    const int profile = ui->ProjectChoose->currentIndex();
    const QSignalBlocker block(ui->ProjectChoose);
    ui->retranslateUi(this);
    ui->ProjectChoose->setCurrentIndex(profile);
}

// ---- Record of assignments ----

int Buttoninterface::recordedType(int index) const
{
    return index >= 0 && index < m_types.size() ? m_types.at(index) : Table::kUnknownType;
}

int Buttoninterface::recordedCode(int index) const
{
    return index >= 0 && index < m_codes.size() ? m_codes.at(index) : 0;
}

int Buttoninterface::recordedParam(int index) const
{
    return index >= 0 && index < m_params.size() ? m_params.at(index) : 0;
}

void Buttoninterface::RecordAssignment(int index, int type, int code, int param)
{
    if (index < 0 || index >= FlashDataMap::kButtonCount)
        return;
    while (m_types.size() <= index) {
        m_types.append(Table::kUnknownType);
        m_codes.append(0);
        m_params.append(0);
    }
    m_types[index] = type;
    m_codes[index] = code;
    m_params[index] = param;
}

void Buttoninterface::UncheckFunctionButtons()
{
    m_keyGroup->setExclusive(false);
    for (QAbstractButton* b : m_keyGroup->buttons()) {
        const QString name = b->objectName();
        if (name != QLatin1String("VolumeUp_14") && name != QLatin1String("VolumeDown_14"))
            b->setChecked(false);
    }
    m_keyGroup->setExclusive(true);
    // The macros sit in a group of their own; a button given another function
    // holds none of them.
    m_macroGroup->setExclusive(false);
    for (QToolButton* b : qAsConst(m_macroButtons))
        b->setChecked(false);
    m_macroGroup->setExclusive(true);
}

// ---- Showing an image ----

QString Buttoninterface::modelGroup() const
{
    return QStringLiteral("Drive") + QString::number(CurrentDevice::copy().modelIndex + 1);
}

int Buttoninterface::keyCount() const
{
    const int count = ConfigSettings::instance()->value(modelGroup(), QStringLiteral("KeyNumber")).toInt();
    return qBound(0, count, int(FlashDataMap::kButtonCount));
}

void Buttoninterface::readSensorName()
{
    m_sensorName = ConfigSettings::instance()->value(modelGroup(), QStringLiteral("Sensor"));
}

void Buttoninterface::applyImage(const FlashDataMap& image, bool importImage)
{
    PostMsg* bus = PostMsg::GetInstance();
    if (importImage)
        readSensorName();
    bus->PostLightToFrom(image.idleLightOffTime * 10);
    if (!importImage)
        readSensorName();

    // Every selector keeps an entry, also on a model with fewer buttons; those
    // read as a type without a row.
    showAssignments(image, true);
    ui->DebunceButton->setIndex(image.debounceTime);
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap image)
{
    g_ButtonPageApplied = false;
    g_ButtonPageFilling = true;
    applyImage(image, false);
    g_ButtonPageApplied = true;
    g_ButtonPageFilling = false;
}

void Buttoninterface::SlotUpDataButtonUIB(FlashDataMap image)
{
    g_ButtonPageFilling = true;
    applyImage(image, true);
    g_ButtonPageFilling = false;
}

void Buttoninterface::SlotFormResetButton()
{
    g_ButtonPageFilling = true;
    ui->stackedWidget->setCurrentWidget(ui->page);
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    m_types.clear();
    m_codes.clear();
    m_params.clear();
    for (int i = 0; i < Table::kSelectorCount; ++i) {
        const ButtonMapping m = Table::resetDefault(i);
        m_types.append(m.type);
        m_codes.append(m.code);
        m_params.append(m.param);
    }
    showCaptionsFrom(keyCount());
    ui->DebunceButton->setIndex(8);
    PostMsg::GetInstance()->PostLightToFrom(60);
    g_ButtonPageFilling = false;
}

QString Buttoninterface::buttonText(const QString& objectName) const
{
    QToolButton* b = ui->button(objectName);
    return b ? b->text() : QString();
}

QString Buttoninterface::keyEventLabel(const KeyEventRecord& record) const
{
    const MacroEvent& first = record.events[0];
    if (first.kind == MacroEvent::kConsumer) {
        const int row = Table::mediaRowOfId(first.code() & 0xFF);
        return row < 0 ? QString() : buttonText(QString::fromLatin1(Table::media(row).button));
    }
    // The presses come first; a count byte beyond the record reads no further than its six events.
    const int presses = qMin(record.eventCount / 2, int(KeyEventRecord::kMaxEvents));
    QStringList names;
    for (int e = 0; e < presses; ++e)
        names << ButtonKeyCodec::KeyCodeToName(record.events[e].code() & 0xFF, record.events[e].kind);
    return names.join(QLatin1Char('+'));
}

void Buttoninterface::RefreshButtonTexts(int index, int type, int code, int /*param*/, const FlashDataMap& image)
{
    const Table::Selector* selector = Table::selectorOfDevice(index);
    if (!selector)
        return;
    QToolButton* target = ui->button(QString::fromLatin1(selector->name));
    QString label;
    switch (type) {
    case Table::kKeyEvents: {
        const KeyEventRecord& record = image.keyEvents[index];
        if (record.events[0].kind == MacroEvent::kConsumer && Table::mediaRowOfId(record.events[0].code() & 0xFF) < 0)
            return;  // a consumer usage the page has no button for
        label = keyEventLabel(record);
        break;
    }
    case Table::kMacro: {
        label = m_macroLabelPrefix + MacroRecordCodec::name(image.macros[index]);
        break;
    }
    case Table::kDpiLock:
        label = buttonText(QStringLiteral("DPI_4")) + QLatin1Char('-') + QString::number(CodeToDpi(code));
        break;
    default: {
        const QString button = Table::labelButton(type, code);
        if (button.isEmpty())
            return;
        label = buttonText(button);
        break;
    }
    }
    target->setText(label);
}

int Buttoninterface::CodeToDpi(int code) const
{
    const QString prefix = QStringLiteral("SENSOR_") + m_sensorName + QStringLiteral("_DPI");
    bool hasEntries = false;
    for (int i = 0; i < m_dpiNames.size() && i < m_dpiValues.size(); ++i) {
        const int at = m_dpiNames.at(i).indexOf(prefix);
        if (at < 0)
            continue;
        hasEntries = true;
        if (m_dpiValues.at(i) == code)
            return m_dpiNames.at(i).mid(at + prefix.size() + 1).toInt();
    }
    return hasEntries ? 0 : (code + 1) * 50;
}

int Buttoninterface::DpiToCode(int dpi) const
{
    const QString prefix = QStringLiteral("SENSOR_") + m_sensorName + QStringLiteral("_DPI");
    const QString exact = prefix + QLatin1Char('_') + QString::number(dpi);
    bool hasEntries = false;
    for (int i = 0; i < m_dpiNames.size() && i < m_dpiValues.size(); ++i) {
        if (m_dpiNames.at(i) == exact)
            return m_dpiValues.at(i);
        hasEntries = hasEntries || m_dpiNames.at(i).contains(prefix);
    }
    return hasEntries ? dpi / 50 : dpi / 50 - 1;
}

// ---- Profiles ----

void Buttoninterface::SlotUpDataConfigUI(int count, int current, bool enabled)
{
    ui->ProjectChoose->clear();
    {
        const QSignalBlocker block(ui->ProjectChoose);
        const int items = count > 0 ? count : count == 0 ? 1 : 0;
        for (int k = 0; k < items; ++k)
            ui->ProjectChoose->addItem(m_profileWord + QString::number(k + 1));
    }
    ui->ProjectChoose->setEnabled(enabled);
    if (count >= 1 && current >= 0 && current < count) {
        const QSignalBlocker block(ui->ProjectChoose);
        ui->ProjectChoose->setCurrentIndex(current);
    }
}

void Buttoninterface::on_ProjectChoose_activated(int index)
{
    ConfigurationActions::chooseProfile(ui->ProjectChoose, index);
}

void Buttoninterface::on_ProjectChoose_currentIndexChanged(int)
{
}

void Buttoninterface::on_Reset_clicked()
{
    ConfigurationActions::factoryReset(this);
}

void Buttoninterface::on_ImportData_clicked()
{
    ConfigurationActions::importFile(this);
}

void Buttoninterface::on_OutputData_clicked()
{
    ConfigurationActions::exportFile(this);
}

void Buttoninterface::ExportConfigFile(QString path, FlashDataMap image)
{
    ConfigurationActions::writeExport(path, image);
}

// ---- Macros on the buttons ----

namespace {

constexpr int kMacroListRows = 7;
constexpr int kNoticeDx = -50;
constexpr int kNoticeDy = -70;

// The function button whose handler gives a selector its default back after
// its macro was deleted, by device index.
const char* const kMacroDeleteDefaults[Table::kSelectorCount] = {
    "LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey", "VolumeUp_8",
};

QString withoutNul(QString text)
{
    text.remove(QChar(0));
    return text;
}

// Names as the mouse holds them: a longer name stands on the mouse cut to its
// name field, so the cut forms are what tell two macros apart there.
QString deviceName(const QString& name)
{
    return DeviceText::cutToBytes(withoutNul(name), MacroRecord::kMaxNameBytes);
}

} // namespace

void Buttoninterface::CreateMacroButtons()
{
    QWidget* container = ui->scrollAreaWidgetContents_7;
    container->setMinimumSize(205, 220);
    container->setMaximumSize(205, 220);
    container->setStyleSheet(QStringLiteral("background-color:transparent;border:none;"));
    m_macroLayout->setSizeConstraint(QLayout::SetFixedSize);
    fillMacroList();
}

void Buttoninterface::clearMacroList()
{
    // A rebuild may run while a macro button's own click is being handled
    // (a notice's event loop), so the buttons go once control is back.
    for (QToolButton* b : qAsConst(m_macroButtons)) {
        m_macroGroup->removeButton(b);
        m_macroLayout->removeWidget(b);
        b->hide();
        b->deleteLater();
    }
    m_macroButtons.clear();
}

void Buttoninterface::fillMacroList()
{
    QWidget* container = ui->scrollAreaWidgetContents_7;
    const QString sheet = QStringLiteral("QToolButton{color: rgb(%1);border-image: url(%2CMenuTitle.png);}"
                                         "QToolButton:hover{background-image: none;}"
                                         "QToolButton:checked{border-image: url(%2CMenuTitleChecked.png);}")
                              .arg(m_buttonColour, m_pictureFolder);
    QFont font;
    font.setFamily(QStringLiteral("微软雅黑"));
    font.setPointSize(9);
    auto make = [&](const QString& text, int height) {
        auto* b = new QToolButton(container);
        b->setText(text);
        b->setFont(font);
        b->setMinimumSize(174, height);
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet(sheet);
        m_macroLayout->addWidget(b);
        m_macroButtons << b;
        return b;
    };
    const QStringList names = MacroFolder::list(m_macroFolder);
    for (const QString& name : names) {
        QToolButton* b = make(name, 22);
        b->setObjectName(QStringLiteral("Macro_") + name);
        m_macroGroup->addButton(b);
        connect(b, SIGNAL(clicked(bool)), this, SLOT(slotButtonClicked(bool)));
    }
    if (!names.isEmpty()) {
        for (int i = names.size(); i < kMacroListRows; ++i) {
            QToolButton* filler = make(QString(), 23);
            filler->setEnabled(false);
            filler->hide();
        }
    }
    ui->scrollArea_7->setWidget(container);
}

void Buttoninterface::SlotAddMacroButton()
{
    clearMacroList();
    fillMacroList();
}

void Buttoninterface::slotButtonClicked(bool checked)
{
    if (!checked)
        return;
    if (auto* b = qobject_cast<QToolButton*>(sender()))
        bindMacro(b->text());
    commonTail();
}

void Buttoninterface::showMacroLimit()
{
    KeyNumberLimit notice;
    StyleHelper::placeCentred(&notice, this, kNoticeDx, kNoticeDy);
    notice.exec();
}

void Buttoninterface::bindMacro(const QString& name)
{
    const int index = selectedDevice();
    if (index < 0)
        return;
    bool ok = false;
    const MacroRecord record = ReadMacroFile(name, index, ok);
    if (!ok)
        return;
    const int repeat = ReadMacroRepeatMode(name).toInt();
    const ButtonMapping mapping{Table::kMacro, quint8(index), quint8(repeat & 0xFF)};
    if (WriteMacroToDevice(index, mapping, record)) {
        selectorOfDevice(index)->setText(m_macroLabelPrefix + name);
        RecordAssignment(index, Table::kMacro, index, repeat);
        return;
    }
    // Refused by a mouse that is there: its macro memory does not hold the
    // macros any more. (Offline, the writer has raised its own notice.)
    if (UsbFinderC_GetDeviceOnLine(g_DevicePath.load()) && WorkingImage::isCurrent())
        showMacroLimit();
}

MacroRecord Buttoninterface::ReadMacroFile(QString name, int /*buttonIndex*/, bool& ok)
{
    MacroRecord record;
    std::memset(&record, 0, sizeof record);
    ok = false;
    MacroFile::Contents contents;
    const QString path = MacroFolder::filePath(m_macroFolder, withoutNul(name));
    if (!g_UiReady || path.isEmpty() || !MacroFile::read(path, &contents))
        return record;
    // A file edited by hand may hold more than the record: refused whole, as
    // the editor refuses a 71st event.
    if (contents.tooManyKeyEvents
        || MacroRecordCodec::build(name, contents.rows, &record) != MacroRecordCodec::Result::Ok) {
        std::memset(&record, 0, sizeof record);
        showMacroLimit();
        return record;
    }
    ok = true;
    return record;
}

QString Buttoninterface::ReadMacroRepeatMode(QString name)
{
    MacroFile::Contents contents;
    const QString path = MacroFolder::filePath(m_macroFolder, withoutNul(name));
    if (path.isEmpty() || !MacroFile::read(path, &contents))
        return QStringLiteral("0");
    return QString::number(MacroFile::isValidRepeatCode(contents.repeatCode) ? contents.repeatCode : 1);
}

QList<int> Buttoninterface::buttonsHoldingMacro(const QString& name) const
{
    QList<int> indexes;
    const QString wanted = deviceName(name);
    if (wanted.isEmpty())
        return indexes;
    for (int position = 0; position < Table::kSelectorCount; ++position) {
        const Table::Selector& s = Table::selector(position);
        if (recordedType(s.deviceIndex) != Table::kMacro)
            continue;
        QString shown = withoutNul(ui->button(QString::fromLatin1(s.name))->text());
        if (!m_macroLabelPrefix.isEmpty() && shown.startsWith(m_macroLabelPrefix))
            shown.remove(0, m_macroLabelPrefix.size());
        if (deviceName(shown) == wanted)
            indexes << s.deviceIndex;
    }
    return indexes;
}

void Buttoninterface::SlotUpDataMacro(QString name, int kind)
{
    name.remove(QChar(0));
    if (kind == 0) {
        // The editor has just written the file; the buttons are looked at
        // after the wait, so one reassigned meanwhile is left alone.
        QPointer<Buttoninterface> alive(this);
        Timing::pumpEvents(1500);
        if (!alive)
            return;
        for (int index : buttonsHoldingMacro(name))
            PostMsg::GetInstance()->PostMacroDownLoadData(name, index);
    } else if (kind == 1) {
        const int repeat = ReadMacroRepeatMode(name).toInt();
        for (int index : buttonsHoldingMacro(name)) {
            const FlashDataMap image = currentFlashData();
            const ButtonMapping held = image.buttons[index];
            // An image that is not the mouse's yet cannot tell: the write is
            // tried, and refused with the offline notice.
            if (held.type != Table::kMacro && WorkingImage::isCurrent())
                continue;
            const ButtonMapping mapping{held.type, held.code, quint8(repeat & 0xFF)};
            if (WriteMacroToDevice(index, mapping, image.macros[index]))
                RecordAssignment(index, mapping.type, mapping.code, repeat);
        }
    }
}

void Buttoninterface::SlotMacroRename(QString oldName, QString newName)
{
    newName.remove(QChar(0));
    const QByteArray bytes = DeviceText::encode(newName, MacroRecord::kMaxNameBytes);
    for (int index : buttonsHoldingMacro(oldName)) {
        const FlashDataMap image = currentFlashData();
        const ButtonMapping mapping = image.buttons[index];
        if (mapping.type != Table::kMacro && WorkingImage::isCurrent())
            continue;
        MacroRecord record = image.macros[index];
        std::memset(record.name, 0, sizeof record.name);
        std::memcpy(record.name, bytes.constData(), size_t(bytes.size()));
        record.nameLength = uint8_t(bytes.size());
        // The label says what the mouse holds: the new name only once it took it.
        if (WriteMacroToDevice(index, mapping, record))
            selectorOfDevice(index)->setText(m_macroLabelPrefix + newName);
    }
}

void Buttoninterface::restoreAfterMacroDeleted(int index)
{
    // The stored key function of the model, else the button's default.
    const QStringList stored = ConfigSettings::instance()->valueList(
        modelGroup(), QStringLiteral("KeyParam%1").arg(index + 1));
    if (!stored.isEmpty() && stored.first().trimmed() == QLatin1String("0x05")) {
        bool ok = false;
        const int id = stored.size() == 3 ? stored.at(2).trimmed().toInt(&ok, 16) : -1;
        if (ok && Table::mediaRowOfId(id) >= 0) {
            AssignMediaFunction(index, id);
            return;
        }
        if (stored.size() == 4) {
            AssignKeyFunction(index, stored.at(3).trimmed());
            return;
        }
        // A stored function the page cannot make: the button must not stay a
        // macro without one, so it gets its default like any other.
    }
    const QString button = QString::fromLatin1(kMacroDeleteDefaults[index]);
    for (int row = 0; row < Table::kSimpleCount; ++row) {
        if (QString::fromLatin1(Table::simple(row).button) == button) {
            assignSimple(row, true);
            return;
        }
    }
}

void Buttoninterface::SlotDeleteMacroButton(QString label)
{
    label.remove(QChar(0));
    // The label carries the editor's prefix, which is the page's own in every
    // shipped language; a bare name is taken as it is.
    QString name = label;
    if (!m_macroLabelPrefix.isEmpty() && name.startsWith(m_macroLabelPrefix))
        name.remove(0, m_macroLabelPrefix.size());
    for (int index : buttonsHoldingMacro(name)) {
        // The deleted macro leaves the mouse with its records: the key-event
        // record is cleared before the restore (which may write its own), the
        // macro record so that no trace of it stays in the mouse's memory.
        const FlashDataMap image = currentFlashData();
        const ButtonMapping held = image.buttons[index];
        KeyEventRecord noKeys;
        std::memset(&noKeys, 0, sizeof noKeys);
        MacroRecord noMacro;
        std::memset(&noMacro, 0, sizeof noMacro);
        if (held.type == Table::kMacro && std::memcmp(&image.keyEvents[index], &noKeys, sizeof noKeys) != 0
            && !WriteButtonRecordToDevice(index, held, noKeys))
            continue;
        if (!WriteMacroToDevice(index, held, noMacro))
            continue;
        selectorOfDevice(index)->setChecked(true);
        restoreAfterMacroDeleted(index);
    }
    releaseSelectors();
    closeList();
}

// ---- Texts and picture ----

void Buttoninterface::SlotMouseIndex(int index)
{
    if (index < 0 || index > 6)
        return;
    ui->widget->setStyleSheet(QStringLiteral("#widget{border:0px;background-position:center;"
                                             "background-repeat:no-repeat;background-image: url(%1mouse%2.png);}")
                                  .arg(m_pictureFolder)
                                  .arg(kPictureNumbers[index]));
    for (int i = 0; i < 6; ++i)
        ui->button(QStringLiteral("Number%1").arg(i + 1))->move(kMarkerPositions[index][i]);
}

void Buttoninterface::SlotAllLanguage(int language)
{
    // A language without texts keeps what the page shows.
    const QVector<QString> row = language >= 0 && language < g_ButtoninterfaceTexts.size()
                                     ? g_ButtoninterfaceTexts.at(language)
                                     : QVector<QString>();
    QFont listFont;
    listFont.setFamily(QStringLiteral("微软雅黑"));
    listFont.setPointSize(language == 4 ? 7 : 9);
    for (const char* name : kFunctionList)
        ui->button(QString::fromLatin1(name))->setFont(listFont);

    for (const TextPosition& t : kTextPositions) {
        QToolButton* b = ui->button(QString::fromLatin1(t.widget));
        b->setText(rowText(row, t.position, b->text()));
    }
    for (QToolButton* b : {ui->ImportData, ui->OutputData})
        b->setToolTip(language == 5 ? b->text() : QString());
    ui->label_3->setText(rowText(row, kDebounceCaption, ui->label_3->text()));
    m_macroLabelPrefix = rowText(row, kMacroPrefix, m_macroLabelPrefix);
    m_profileWord = rowText(row, kProfileWordPosition, m_profileWord);
    const QString unit = rowText(row, kDebounceUnit, QStringLiteral("ms"));
    for (int i = 0; i < DebounceTime::kEntryCount; ++i)
        ui->DebunceButton->setItemText(i, unit);

    FlashDataMap cached;
    if (!LoadDeviceCache(g_SelectedFlashDataFile, &cached))
        return;
    // The working image speaks for the open mouse only once the mouse has been read.
    const FlashDataMap image = g_DeviceOnline && WorkingImage::isCurrent() ? currentFlashData() : cached;
    // Relabelling only: the macro files already hold what the image holds.
    showAssignments(image, false);

    const int profiles = ui->ProjectChoose->count();
    const int current = ui->ProjectChoose->currentIndex();
    const QSignalBlocker block(ui->ProjectChoose);
    ui->ProjectChoose->clear();
    for (int i = 0; i < profiles; ++i)
        ui->ProjectChoose->insertItem(i, m_profileWord + QString::number(i + 1));
    ui->ProjectChoose->setCurrentIndex(current);
}

// ---- Navigation ----

void Buttoninterface::closeList()
{
    ui->stackedWidget->setCurrentWidget(ui->page);
    ui->scrollArea_11->verticalScrollBar()->setStyleSheet(QString::fromLatin1(kListScrollBar));
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
}

void Buttoninterface::releaseSelectors()
{
    m_selectorGroup->setExclusive(false);
    for (QAbstractButton* b : m_selectorGroup->buttons())
        b->setChecked(false);
    m_selectorGroup->setExclusive(true);
}

void Buttoninterface::releaseMarkers()
{
    m_markerGroup->setExclusive(false);
    for (QAbstractButton* b : m_markerGroup->buttons())
        b->setChecked(false);
    m_markerGroup->setExclusive(true);
}

void Buttoninterface::on_stackedWidget_currentChanged(int index)
{
    if (index == 0 || !m_functionGroup)
        return;
    m_functionGroup->setExclusive(false);
    m_functionGroup->setExclusive(true);
}

void Buttoninterface::mousePressEvent(QMouseEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return;
    // The rectangles are compared as each widget's geometry stands, relative to
    // its own parent; P' lies 340 pixels above the press.
    const QPoint p = event->pos();
    const QPoint pUp(p.x(), p.y() - 340);
    const bool left = event->button() == Qt::LeftButton;
    auto s1 = [this] { return ui->stackedWidget->currentIndex(); };
    auto s2 = [this] { return ui->stackedWidget_2->currentIndex(); };
    const QRect groupBox = ui->groupBox->geometry();
    const QRect selectors = ui->scrollArea_11->geometry();
    const QRect list = ui->stackedWidget->geometry();
    const QRect subPages = ui->stackedWidget_2->geometry();

    if (s1() != 0) {
        const bool inside = s2() != 4 ? groupBox.contains(p) : (selectors.contains(p) || list.contains(pUp));
        if (!inside) {
            if (!left)
                return;
            closeList();
        }
    }
    if (!left)
        return;

    if (s1() == 0 && s2() == 4) {
        if (!(selectors.contains(p) && !list.contains(pUp))) {
            releaseSelectors();
            closeList();
        }
    } else if (s1() != 0 && s2() == 4) {
        if (!groupBox.contains(p)) {
            releaseSelectors();
            closeList();
        }
    } else if (s1() != 0) {
        if (!(selectors.contains(p) || list.contains(p) || subPages.contains(p))) {
            releaseSelectors();
            closeList();
        }
    }

    bool inOtherMarker = false;
    for (int i = 2; i <= 6; ++i)
        inOtherMarker = inOtherMarker || ui->button(QStringLiteral("Number%1").arg(i))->geometry().contains(p);
    if (!(ui->Number1->geometry().contains(p) && !inOtherMarker))
        releaseMarkers();

    if (ui->widget->geometry().contains(p)) {
        releaseSelectors();
        closeList();
    }
}

// ---- Selecting a physical button ----

void Buttoninterface::connectFunctions()
{
    for (int position = 0; position < Table::kSelectorCount; ++position) {
        const Table::Selector& s = Table::selector(position);
        connect(ui->button(QString::fromLatin1(s.name)), &QToolButton::clicked, this,
                [this, position] { selectPhysicalButton(position); });
        connect(ui->button(QString::fromLatin1(s.marker)), &QToolButton::clicked, this,
                [this, position] { markerClicked(position); });
    }
    for (int row = 0; row < Table::kSimpleCount; ++row)
        connect(ui->button(QString::fromLatin1(Table::simple(row).button)), &QToolButton::clicked, this,
                [this, row](bool checked) { assignSimple(row, checked); });
    for (int row = 0; row < Table::kDpiLockCount; ++row)
        connect(ui->button(QString::fromLatin1(Table::dpiLockButton(row))), &QToolButton::clicked, this,
                [this, row](bool checked) { assignDpiLock(row, checked); });
    for (int row = 0; row < Table::kMediaCount; ++row)
        connect(ui->button(QString::fromLatin1(Table::media(row).button)), &QToolButton::clicked, this,
                [this, row](bool checked) { assignMedia(row, checked); });
    // The fire button tells a press (false) from a double click (true): the
    // simple handler above writes the remembered values on a double click
    // only, and a press asks for the values instead.
    connect(ui->button(QStringLiteral("DPI_6")), &QToolButton::clicked, this, [this](bool doubleClick) {
        if (!doubleClick)
            askFire();
    });
    connect(ui->button(QStringLiteral("DPI_8")), &QToolButton::clicked, this, [this] { askCombination(); });
    connect(ui->button(QStringLiteral("DPI_10")), &QToolButton::clicked, this, [this] { openMacroList(); });
}

int Buttoninterface::selectedDevice() const
{
    for (int position = 0; position < Table::kSelectorCount; ++position) {
        const Table::Selector& s = Table::selector(position);
        if (ui->button(QString::fromLatin1(s.name))->isChecked())
            return s.deviceIndex;
    }
    return -1;
}

QToolButton* Buttoninterface::selectorOfDevice(int deviceIndex) const
{
    const Table::Selector* s = Table::selectorOfDevice(deviceIndex);
    return s ? ui->button(QString::fromLatin1(s->name)) : nullptr;
}

bool Buttoninterface::refuseLastLeftClick(int position)
{
    // Labels are what the person sees, so the guard counts them.
    const QString leftClick = buttonText(QStringLiteral("LeftKey_3"));
    if (ui->button(QString::fromLatin1(Table::selector(position).name))->text() != leftClick)
        return false;
    int holders = 0;
    for (int p = 0; p < Table::kSelectorCount; ++p)
        holders += ui->button(QString::fromLatin1(Table::selector(p).name))->text() == leftClick ? 1 : 0;
    if (holders != 1)
        return false;
    ui->stackedWidget->setCurrentWidget(ui->page);
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    releaseSelectors();
    auto notice = std::make_unique<LeftButtonOnly>();
    notice->SlotAllLanguage(g_LanguageIndex);
    StyleHelper::placeCentred(notice.get(), this, -50, -70);
    notice->exec();
    return true;
}

void Buttoninterface::selectPhysicalButton(int position)
{
    if (refuseLastLeftClick(position))
        return;
    const Table::Selector& selector = Table::selector(position);
    ui->scrollArea_11->verticalScrollBar()->setStyleSheet(QString::fromLatin1(selector.scrollBarSheet));
    const int index = selector.deviceIndex;
    const int type = recordedType(index);
    const int code = recordedCode(index);
    int dpiRow = 0;
    int categoryPosition = 0;
    auto check = [this](const char* name) {
        if (name)
            ui->button(QString::fromLatin1(name))->setChecked(true);
    };
    auto show = [this](const char* subPage) {
        ui->stackedWidget->setCurrentWidget(ui->page_2);
        ui->stackedWidget_2->setCurrentWidget(findChild<QWidget*>(QString::fromLatin1(subPage)));
    };
    Table::Category category;

    if (type == Table::kKeyEvents) {
        const MacroEvent first = currentFlashData().keyEvents[index].events[0];
        const int row = first.kind == MacroEvent::kConsumer ? Table::mediaRowOfId(first.code() & 0xFF) : -1;
        if (row >= 0) {
            check(Table::media(row).button);
            check("DPI_12");
            show("page_3");
            ui->scrollArea_3->verticalScrollBar()->setValue(15 * row);
            categoryPosition = 16;
        } else {
            check("DPI_8");
            show("page_9");
            ui->scrollArea_3->verticalScrollBar()->setValue(0);
            categoryPosition = 8;
        }
        ui->scrollArea_4->verticalScrollBar()->setValue(15 * categoryPosition);
        return;
    }
    if (type == Table::kMacro) {
        show("page_5");
        check("DPI_10");
        QString shown = ui->button(QString::fromLatin1(selector.name))->text();
        shown.remove(QChar(0));
        for (int k = 0; k < m_macroButtons.size(); ++k) {
            if (m_macroLabelPrefix + m_macroButtons.at(k)->text() == shown) {
                m_macroButtons.at(k)->setChecked(true);
                ui->scrollArea_7->verticalScrollBar()->setValue(15 * (k + 1));
            }
        }
        categoryPosition = 15;
    } else if (type == Table::kDpiLock) {
        show("page_8");
        check("DPI_4");
        const int dpi = CodeToDpi(code);
        if (dpi >= 100 && dpi <= 1200 && dpi % 100 == 0) {
            dpiRow = dpi / 100 - 1;
            check(Table::dpiLockButton(dpiRow));
        }
        categoryPosition = 15;
    } else if (Table::categoryOf(type, &category)) {
        show(category.page);
        check(category.button);
        categoryPosition = category.position;
        for (int row = 0; row < Table::kSimpleCount; ++row) {
            const Table::Simple& f = Table::simple(row);
            if (f.type != type || f.code != code || (f.main && type != Table::kMouse))
                continue;
            check(f.button);
            if (type == Table::kMouse)
                categoryPosition = row;  // the five mouse buttons head the list
        }
    }
    ui->scrollArea_10->verticalScrollBar()->setValue(15 * dpiRow);
    ui->scrollArea_4->verticalScrollBar()->setValue(15 * categoryPosition);
}

void Buttoninterface::markerClicked(int position)
{
    // Reports an offline mouse; the marker still selects.
    CheckDeviceOnline();
    if (refuseLastLeftClick(position))
        return;
    ui->button(QString::fromLatin1(Table::selector(position).name))->setChecked(true);
}

// ---- Giving a button a function ----

void Buttoninterface::commonTail(QScrollArea* scrollBarOwner)
{
    ui->stackedWidget->setCurrentWidget(ui->page);
    (scrollBarOwner ? scrollBarOwner : ui->scrollArea_11)
        ->verticalScrollBar()
        ->setStyleSheet(QString::fromLatin1(kListScrollBar));
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
}

void Buttoninterface::assignSimple(int row, bool checked)
{
    const Table::Simple& f = Table::simple(row);
    const QString name = QString::fromLatin1(f.button);
    if (name == QLatin1String("LeftKey_3"))
        ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    if (!checked)
        return;
    if (f.main)
        UncheckFunctionButtons();
    const bool fire = f.type == Table::kFire;
    const int code = fire ? m_fireInterval : f.code;
    const int param = fire ? m_fireCount : f.param;
    const int index = selectedDevice();
    if (index >= 0 && WriteButtonToDevice(index, quint8(f.type), quint8(code), quint8(param))) {
        RecordAssignment(index, f.type, code, param);
        selectorOfDevice(index)->setText(buttonText(name));
    }
    commonTail(f.type == Table::kVerticalScroll ? ui->scrollArea_12 : nullptr);
}

void Buttoninterface::assignDpiLock(int row, bool checked)
{
    if (!checked)
        return;
    const QString name = QString::fromLatin1(Table::dpiLockButton(row));
    const int code = DpiToCode((row + 1) * 100);
    const int index = selectedDevice();
    if (index >= 0 && WriteButtonToDevice(index, Table::kDpiLock, quint8(code), 0)) {
        selectorOfDevice(index)->setText(buttonText(QStringLiteral("DPI_4")) + QLatin1Char('-') + buttonText(name));
        RecordAssignment(index, Table::kDpiLock, code, 0);
    }
    commonTail();
}

void Buttoninterface::assignMedia(int row, bool checked)
{
    if (!checked)
        return;
    const Table::Media media = Table::media(row);
    const int index = selectedDevice();
    if (index >= 0
        && WriteButtonRecordToDevice(index, ButtonMapping{Table::kKeyEvents, 0, 0}, consumerKeyRecord(media.usage))) {
        RecordAssignment(index, Table::kKeyEvents, 0, 0);
        selectorOfDevice(index)->setText(buttonText(QString::fromLatin1(media.button)));
    }
    commonTail();
}

void Buttoninterface::askFire()
{
    // Without the mouse there is nothing to ask for; the check raises the notice.
    if (!CheckDeviceOnline()) {
        commonTail();
        return;
    }
    const int index = selectedDevice();
    FireKey dialog;
    // The dialog opens at what the chosen button fires now, else at its defaults.
    if (index >= 0 && recordedType(index) == Table::kFire) {
        dialog.SetInterval(recordedCode(index));
        dialog.SetCount(recordedParam(index));
    }
    StyleHelper::placeCentred(&dialog, this, -50, -70);
    dialog.exec();
    if (!dialog.accepted)
        return;  // nothing reaches the mouse unless the values were confirmed
    m_fireInterval = dialog.interval;
    m_fireCount = dialog.count;
    for (int row = 0; row < Table::kSimpleCount; ++row) {
        if (Table::simple(row).type == Table::kFire)
            assignSimple(row, true);
    }
}

void Buttoninterface::askCombination()
{
    GroupKey dialog;
    StyleHelper::placeCentred(&dialog, this, -50, -70);
    dialog.exec();
    // OK with no key chosen would leave the button doing nothing under an empty label.
    if (!dialog.accepted || dialog.keyText.isEmpty())
        return;
    AssignKeyFunction(selectedDevice(), dialog.keyText);
}

void Buttoninterface::openMacroList()
{
    if (!m_macroButtons.isEmpty()) {
        ui->stackedWidget_2->setCurrentWidget(ui->page_5);
        return;
    }
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    MakeMacro notice;
    StyleHelper::placeCentred(&notice, this, -50, -70);
    notice.exec();
}

void Buttoninterface::AssignMediaFunction(int index, int functionId)
{
    const int row = Table::mediaRowOfId(functionId);
    QToolButton* selector = selectorOfDevice(index);
    if (row < 0 || functionId < 0 || functionId > 0xFF || !selector)
        return;
    const Table::Media media = Table::media(row);
    if (!WriteButtonRecordToDevice(index, ButtonMapping{Table::kKeyEvents, 0, 0}, consumerKeyRecord(media.usage)))
        return;
    RecordAssignment(index, Table::kKeyEvents, 0, 0);
    selector->setText(buttonText(QString::fromLatin1(media.button)));
}

void Buttoninterface::AssignKeyFunction(int index, const QString& keys)
{
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
    UncheckFunctionButtons();
    QToolButton* selector = selectorOfDevice(index);
    // A text the record cannot hold is refused whole: nothing is written.
    const bool fits = ButtonKeyCodec::combinationNames(keys).size() <= ButtonKeyCodec::kMaxCombinationNames;
    if (selector && fits
        && WriteButtonRecordToDevice(index, ButtonMapping{Table::kKeyEvents, 0, 0},
                                     ButtonKeyCodec::ComboKeysToRecord(keys))) {
        RecordAssignment(index, Table::kKeyEvents, 0, 0);
        selector->setText(keys);
    }
    ui->stackedWidget->setCurrentWidget(ui->page_2);
    ui->scrollArea_11->verticalScrollBar()->setStyleSheet(QString::fromLatin1(kListScrollBar));
    ui->stackedWidget_2->setCurrentWidget(ui->page_9);
}

KeyEventRecord Buttoninterface::ConsumerKeyRecord(int, unsigned char usageHigh, unsigned char usageLow)
{
    return consumerKeyRecord(quint16(usageHigh << 8 | usageLow));
}

void Buttoninterface::showAssignments(const FlashDataMap& image, bool fromDevice)
{
    const int count = keyCount();
    const int size = qMax(count, Table::kSelectorCount);
    m_types.fill(Table::kUnknownType, size);
    m_codes.fill(0, size);
    m_params.fill(0, size);
    for (int i = 0; i < count; ++i) {
        m_types[i] = image.buttons[i].type;
        m_codes[i] = image.buttons[i].code;
        m_params[i] = image.buttons[i].param;
    }
    for (int i = 0; i < count; ++i) {
        RefreshButtonTexts(i, m_types.at(i), m_codes.at(i), m_params.at(i), image);
        // The macro editor makes (or remakes) the local file of a macro found
        // on the mouse, from the record and its repeat code in one write.
        if (fromDevice && i < Table::kSelectorCount && m_types.at(i) == Table::kMacro
            && !MacroRecordCodec::name(image.macros[i]).isEmpty())
            PostMsg::GetInstance()->PostButtonToMacro(image, i);
    }
    showCaptionsFrom(count);
}

void Buttoninterface::showCaptionsFrom(int count)
{
    // Such a selector would otherwise keep the function that the previous
    // mouse's button of that number held, and the choice of it.
    for (int i = qMax(count, 0); i < Table::kSelectorCount; ++i) {
        const Table::Selector* selector = Table::selectorOfDevice(i);
        QToolButton* b = ui->button(QString::fromLatin1(selector->name));
        b->setText(buttonText(QString::fromLatin1(selector->caption)));
        if (b->isChecked()) {
            releaseSelectors();
            closeList();
        }
    }
}
