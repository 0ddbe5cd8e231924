#include "device/HeldImage.h"

#include "app/Globals.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/CachedImage.h"
#include "device/WorkingImage.h"

#include <QMetaObject>

HeldImage* HeldImage::instance()
{
    static HeldImage* s_instance = new HeldImage;
    return s_instance;
}

bool HeldImage::get(FlashDataMap* out)
{
    QString cache;
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        if (WorkingImage::isCurrentLocked()) {
            *out = g_FlashData;
            return true;
        }
        cache = g_SelectedFlashDataFile;
    }
    return CachedImage::load(cache, out);
}

void HeldImage::refused()
{
    HeldImage* self = instance();
    if (self->m_pending)
        return;
    self->m_pending = true;
    QMetaObject::invokeMethod(self, [self] { self->showNow(); }, Qt::QueuedConnection);
}

void HeldImage::showNow()
{
    m_pending = false;
    FlashDataMap image;
    if (get(&image))
        emit show(image);
}
