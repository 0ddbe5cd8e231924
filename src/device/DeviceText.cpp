#include "device/DeviceText.h"

#include <QTextBoundaryFinder>

QString DeviceText::cutToBytes(const QString& text, int maxBytes)
{
    if (text.toLocal8Bit().size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int kept = 0;
    for (int pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
        if (text.left(pos).toLocal8Bit().size() > maxBytes)
            break;
        kept = pos;
    }
    return text.left(kept);
}

QByteArray DeviceText::encode(const QString& text, int maxBytes)
{
    QString clean = text;
    clean.remove(QChar(0));
    return cutToBytes(clean, maxBytes).toLocal8Bit();
}

QString DeviceText::decode(const uint8_t* bytes, int size)
{
    int length = 0;
    while (length < size && bytes[length] != 0)
        ++length;
    return QString::fromLocal8Bit(reinterpret_cast<const char*>(bytes), length);
}
