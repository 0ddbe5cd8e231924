#include "ui/macro/Macro.h"

#include "app/Globals.h"
#include "core/PostMsg.h"

Macro::Macro(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Macro"));
    resize(880, 630);
    connect(PostMsg::GetInstance(), SIGNAL(SigSetMacroPage()), this, SLOT(SlotSetMacroPage()));
}

Macro::~Macro() = default;

void Macro::SlotSetMacroPage()
{
    PostMsg::GetInstance()->PostStartRecord(1);
    g_MacroRecording = false;
}
