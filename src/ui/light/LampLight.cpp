#include "ui/light/LampLight.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "device/DeviceWriters.h"
#include "device/HeldImage.h"
#include "device/ImageFieldCodes.h"
#include "ui/common/FillScope.h"
#include "ui/common/StyleHelper.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/SensorLook.h"
#include "ui/sensor/StopCloseTime.h"

#include <HIDUsb.h>

#include <QAbstractItemView>
#include <QColor>
#include <QFrame>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

namespace {

constexpr int kModeCount = ImageFieldCodes::kLightBarModes;  // off, then the light bar's modes 1 to 5

// What each mode shows: the grey bars, the colour group and the two sliders.
struct ModeLayout
{
    bool line;
    bool line2;
    bool colour;
    bool brightness;
    bool speed;
};
constexpr ModeLayout kModeLayouts[kModeCount] = {
    {true, true, false, false, false},   // off
    {false, false, false, true, true},   // colour flow
    {false, false, true, true, true},    // single-colour breathing
    {false, true, true, true, false},    // mixed steady: no speed
    {false, false, false, true, true},   // neon
    {false, false, false, true, true},   // mixed breathing
};

constexpr LampLight::Preset kPresets[LampLight::kPresetCount] = {
    {"toolButtonColorA", 255, 0, 0},    {"toolButtonColorB", 0, 255, 255},  {"toolButtonColorC", 0, 255, 0},
    {"toolButtonColorD", 255, 0, 255},  {"toolButtonColorE", 255, 255, 0},  {"toolButtonColorF", 255, 80, 0},
    {"toolButtonColorG", 0, 0, 255},    {"toolButtonColorH", 227, 0, 127},  {"toolButtonColorI", 46, 166, 223},
    {"toolButtonColorJ", 96, 25, 133},  {"toolButtonColorK", 255, 255, 255}, {"toolButtonColorL", 139, 178, 36},
    {"toolButtonColorM", 255, 155, 51}, {"toolButtonColorN", 208, 113, 173},
};

// Idle times (seconds) of the idle frame's entries.
constexpr int kIdleSeconds[StopCloseTime::kEntryCount] = {10, 30, 60, 300, 600, 900, 1200, 1500, 1800, 2100, 2400};

// Defaults a reset shows.
constexpr int kResetBrightness = 10;
constexpr int kResetSpeed = 8;
constexpr int kResetIdleEntry = 2;

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

QToolButton* makeButton(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QSlider* makeSlider(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setGeometry(geometry);
    slider->setRange(1, 10);
    slider->setPageStep(1);
    slider->setSingleStep(1);
    // A drag sends one write, on release.
    slider->setTracking(false);
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}

QSpinBox* makeNumber(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setRange(1, 10);
    box->setReadOnly(true);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

QSpinBox* makeColourBox(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setRange(0, 255);
    box->setButtonSymbols(QAbstractSpinBox::NoButtons);
    box->setAlignment(Qt::AlignCenter);
    box->setKeyboardTracking(true);
    return box;
}

QFrame* makeLine(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(geometry);
    line->setFrameShape(QFrame::HLine);
    line->setStyleSheet(QStringLiteral("background:rgb(57,57,57);border:none;"));
    return line;
}

} // namespace

const LampLight::Preset& LampLight::preset(int index)
{
    return kPresets[qBound(0, index, kPresetCount - 1)];
}

LampLight::LampLight(QWidget* parent)
    : QWidget(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    for (int i = 0; i < kPresetCount; ++i)
        connect(m_presets[i], &QToolButton::clicked, this, [this, i] { applyPreset(i); });

    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Picture/Light"));

    // Laid out for "off" until the first image; building the page never writes.
    showMode(m_lightMod->currentIndex());

    applyLook();

    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);

    // The device side waits on these until the page shows the values.
    connect(bus, SIGNAL(SigUpDataLightLight(FlashDataMap)), this, SLOT(SlotUpDataLightUILight(FlashDataMap)),
            Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigUpDataLightUIA(FlashDataMap)), this, SLOT(SlotUpDataLightUIA(FlashDataMap)));
    connect(bus, SIGNAL(SigLightToFrom(int)), this, SLOT(SlotLightToFrom(int)));
    connect(bus, SIGNAL(SigFormReset()), this, SLOT(SlotFormResetLight()), Qt::BlockingQueuedConnection);
    // A change the mouse did not take: every control shows what it holds.
    connect(HeldImage::instance(), &HeldImage::show, this,
            [this](const FlashDataMap& image) { fill(image, m_brightness->isEnabled()); });
}

LampLight::~LampLight() = default;

void LampLight::buildForm()
{
    setObjectName(QStringLiteral("LampLight"));
    resize(883, 630);
    setMaximumSize(883, 630);

    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_gridLayout->setSpacing(0);
    m_lightPage = new QFrame(this);
    m_lightPage->setObjectName(QStringLiteral("LightPage"));
    m_gridLayout->addWidget(m_lightPage, 0, 0);
    QWidget* page = m_lightPage;

    // Left: mode, brightness, speed, the two switches of the lights' timing.
    m_label = makeLabel(page, "label", QRect(40, 30, 400, 22));
    m_lightMod = new MyConmboBox(page);
    m_lightMod->setObjectName(QStringLiteral("LightMod"));
    // Wide enough for the longest mode name of every language.
    m_lightMod->setGeometry(40, 62, 250, 30);
    m_lightMod->setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < kModeCount; ++i)
        m_lightMod->addItem(QString());

    m_label2 = makeLabel(page, "label_2", QRect(40, 120, 150, 22));
    m_brightness = makeSlider(page, "horizontalLight", QRect(200, 122, 200, 18));
    m_line = makeLine(page, "line", QRect(200, 130, 200, 2));
    m_brightnessNumber = makeNumber(page, "LightSpinBox_2", QRect(410, 120, 40, 22));

    m_label3 = makeLabel(page, "label_3", QRect(40, 160, 150, 22));
    m_speed = makeSlider(page, "horizontalSpeed", QRect(200, 162, 200, 18));
    m_line2 = makeLine(page, "line_2", QRect(200, 170, 200, 2));
    m_speedNumber = makeNumber(page, "SpeedSpinBox_2", QRect(410, 160, 40, 22));

    m_label4 = makeLabel(page, "label_4", QRect(40, 220, 300, 22));
    m_rippeControl = makeButton(page, "RippeControl", QRect(350, 222, 36, 18));
    m_rippeControl->setCheckable(true);

    m_label5 = makeLabel(page, "label_5", QRect(40, 262, 300, 44));
    m_label5->setWordWrap(true);
    m_frameClose = new StopCloseTime(page);
    m_frameClose->setObjectName(QStringLiteral("frameClose"));
    m_frameClose->move(350, 269);

    // Right: the colour group.
    m_label6 = makeLabel(page, "label_6", QRect(500, 30, 300, 22));
    m_label7 = makeLabel(page, "label_7", QRect(500, 62, 280, 150));
    m_label8 = makeLabel(page, "label_8", QRect(500, 230, 200, 22));
    m_preview = makeLabel(page, "labelPreView", QRect(500, 260, 60, 60));

    struct Row
    {
        const char* caption;
        const char* reduce;
        const char* box;
        const char* add;
        QLabel** label;
        QToolButton** minus;
        QSpinBox** spin;
        QToolButton** plus;
    };
    const Row rows[] = {
        {"label_11", "ReduceR", "RSpinBox", "AddR", &m_label11, &m_reduceR, &m_red, &m_addR},
        {"label_10", "ReduceG", "GSpinBox", "AddG", &m_label10, &m_reduceG, &m_green, &m_addG},
        {"label_12", "ReduceB", "BSpinBox", "AddB", &m_label12, &m_reduceB, &m_blue, &m_addB},
    };
    int y = 258;
    for (const Row& r : rows) {
        *r.label = makeLabel(page, r.caption, QRect(590, y, 20, 22));
        *r.minus = makeButton(page, r.reduce, QRect(614, y + 1, 20, 20));
        *r.spin = makeColourBox(page, r.box, QRect(640, y, 60, 22));
        *r.plus = makeButton(page, r.add, QRect(706, y + 1, 20, 20));
        y += 32;
    }

    m_label13 = makeLabel(page, "label_13", QRect(500, 370, 300, 22));
    for (int i = 0; i < kPresetCount; ++i) {
        const QRect geometry(500 + 40 * (i % 7), 404 + 38 * (i / 7), 24, 24);
        QToolButton* b = makeButton(page, kPresets[i].name, geometry);
        b->setCheckable(true);
        m_presets << b;
    }

    m_colourGroup = {m_label6, m_label7, m_label8, m_preview, m_label10, m_label11, m_label12, m_label13,
                     m_reduceR, m_reduceG, m_reduceB, m_addR, m_addG, m_addB, m_red, m_green, m_blue};
    for (QToolButton* b : m_presets)
        m_colourGroup << b;

    m_brightnessNumber->setValue(m_brightness->value());
    m_speedNumber->setValue(m_speed->value());
}

void LampLight::applyLook()
{
    const QString& f = m_pictureFolder;
    m_lightPage->setStyleSheet(QStringLiteral("QFrame#LightPage{border:none;background:transparent;}"));

    // Five rows at most, which a styled box honours only with its own popup.
    SensorLook::styleComboBox(m_lightMod, f, 5);
    m_lightMod->setStyleSheet(m_lightMod->styleSheet() + QStringLiteral("QComboBox{combobox-popup:0;}"));
    // The sixth mode lies below the list's end: a slim scroll bar shows it is there.
    m_lightMod->view()->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical{width:6px;background:transparent;border:none;margin:0px;}"
                       "QScrollBar::handle:vertical{background:rgb(138,147,166);border-radius:3px;min-height:20px;}"
                       "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;border:none;}"
                       "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}"));
    // The box turned it off when its view was set, before the sheet asked for this list.
    m_lightMod->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    for (QWidget* w : {static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_label2),
                       static_cast<QWidget*>(m_label3), static_cast<QWidget*>(m_label4),
                       static_cast<QWidget*>(m_label5), static_cast<QWidget*>(m_label6),
                       static_cast<QWidget*>(m_label8), static_cast<QWidget*>(m_label13),
                       static_cast<QWidget*>(m_label10), static_cast<QWidget*>(m_label11),
                       static_cast<QWidget*>(m_label12), static_cast<QWidget*>(m_brightnessNumber),
                       static_cast<QWidget*>(m_speedNumber)})
        SensorLook::styleLabel(w);

    const QString colourBox = QStringLiteral("QSpinBox{background:black;%1border:1px solid rgb(128,128,128);}"
                                             "QSpinBox:hover{background:transparent;}")
                                  .arg(StyleHelper::colorRule(QStringLiteral("LinEditColorSecond")));
    for (QSpinBox* box : {m_red, m_green, m_blue})
        box->setStyleSheet(colourBox);

    const QString slider = SensorLook::sliderSheet(f);
    m_brightness->setStyleSheet(slider);
    m_speed->setStyleSheet(slider);

    m_rippeControl->setStyleSheet(
        QStringLiteral("QToolButton{border:none;border-image:url(%1Close.png);}"
                       "QToolButton:checked{border-image:url(%1Open.png);}")
            .arg(f));
    m_label7->setStyleSheet(QStringLiteral("QLabel{border:none;border-image:url(%1ColorBoard.png);}").arg(f));
    m_preview->setStyleSheet(QStringLiteral("QLabel{border:none;border-image:url(%1PreviewColor.png);}").arg(f));
    for (QToolButton* b : {m_reduceR, m_reduceG, m_reduceB})
        b->setStyleSheet(StyleHelper::toolButtonImages(f, QStringLiteral("Reduce.png"), QString(), QString()));
    for (QToolButton* b : {m_addR, m_addG, m_addB})
        b->setStyleSheet(StyleHelper::toolButtonImages(f, QStringLiteral("Add.png"), QString(), QString()));
    for (int i = 0; i < kPresetCount; ++i) {
        const QString picture = QStringLiteral("Color%1.png").arg(QChar('A' + i));
        m_presets[i]->setStyleSheet(StyleHelper::toolButtonImages(f, picture, QString(), QString()));
    }
}

// ---- User changes ----

bool LampLight::mayWrite() const
{
    return g_UiReady && !g_LightPageFilling;
}

bool LampLight::deviceAccepts() const
{
    if (!g_UiReady || UsbFinderC_GetDeviceOnLine(g_DevicePath.load()))
        return true;
    if (g_LightPageFilling)
        return true;
    PostMsg::GetInstance()->PostMouseOffLineo(0);
    return false;
}

void LampLight::on_LightMod_currentIndexChanged(int index)
{
    // No current item (a mode the page does not know): nothing to write or show.
    if (index < 0 || index >= kModeCount)
        return;
    if (mayWrite())
        WriteLightModeToDevice(index);
    showMode(index);
}

void LampLight::showMode(int index)
{
    if (index < 0 || index >= kModeCount)
        return;
    const ModeLayout& l = kModeLayouts[index];
    m_line->setVisible(l.line);
    m_line2->setVisible(l.line2);
    for (QWidget* w : m_colourGroup)
        w->setVisible(l.colour);
    m_brightness->setVisible(l.brightness);
    m_brightnessNumber->setVisible(l.brightness);
    m_speed->setVisible(l.speed);
    m_speedNumber->setVisible(l.speed);
}

void LampLight::showPreview(int red, int green, int blue)
{
    m_preview->setStyleSheet(QStringLiteral("QLabel{background-color:rgb(%1,%2,%3);"
                                            "border:2px solid rgb(220,220,220);}")
                                 .arg(red)
                                 .arg(green)
                                 .arg(blue));
}

void LampLight::colourChanged()
{
    const int r = m_red->value();
    const int g = m_green->value();
    const int b = m_blue->value();
    showPreview(r, g, b);
    if (mayWrite())
        WriteLightColorToDevice(quint8(r), quint8(g), quint8(b));
}

void LampLight::on_RSpinBox_valueChanged(int /*value*/) { colourChanged(); }
void LampLight::on_GSpinBox_valueChanged(int /*value*/) { colourChanged(); }
void LampLight::on_BSpinBox_valueChanged(int /*value*/) { colourChanged(); }

void LampLight::step(QSpinBox* box, int delta)
{
    if (!deviceAccepts())
        return;
    // The box keeps to 0..255: at a limit nothing changes and nothing is written.
    box->setValue(box->value() + delta);
}

void LampLight::on_AddR_clicked() { step(m_red, 1); }
void LampLight::on_AddG_clicked() { step(m_green, 1); }
void LampLight::on_AddB_clicked() { step(m_blue, 1); }
void LampLight::on_ReduceR_clicked() { step(m_red, -1); }
void LampLight::on_ReduceG_clicked() { step(m_green, -1); }
void LampLight::on_ReduceB_clicked() { step(m_blue, -1); }

void LampLight::setColour(int red, int green, int blue)
{
    m_red->setValue(red);
    m_green->setValue(green);
    m_blue->setValue(blue);
}

void LampLight::applyPreset(int index)
{
    if (index < 0 || index >= kPresetCount || !deviceAccepts())
        return;
    const Preset& p = kPresets[index];
    setColour(p.red, p.green, p.blue);
}

void LampLight::on_horizontalLight_sliderMoved(int value)
{
    m_brightnessNumber->setValue(value);
}

void LampLight::on_horizontalLight_valueChanged(int value)
{
    m_brightnessNumber->setValue(value);
    if (mayWrite())
        WriteLightBrightnessToDevice(quint8(value - 1));
}

void LampLight::on_horizontalSpeed_sliderMoved(int value)
{
    m_speedNumber->setValue(value);
}

void LampLight::on_horizontalSpeed_valueChanged(int value)
{
    m_speedNumber->setValue(value);
    if (mayWrite())
        WriteLightSpeedToDevice(quint8(value - 1));
}

void LampLight::on_RippeControl_clicked(bool checked)
{
    if (mayWrite())
        WriteByte0BToDevice(checked ? 1 : 0);
}

bool LampLight::boardColourAt(const QPoint& pagePos, QColor* colour) const
{
    if (m_label7->isHidden())
        return false;
    const QPoint local = m_label7->mapFrom(this, pagePos);
    if (!m_label7->rect().contains(local))
        return false;
    // The board as it draws itself (without what lies behind it), so the pick
    // needs no access to the screen.
    QImage image(m_label7->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    m_label7->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    if (!image.valid(local))
        return false;
    const QColor c = image.pixelColor(local);
    // The rounded corners are not board.
    if (c.alpha() == 0)
        return false;
    *colour = c;
    return true;
}

void LampLight::mousePressEvent(QMouseEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return;
    const QPoint pos = event->pos();
    auto outside = [this, pos](const QWidget* w) { return !w->geometry().contains(m_lightPage->mapFrom(this, pos)); };

    if (outside(m_red) && outside(m_green) && outside(m_blue)) {
        m_red->clearFocus();
        m_green->clearFocus();
        m_blue->clearFocus();
        setFocus();
    }
    for (QSpinBox* box : {m_brightnessNumber, m_speedNumber}) {
        if (outside(box)) {
            box->clearFocus();
            setFocus();
        }
    }

    QColor colour;
    if (!boardColourAt(pos, &colour) || !deviceAccepts())
        return;
    setColour(colour.red(), colour.green(), colour.blue());
    showPreview(colour.red(), colour.green(), colour.blue());
}

// ---- Fills from the bus ----

void LampLight::SlotUpDataLightUILight(FlashDataMap image)
{
    fill(image, true);
}

void LampLight::SlotUpDataLightUIA(FlashDataMap image)
{
    fill(image, false);
}

void LampLight::fill(const FlashDataMap& image, bool slidersEnabled)
{
    m_brightness->setEnabled(slidersEnabled);
    m_speed->setEnabled(slidersEnabled);
    const FillScope filling(g_LightPageFilling);

    const LedBarSettings& led = image.ledBar;
    {
        const QSignalBlocker b1(m_brightness);
        const QSignalBlocker b2(m_speed);
        const QSignalBlocker b3(m_red);
        const QSignalBlocker b4(m_green);
        const QSignalBlocker b5(m_blue);
        // The controls keep to 1..10: a byte above 9 shows as 10.
        m_brightness->setValue(led.brightness + 1);
        m_brightnessNumber->setValue(m_brightness->value());
        m_speed->setValue(led.speed + 1);
        m_speedNumber->setValue(m_speed->value());
        setColour(led.red, led.green, led.blue);
        showPreview(led.red, led.green, led.blue);
    }

    // Live signals: the mode handler lays the page out (and writes nothing now).
    // A mode above 5 leaves the list without a current item.
    m_lightMod->setCurrentIndex(led.on != 0 ? int(led.mode) : 0);
    m_rippeControl->setChecked(image.lightsOffWhileMoving != 0);

    SlotLightToFrom(int(image.idleLightOffTime) * 10);
}

void LampLight::SlotLightToFrom(int seconds)
{
    // An idle time the list does not offer shows no entry.
    int entry = -1;
    for (int i = 0; i < StopCloseTime::kEntryCount; ++i) {
        if (kIdleSeconds[i] == seconds)
            entry = i;
    }
    m_frameClose->setIndex(entry);
}

void LampLight::SlotFormResetLight()
{
    const FillScope filling(g_LightPageFilling);
    m_lightMod->setCurrentIndex(g_DeviceModelId == 8 || g_DeviceModelId == 9 ? 1 : 2);
    m_brightness->setValue(kResetBrightness);
    m_brightnessNumber->setValue(kResetBrightness);
    m_speed->setValue(kResetSpeed);
    m_speedNumber->setValue(kResetSpeed);
    m_rippeControl->setChecked(false);
    m_frameClose->setIndex(kResetIdleEntry);
}

void LampLight::SlotAllLanguage(int language)
{
    auto t = [language](int position) { return LanguageTables::text(LanguageSection::Light, language, position); };
    m_label->setText(t(0));
    for (int i = 0; i < kModeCount; ++i)
        m_lightMod->setItemText(i, t(1 + i));
    m_label2->setText(t(8));
    m_label3->setText(t(9));
    m_label4->setText(t(10));
    m_label5->setText(t(11));
    for (int i = 0; i < StopCloseTime::kEntryCount; ++i)
        m_frameClose->setItemText(i, t(12 + i));
    m_label6->setText(t(23));
    m_label8->setText(t(24));
    m_label13->setText(t(25));
    m_label11->setText(t(26));
    m_label10->setText(t(27));
    m_label12->setText(t(28));
}
