#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What "driver_sensor.h" holds: the DPI code names and values in file order
// (parallel vectors) and the six feature lists, each the free text of its line.
struct SensorDefineTable
{
    QVector<QString> names;
    QVector<int> values;

    QString sensorModeSel;  // SUPPORT_SENSOR_MODE_SEL
    QString lodCal;         // SUPPORT_LOD_CAL
    QString ripple;         // SUPPORT_RIPPLE
    QString fixLine;        // SUPPORT_FIXLINE
    QString motionSync;     // SUPPORT_MOTION_SYNC
    QString mousepadCal;    // SUPPORT_MOUSEPAD_CAL
};

// A model's "DPIRange" list taken apart: up to four segments (min, max, step as
// the texts of the list) and the range mode written as hexadecimal digits last.
struct DpiRangeTable
{
    int mode = 0;
    // (items - 1) / 3; only 1..4 describes usable segments. 0 when a segment
    // is not usable (bounds or step not numbers, no step, backward or
    // overlapping segments).
    int count = 0;
    QVector<int> mins;
    QVector<int> maxs;
    QStringList minTexts;
    QStringList maxTexts;
    QStringList stepTexts;

    bool hasSegments() const { return count >= 1 && count <= 4; }
    // First bound of the first segment and last bound of the last one, as texts.
    QString firstMinText() const { return hasSegments() ? minTexts.first() : QString(); }
    QString lastMaxText() const { return hasSegments() ? maxTexts.last() : QString(); }
};

// Loading of the sensor table and of a model's DPI ranges. Parsing is pure (text
// in, record out); only the load and apply functions touch files and globals.
class SensorDpiTables
{
public:
    static SensorDefineTable parseDriverSensor(const QString& text);
    // A missing or unreadable file gives an empty table.
    static SensorDefineTable readDriverSensor(const QString& path);
    // "driver_sensor.h" in the application folder.
    static QString driverSensorPath();

    // Appends the file's names and values to g_SensorDefineNames/Values (the
    // sensor page does this once) and returns the whole table for its lists.
    static SensorDefineTable loadIntoGlobals(const QString& path = driverSensorPath());

    static DpiRangeTable parseDpiRange(const QStringList& items);
    // Replaces g_DpiRangeMode, g_DpiRangeCount and the bound vectors; the
    // segment texts are replaced only for a usable segment count.
    static void applyDpiRange(const DpiRangeTable& range);

    // Number of stage records a "DPIMaxGrade" text lets the page fill: the
    // image has eight, so anything else is cut to 0..8 (not a number gives 0).
    static int usableStageCount(const QString& maxGradeText);

    // Whether a feature list names the sensor (substring test, case-sensitive).
    static bool listNames(const QString& listText, const QString& sensor);
};

// Program-wide DPI tables: filled by the sensor page, read by the DPI editors
// and by the stage DPI encoder.
extern QVector<QString> g_SensorDefineNames;
extern QVector<int> g_SensorDefineValues;
extern QString g_SensorName;
extern int g_DpiRangeMode;
extern QVector<int> g_DpiRangeMins;
extern QVector<int> g_DpiRangeMaxs;
extern int g_DpiRangeCount;
extern QString g_DpiRange1Min;
extern QString g_DpiRange1Max;
extern QString g_DpiRange1Step;
extern QString g_DpiRange2Min;
extern QString g_DpiRange2Max;
extern QString g_DpiRange2Step;
extern QString g_DpiRange3Min;
extern QString g_DpiRange3Max;
extern QString g_DpiRange3Step;
extern QString g_DpiRange4Min;
extern QString g_DpiRange4Max;
extern QString g_DpiRange4Step;
