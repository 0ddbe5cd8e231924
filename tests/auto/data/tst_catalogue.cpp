// Consistency of the delivered data: the model catalogue (usersetting/Config.ini),
// the sensor table (driver_sensor.h) and the firmware images (bin/*.bin), all as
// laid out beside the program by the build.

#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "device/FirmwareImageSearch.h"
#include "device/SensorDpiCodec.h"
#include "device/SensorDpiTables.h"
#include "ui/sensor/DpiSnapper.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTextCodec>
#include <QtEndian>
#include <QtTest>

namespace {

const QStringList kOptionKeys = {"VID", "InterfaceId", "DeviceId", "USB_PID", "Wireless_PID",
                                 "Wireless2_PID", "Wireless4_PID", "Wireless8_PID", "DeviceTotal",
                                 "CID", "Transition", "ShowBatteryValue", "LabelColor", "ButtonColor",
                                 "ComboxTextColor", "ComboxSelectColor", "ComboxBackGroundColor",
                                 "SliderColor", "LinEditColor", "LinEditColorSecond"};
const QStringList kColourKeys = {"LabelColor", "ButtonColor", "ComboxTextColor", "ComboxSelectColor",
                                 "ComboxBackGroundColor", "SliderColor", "LinEditColor",
                                 "LinEditColorSecond"};

const QStringList kModelKeys = {"MID", "Sensor", "DPIMaxGrade", "XIn1", "DPIRange", "DPIGrade",
                                "DPIColor", "KeyNumber", "KeyParam1", "KeyParam2", "KeyParam3",
                                "KeyParam4", "KeyParam5", "KeyParam6", "Adveanced", "MM", "DM",
                                "D2M", "D4M", "D8M"};
const QStringList kReceiverKeys = {"DM", "D2M", "D4M", "D8M"};

// Receiver model name by its key; the mouse's is "ORX-M" + MID.
const QHash<QString, QString> kReceiverNames = {
    {"DM", "ORX-R1K"}, {"D2M", "ORX-R2K"}, {"D4M", "ORX-R4K"}, {"D8M", "ORX-R8K"}};

const QSet<int> kMediaIds = {0x83, 0xCD, 0xB5, 0xB6, 0xB7, 0xE2, 0xE9, 0xEA, 0x8A,
                             0x92, 0x94, 0x23, 0x21, 0x25, 0x24, 0x26, 0x27, 0x2A};

// Models whose device page has no lighting button, and those that show motion sync.
const QSet<int> kNoLightingMids = {12, 16, 18, 22, 23};
const QSet<int> kMotionSyncMids = {8, 9, 16, 17, 18, 22, 23};

constexpr int kCustomerId = 51;

// ---- Config.ini: values through the program's store, key listing raw --------

class Catalogue
{
public:
    explicit Catalogue(const QString& path)
        : m_raw(path, QSettings::IniFormat)
    {
        m_raw.setIniCodec(QTextCodec::codecForName("UTF-8"));
        ConfigSettings::resetForTests();
        m_store = ConfigSettings::instance();
    }

    QSettings& raw() { return m_raw; }
    ConfigSettings& store() { return *m_store; }

    QString value(const QString& group, const QString& key) const { return m_store->value(group, key); }
    QStringList valueList(const QString& group, const QString& key) const
    {
        return m_store->valueList(group, key);
    }
    bool contains(const QString& group, const QString& key) const
    {
        return m_raw.contains(group + "/" + key);
    }

private:
    QSettings m_raw;
    ConfigSettings* m_store = nullptr;
};

// ---- driver_sensor.h, read by the program's own loader ---------------------------

const QStringList kListNames = {"SUPPORT_SENSOR_MODE_SEL", "SUPPORT_LOD_CAL", "SUPPORT_RIPPLE",
                                "SUPPORT_FIXLINE", "SUPPORT_MOTION_SYNC", "SUPPORT_MOUSEPAD_CAL"};

struct SensorTable
{
    QVector<QString> names;
    QVector<int> values;
    QHash<QString, QString> lists;  // only the lists the file has

    SensorDpiCodec::Context context(const QString& sensor) const
    {
        SensorDpiCodec::Context ctx;
        ctx.names = names;
        ctx.values = values;
        ctx.sensor = sensor;
        return ctx;
    }
    bool hasTable(const QString& sensor) const { return SensorDpiCodec::hasTable(context(sensor)); }
    int find(const QString& name) const
    {
        const int index = names.indexOf(name);
        return index < 0 ? -1 : values.at(index);
    }
};

SensorTable readSensorTable(const QString& path)
{
    const SensorDefineTable loaded = SensorDpiTables::readDriverSensor(path);
    SensorTable table;
    table.names = loaded.names;
    table.values = loaded.values;
    const QString texts[] = {loaded.sensorModeSel, loaded.lodCal, loaded.ripple,
                             loaded.fixLine, loaded.motionSync, loaded.mousepadCal};
    for (int i = 0; i < kListNames.size(); ++i) {
        if (!texts[i].isEmpty())
            table.lists.insert(kListNames.at(i), texts[i].trimmed());
    }
    return table;
}

// ---- DPI ranges and the stage code conversion, as the stage editor uses them -----

struct DpiRange
{
    DpiRangeTable table;
    QVector<DpiSegment> segments;
    int mode = 0;
    bool wellFormed = false;
};

DpiRange parseDpiRange(const QStringList& items)
{
    DpiRange range;
    range.table = SensorDpiTables::parseDpiRange(items);
    range.mode = range.table.mode;
    for (int k = 0; k < range.table.mins.size(); ++k)
        range.segments.append({range.table.mins.at(k), range.table.maxs.at(k),
                               range.table.stepTexts.at(k).toInt()});
    // The program reads what it can; the delivered data must be exact.
    bool ok = items.size() >= 4 && (items.size() - 1) % 3 == 0 && range.table.hasSegments();
    for (int i = 0; ok && i + 1 < items.size(); ++i)
        items.at(i).toInt(&ok);
    if (ok)
        items.last().toInt(&ok, 16);
    range.wellFormed = ok;
    return range;
}

int snap(const DpiRange& range, int v)
{
    return DpiSnapper(range.segments).snap(v).value;
}

SensorDpiCodec::Context codecContext(const SensorTable& table, const QString& sensor, const DpiRange& range)
{
    SensorDpiCodec::Context ctx = table.context(sensor);
    ctx.rangeMode = range.mode;
    ctx.rangeMins = range.table.mins;
    ctx.rangeMaxs = range.table.maxs;
    return ctx;
}

// ---- firmware images ----------------------------------------------------------

constexpr int kHeaderSize = FirmwareImageHeader::kSize;

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= uchar(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

bool isPrintable(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7E)
            return false;
    }
    return !text.isEmpty();
}

bool isKeyName(const QString& name)
{
    static const QSet<QString> names = [] {
        QSet<QString> set = {"Ctrl", "Shift", "Alt", "Win", "Enter", "Esc", "BackSpace", "Tab",
                             "Space", "-", "=", "[", "]", "\\", ";", "'", "`", ",", ".", "/",
                             "CapsLock", "Screen", "Scroll", "Pause", "Insert", "Home", "PgUp",
                             "Del", "End", "PgDn", "NumLock", "Num/", "Num*", "Num-", "Num+",
                             "Num.", "APPs", QString(QChar(0x2192)), QString(QChar(0x2190)),
                             QString(QChar(0x2193)), QString(QChar(0x2191))};
        for (char c = 'A'; c <= 'Z'; ++c)
            set.insert(QString(QChar(c)));
        for (int i = 0; i <= 9; ++i) {
            set.insert(QString::number(i));
            set.insert("Num" + QString::number(i));
        }
        for (int i = 1; i <= 12; ++i)
            set.insert("F" + QString::number(i));
        return set;
    }();
    return names.contains(name);
}

} // namespace

class tst_Catalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void optionGroup();
    void keysAndEncoding();
    void model_data();
    void model();
    void dpiRangesAndStages_data();
    void dpiRangesAndStages();
    void sensorTable();
    void coversEveryRoad();
    void firmwareImages();

private:
    void addModelColumns();

    QString m_appDir;
    Catalogue* m_catalogue = nullptr;
    SensorTable m_sensors;
};

void tst_Catalogue::initTestCase()
{
    m_appDir = QStringLiteral(DESKLINK_APP_DIR);
    AppPaths::setApplicationDirOverride(m_appDir);
    QVERIFY2(QFile::exists(AppPaths::configIniPath()), qPrintable(AppPaths::configIniPath()));
    m_catalogue = new Catalogue(AppPaths::configIniPath());
    QCOMPARE(m_catalogue->raw().status(), QSettings::NoError);
    m_sensors = readSensorTable(m_appDir + "/driver_sensor.h");
    QVERIFY(!m_sensors.names.isEmpty());
}

void tst_Catalogue::cleanupTestCase()
{
    delete m_catalogue;
    AppPaths::setApplicationDirOverride(QString());
}

void tst_Catalogue::optionGroup()
{
    Catalogue& c = *m_catalogue;
    QCOMPARE(c.value("Option", "VID"), QString("3A7C"));
    QCOMPARE(c.valueList("Option", "USB_PID"), QStringList({"0A01", "0A02"}));
    QCOMPARE(c.valueList("Option", "Wireless_PID"), QStringList({"1A01"}));
    QCOMPARE(c.valueList("Option", "Wireless2_PID"), QStringList({"2A01"}));
    QCOMPARE(c.valueList("Option", "Wireless4_PID"), QStringList({"4A01"}));
    QCOMPARE(c.valueList("Option", "Wireless8_PID"), QStringList({"8A01"}));
    QCOMPARE(c.value("Option", "CID"), QString::number(kCustomerId));
    QCOMPARE(c.value("Option", "DeviceTotal"), QString("11"));

    for (const char* key : {"InterfaceId", "DeviceId", "Transition", "ShowBatteryValue"}) {
        bool ok = false;
        c.value("Option", key).toInt(&ok);
        QVERIFY2(ok, qPrintable(key));
    }
    // Pages join the first three items into an rgb() colour.
    for (const QString& key : kColourKeys) {
        QCOMPARE(c.valueList("Option", key).size(), 3);
        QColor colour;
        QVERIFY2(c.store().colour(key, &colour), qPrintable(key));
    }
}

void tst_Catalogue::keysAndEncoding()
{
    QSettings& raw = m_catalogue->raw();
    const int total = m_catalogue->value("Option", "DeviceTotal").toInt();
    QStringList expectedGroups = {"Option"};
    for (int n = 1; n <= total; ++n)
        expectedGroups << "Drive" + QString::number(n);
    QStringList groups = raw.childGroups();
    std::sort(groups.begin(), groups.end());
    std::sort(expectedGroups.begin(), expectedGroups.end());
    QCOMPARE(groups, expectedGroups);

    for (const QString& group : qAsConst(groups)) {
        raw.beginGroup(group);
        const QStringList keys = raw.childKeys();
        raw.endGroup();
        const QStringList& known = group == "Option" ? kOptionKeys : kModelKeys;
        for (const QString& key : keys) {
            const QString where = group + "/" + key;
            // Keys are case-sensitive: a misspelt key is simply never read.
            QVERIFY2(known.contains(key), qPrintable("unknown key " + where));
            const QStringList items = raw.value(where).toStringList();
            QVERIFY2(!items.isEmpty(), qPrintable(where));
            for (const QString& item : items) {
                const auto decoded = QByteArray::fromBase64Encoding(
                    item.toUtf8(), QByteArray::AbortOnBase64DecodingErrors);
                if (ConfigSettings::isBase64Key(key)) {
                    QVERIFY2(decoded.decodingStatus == QByteArray::Base64DecodingStatus::Ok,
                             qPrintable(where + " is not Base64: " + item));
                    QVERIFY2(decoded.decoded.toBase64() == item.toUtf8(), qPrintable(where));
                    QVERIFY2(isPrintable(QString::fromUtf8(decoded.decoded)),
                             qPrintable(where + " decodes to unprintable text"));
                } else {
                    // Plain values here are numbers, hex codes or key names, never
                    // padded Base64.
                    QVERIFY2(!item.endsWith('='), qPrintable(where + " looks Base64: " + item));
                }
            }
        }
    }
}

void tst_Catalogue::addModelColumns()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("mid");
    QTest::addColumn<QString>("receiverKey");  // "" for a model sold on its cable only
}

void tst_Catalogue::model_data()
{
    addModelColumns();
    QTest::newRow("Drive1") << "Drive1" << 7 << "";
    QTest::newRow("Drive2") << "Drive2" << 8 << "DM";
    QTest::newRow("Drive3") << "Drive3" << 9 << "D2M";
    QTest::newRow("Drive4") << "Drive4" << 11 << "D4M";
    QTest::newRow("Drive5") << "Drive5" << 12 << "DM";
    QTest::newRow("Drive6") << "Drive6" << 16 << "D4M";
    QTest::newRow("Drive7") << "Drive7" << 17 << "D8M";
    QTest::newRow("Drive8") << "Drive8" << 18 << "D8M";
    QTest::newRow("Drive9") << "Drive9" << 22 << "";
    QTest::newRow("Drive10") << "Drive10" << 23 << "D8M";
    QTest::newRow("Drive11") << "Drive11" << 30 << "DM";
}

void tst_Catalogue::model()
{
    QFETCH(QString, group);
    QFETCH(int, mid);
    QFETCH(QString, receiverKey);
    Catalogue& c = *m_catalogue;

    QCOMPARE(c.value(group, "MID"), QString::number(mid));
    for (const char* key : {"Sensor", "DPIMaxGrade", "XIn1", "DPIRange", "DPIGrade", "DPIColor",
                            "KeyNumber", "Adveanced", "MM"})
        QVERIFY2(c.contains(group, key), qPrintable(group + " lacks " + key));

    const int maxGrade = c.value(group, "DPIMaxGrade").toInt();
    QVERIFY(maxGrade >= 1 && maxGrade <= 8);
    bool ok = false;
    c.value(group, "XIn1").toInt(&ok);
    QVERIFY(ok);

    // The stage editor takes defaults only from a full set of eight stages.
    QCOMPARE(c.valueList(group, "DPIGrade").size(), 8);
    const QStringList colours = c.valueList(group, "DPIColor");
    QCOMPARE(colours.size(), 24);
    for (const QString& component : colours) {
        const int v = component.toInt(&ok);
        QVERIFY(ok && v >= 0 && v <= 255);
    }

    // Buttons: a factory function as type,code,param, or a stored key function.
    const int keyNumber = c.value(group, "KeyNumber").toInt();
    QVERIFY(keyNumber >= 1 && keyNumber <= 16);
    for (int k = 1; k <= 6; ++k) {
        const QString key = "KeyParam" + QString::number(k);
        QCOMPARE(c.contains(group, key), k <= keyNumber);
        if (k > keyNumber)
            continue;
        const QStringList items = c.valueList(group, key);
        const QString where = group + "/" + key;
        if (items.first() != "0x05") {
            QVERIFY2(items.size() == 3, qPrintable(where));
            for (const QString& item : items) {
                QVERIFY2(item.startsWith("0x"), qPrintable(where));
                item.toInt(&ok, 16);
                QVERIFY2(ok, qPrintable(where));
            }
        } else if (items.size() == 3) {
            QVERIFY2(kMediaIds.contains(items.at(2).toInt(&ok, 16)) && ok, qPrintable(where));
        } else if (items.size() == 4) {
            const QStringList names = items.at(3).split('+');
            QVERIFY2(names.size() <= 3, qPrintable(where));  // six events in a key record
            for (const QString& name : names)
                QVERIFY2(isKeyName(name), qPrintable(where + " " + name));
        }
    }

    // Receiver options: long range on any receiver, light mode on a 4K receiver only.
    const QStringList advanced = c.valueList(group, "Adveanced");
    QCOMPARE(advanced.size(), 2);
    QVERIFY(QStringList({"-1", "0", "1"}).contains(advanced.at(0)));
    QVERIFY(QStringList({"-1", "1", "2", "3"}).contains(advanced.at(1)));
    if (receiverKey.isEmpty())
        QCOMPARE(advanced, QStringList({"-1", "-1"}));
    if (receiverKey != "D4M")
        QCOMPARE(advanced.at(1), QString("-1"));

    // Firmware model names: the mouse's, and the receiver's of the kind it is sold with.
    QCOMPARE(c.value(group, "MM"), "ORX-M" + QString::number(mid));
    for (const QString& key : kReceiverKeys) {
        QCOMPARE(c.contains(group, key), key == receiverKey);
        if (key == receiverKey)
            QCOMPARE(c.value(group, key), kReceiverNames.value(key));
    }
}

void tst_Catalogue::dpiRangesAndStages_data()
{
    QTest::addColumn<QString>("group");
    const int total = m_catalogue->value("Option", "DeviceTotal").toInt();
    for (int n = 1; n <= total; ++n) {
        const QString group = "Drive" + QString::number(n);
        QTest::newRow(qPrintable(group)) << group;
    }
}

void tst_Catalogue::dpiRangesAndStages()
{
    QFETCH(QString, group);
    Catalogue& c = *m_catalogue;
    const QString sensor = c.value(group, "Sensor");
    const DpiRange range = parseDpiRange(c.valueList(group, "DPIRange"));
    QVERIFY2(range.wellFormed, qPrintable(c.valueList(group, "DPIRange").join(',')));
    QVERIFY(QSet<int>({0, 0x11, 0x22, 0x33}).contains(range.mode));
    if (range.mode == 0x33)
        QCOMPARE(range.segments.size(), 4);  // one segment per flag combination

    for (int k = 0; k < range.segments.size(); ++k) {
        const DpiSegment& s = range.segments.at(k);
        QVERIFY(s.step > 0 && s.min >= 50 && s.min <= s.max);
        // Snapping rounds to multiples of the step counted from 0.
        QCOMPARE(s.min % s.step, 0);
        QCOMPARE(s.max % s.step, 0);
        if (k > 0)
            QVERIFY(range.segments.at(k - 1).max < s.min);
    }

    // Every value the stage editor can settle on is stored as a code that reads
    // back as the same value.
    const SensorDpiCodec::Context ctx = codecContext(m_sensors, sensor, range);
    for (const DpiSegment& s : range.segments) {
        for (int dpi = s.min; dpi <= s.max; dpi += s.step) {
            const SensorDpiCodec::StageCode stage = SensorDpiCodec::encode(ctx, dpi);
            const QString what = group + " " + sensor + " " + QString::number(dpi);
            QVERIFY2(stage.valid, qPrintable(what + " has no code"));
            const int back = SensorDpiCodec::decode(ctx, stage.code, stage.flags);
            QVERIFY2(back == dpi, qPrintable(what + " reads back as " + QString::number(back)));
        }
    }

    // Default stages are values the editor itself could have set.
    for (const QString& text : c.valueList(group, "DPIGrade")) {
        const int dpi = text.toInt();
        QVERIFY2(dpi >= range.segments.first().min && dpi <= range.segments.last().max,
                 qPrintable(group + " " + text));
        QCOMPARE(snap(range, dpi), dpi);
    }
}

void tst_Catalogue::sensorTable()
{
    const SensorTable& t = m_sensors;
    QCOMPARE(t.names.size(), t.values.size());
    QCOMPARE(QSet<QString>(t.names.begin(), t.names.end()).size(), t.names.size());
    for (const QString& list : kListNames)
        QVERIFY2(t.lists.contains(list), qPrintable(list));

    QSet<QString> catalogueSensors;
    const int total = m_catalogue->value("Option", "DeviceTotal").toInt();
    for (int n = 1; n <= total; ++n)
        catalogueSensors.insert(m_catalogue->value("Drive" + QString::number(n), "Sensor"));

    // Codes are found by value, so each must name one DPI of its sensor and fit
    // the stage record's code byte.
    QHash<QString, QSet<int>> codes;
    const QRegularExpression pattern("^SENSOR_(.+)_DPI_(\\d+)$");
    for (int i = 0; i < t.names.size(); ++i) {
        const auto match = pattern.match(t.names.at(i));
        QVERIFY2(match.hasMatch(), qPrintable(t.names.at(i)));
        const QString sensor = match.captured(1);
        QVERIFY2(catalogueSensors.contains(sensor), qPrintable("no model uses " + sensor));
        QVERIFY(t.values.at(i) >= 0 && t.values.at(i) <= 0xFF);
        QVERIFY2(!codes[sensor].contains(t.values.at(i)), qPrintable(t.names.at(i) + " repeats a code"));
        codes[sensor].insert(t.values.at(i));
    }

    for (const QString& sensor : qAsConst(catalogueSensors)) {
        // The table's DPI is read after the first capital I of an entry's name,
        // and the lists match sensor names as substrings.
        QVERIFY2(isPrintable(sensor) && !sensor.contains('I'), qPrintable(sensor));
        for (const QString& other : qAsConst(catalogueSensors))
            QVERIFY2(other == sensor || !other.contains(sensor), qPrintable(sensor + " in " + other));
        if (!t.hasTable(sensor))
            continue;
        // The button page's DPI locks look up 100 .. 1200 directly.
        for (int dpi = 100; dpi <= 1200; dpi += 100)
            QVERIFY2(t.find("SENSOR_" + sensor + "_DPI_" + QString::number(dpi)) >= 0,
                     qPrintable(sensor + " lacks " + QString::number(dpi)));
    }

    // Feature lists name only sensors a model has.
    for (auto it = t.lists.cbegin(); it != t.lists.cend(); ++it) {
        for (const QString& name : it.value().split(','))
            QVERIFY2(catalogueSensors.contains(name), qPrintable(it.key() + ": " + name));
    }
}

void tst_Catalogue::coversEveryRoad()
{
    // The sample devices and the pages rely on the catalogue offering each case.
    Catalogue& c = *m_catalogue;
    QSet<int> modes, segmentCounts, mids, xin1;
    QSet<QString> receiverKeys, sensors;
    bool tableSensor = false, formulaSensor = false, withModeChooser = false, withoutModeChooser = false;
    bool storedMedia = false, storedKeys = false, noStoredFunction = false;
    const int total = c.value("Option", "DeviceTotal").toInt();
    for (int n = 1; n <= total; ++n) {
        const QString group = "Drive" + QString::number(n);
        const DpiRange range = parseDpiRange(c.valueList(group, "DPIRange"));
        modes.insert(range.mode);
        segmentCounts.insert(range.segments.size());
        mids.insert(c.value(group, "MID").toInt());
        xin1.insert(c.value(group, "XIn1").toInt());
        const QString sensor = c.value(group, "Sensor");
        sensors.insert(sensor);
        (m_sensors.hasTable(sensor) ? tableSensor : formulaSensor) = true;
        (m_sensors.lists.value("SUPPORT_SENSOR_MODE_SEL").contains(sensor) ? withModeChooser
                                                                           : withoutModeChooser) = true;
        for (const QString& key : kReceiverKeys) {
            if (c.contains(group, key))
                receiverKeys.insert(key);
        }
        bool stored = false;
        for (int k = 1; k <= 6; ++k) {
            const QStringList items = c.valueList(group, "KeyParam" + QString::number(k));
            if (items.value(0) != "0x05")
                continue;
            stored = true;
            storedMedia = storedMedia || items.size() == 3;
            storedKeys = storedKeys || items.size() == 4;
        }
        noStoredFunction = noStoredFunction || !stored;
    }
    QCOMPARE(modes, QSet<int>({0, 0x11, 0x22, 0x33}));
    QCOMPARE(segmentCounts, QSet<int>({1, 2, 3, 4}));
    QCOMPARE(receiverKeys, QSet<QString>(kReceiverKeys.begin(), kReceiverKeys.end()));
    QVERIFY(sensors.contains("3950") && sensors.contains("3395"));
    QVERIFY(tableSensor && formulaSensor && withModeChooser && withoutModeChooser);
    QVERIFY(storedMedia && storedKeys && noStoredFunction);
    QVERIFY(xin1.contains(2) && xin1.size() > 1);
    QVERIFY(mids.intersects(kNoLightingMids) && !(mids - kNoLightingMids).isEmpty());
    QVERIFY(mids.intersects(kMotionSyncMids) && !(mids - kMotionSyncMids).isEmpty());
}

void tst_Catalogue::firmwareImages()
{
    // What the description promises ...
    QFile description(QStringLiteral(DESKLINK_SOURCE_DIR) + "/data/firmware/images.txt");
    QVERIFY(description.open(QIODevice::ReadOnly | QIODevice::Text));
    QHash<QString, QStringList> described;
    while (!description.atEnd()) {
        const QString line = QString::fromUtf8(description.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList fields = line.split(QRegularExpression("\\s+"));
        QCOMPARE(fields.size(), 7);
        described.insert(fields.at(0), fields);
    }
    QVERIFY(!described.isEmpty());

    // ... is what the build laid out.
    const QDir bin(AppPaths::appSubdir("bin"));
    QStringList files = bin.entryList({"*.bin"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    QStringList expected = described.keys();
    std::sort(files.begin(), files.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(files, expected);

    Catalogue& c = *m_catalogue;
    QHash<int, QString> groupOfMid;
    const int total = c.value("Option", "DeviceTotal").toInt();
    for (int n = 1; n <= total; ++n) {
        const QString group = "Drive" + QString::number(n);
        groupOfMid.insert(c.value(group, "MID").toInt(), group);
    }

    QSet<QString> identities;
    bool newer = false, same = false;
    for (const QString& fileName : qAsConst(files)) {
        QFile file(bin.filePath(fileName));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const FirmwareImageHeader header = FirmwareImageHeader::parse(data);
        QVERIFY2(header.valid, qPrintable(fileName));
        const int mid = header.modelId;
        const QStringList& fields = described.value(fileName);

        QCOMPARE(int(header.type), fields.at(1) == "mouse" ? 210 : 211);
        QCOMPARE(int(header.customerId), kCustomerId);
        QCOMPARE(mid, fields.at(3).toInt());
        QCOMPARE(header.modelName, fields.at(4));
        QCOMPARE(FirmwareImageSearch::versionText(header.version), "v" + fields.at(5));
        QCOMPARE(data.size(), kHeaderSize + fields.at(6).toInt());
        const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
        QCOMPARE(data.left(8), QByteArray("ORVXFW01"));
        QCOMPARE(qFromLittleEndian<quint32>(bytes + 0x08), quint32(data.size() - kHeaderSize));
        QCOMPARE(qFromLittleEndian<quint32>(bytes + 0x0C), crc32(data.mid(kHeaderSize)));

        // The image must be findable: its name is the one the model's group gives
        // for that type (the mouse's, or the receiver kind the model is sold with).
        QVERIFY2(groupOfMid.contains(mid), qPrintable(fileName));
        const QString group = groupOfMid.value(mid);
        if (header.type == FirmwareImageHeader::kMouseType) {
            QCOMPARE(header.modelName, c.value(group, "MM"));
        } else {
            bool matches = false;
            for (const QString& key : kReceiverKeys)
                matches = matches || (c.contains(group, key) && c.value(group, key) == header.modelName);
            QVERIFY2(matches, qPrintable(fileName + " names no receiver of " + group));
        }
        // One image per device kind, or the search's result depends on file order.
        const QString identity = QStringLiteral("%1/%2/%3").arg(int(header.type)).arg(mid).arg(header.modelName);
        QVERIFY2(!identities.contains(identity), qPrintable(fileName));
        identities.insert(identity);
        newer = newer || FirmwareImageSearch::versionText(header.version) == "v1.4";
        same = same || FirmwareImageSearch::versionText(header.version) == "v1.3";
    }
    // Updates are offered for some devices and not for others.
    QVERIFY(newer && same);
}

QTEST_GUILESS_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"
