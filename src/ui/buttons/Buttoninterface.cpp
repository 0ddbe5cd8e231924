#include "ui/buttons/Buttoninterface.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "device/Worker.h"
#include "ui/common/StyleHelper.h"

#include <HIDUsb.h>

#include <QFrame>
#include <QToolButton>

namespace {
// Marker positions on each model picture: Number1 .. Number6.
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
}

Buttoninterface::Buttoninterface(QWidget* parent)
    : QWidget(parent)
{
    buildForm();
    QMetaObject::connectSlotsByName(this);
    PostMsg* bus = PostMsg::GetInstance();
    connect(bus, SIGNAL(SigMouseIndex(int)), this, SLOT(SlotMouseIndex(int)));
    m_pictureFolder = StyleHelper::pictureFolder(QStringLiteral("Buttoninterface"));
    // On the markers themselves: the model picture replaces its holder's sheet.
    const QString markerSheet =
        QStringLiteral("QToolButton{color: rgb(0, 0, 0);border:0px;background-position:center;"
                       "background-repeat:no-repeat;background-image: url(%1NumberOrigin.png);}"
                       "QToolButton:hover{background-image: url(%1NumberHover.png);}"
                       "QToolButton:pressed{padding-left: 0px;background-image: url(%1NumberClick.png);}")
            .arg(m_pictureFolder);
    for (QToolButton* marker : m_markers)
        marker->setStyleSheet(markerSheet);
    // The panel lies on the dark page: no light frame line around it.
    m_mainWindow->setStyleSheet(QStringLiteral("QFrame#MainWindow{border:none;background:transparent;}"));

    connect(bus, SIGNAL(SigUpDataLightUIButton(FlashDataMap)), this, SLOT(SlotUpDataButtonUIButton(FlashDataMap)),
            Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigFormReset()), this, SLOT(SlotFormResetButton()), Qt::BlockingQueuedConnection);
    connect(bus, SIGNAL(SigAddMacroButton()), this, SLOT(SlotAddMacroButton()));

    if (!g_Worker)
        g_Worker = new Worker();
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
}

void Buttoninterface::buildForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("Buttoninterface"));
    resize(883, 630);
    setMaximumSize(883, 660);

    m_mainWindow = new QFrame(this);
    m_mainWindow->setObjectName(QStringLiteral("MainWindow"));
    m_mainWindow->setGeometry(0, 0, 883, 630);
    m_mainWindow->setFrameShape(QFrame::StyledPanel);
    m_mainWindow->setFrameShadow(QFrame::Raised);

    m_picture = new QWidget(m_mainWindow);
    m_picture->setObjectName(QStringLiteral("widget"));
    m_picture->setGeometry(180, 20, 432, 356);
    m_picture->setFixedSize(432, 356);

    for (int i = 0; i < 6; ++i) {
        auto* marker = new QToolButton(m_picture);
        marker->setObjectName(QStringLiteral("Number%1").arg(i + 1));
        marker->setFixedSize(38, 38);
        marker->setText(QString::number(i + 1));
        marker->setAutoRaise(true);
        marker->setFocusPolicy(Qt::NoFocus);
        marker->setCheckable(true);
        marker->move(kMarkerPositions[0][i]);
        m_markers[i] = marker;
    }
}

void Buttoninterface::SlotMouseIndex(int index)
{
    if (index < 0 || index > 6)
        return;
    m_picture->setStyleSheet(QStringLiteral("#widget{border:0px;background-position:center;background-repeat:no-repeat;"
                                            "background-image: url(%1mouse%2.png);}")
                                 .arg(m_pictureFolder)
                                 .arg(kPictureNumbers[index]));
    for (int i = 0; i < 6; ++i)
        m_markers[i]->move(kMarkerPositions[index][i]);
}

void Buttoninterface::SlotAddMacroButton()
{
}

void Buttoninterface::SlotUpDataButtonUIButton(FlashDataMap image)
{
    Q_UNUSED(image)
    g_ButtonPageApplied = false;
    g_ButtonPageFilling = true;
    // The assignments are shown here once the page has its function buttons.
    g_ButtonPageApplied = true;
    g_ButtonPageFilling = false;
}

void Buttoninterface::SlotFormResetButton()
{
}
