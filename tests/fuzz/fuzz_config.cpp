// Config.ini: the catalogue store's text, list, Base64 and colour readers on
// every key the file holds, and each list taken apart as a "DPIRange" and
// handed on to the DPI slider snapping and the stage DPI encoder, which use
// those ranges. Then the device list's search and the identifier lookup on
// the simulated devices with that catalogue: every listed device has a model
// of the catalogue or the one for models outside it.
#include "FuzzSupport.h"

#include "app/Globals.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "device/DeviceDiscovery.h"
#include "device/SensorDpiCodec.h"
#include "device/SensorDpiTables.h"
#include "ui/buttons/DeviceIdLookup.h"
#include "ui/sensor/DpiSnapper.h"

#include <QColor>
#include <QSettings>

#include <limits>

namespace {

// Bounds the work per input; the shipped file has far fewer keys.
constexpr int kMaxKeys = 400;

void checkDpiRange(const QStringList& items)
{
    const DpiRangeTable range = SensorDpiTables::parseDpiRange(items);
    if (range.hasSegments()
        && (range.mins.size() != range.count || range.maxs.size() != range.count
            || range.minTexts.size() != range.count || range.maxTexts.size() != range.count
            || range.stepTexts.size() != range.count))
        FuzzSupport::fail("DPI range with segments missing");
    (void)range.firstMinText();
    (void)range.lastMaxText();
    SensorDpiTables::applyDpiRange(range);

    const DpiSnapper snapper = DpiSnapper::fromGlobals();
    const SensorDpiCodec::Context ctx = SensorDpiCodec::Context::fromGlobals();
    QVector<int> probes = {0, 1, 100, 26000, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    for (int k = 0; k < range.mins.size(); ++k) {
        for (int bound : {range.mins.at(k), range.maxs.at(k)}) {
            probes << bound;
            if (bound > std::numeric_limits<int>::min())
                probes << bound - 1;
            if (bound < std::numeric_limits<int>::max())
                probes << bound + 1;
        }
    }
    for (int value : qAsConst(probes)) {
        (void)snapper.snap(value);
        (void)snapper.stepUp(value);
        (void)snapper.stepDown(value);
        (void)SensorDpiCodec::encode(ctx, value);
    }
}

void checkColour(ConfigSettings* config, const QString& key)
{
    QColor colour(1, 2, 3);
    QString text = QStringLiteral("unchanged");
    const bool hasColour = config->colour(key, &colour);
    const bool hasText = config->colourText(key, &text);
    if (hasColour != hasText)
        FuzzSupport::fail("colour and colour text disagree");
    if (!hasColour) {
        if (colour != QColor(1, 2, 3) || text != QLatin1String("unchanged"))
            FuzzSupport::fail("a rejected colour changed the output");
        return;
    }
    if (text != QStringLiteral("%1,%2,%3").arg(colour.red()).arg(colour.green()).arg(colour.blue()))
        FuzzSupport::fail("colour text is not the colour");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    // The simulated devices (the shipped sample) answer at once.
    qputenv("HIDSIM_TIME_SCALE", "0");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    (void)ConfigSettings::decodeBase64(QString::fromUtf8(input));

    FuzzSupport::writeFile(AppPaths::configIniPath(), input);
    ConfigSettings::resetForTests();
    ConfigSettings* config = ConfigSettings::instance();

    // Every key the file holds, found the way the store reads the file.
    QStringList keys;
    {
        QSettings raw(AppPaths::configIniPath(), QSettings::IniFormat);
        raw.setIniCodec("UTF-8");
        keys = raw.allKeys();
    }
    int done = 0;
    for (const QString& path : qAsConst(keys)) {
        if (++done > kMaxKeys)
            break;
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        const QString group = slash < 0 ? QString() : path.left(slash);
        const QString key = path.mid(slash + 1);

        const QString text = config->value(group, key);
        const QStringList list = config->valueList(group, key);
        const int stages = SensorDpiTables::usableStageCount(text);
        if (stages < 0 || stages > 8)
            FuzzSupport::fail("stage count outside 0..8");
        checkDpiRange(list);
        checkColour(config, key);
    }

    DeviceDiscovery::ScanDeviceList();
    const int total = DeviceDiscovery::DeviceTotal();
    if (g_DeviceList.size() != g_DeviceListB.size())
        FuzzSupport::fail("the two device lists differ in length");
    for (const DeviceAllInfo& device : qAsConst(g_DeviceList)) {
        if (device.modelIndex < 0 || device.modelIndex > total)
            FuzzSupport::fail("a listed device with a model outside the catalogue's range");
    }
    DeviceIdLookup::ReadDeviceIds();
    ConfigSettings::resetForTests();
    return 0;
}
