#include "ui/buttons/Ui_Buttoninterface.h"

#include "ui/home/MyToolButton.h"
#include "ui/sensor/DebounceTime.h"
#include "ui/sensor/MyConmboBox.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMetaObject>
#include <QScrollArea>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char kFormFamily[] = "微软雅黑";

// The seventeen buttons of the function list, top to bottom, with their point sizes.
struct ListButton
{
    const char* name;
    int pointSize;
};
const ListButton kMainList[] = {
    {"LeftKey_3", 8}, {"RightKey_3", 8}, {"MidKey", 8}, {"BackKey_2", 8}, {"ForWardKey", 8},
    {"DPI_2", 8},     {"DPI_3", 8},      {"DPI_6", 8},  {"DPI_8", 8},     {"DPI_5", 8},
    {"DPI_13", 6},    {"DPI_11", 6},     {"DPI_4", 6},  {"DPI_9", 6},     {"DPI_7", 6},
    {"DPI_12", 7},    {"DPI_10", 8},
};

// The pages of stackedWidget_2 in index order. Pages with a list hold a grid
// (or, for page_10, a placed scroll area), a scroll area and its contents.
struct SubPage
{
    const char* page;
    const char* grid;      // null: no grid layout
    const char* area;      // null: no list (page_9)
    const char* contents;
    int contentsHeight;
    const char* layout;
    std::initializer_list<const char*> buttons;
    bool spacer;
};
const SubPage kSubPages[] = {
    {"page_3", "gridLayout_2", "scrollArea_3", "scrollAreaWidgetContents_3", 500, "verticalLayout_4",
     {"Player", "StartPause_2", "BackMusic_2", "TopMusic_2", "Mute", "VolumeUp", "VolumeDown", "VolumeDown_4",
      "VolumeDown_5", "VolumeDown_6", "VolumeDown_3", "VolumeDown_8", "VolumeDown_9", "VolumeDown_7",
      "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11"},
     false},
    {"page_5", "gridLayout_5", "scrollArea_7", "scrollAreaWidgetContents_7", 220, "verticalLayout_6", {}, false},
    {"page_6", "gridLayout_6", "scrollArea_8", "scrollAreaWidgetContents_8", 220, "verticalLayout_10",
     {"VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7"}, true},
    {"page_8", "gridLayout_8", "scrollArea_10", "scrollAreaWidgetContents_10", 400, "verticalLayout_12",
     {"VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_16", "VolumeUp_15", "VolumeUp_19", "VolumeUp_20",
      "VolumeUp_22", "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21"},
     false},
    {"page_9", nullptr, nullptr, nullptr, 0, nullptr, {}, false},
    {"page_4", "gridLayout_4", "scrollArea_6", "scrollAreaWidgetContents_6", 220, "verticalLayout_5",
     {"VolumeUp_2", "VolumeDown_2"}, true},
    {"page_7", "gridLayout_7", "scrollArea_9", "scrollAreaWidgetContents_9", 220, "verticalLayout_11",
     {"VolumeUp_8", "VolumeUp_9", "VolumeUp_10"}, true},
    {"page_10", nullptr, "scrollArea_12", "scrollAreaWidgetContents_12", 220, "verticalLayout_7",
     {"VolumeUp_14", "VolumeDown_14"}, true},
};

// Selector rows: number label, its y, the selector, its y.
struct SelectorRow
{
    const char* label;
    int labelY;
    const char* selector;
    int selectorY;
};
const SelectorRow kSelectorRows[] = {
    {"label_14", 6, "FireKey", 5},     {"label_9", 41, "RightKey", 40},    {"label_15", 76, "BackKey", 75},
    {"label_11", 110, "StartPause", 109}, {"label_12", 145, "TopMusic", 144}, {"label_13", 180, "BackMusic", 179},
};

const QPoint kMarkerPositions[6] = {{80, 135}, {150, 165}, {117, 143}, {258, 170}, {295, 145}, {290, 230}};

// Default texts of the form; the language texts replace them at start-up.
struct FormText
{
    const char* name;
    const char* text;
};
const FormText kFormTexts[] = {
    {"Reset", "恢复默认"}, {"ImportData", "导入"}, {"OutputData", "导出"},
    {"FireKey", "左键"}, {"RightKey", "右键"}, {"BackKey", "中键"}, {"StartPause", "后退键"},
    {"TopMusic", "前进键"}, {"BackMusic", "下一曲"},
    {"LeftKey_3", "左键"}, {"RightKey_3", "右键"}, {"MidKey", "中键"}, {"BackKey_2", "后退键"},
    {"ForWardKey", "前进键"}, {"DPI_2", "切换报告率"}, {"DPI_3", "配置切换"}, {"DPI_6", "火力键"},
    {"DPI_8", "组合键"}, {"DPI_5", "待定义按键"}, {"DPI_13", "垂直滚动"}, {"DPI_11", "水平滚动"},
    {"DPI_4", "DPI锁定"}, {"DPI_9", "灯光"}, {"DPI_7", "DPI切换"}, {"DPI_12", "多媒体"}, {"DPI_10", "宏"},
    {"Player", "播放器"}, {"StartPause_2", "播放/暂停"}, {"BackMusic_2", "下一曲"}, {"TopMusic_2", "上一曲"},
    {"Mute", "停止播放"}, {"VolumeUp", "静音"}, {"VolumeDown", "音量加"}, {"VolumeDown_4", "音量减"},
    {"VolumeDown_5", "邮件"}, {"VolumeDown_6", "计算器"}, {"VolumeDown_3", "我的电脑"}, {"VolumeDown_8", "主页"},
    {"VolumeDown_9", "搜索"}, {"VolumeDown_7", "前进"}, {"VolumeDown_10", "后退"}, {"VolumeDown_12", "停止网页"},
    {"VolumeDown_13", "刷新"}, {"VolumeDown_11", "收藏夹"},
    {"VolumeUp_4", "开/关所有装饰灯"}, {"VolumeUp_5", "开/关DPI指示灯"}, {"VolumeUp_6", "开/关灯带"},
    {"VolumeUp_7", "循环切换灯带效果"}, {"VolumeUp_8", "DPI循环"}, {"VolumeUp_9", "DPI+"}, {"VolumeUp_10", "DPI-"},
    {"VolumeUp_2", "左滚"}, {"VolumeDown_2", "右滚"}, {"VolumeUp_14", "上滚"}, {"VolumeDown_14", "下滚"},
    {"VolumeUp_11", "100"}, {"VolumeUp_12", "200"}, {"VolumeUp_13", "300"}, {"VolumeUp_16", "400"},
    {"VolumeUp_15", "500"}, {"VolumeUp_19", "600"}, {"VolumeUp_20", "700"}, {"VolumeUp_22", "800"},
    {"VolumeUp_18", "900"}, {"VolumeUp_24", "1000"}, {"VolumeUp_23", "1100"}, {"VolumeUp_21", "1200"},
    {"Number1", "1"}, {"Number2", "2"}, {"Number3", "3"}, {"Number4", "4"}, {"Number5", "5"}, {"Number6", "6"},
};

QFont formFont(int pointSize)
{
    QFont font;
    font.setFamily(QString::fromUtf8(kFormFamily));
    font.setPointSize(pointSize);
    return font;
}

void fix(QWidget* w, int width, int height)
{
    w->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    w->setMinimumSize(width, height);
    w->setMaximumSize(width, height);
}

QScrollArea* makeListArea(QWidget* parent, const char* name, int width, int height)
{
    auto* area = new QScrollArea(parent);
    area->setObjectName(QString::fromLatin1(name));
    fix(area, width, height);
    area->setFocusPolicy(Qt::NoFocus);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    // The viewport is painted with the window colour unless told otherwise;
    // the list lies on the page's dark background.
    area->viewport()->setAutoFillBackground(false);
    return area;
}

const char kListAreaSheet[] = "QFrame\n{\nborder: 2px solid rgb(119,119,119);\n}";

} // namespace

QToolButton* Ui_Buttoninterface::addButton(QWidget* parent, const QString& name, int width, int height,
                                           int pointSize, bool checkable, QToolButton* made)
{
    QToolButton* b = made ? made : new QToolButton(parent);
    b->setObjectName(name);
    fix(b, width, height);
    b->setFont(formFont(pointSize));
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    buttons.insert(name, b);
    return b;
}

QWidget* Ui_Buttoninterface::addListPage(int index)
{
    const SubPage& d = kSubPages[index];
    auto* p = new QWidget();
    p->setObjectName(QString::fromLatin1(d.page));
    if (!d.area)
        return p;  // page_9 is filled by setupUi
    fix(p, 205, 240);
    auto* area = makeListArea(p, d.area, 205, 220);
    area->setStyleSheet(QString::fromLatin1(kListAreaSheet));
    auto* contents = new QWidget();
    contents->setObjectName(QString::fromLatin1(d.contents));
    contents->setGeometry(0, 0, 205, d.contentsHeight);
    auto* layout = new QVBoxLayout(contents);
    layout->setObjectName(QString::fromLatin1(d.layout));
    layout->setContentsMargins(7, layout->contentsMargins().top(), layout->contentsMargins().right(),
                               layout->contentsMargins().bottom());
    for (const char* name : d.buttons)
        layout->addWidget(addButton(contents, QString::fromLatin1(name), 174, 22, 9, true));
    if (d.spacer)
        layout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    area->setWidget(contents);
    if (d.grid) {
        auto* grid = new QGridLayout(p);
        grid->setObjectName(QString::fromLatin1(d.grid));
        grid->setSpacing(0);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->addWidget(area, 0, 0);
    } else {
        area->setGeometry(0, 10, 205, 220);
    }
    return p;
}

void Ui_Buttoninterface::setupUi(QWidget* root)
{
    if (root->objectName().isEmpty())
        root->setObjectName(QStringLiteral("Buttoninterface"));
    root->resize(883, 630);
    root->setMaximumSize(883, 660);
    gridLayout_9 = new QGridLayout(root);
    gridLayout_9->setObjectName(QStringLiteral("gridLayout_9"));
    gridLayout_9->setContentsMargins(0, 0, 0, 0);

    MainWindow = new QFrame(root);
    MainWindow->setObjectName(QStringLiteral("MainWindow"));
    MainWindow->setMaximumSize(883, 630);
    MainWindow->setFrameShape(QFrame::StyledPanel);
    MainWindow->setFrameShadow(QFrame::Raised);
    MainWindow->setStyleSheet(QStringLiteral(
        "QScrollArea{background:transparent;}"
        "QScrollBar:vertical{border:none;background:rgb(28,28,28);width:10px;margin:2px 0 2px 0;}"
        "QScrollBar::handle:vertical{background:rgb(63,63,63);border-radius:3px;min-height:30px;margin:0 2px;}"
        "QScrollBar::handle:vertical:pressed{background:rgb(63,63,63);}"
        "QScrollBar::add-line:vertical{height:25px;background:rgb(28,28,28);subcontrol-position:bottom;"
        "subcontrol-origin:margin;}"
        "QScrollBar::sub-line:vertical{height:25px;background:rgb(28,28,28);subcontrol-position:top;"
        "subcontrol-origin:margin;}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;border:none;}"
        "QScrollBar::up-arrow:vertical,QScrollBar::down-arrow:vertical{background:transparent;border:none;}"));
    gridLayout_9->addWidget(MainWindow, 0, 0);

    label = new QLabel(MainWindow);
    label->setObjectName(QStringLiteral("label"));
    label->setGeometry(30, 30, 20, 14);
    label->setMaximumSize(20, 14);

    widget = new QWidget(MainWindow);
    widget->setObjectName(QStringLiteral("widget"));
    widget->setGeometry(180, 20, 432, 356);
    fix(widget, 432, 356);
    QToolButton** markers[6] = {&Number1, &Number2, &Number3, &Number4, &Number5, &Number6};
    QFont markerFont;
    markerFont.setPointSize(16);
    markerFont.setBold(false);
    markerFont.setWeight(50);
    for (int i = 0; i < 6; ++i) {
        *markers[i] = addButton(widget, QStringLiteral("Number%1").arg(i + 1), 38, 38, 16, false);
        (*markers[i])->setFont(markerFont);
        (*markers[i])->move(kMarkerPositions[i]);
    }

    OutputData = addButton(MainWindow, QStringLiteral("OutputData"), 90, 26, 10, false);
    OutputData->setGeometry(780, 350, 90, 26);
    ImportData = addButton(MainWindow, QStringLiteral("ImportData"), 90, 26, 10, false);
    ImportData->setGeometry(680, 350, 90, 26);

    groupBox = new QGroupBox(MainWindow);
    groupBox->setObjectName(QStringLiteral("groupBox"));
    groupBox->setGeometry(7, 380, 862, 216);

    scrollArea_11 = makeListArea(groupBox, "scrollArea_11", 480, 212);
    scrollArea_11->setGeometry(150, 2, 480, 212);
    scrollAreaWidgetContents_11 = new QWidget();
    scrollAreaWidgetContents_11->setObjectName(QStringLiteral("scrollAreaWidgetContents_11"));
    scrollAreaWidgetContents_11->setGeometry(0, 0, 510, 212);
    fix(scrollAreaWidgetContents_11, 510, 212);
    QLabel** numberLabels[6] = {&label_14, &label_9, &label_15, &label_11, &label_12, &label_13};
    QToolButton** selectors[6] = {&FireKey, &RightKey, &BackKey, &StartPause, &TopMusic, &BackMusic};
    QFont numberFont;
    numberFont.setFamily(QStringLiteral("Microsoft YaHei UI Light"));
    numberFont.setPointSize(16);
    for (int i = 0; i < 6; ++i) {
        const SelectorRow& row = kSelectorRows[i];
        auto* number = new QLabel(scrollAreaWidgetContents_11);
        number->setObjectName(QString::fromLatin1(row.label));
        number->setGeometry(0, row.labelY, 24, 24);
        fix(number, 24, 24);
        number->setFont(numberFont);
        number->setAlignment(Qt::AlignCenter);
        *numberLabels[i] = number;
        *selectors[i] = addButton(scrollAreaWidgetContents_11, QString::fromLatin1(row.selector), 262, 26, 11, true);
        (*selectors[i])->setGeometry(30, row.selectorY, 262, 26);
    }
    FireKey->setChecked(false);
    scrollArea_11->setWidget(scrollAreaWidgetContents_11);

    stackedWidget = new QStackedWidget(groupBox);
    stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    stackedWidget->setGeometry(445, -11, 201, 241);
    stackedWidget->setMinimumSize(192, 230);
    stackedWidget->setMaximumSize(230, 1111);
    page = new QWidget();
    page->setObjectName(QStringLiteral("page"));
    fix(page, 195, 240);
    gridLayout_3 = new QGridLayout(page);
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    gridLayout_3->setSpacing(0);
    gridLayout_3->setContentsMargins(0, 0, 0, 0);
    stackedWidget->addWidget(page);

    page_2 = new QWidget();
    page_2->setObjectName(QStringLiteral("page_2"));
    fix(page_2, 195, 240);
    gridLayout = new QGridLayout(page_2);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(0);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    scrollArea_4 = makeListArea(page_2, "scrollArea_4", 195, 220);
    scrollArea_4->setFrameShape(QFrame::StyledPanel);
    scrollArea_4->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    scrollArea_4->setStyleSheet(QString::fromLatin1(kListAreaSheet));
    scrollAreaWidgetContents_4 = new QWidget();
    scrollAreaWidgetContents_4->setObjectName(QStringLiteral("scrollAreaWidgetContents_4"));
    fix(scrollAreaWidgetContents_4, 195, 420);
    verticalLayout_9 = new QVBoxLayout(scrollAreaWidgetContents_4);
    verticalLayout_9->setObjectName(QStringLiteral("verticalLayout_9"));
    const QMargins m = verticalLayout_9->contentsMargins();
    verticalLayout_9->setContentsMargins(7, m.top(), m.right(), m.bottom());
    for (const ListButton& b : kMainList) {
        const QString name = QString::fromLatin1(b.name);
        QToolButton* made = (name == QLatin1String("DPI_6") || name == QLatin1String("DPI_8"))
                                ? new MyToolButton(scrollAreaWidgetContents_4)
                                : nullptr;
        verticalLayout_9->addWidget(addButton(scrollAreaWidgetContents_4, name, 164, 22, b.pointSize, true, made));
    }
    scrollArea_4->setWidget(scrollAreaWidgetContents_4);
    gridLayout->addWidget(scrollArea_4, 0, 0);
    stackedWidget->addWidget(page_2);

    groupBox_4 = new QGroupBox(groupBox);
    groupBox_4->setObjectName(QStringLiteral("groupBox_4"));
    groupBox_4->setGeometry(643, -11, 211, 241);
    stackedWidget_2 = new QStackedWidget(groupBox_4);
    stackedWidget_2->setObjectName(QStringLiteral("stackedWidget_2"));
    stackedWidget_2->setGeometry(0, 0, 213, 238);
    stackedWidget_2->setMinimumSize(213, 200);
    stackedWidget_2->setMaximumSize(213, 1111111);
    QWidget** pages[8] = {&page_3, &page_5, &page_6, &page_8, &page_9, &page_4, &page_7, &page_10};
    for (int i = 0; i < 8; ++i) {
        *pages[i] = addListPage(i);
        stackedWidget_2->addWidget(*pages[i]);
    }
    scrollArea_3 = page_3->findChild<QScrollArea*>(QStringLiteral("scrollArea_3"));
    scrollArea_7 = page_5->findChild<QScrollArea*>(QStringLiteral("scrollArea_7"));
    scrollArea_8 = page_6->findChild<QScrollArea*>(QStringLiteral("scrollArea_8"));
    scrollArea_10 = page_8->findChild<QScrollArea*>(QStringLiteral("scrollArea_10"));
    scrollArea_6 = page_4->findChild<QScrollArea*>(QStringLiteral("scrollArea_6"));
    scrollArea_9 = page_7->findChild<QScrollArea*>(QStringLiteral("scrollArea_9"));
    scrollArea_12 = page_10->findChild<QScrollArea*>(QStringLiteral("scrollArea_12"));
    scrollAreaWidgetContents_3 = scrollArea_3->widget();
    scrollAreaWidgetContents_7 = scrollArea_7->widget();
    scrollAreaWidgetContents_8 = scrollArea_8->widget();
    scrollAreaWidgetContents_10 = scrollArea_10->widget();
    scrollAreaWidgetContents_6 = scrollArea_6->widget();
    scrollAreaWidgetContents_9 = scrollArea_9->widget();
    scrollAreaWidgetContents_12 = scrollArea_12->widget();
    verticalLayout_6 = scrollAreaWidgetContents_7->findChild<QVBoxLayout*>(QStringLiteral("verticalLayout_6"));

    groupBox_2 = new QGroupBox(page_9);
    groupBox_2->setObjectName(QStringLiteral("groupBox_2"));
    groupBox_2->setGeometry(10, 0, 200, 241);
    groupBox_2->setStyleSheet(QStringLiteral(
        "#groupBox_2{\nborder-width:2px;  \n   border-style:solid;\n  border-color: rgb(119, 119, 119);\n}\n"));
    label_3 = new QLabel(groupBox_2);
    label_3->setObjectName(QStringLiteral("label_3"));
    label_3->setGeometry(0, 20, 201, 31);
    label_3->setFont(formFont(11));
    label_3->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    label_3->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    DebunceButton = new DebounceTime(groupBox_2);
    DebunceButton->setObjectName(QStringLiteral("DebunceButton"));
    DebunceButton->setGeometry(35, 50, 165, 37);
    DebunceButton->setFrameShape(QFrame::StyledPanel);
    DebunceButton->setFrameShadow(QFrame::Raised);

    ProjectChoose = new MyConmboBox(MainWindow);
    ProjectChoose->setObjectName(QStringLiteral("ProjectChoose"));
    ProjectChoose->setGeometry(60, 25, 128, 24);
    fix(ProjectChoose, 128, 24);
    QFont profileFont = formFont(11);
    profileFont.setItalic(false);
    ProjectChoose->setFont(profileFont);
    ProjectChoose->setFocusPolicy(Qt::NoFocus);

    Reset = addButton(MainWindow, QStringLiteral("Reset"), 90, 26, 10, false);
    Reset->setGeometry(580, 350, 90, 26);

    retranslateUi(root);
    stackedWidget->setCurrentIndex(1);
    stackedWidget_2->setCurrentIndex(4);
    QMetaObject::connectSlotsByName(root);
}

void Ui_Buttoninterface::retranslateUi(QWidget* root)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("Buttoninterface", text); };
    root->setWindowTitle(tr("Form"));
    label->setText(QString());
    groupBox->setTitle(QString());
    groupBox_4->setTitle(QString());
    groupBox_2->setTitle(QString());
    QLabel* numberLabels[6] = {label_14, label_9, label_15, label_11, label_12, label_13};
    for (int i = 0; i < 6; ++i)
        numberLabels[i]->setText(QString::number(i + 1));
    for (const FormText& t : kFormTexts) {
        if (QToolButton* b = button(QString::fromLatin1(t.name)))
            b->setText(tr(t.text));
    }
    label_3->setText(tr("按键响应时间"));
}
