#include "ui/macro/Macro.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "ui/macro/KeyTable.h"

Macro::Macro(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Macro"));
    resize(880, 630);
    connect(PostMsg::GetInstance(), SIGNAL(SigSetMacroPage()), this, SLOT(SlotSetMacroPage()));
    connect(PostMsg::GetInstance(), SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(g_LanguageIndex);
}

Macro::~Macro() = default;

void Macro::SlotSetMacroPage()
{
    PostMsg::GetInstance()->PostStartRecord(1);
    g_MacroRecording = false;
}

void Macro::SlotAllLanguage(int language)
{
    KeyTable::SetMouseButtonNames(language);
}

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
