#include "World.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace {

bool validId(const QString& id)
{
    static const QRegularExpression re("^[A-Za-z0-9_.-]{1,32}$");
    return re.match(id).hasMatch();
}

bool validHexId(const QString& id)
{
    static const QRegularExpression re("^[0-9A-Fa-f]{4}$");
    return re.match(id).hasMatch();
}

QString addressText(const unsigned char* a)
{
    return QString::asprintf("%02X%02X%02X", a[0], a[1], a[2]);
}

bool parseAddress(const QString& text, unsigned char* a)
{
    QString t = text;
    t.remove(':');
    bool ok = false;
    const uint v = t.toUInt(&ok, 16);
    if (!ok || t.size() != 6)
        return false;
    a[0] = (unsigned char)(v >> 16);
    a[1] = (unsigned char)(v >> 8);
    a[2] = (unsigned char)v;
    return true;
}

bool readInt(const QJsonObject& o, const char* key, int lo, int hi, int* out, QString* error,
             const QString& where)
{
    if (!o.contains(key))
        return true;
    const QJsonValue v = o.value(key);
    const double d = v.toDouble(-1e9);
    // The range first: a number beyond int has no int value to compare with.
    if (!v.isDouble() || !(d >= lo && d <= hi) || d != std::trunc(d)) {
        *error = QString("%1: \"%2\" must be a whole number %3..%4").arg(where, key).arg(lo).arg(hi);
        return false;
    }
    *out = int(d);
    return true;
}

bool readBool(const QJsonObject& o, const char* key, bool* out, QString* error, const QString& where)
{
    if (!o.contains(key))
        return true;
    if (!o.value(key).isBool()) {
        *error = QString("%1: \"%2\" must be true or false").arg(where, key);
        return false;
    }
    *out = o.value(key).toBool();
    return true;
}

bool readVersion(const QJsonObject& o, const char* key, int* out, QString* error, const QString& where)
{
    if (!o.contains(key))
        return true;
    if (!World::parseVersion(o.value(key).toString(), out)) {
        *error = QString("%1: \"%2\" must be a version like \"v1.3\"").arg(where, key);
        return false;
    }
    return true;
}

}  // namespace

QString World::Mouse::modelName() const
{
    return QString("ORX-M%1").arg(mid);
}

int World::Mouse::batteryMillivolts() const
{
    return 3300 + battery * 9;
}

QString World::Receiver::modelName() const
{
    return QString("ORX-R%1K").arg(kind);
}

QString World::Receiver::pid() const
{
    return QString("%1A01").arg(kind);
}

int World::Receiver::connectionType() const
{
    return connectionTypeOfKind(kind);
}

int World::Receiver::intervalUs() const
{
    return 1000 / kind;
}

int World::connectionTypeOfKind(int kind)
{
    switch (kind) {
    case 1: return 0;
    case 2: return 4;
    case 4: return 1;
    case 8: return 5;
    default: return 2;
    }
}

QString World::versionText(int word)
{
    return QString("v%1.%2").arg((word >> 8) & 0xFF).arg(QString::number(word & 0xFF, 16));
}

bool World::parseVersion(const QString& text, int* word)
{
    QString t = text.trimmed();
    if (t.startsWith('v'))
        t.remove(0, 1);
    const int dot = t.indexOf('.');
    if (dot <= 0)
        return false;
    bool ok1 = false, ok2 = false;
    const uint major = t.left(dot).toUInt(&ok1, 10);
    const uint minor = t.mid(dot + 1).toUInt(&ok2, 16);
    if (!ok1 || !ok2 || major > 255 || minor > 255 || t.mid(dot + 1).isEmpty())
        return false;
    *word = int(major << 8 | minor);
    return true;
}

World::Mouse* World::mouse(const QString& id)
{
    for (Mouse& m : mice)
        if (m.id == id)
            return &m;
    return nullptr;
}

const World::Mouse* World::mouse(const QString& id) const
{
    return const_cast<World*>(this)->mouse(id);
}

World::Mouse* World::mouse(const QString& id, QString* error)
{
    Mouse* m = mouse(id);
    if (!m)
        *error = "no mouse \"" + id + "\"";
    return m;
}

World::Receiver* World::receiver(const QString& id)
{
    for (Receiver& r : receivers)
        if (r.id == id)
            return &r;
    return nullptr;
}

const World::Receiver* World::receiver(const QString& id) const
{
    return const_cast<World*>(this)->receiver(id);
}

const World::Mouse* World::pairedMouse(const Receiver& r) const
{
    for (const Mouse& m : mice)
        if (m.pairedTo == r.id)
            return &m;
    return nullptr;
}

std::string World::cablePath(const Mouse& m) const
{
    return QString("hidsim:vid_%1&pid_%2:%3").arg(vendorId.toLower(), m.usbPid.toLower(), m.id)
        .toLatin1().toStdString();
}

std::string World::receiverPath(const Receiver& r) const
{
    return QString("hidsim:vid_%1&pid_%2:%3").arg(vendorId.toLower(), r.pid().toLower(), r.id)
        .toLatin1().toStdString();
}

bool World::fromJson(const QByteArray& json, World* world, QString* error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (doc.isNull() || !doc.isObject()) {
        *error = doc.isNull() ? "not valid JSON: " + pe.errorString() : "the top level must be an object";
        return false;
    }
    const QJsonObject root = doc.object();
    World w;
    if (root.contains("vendorId")) {
        w.vendorId = root.value("vendorId").toString().toUpper();
        if (!validHexId(w.vendorId)) {
            *error = "\"vendorId\" must be four hexadecimal digits";
            return false;
        }
    }
    if (root.contains("failUpdateAt")) {
        const int at = root.value("failUpdateAt").toInt(-2);
        if (at < -1 || at > 100) {
            *error = "\"failUpdateAt\" must be -1 or 0..100";
            return false;
        }
        w.failUpdateAt = at;
    }
    QSet<QString> ids;
    auto takeId = [&](const QJsonObject& o, const QString& where, QString* id) {
        *id = o.value("id").toString();
        if (!validId(*id)) {
            *error = where + ": \"id\" must be 1..32 letters, digits, '_', '-' or '.'";
            return false;
        }
        if (ids.contains(*id)) {
            *error = where + ": the id \"" + *id + "\" is used twice";
            return false;
        }
        ids.insert(*id);
        return true;
    };

    const QJsonArray receivers = root.value("receivers").toArray();
    for (int i = 0; i < receivers.size(); ++i) {
        const QJsonObject o = receivers.at(i).toObject();
        QString where = QString("receivers[%1]").arg(i);
        Receiver r;
        if (!takeId(o, where, &r.id))
            return false;
        where = "receiver " + r.id;
        if (!readInt(o, "kind", 1, 8, &r.kind, error, where) || !readInt(o, "cid", 0, 255, &r.cid, error, where)
            || !readInt(o, "mid", 0, 255, &r.mid, error, where)
            || !readVersion(o, "firmware", &r.firmware, error, where)
            || !readBool(o, "plugged", &r.plugged, error, where)
            || !readInt(o, "lightMode", 0, 3, &r.lightMode, error, where)
            || !readBool(o, "longRange", &r.longRange, error, where)
            || !readBool(o, "bootLoader", &r.bootLoader, error, where))
            return false;
        if (r.kind != 1 && r.kind != 2 && r.kind != 4 && r.kind != 8) {
            *error = where + ": \"kind\" must be 1, 2, 4 or 8";
            return false;
        }
        if (o.contains("address") && !parseAddress(o.value("address").toString(), r.address)) {
            *error = where + ": \"address\" must be six hexadecimal digits";
            return false;
        }
        w.receivers.append(r);
    }

    const QJsonArray mice = root.value("mice").toArray();
    for (int i = 0; i < mice.size(); ++i) {
        const QJsonObject o = mice.at(i).toObject();
        QString where = QString("mice[%1]").arg(i);
        Mouse m;
        if (!takeId(o, where, &m.id))
            return false;
        where = "mouse " + m.id;
        if (!readInt(o, "cid", 0, 255, &m.cid, error, where) || !readInt(o, "mid", 0, 255, &m.mid, error, where)
            || !readInt(o, "receiverKind", 0, 8, &m.receiverKind, error, where)
            || !readVersion(o, "firmware", &m.firmware, error, where)
            || !readBool(o, "cable", &m.cable, error, where) || !readBool(o, "powered", &m.powered, error, where)
            || !readInt(o, "battery", 0, 100, &m.battery, error, where)
            || !readBool(o, "charging", &m.charging, error, where)
            || !readBool(o, "pairing", &m.pairing, error, where)
            || !readBool(o, "bootLoader", &m.bootLoader, error, where)
            || !readInt(o, "dpiPresses", 0, 2147483647, &m.dpiPresses, error, where)
            || !readInt(o, "ratePresses", 0, 2147483647, &m.ratePresses, error, where)
            || !readInt(o, "lightPresses", 0, 2147483647, &m.lightPresses, error, where)
            || !readInt(o, "profileSwitches", 0, 2147483647, &m.profileSwitches, error, where))
            return false;
        if (o.contains("usbPid")) {
            m.usbPid = o.value("usbPid").toString().toUpper();
            if (!validHexId(m.usbPid)) {
                *error = where + ": \"usbPid\" must be four hexadecimal digits";
                return false;
            }
        }
        m.pairedTo = o.value("pairedTo").toString();
        if (!m.pairedTo.isEmpty()) {
            if (!w.receiver(m.pairedTo)) {
                *error = where + ": \"pairedTo\" names no receiver";
                return false;
            }
            for (const Mouse& other : w.mice)
                if (other.pairedTo == m.pairedTo) {
                    *error = where + ": receiver " + m.pairedTo + " is already paired with " + other.id;
                    return false;
                }
        }
        w.mice.append(m);
    }
    // A receiver without its own model ids belongs to the mouse paired with it.
    for (int i = 0; i < receivers.size(); ++i) {
        const QJsonObject o = receivers.at(i).toObject();
        Receiver& r = w.receivers[i];
        const Mouse* m = w.pairedMouse(r);
        if (m && !o.contains("mid"))
            r.mid = m->mid;
        if (m && !o.contains("cid"))
            r.cid = m->cid;
    }
    *world = w;
    return true;
}

QByteArray World::toJson() const
{
    QJsonObject root;
    root.insert("vendorId", vendorId);
    if (failUpdateAt >= 0)
        root.insert("failUpdateAt", failUpdateAt);
    QJsonArray mouseArray;
    for (const Mouse& m : mice) {
        QJsonObject o;
        o.insert("id", m.id);
        o.insert("cid", m.cid);
        o.insert("mid", m.mid);
        o.insert("usbPid", m.usbPid);
        o.insert("receiverKind", m.receiverKind);
        o.insert("firmware", versionText(m.firmware));
        o.insert("cable", m.cable);
        o.insert("powered", m.powered);
        o.insert("battery", m.battery);
        o.insert("charging", m.charging);
        o.insert("pairedTo", m.pairedTo);
        o.insert("pairing", m.pairing);
        o.insert("bootLoader", m.bootLoader);
        o.insert("dpiPresses", m.dpiPresses);
        o.insert("ratePresses", m.ratePresses);
        o.insert("lightPresses", m.lightPresses);
        o.insert("profileSwitches", m.profileSwitches);
        mouseArray.append(o);
    }
    QJsonArray receiverArray;
    for (const Receiver& r : receivers) {
        QJsonObject o;
        o.insert("id", r.id);
        o.insert("kind", r.kind);
        o.insert("cid", r.cid);
        o.insert("mid", r.mid);
        o.insert("address", addressText(r.address));
        o.insert("firmware", versionText(r.firmware));
        o.insert("plugged", r.plugged);
        o.insert("lightMode", r.lightMode);
        o.insert("longRange", r.longRange);
        o.insert("bootLoader", r.bootLoader);
        receiverArray.append(o);
    }
    root.insert("mice", mouseArray);
    root.insert("receivers", receiverArray);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
