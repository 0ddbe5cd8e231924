// The button page's label files ("2.ini" to "6.ini"): any file content, read
// into the page's own widget tree. Loading a button's file touches only that
// button's selector, whose text is then unchanged or the text of a function
// button of the page, and scrolls nothing but the function lists; the file
// itself is left as it was.
#include "FuzzSupport.h"

#include "ui/buttons/ButtonLabelFiles.h"
#include "ui/buttons/Ui_Buttoninterface.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QToolButton>
#include <QWidget>

namespace {

// Selectors of physical buttons 2..6, in order.
const char* const kSelectors[] = {"RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic"};
// The function list and the two sub-lists a label file may scroll.
const QSet<QString> kScrolled = {"scrollArea_4", "scrollArea_3", "scrollArea_10"};

QWidget* g_page = nullptr;
Ui_Buttoninterface* g_ui = nullptr;
QHash<QString, QString> g_texts;          // every tool button's text as built
QHash<QString, int> g_positions;          // every scroll area's start position
QSet<QString> g_functionTexts;            // texts a selector may take

QHash<QString, int> positions()
{
    QHash<QString, int> out;
    for (QScrollArea* area : g_page->findChildren<QScrollArea*>())
        out.insert(area->objectName(), area->verticalScrollBar()->sliderPosition());
    return out;
}

void reset()
{
    for (QToolButton* b : g_page->findChildren<QToolButton*>())
        b->setText(g_texts.value(b->objectName()));
    for (QScrollArea* area : g_page->findChildren<QScrollArea*>())
        area->verticalScrollBar()->setSliderPosition(g_positions.value(area->objectName()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv, true);
    g_page = new QWidget;
    g_ui = new Ui_Buttoninterface;
    g_ui->setupUi(g_page);
    g_page->resize(1020, 700);
    g_page->show();
    QApplication::processEvents();  // lays the lists out, so that they can scroll
    QSet<QString> selectors;
    for (const char* name : kSelectors)
        selectors.insert(QLatin1String(name));
    for (QToolButton* b : g_page->findChildren<QToolButton*>()) {
        if (b->objectName().isEmpty() || g_texts.contains(b->objectName()))
            FuzzSupport::fail("tool buttons without a name of their own");
        g_texts.insert(b->objectName(), b->text());
        if (!selectors.contains(b->objectName()))
            g_functionTexts.insert(b->text());
    }
    for (QScrollArea* area : g_page->findChildren<QScrollArea*>())
        area->verticalScrollBar()->setSliderPosition(area->verticalScrollBar()->maximum() / 3);
    g_positions = positions();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    const QString folder = ButtonLabelFiles::folder();
    for (int button = 2; button <= 6; ++button) {
        const QString path = folder + QLatin1Char('/') + QString::number(button) + QStringLiteral(".ini");
        FuzzSupport::writeFile(path, input);
        reset();
        ButtonLabelFiles::LoadButtonIni(g_page, button);

        const QString own = QLatin1String(kSelectors[button - 2]);
        for (QToolButton* b : g_page->findChildren<QToolButton*>()) {
            const QString was = g_texts.value(b->objectName());
            if (b->text() == was)
                continue;
            if (b->objectName() != own)
                FuzzSupport::fail("a label file changed a widget other than its selector");
            if (!g_functionTexts.contains(b->text()))
                FuzzSupport::fail("a selector took a text no function button has");
        }
        const QHash<QString, int> now = positions();
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (it.value() != g_positions.value(it.key()) && !kScrolled.contains(it.key()))
                FuzzSupport::fail("a label file scrolled a list other than the function lists");
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != input)
            FuzzSupport::fail("loading a label file changed the file");
    }
    return 0;
}
