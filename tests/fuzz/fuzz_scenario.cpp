// The simulator's scenario file, read as the simulator reads it from its
// folder. A file is taken or refused with a reason; what is taken has unique
// ids and pairings that name existing receivers once each, and it writes back
// to a file that reads to the same scenario (written once more, the same
// bytes), so hidsimctl never turns a file it accepted into one it refuses.
#include "FuzzSupport.h"

#include "SimStore.h"
#include "World.h"

#include <QSet>

#include <sanitizer/lsan_interface.h>

namespace {
SimStore* g_store = nullptr;

// Qt's JSON reader loses the first value of a key given twice when that value
// is an array or object; that is not ours to find, so reading is not checked
// for leaks (writing is).
bool load(World* world, QString* error)
{
    __lsan::ScopedDisabler qtJsonReader;
    return g_store->loadWorld(world, error);
}
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::init(argc, argv);
    g_store = new SimStore;
    g_store->open();
    if (!g_store->onDisk())
        FuzzSupport::fail("no simulator folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    FuzzSupport::writeFile(g_store->scenarioPath(), input);

    World world;
    QString error;
    if (!load(&world, &error)) {
        if (error.isEmpty())
            FuzzSupport::fail("a refused scenario without a reason");
        return 0;
    }

    QSet<QString> ids;
    for (const World::Mouse& m : world.mice)
        ids.insert(m.id);
    for (const World::Receiver& r : world.receivers)
        ids.insert(r.id);
    if (ids.size() != world.mice.size() + world.receivers.size())
        FuzzSupport::fail("two devices share an id");
    QSet<QString> paired;
    for (const World::Mouse& m : world.mice) {
        if (m.battery < 0 || m.battery > 100)
            FuzzSupport::fail("a battery level outside 0..100");
        if (m.pairedTo.isEmpty())
            continue;
        if (!world.receiver(m.pairedTo) || paired.contains(m.pairedTo))
            FuzzSupport::fail("a pairing names no receiver or one taken already");
        paired.insert(m.pairedTo);
    }
    for (const World::Receiver& r : world.receivers) {
        if (r.kind != 1 && r.kind != 2 && r.kind != 4 && r.kind != 8)
            FuzzSupport::fail("a receiver of no known kind");
        if (world.receiverPath(r).empty())
            FuzzSupport::fail("a receiver without a path");
    }

    const QByteArray written = world.toJson();
    if (!g_store->saveWorld(world, &error))
        FuzzSupport::fail("the scenario cannot be written back");
    World again;
    if (!load(&again, &error))
        FuzzSupport::fail("a scenario written back is refused");
    if (again.toJson() != written)
        FuzzSupport::fail("a scenario written back reads differently");
    return 0;
}
