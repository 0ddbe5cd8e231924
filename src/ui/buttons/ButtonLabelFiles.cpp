#include "ui/buttons/ButtonLabelFiles.h"

#include "core/AppPaths.h"

#include <QAbstractButton>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QTextStream>
#include <QWidget>

#include <limits>

namespace {

// Selector of physical buttons 2..6.
const char* const kSelectors[] = {"RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic"};

// An index line i names function button i of this list.
const QStringList kIndexButtons = {"LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey",
                                   "DPI_2",     "DPI_3",      "DPI_6",  "DPI_8",     "DPI_5"};

// A kind line "k,m": function button m of the kind's list, and the sub-list
// scrolled to m (for the kinds that have one).
struct Kind
{
    int kind;
    const char* subList;
    QStringList buttons;
};

const Kind kKinds[] = {
    {10, nullptr, {"VolumeUp_2", "VolumeDown_2"}},
    {11, nullptr, {}},
    {12, nullptr, {"VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7"}},
    {13, nullptr, {"VolumeUp_8", "VolumeUp_9", "VolumeUp_10"}},
    {14, "scrollArea_3",
     {"Player", "StartPause_2", "BackMusic_2", "TopMusic_2", "Mute", "VolumeUp", "VolumeDown",
      "VolumeDown_4", "VolumeDown_5", "VolumeDown_6", "VolumeDown_3", "VolumeDown_8", "VolumeDown_9",
      "VolumeDown_7", "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11"}},
    {15, "scrollArea_10",
     {"VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_16", "VolumeUp_15", "VolumeUp_19",
      "VolumeUp_20", "VolumeUp_22", "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21"}},
};

const char* const kFunctionList = "scrollArea_4";

// Rows of the lists are 15 pixels apart. A number far outside any list would
// overflow the position; the scroll bar holds it to its range anyway.
int rowPosition(int row)
{
    const qint64 position = qint64(row) * 15;
    return int(qBound<qint64>(std::numeric_limits<int>::min(), position, std::numeric_limits<int>::max()));
}

void scrollTo(QWidget* page, const char* area, int row)
{
    if (auto* a = page->findChild<QScrollArea*>(QLatin1String(area)))
        a->verticalScrollBar()->setSliderPosition(rowPosition(row));
}

void copyText(QWidget* page, const char* selector, const QStringList& buttons, int index)
{
    if (index < 0 || index >= buttons.size())
        return;
    auto* target = page->findChild<QAbstractButton*>(QLatin1String(selector));
    auto* source = page->findChild<QAbstractButton*>(buttons.at(index));
    if (target && source)
        target->setText(source->text());
}

} // namespace

QString ButtonLabelFiles::folder()
{
    return AppPaths::dataSubdir(QStringLiteral("usersetting/MainPage"));
}

void ButtonLabelFiles::LoadButtonIni(QWidget* page, int button)
{
    LoadButtonIni(page, button, folder());
}

void ButtonLabelFiles::LoadButtonIni(QWidget* page, int button, const QString& folder)
{
    if (button < 2 || button > 6)
        return;
    QFile file(folder + QLatin1Char('/') + QString::number(button) + QStringLiteral(".ini"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&file);
    ApplyLine(page, button, in.readLine());
}

void ButtonLabelFiles::ApplyLine(QWidget* page, int button, const QString& line)
{
    if (!page || button < 2 || button > 6 || line.isEmpty())
        return;
    const char* selector = kSelectors[button - 2];
    const QStringList parts = line.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (parts.size() == 1) {
        const int i = parts.at(0).toInt();
        copyText(page, selector, kIndexButtons, i);
        scrollTo(page, kFunctionList, i);
        return;
    }
    if (parts.size() != 2)
        return;
    const int k = parts.at(0).toInt();
    const int m = parts.at(1).toInt();
    for (const Kind& kind : kKinds) {
        if (kind.kind != k)
            continue;
        copyText(page, selector, kind.buttons, m);
        if (kind.subList)
            scrollTo(page, kind.subList, m);
        break;
    }
    scrollTo(page, kFunctionList, k);
}
