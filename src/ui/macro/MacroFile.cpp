#include "ui/macro/MacroFile.h"

#include "core/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

const QString kEmptyKeyCode = QStringLiteral("0x00");

bool isHexUpper(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

bool isKnownKind(int kind)
{
    return kind == 0 || kind == 1 || kind == 4;
}

} // namespace

bool MacroFile::isValidRepeatCode(int code)
{
    return (code >= 1 && code <= 250) || (code >= 253 && code <= 255);
}

bool MacroFile::isCodeText(const QString& text)
{
    return text.size() == 4 && text.startsWith(QLatin1String("0x")) && isHexUpper(text.at(2))
        && isHexUpper(text.at(3));
}

bool MacroFile::parseDelayText(const QString& text, quint32* ms)
{
    if (!text.endsWith(QLatin1String("ms")))
        return false;
    const QStringRef digits = text.leftRef(text.size() - 2);
    if (digits.isEmpty() || digits.size() > 10)
        return false;
    quint64 value = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + quint64(c.unicode() - '0');
    }
    if (value > std::numeric_limits<quint32>::max())
        return false;
    if (ms)
        *ms = quint32(value);
    return true;
}

QString MacroFile::delayText(quint32 ms)
{
    return QString::number(ms) + QStringLiteral("ms");
}

MacroFile::Contents MacroFile::parse(const QByteArray& text)
{
    Contents contents;
    int keyRows = 0;
    bool first = true;
    int start = 0;
    while (start < text.size()) {
        int end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArray line = text.mid(start, end - start);
        start = end + 1;
        const int nul = line.indexOf('\0');
        if (nul >= 0)
            line.truncate(nul);
        if (line.endsWith('\r'))
            line.chop(1);
        const QStringList parts = QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);

        if (first) {
            first = false;
            bool ok = false;
            const int value = parts.isEmpty() ? 0 : parts.first().trimmed().toInt(&ok);
            contents.repeatCode = ok && isValidRepeatCode(value) ? value : 1;
            continue;
        }
        if (parts.size() == 3) {
            const QString& flag = parts.at(2);
            if (flag != QLatin1String("0") && flag != QLatin1String("1"))
                continue;
            bool ok = false;
            const int kind = parts.at(1).toInt(&ok);
            if (keyRows == kMaxKeyEvents) {
                // The pause before a key that is not kept belongs to nothing.
                if (!contents.rows.isEmpty() && contents.rows.last().isDelay())
                    contents.rows.removeLast();
                contents.tooManyKeyEvents = true;
                break;
            }
            MacroRow row = MacroRow::key(parts.at(0), kind, flag == QLatin1String("1"));
            if (!ok || !isKnownKind(kind) || !isCodeText(row.code)) {
                row.code = kEmptyKeyCode;
                row.kind = 1;
            }
            contents.rows << row;
            ++keyRows;
        } else if (parts.size() == 1) {
            quint32 ms = 0;
            if (parseDelayText(parts.first(), &ms))
                contents.rows << MacroRow::delay(ms);
        }
    }
    return contents;
}

QByteArray MacroFile::serialize(int repeatCode, const QVector<MacroRow>& rows)
{
    QByteArray out = QByteArray::number(repeatCode) + '\n';
    for (const MacroRow& row : rows) {
        if (row.isDelay()) {
            out += delayText(row.delayMs).toLatin1() + '\n';
        } else if (isCodeText(row.code) && isKnownKind(row.kind)) {
            out += row.code.toLatin1() + ' ' + QByteArray::number(row.kind) + ' ' + (row.release ? "1" : "0") + '\n';
        }
        // A key without a code would be written as a bare flag, which reads
        // back as something else; it is left out instead.
    }
    return out;
}

bool MacroFile::read(const QString& path, Contents* contents)
{
    QByteArray bytes;
    if (!readBytes(path, &bytes))
        return false;
    *contents = parse(bytes);
    return true;
}

bool MacroFile::readBytes(const QString& path, QByteArray* bytes)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > kMaxFileBytes)
        return false;
    const QByteArray read = file.read(kMaxFileBytes + 1);
    if (read.size() > kMaxFileBytes || file.error() != QFileDevice::NoError)
        return false;
    *bytes = read;
    return true;
}

bool MacroFile::write(const QString& path, int repeatCode, const QVector<MacroRow>& rows, WriteMode mode)
{
    if (!isValidRepeatCode(repeatCode))
        return false;
    return writeBytes(path, serialize(repeatCode, rows), mode);
}

bool MacroFile::createEmpty(const QString& path)
{
    return writeBytes(path, QByteArray(), WriteMode::CreateOrReplace);
}

bool MacroFile::writeBytes(const QString& path, const QByteArray& bytes, WriteMode mode)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    if (mode == WriteMode::ReplaceExisting && !info.exists())
        return false;
    return AtomicFile::write(path, bytes);
}
