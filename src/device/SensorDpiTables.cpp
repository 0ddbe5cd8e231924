#include "device/SensorDpiTables.h"

#include "core/AppPaths.h"

#include <QFile>
#include <QTextStream>

QVector<QString> g_SensorDefineNames;
QVector<int> g_SensorDefineValues;
QString g_SensorName;
int g_DpiRangeMode = 0;
QVector<int> g_DpiRangeMins;
QVector<int> g_DpiRangeMaxs;
int g_DpiRangeCount = 0;
QString g_DpiRange1Min;
QString g_DpiRange1Max;
QString g_DpiRange1Step;
QString g_DpiRange2Min;
QString g_DpiRange2Max;
QString g_DpiRange2Step;
QString g_DpiRange3Min;
QString g_DpiRange3Max;
QString g_DpiRange3Step;
QString g_DpiRange4Min;
QString g_DpiRange4Max;
QString g_DpiRange4Step;

namespace {

int parseDefineValue(const QString& text)
{
    bool ok = false;
    const int value = text.contains(QLatin1String("0x")) ? text.toInt(&ok, 16) : text.toInt(&ok, 10);
    return ok ? value : 0;
}

// The list a definition name belongs to, or nullptr for a code definition.
QString* featureList(SensorDefineTable& table, const QString& name)
{
    struct Entry { const char* key; QString SensorDefineTable::*list; };
    static const Entry entries[] = {
        { "SUPPORT_SENSOR_MODE_SEL", &SensorDefineTable::sensorModeSel },
        { "SUPPORT_LOD_CAL", &SensorDefineTable::lodCal },
        { "SUPPORT_RIPPLE", &SensorDefineTable::ripple },
        { "SUPPORT_FIXLINE", &SensorDefineTable::fixLine },
        { "SUPPORT_MOTION_SYNC", &SensorDefineTable::motionSync },
        { "SUPPORT_MOUSEPAD_CAL", &SensorDefineTable::mousepadCal },
    };
    for (const Entry& e : entries) {
        if (name.contains(QLatin1String(e.key)))
            return &(table.*e.list);
    }
    return nullptr;
}

// "name<TAB>value" -> both parts; false unless there are exactly two.
bool splitDefinition(const QString& token, QString* name, QString* value)
{
    const QStringList parts = token.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return false;
    *name = parts.at(0);
    *value = parts.at(1);
    return true;
}

} // namespace

SensorDefineTable SensorDpiTables::parseDriverSensor(const QString& text)
{
    SensorDefineTable table;
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    // The last line counts even without a line end: a file saved without a
    // final newline must not lose its last definition.
    const QStringList lines = normalised.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList tokens = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QString name;
        QString value;
        if (tokens.size() == 2) {
            if (!splitDefinition(tokens.at(1), &name, &value)) {
                // A list or definition without a value lies outside the format.
                continue;
            }
            if (QString* list = featureList(table, name)) {
                *list = value;
                continue;
            }
            if (tokens.at(0) != QLatin1String("#define"))
                continue;
        } else if (tokens.size() == 3) {
            if (!tokens.at(2).contains(QLatin1String("//")))
                continue;
            if (!splitDefinition(tokens.at(1), &name, &value))
                continue;
        } else {
            continue;
        }
        // A trailing comment does not change how the value is written: "0x10 //"
        // is sixteen as much as "0x10" is.
        table.names.append(name);
        table.values.append(parseDefineValue(value));
    }
    return table;
}

SensorDefineTable SensorDpiTables::readDriverSensor(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return SensorDefineTable();
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    return parseDriverSensor(stream.readAll());
}

QString SensorDpiTables::driverSensorPath()
{
    return AppPaths::applicationDir() + QStringLiteral("/driver_sensor.h");
}

SensorDefineTable SensorDpiTables::loadIntoGlobals(const QString& path)
{
    const SensorDefineTable table = readDriverSensor(path);
    g_SensorDefineNames += table.names;
    g_SensorDefineValues += table.values;
    return table;
}

DpiRangeTable SensorDpiTables::parseDpiRange(const QStringList& items)
{
    DpiRangeTable range;
    if (items.isEmpty())
        return range;
    bool ok = false;
    range.mode = items.last().trimmed().toInt(&ok, 16);
    if (!ok)
        range.mode = 0;
    range.count = (items.size() - 1) / 3;
    if (!range.hasSegments())
        return range;
    int previousMax = 0;
    for (int k = 0; k < range.count; ++k) {
        const QString minText = items.at(3 * k).trimmed();
        const QString maxText = items.at(3 * k + 1).trimmed();
        const QString stepText = items.at(3 * k + 2).trimmed();
        bool minOk = false;
        bool maxOk = false;
        bool stepOk = false;
        const int min = minText.toInt(&minOk, 10);
        const int max = maxText.toInt(&maxOk, 10);
        const int step = stepText.toInt(&stepOk, 10);
        // Bounds and steps that are not numbers, empty or backward segments
        // would give the editor a span of nothing and codes for no DPI: such a
        // list describes no ranges at all.
        if (!minOk || !maxOk || !stepOk || min <= previousMax || max < min || step <= 0) {
            DpiRangeTable unusable;
            unusable.mode = range.mode;
            return unusable;
        }
        previousMax = max;
        range.minTexts.append(minText);
        range.maxTexts.append(maxText);
        range.stepTexts.append(stepText);
        range.mins.append(min);
        range.maxs.append(max);
    }
    return range;
}

void SensorDpiTables::applyDpiRange(const DpiRangeTable& range)
{
    g_DpiRangeMode = range.mode;
    g_DpiRangeCount = range.count;
    g_DpiRangeMins.clear();
    g_DpiRangeMaxs.clear();
    if (!range.hasSegments())
        return;
    g_DpiRangeMins = range.mins;
    g_DpiRangeMaxs = range.maxs;

    QString* const texts[4][3] = {
        { &g_DpiRange1Min, &g_DpiRange1Max, &g_DpiRange1Step },
        { &g_DpiRange2Min, &g_DpiRange2Max, &g_DpiRange2Step },
        { &g_DpiRange3Min, &g_DpiRange3Max, &g_DpiRange3Step },
        { &g_DpiRange4Min, &g_DpiRange4Max, &g_DpiRange4Step },
    };
    for (int k = 0; k < range.count; ++k) {
        *texts[k][0] = range.minTexts.at(k);
        *texts[k][1] = range.maxTexts.at(k);
        *texts[k][2] = range.stepTexts.at(k);
    }
}

int SensorDpiTables::usableStageCount(const QString& maxGradeText)
{
    bool ok = false;
    const int count = maxGradeText.trimmed().toInt(&ok, 10);
    if (!ok || count < 0)
        return 0;
    return count > 8 ? 8 : count;
}

bool SensorDpiTables::listNames(const QString& listText, const QString& sensor)
{
    return listText.contains(sensor);
}
