#include "ui/macro/MacroExchangeFile.h"

#include "core/AtomicFile.h"
#include "ui/macro/MacroFile.h"
#include "ui/macro/MacroFolder.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QIcon>
#include <QTextBoundaryFinder>

namespace {

const char kMagic[] = "Vemlo";
const QString kPixmapEngine = QStringLiteral("QPixmapIconEngine");
constexpr quint32 kNullString = 0xFFFFFFFFu;
// A row's text is a key name or a pause; nothing longer belongs there.
constexpr quint32 kMaxTextBytes = 256;
constexpr qint32 kMaxIconEntries = 16;
constexpr quint32 kMaxIconFileNameBytes = 8192;

// Walks big-endian data-stream fields of a byte array without ever reading
// past its end; every read reports whether the field was there.
class Cursor
{
public:
    explicit Cursor(const QByteArray& data) : m_data(data) {}

    int left() const { return m_data.size() - m_pos; }

    bool u32(quint32* value)
    {
        if (left() < 4)
            return false;
        const auto* p = reinterpret_cast<const uchar*>(m_data.constData() + m_pos);
        *value = (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
        m_pos += 4;
        return true;
    }

    bool bytes(quint32 count, QByteArray* out)
    {
        if (quint32(left()) < count)
            return false;
        if (out)
            *out = m_data.mid(m_pos, int(count));
        m_pos += int(count);
        return true;
    }

    bool skip(quint32 count) { return bytes(count, nullptr); }

private:
    const QByteArray& m_data;
    int m_pos = 0;
};

using Status = MacroExchangeFile::Status;

// A length-prefixed byte field of exactly `size` bytes; its text ends at the
// first NUL.
Status fixedField(Cursor& in, quint32 size, QByteArray* text)
{
    quint32 length = 0;
    if (!in.u32(&length))
        return Status::Truncated;
    if (length != size)
        return Status::BadLength;
    if (!in.bytes(length, text))
        return Status::Truncated;
    const int nul = text->indexOf('\0');
    if (nul >= 0)
        text->truncate(nul);
    return Status::Ok;
}

// A QString of at most maxBytes of UTF-16; a null string reads as empty.
Status qstring(Cursor& in, quint32 maxBytes, QString* out)
{
    quint32 length = 0;
    if (!in.u32(&length))
        return Status::Truncated;
    if (length == kNullString) {
        *out = QString();
        return Status::Ok;
    }
    if (length > maxBytes || length % 2 != 0)
        return Status::BadLength;
    QByteArray raw;
    if (!in.bytes(length, &raw))
        return Status::Truncated;
    QString text(int(length / 2), Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        text[i] = QChar(ushort((uchar(raw.at(2 * i)) << 8) | uchar(raw.at(2 * i + 1))));
    *out = text;
    return Status::Ok;
}

// An image as the data stream holds it: a flag, then a PNG stream when set.
// The PNG is walked chunk by chunk to its end, never decoded.
Status skipImage(Cursor& in)
{
    quint32 present = 0;
    if (!in.u32(&present))
        return Status::Truncated;
    if (present == 0)
        return Status::Ok;
    if (present != 1)
        return Status::BadLength;
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    QByteArray head;
    if (!in.bytes(8, &head))
        return Status::Truncated;
    if (head != signature)
        return Status::BadLength;
    for (;;) {
        quint32 length = 0;
        QByteArray type;
        if (!in.u32(&length) || !in.bytes(4, &type))
            return Status::Truncated;
        if (length > 0x7FFFFFFFu)
            return Status::BadLength;
        if (!in.skip(length) || !in.skip(4))
            return Status::Truncated;
        if (type == "IEND")
            return Status::Ok;
    }
}

// An icon as the data stream holds it: the engine's name and, for the
// picture engine, its entries. Anything else is not what a macro row carries.
Status skipIcon(Cursor& in)
{
    QString engine;
    if (Status s = qstring(in, kMaxTextBytes, &engine); s != Status::Ok)
        return s;
    if (engine.isEmpty())
        return Status::Ok;
    if (engine != kPixmapEngine)
        return Status::BadLength;
    quint32 entries = 0;
    if (!in.u32(&entries))
        return Status::Truncated;
    if (qint32(entries) < 0 || qint32(entries) > kMaxIconEntries)
        return Status::BadLength;
    for (quint32 i = 0; i < entries; ++i) {
        if (Status s = skipImage(in); s != Status::Ok)
            return s;
        QString fileName;
        if (Status s = qstring(in, kMaxIconFileNameBytes, &fileName); s != Status::Ok)
            return s;
        // size (two ints), mode, state
        if (!in.skip(16))
            return Status::Truncated;
    }
    return Status::Ok;
}

// The press/release flag: the bytes "0" or "1" and a NUL.
Status flag(Cursor& in, bool* release)
{
    quint32 length = 0;
    if (!in.u32(&length))
        return Status::Truncated;
    if (length != 2)
        return Status::BadLength;
    QByteArray raw;
    if (!in.bytes(2, &raw))
        return Status::Truncated;
    if (raw == QByteArray("1\0", 2))
        *release = true;
    else if (raw == QByteArray("0\0", 2))
        *release = false;
    else
        return Status::BadRow;
    return Status::Ok;
}

void writeFixed(QDataStream& out, const QByteArray& text, int size)
{
    QByteArray field = text.left(size);
    field.append(QByteArray(size - field.size(), '\0'));
    out.writeBytes(field.constData(), uint(size));
}

} // namespace

QString MacroExchangeFile::cutToBytes(const QString& name, int maxBytes)
{
    if (name.toUtf8().size() <= maxBytes)
        return name;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
    int kept = 0;
    for (int pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
        if (name.left(pos).toUtf8().size() > maxBytes)
            break;
        kept = pos;
    }
    return name.left(kept);
}

MacroExchangeFile::Status MacroExchangeFile::parse(const QByteArray& data, const KeyLookup& lookup,
                                                   Contents* contents)
{
    if (data.size() > kMaxFileBytes)
        return Status::TooLarge;
    Cursor in(data);

    QByteArray magic, name, repeat;
    if (Status s = fixedField(in, kMagicBytes, &magic); s != Status::Ok)
        return s;
    if (magic != kMagic)
        return Status::WrongMagic;
    if (Status s = fixedField(in, kNameBytes, &name); s != Status::Ok)
        return s;
    if (Status s = fixedField(in, kRepeatBytes, &repeat); s != Status::Ok)
        return s;

    Contents read;
    read.name = cutToBytes(QString::fromUtf8(name), kMaxNameBytes);
    if (!MacroFolder::isSafeName(read.name) || read.name.contains(QChar::ReplacementCharacter))
        return Status::BadName;

    bool ok = false;
    read.repeatCode = repeat.toInt(&ok);
    if (!ok || repeat.isEmpty() || repeat.at(0) < '0' || repeat.at(0) > '9'
        || !MacroFile::isValidRepeatCode(read.repeatCode))
        return Status::BadRepeat;

    quint32 count = 0;
    if (!in.u32(&count))
        return Status::Truncated;
    if (qint32(count) < 0 || qint32(count) > kMaxItems)
        return Status::BadLength;

    int keyEvents = 0;
    for (quint32 i = 0; i < count; ++i) {
        Item item;
        if (Status s = qstring(in, kMaxTextBytes, &item.text); s != Status::Ok)
            return s;
        if (Status s = skipIcon(in); s != Status::Ok)
            return s;
        if (item.text.contains(QLatin1String("ms"))) {
            quint32 ms = 0;
            if (!MacroFile::parseDelayText(item.text, &ms))
                return Status::BadRow;
            item.row = MacroRow::delay(ms);
        } else {
            bool release = false;
            if (Status s = flag(in, &release); s != Status::Ok)
                return s;
            if (!lookup || !lookup(item.text, &item.row) || item.row.isDelay())
                return Status::BadRow;
            item.row.release = release;
            if (++keyEvents > MacroFile::kMaxKeyEvents)
                return Status::TooManyEvents;
        }
        read.items << item;
    }
    *contents = read;
    return Status::Ok;
}

MacroExchangeFile::Status MacroExchangeFile::read(const QString& path, const KeyLookup& lookup,
                                                  Contents* contents)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::Truncated;
    if (file.size() > kMaxFileBytes)
        return Status::TooLarge;
    return parse(file.read(kMaxFileBytes + 1), lookup, contents);
}

QByteArray MacroExchangeFile::serialize(const QString& name, int repeatCode, const QVector<Item>& items,
                                        const QString& pictureFolder)
{
    const QIcon press(pictureFolder + QStringLiteral("MacroDown.png"));
    const QIcon release(pictureFolder + QStringLiteral("MacroUp.png"));
    const QIcon pause(pictureFolder + QStringLiteral("MacroTime.png"));

    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setVersion(QDataStream::Qt_5_6);  // format 17, which other installations read
    out.setByteOrder(QDataStream::BigEndian);

    writeFixed(out, QByteArray(kMagic), kMagicBytes);
    writeFixed(out, cutToBytes(name, kMaxNameBytes).toUtf8(), kNameBytes);
    writeFixed(out, QByteArray::number(repeatCode), kRepeatBytes);
    out << qint32(items.size());
    for (const Item& item : items) {
        out << item.text;
        if (item.row.isDelay()) {
            out << pause;
        } else {
            out << (item.row.release ? release : press);
            out << (item.row.release ? "1" : "0");
        }
    }
    return data;
}

bool MacroExchangeFile::write(const QString& path, const QString& name, int repeatCode, const QVector<Item>& items,
                              const QString& pictureFolder)
{
    const QByteArray data = serialize(name, repeatCode, items, pictureFolder);
    return AtomicFile::write(path, data);
}
