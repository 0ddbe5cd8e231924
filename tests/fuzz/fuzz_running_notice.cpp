// The "already running" notice reads its own texts straight from a language
// file: any file content. Reading touches nothing but the notice's label and
// its button, a failed read keeps what was shown, and the file is left as it was.
#include "FuzzSupport.h"

#include "app/LanguageTables.h"
#include "ui/settings/ExeIsRun.h"

#include <QAbstractButton>
#include <QFile>
#include <QHash>
#include <QLabel>

namespace {

ExeIsRun* g_notice = nullptr;
QHash<QObject*, QString> g_built;  // every label's and button's text as built

QString textOf(QObject* o)
{
    if (auto* label = qobject_cast<QLabel*>(o))
        return label->text();
    return static_cast<QAbstractButton*>(o)->text();
}

QList<QObject*> textWidgets()
{
    QList<QObject*> out;
    for (QLabel* l : g_notice->findChildren<QLabel*>())
        out << l;
    for (QAbstractButton* b : g_notice->findChildren<QAbstractButton*>())
        out << b;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv, true);
    g_notice = new ExeIsRun;
    for (QObject* o : textWidgets())
        g_built.insert(o, textOf(o));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    const QString path = ExeIsRun::languageFilePath(0);
    FuzzSupport::writeFile(path, input);
    for (auto it = g_built.cbegin(); it != g_built.cend(); ++it) {
        if (auto* label = qobject_cast<QLabel*>(it.key()))
            label->setText(it.value());
        else
            static_cast<QAbstractButton*>(it.key())->setText(it.value());
    }

    g_notice->SlotChangeLanguage(0);
    for (QObject* o : textWidgets()) {
        if (textOf(o) != g_built.value(o) && o->objectName() != QLatin1String("label")
            && o->objectName() != QLatin1String("NewHong"))
            FuzzSupport::fail("a language file changed a text other than the notice's label and button");
    }
    g_notice->ShowLabel2Text();
    g_notice->ShowPleaseStopText();

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != input)
        FuzzSupport::fail("reading the notice's texts changed the language file");
    return 0;
}
