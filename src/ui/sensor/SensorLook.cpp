#include "ui/sensor/SensorLook.h"

#include "ui/common/StyleHelper.h"

#include <QComboBox>
#include <QListView>
#include <QScrollBar>
#include <QWidget>

namespace {
QString rule(const QString& property, const QString& rgb)
{
    return rgb.isEmpty() ? QString() : property + QLatin1Char(':') + rgb + QLatin1Char(';');
}
}

QString SensorLook::comboBoxSheet(const QString& folder)
{
    const QString text = StyleHelper::optionRgb(QStringLiteral("ComboxTextColor"));
    const QString select = StyleHelper::optionRgb(QStringLiteral("ComboxSelectColor"));
    const QString back = StyleHelper::optionRgb(QStringLiteral("ComboxBackGroundColor"));
    // combobox-popup:0: a plain list below the field, which keeps to the
    // box's maximum of visible rows (the style's own popup would show them all).
    return QStringLiteral("QComboBox{border:none;%1border-image:url(%2ComboboxBack.png);combobox-popup:0;}"
                          "QComboBox:disabled{color:#8A93A6;}"
                          // The button covers the right end of the field's
                          // picture: it repeats its 1-px border and rounded corners.
                          "QComboBox::drop-down{width:24px;border:1px solid rgb(44,50,61);"
                          "border-top-right-radius:5px;border-bottom-right-radius:5px;%3}"
                          "QComboBox::down-arrow{image:url(%2Menu.png);}"
                          "QComboBox::down-arrow:on{image:url(%2MenuClicked.png);}"
                          "QComboBox QAbstractItemView{outline:0px;%1"
                          "border-image:url(%2ComboboxTextBack.png);}"
                          "QComboBox QAbstractItemView::item{height:25px;}"
                          "QComboBox QAbstractItemView::item:selected,"
                          "QComboBox QAbstractItemView::item:hover{%4}")
        .arg(rule(QStringLiteral("color"), text), folder, rule(QStringLiteral("background"), back),
             rule(QStringLiteral("background-color"), select));
}

void SensorLook::styleComboBox(QComboBox* box, const QString& folder, int maxVisible)
{
    if (!box)
        return;
    box->setStyleSheet(comboBoxSheet(folder));
    box->setView(new QListView(box));
    if (maxVisible > 0)
        box->setMaxVisibleItems(maxVisible);
    // Rows below the list's end: a slim scroll bar shows they are there.
    box->view()->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical{width:6px;background:transparent;border:none;margin:0px;}"
                       "QScrollBar::handle:vertical{background:rgb(138,147,166);border-radius:3px;min-height:20px;}"
                       "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;border:none;}"
                       "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}"));
    box->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QString SensorLook::sliderSheet(const QString& folder)
{
    const QString fill = StyleHelper::optionRgb(QStringLiteral("SliderColor"));
    // The empty part of the groove in the panels' border colour: a white one
    // glares on the dark pages and outshines the filled part.
    return QStringLiteral("QSlider::groove:horizontal{height:5px;border:none;background:rgb(44,50,61);}"
                          "QSlider::sub-page:horizontal{height:5px;border:none;%2}"
                          "QSlider::add-page:horizontal{height:5px;border:none;background:rgb(44,50,61);}"
                          "QSlider::handle:horizontal{width:6px;margin:-7px 0px;border:none;"
                          "border-image:url(%1HuaKuai.png);}")
        .arg(folder, rule(QStringLiteral("background"), fill));
}

void SensorLook::styleLabel(QWidget* label)
{
    if (!label)
        return;
    label->setStyleSheet(StyleHelper::colorRule(QStringLiteral("LabelColor"))
                         + QStringLiteral("background:transparent;border:none;"));
}
