#include "app/LanguageChoice.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "core/SettingsStore.h"

bool LanguageChoice::apply(int index)
{
    const bool saved = SettingsStore::instance()->setValue(QStringLiteral("Language"), QStringLiteral("Language"),
                                                           QString::number(index));
    g_LanguageIndex = index;
    PostMsg::GetInstance()->PostAllLanguage(index);
    return saved;
}
