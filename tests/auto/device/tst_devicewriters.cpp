#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "device/DeviceWriters.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"

#include <HidSimControl.h>

#include <QTest>

#include <cstddef>
#include <functional>
#include <vector>

using hidsim::HidSimControl;

namespace {
// offset, value pairs for a whole record written at offset.
QList<int> recordPatch(int offset, const void* record, int size)
{
    QList<int> patch;
    const auto* b = static_cast<const quint8*>(record);
    for (int i = 0; i < size; ++i)
        patch << offset + i << b[i];
    return patch;
}

const DpiStageRecord kStageA{40, 40, 1, 11, 12, 13};
const DpiStageRecord kStageB{50, 50, 2, 21, 22, 23};
const ButtonMapping kMapping{3, 4, 5};

KeyEventRecord keyRecord()
{
    KeyEventRecord r{};
    r.eventCount = 2;
    r.events[0].kind = MacroEvent::kModifier;
    r.events[0].setCode(2);
    r.events[1].kind = MacroEvent::kKeyboard;
    r.events[1].setCode(0x1E);
    r.events[1].setDelay(15);
    return r;
}

MacroRecord macroRecord()
{
    MacroRecord r{};
    r.nameLength = 3;
    r.name[0] = 'a';
    r.name[1] = 'b';
    r.name[2] = 'c';
    r.eventCount = 2;
    r.events[0].kind = MacroEvent::kKeyboard;
    r.events[0].setCode(0x04);
    r.events[0].setDelay(300);
    r.events[1].direction = MacroEvent::kRelease;
    r.events[1].kind = MacroEvent::kKeyboard;
    r.events[1].setCode(0x04);
    return r;
}

struct WriterCase
{
    const char* name;
    std::function<bool()> call;
    QList<int> patch;  // empty: the writer must refuse
};

// Values differ from the mouse's factory configuration, so that every byte shows.
const std::vector<WriterCase>& writerCases()
{
    static const KeyEventRecord keys = keyRecord();
    static const MacroRecord macro = macroRecord();
    static const std::vector<WriterCase> cases = {
        {"report rate", [] { return WriteReportRateToDevice(16); }, {0, 16}},
        {"active DPI stage", [] { return WriteDpiIndexToDevice(3); }, {2, 3}},
        {"lift-off distance", [] { return WriteLodToDevice(2); }, {5, 2}},
        {"debounce", [] { return WriteDebounceToDevice(4); }, {6, 4}},
        {"motion sync", [] { return WriteMotionSyncToDevice(1); }, {7, 1}},
        {"idle light-off time", [] { return WriteSleepTimeToDevice(30); }, {8, 30}},
        {"angle snapping", [] { return WriteStraightLineToDevice(1); }, {9, 1}},
        {"ripple control", [] { return WriteRippleControlToDevice(1); }, {10, 1}},
        {"lights off while moving", [] { return WriteByte0BToDevice(1); }, {11, 1}},
        {"performance mode", [] { return WritePerformanceToDevice(1); }, {12, 1}},
        {"performance time", [] { return WritePerformanceModeToDevice(60); }, {13, 60}},
        {"sensor mode", [] { return WriteSensorModelToDevice(2); }, {14, 2}},
        {"DPI value of stage 7", [] { return WriteDpiValueToDevice(7, 40, 41, 1); }, {57, 40, 58, 41, 59, 1}},
        {"DPI colour of stage 0", [] { return WriteDpiColorToDevice(0, 10, 20, 30); }, {18, 10, 19, 20, 20, 30}},
        {"DPI stages: a at 3, b at 2, stage 4",
         [] { return WriteDpiStagesToDevice(kStageA, kStageB, 2, 3, 4); },
         recordPatch(15 + 6 * 3, &kStageA, 6) + recordPatch(15 + 6 * 2, &kStageB, 6) + QList<int>{2, 4, 1, 5}},
        {"DPI light mode 3 switches it on", [] { return WriteSensorLightModeToDevice(3); }, {63, 3, 66, 1}},
        {"DPI light mode 0 switches off, keeps the mode", [] { return WriteSensorLightModeToDevice(0); }, {66, 0}},
        {"DPI light brightness", [] { return WriteSensorLightBrightnessToDevice(9); }, {64, 9}},
        {"DPI light speed", [] { return WriteSensorLightSpeedToDevice(7); }, {65, 7}},
        {"light mode 4 switches it on", [] { return WriteLightModeToDevice(4); }, {67, 4, 73, 1}},
        {"light mode 0 switches off, keeps the mode", [] { return WriteLightModeToDevice(0); }, {73, 0}},
        {"light colour", [] { return WriteLightColorToDevice(1, 2, 3); }, {68, 1, 69, 2, 70, 3}},
        {"light speed", [] { return WriteLightSpeedToDevice(9); }, {71, 9}},
        {"light brightness", [] { return WriteLightBrightnessToDevice(8); }, {72, 8}},
        {"button 15", [] { return WriteButtonToDevice(15, 5, 6, 7); }, {119, 5, 120, 6, 121, 7}},
        {"key-event record of button 2", [] { return WriteButtonRecordToDevice(2, kMapping, keys); },
         recordPatch(80, &kMapping, 3) + recordPatch(124 + 52 * 2, &keys, 52)},
        {"macro of button 15", [] { return WriteMacroToDevice(15, kMapping, macro); },
         recordPatch(119, &kMapping, 3) + recordPatch(956 + 592 * 15, &macro, 592)},
        // Indexes outside the image.
        {"DPI value of stage 8", [] { return WriteDpiValueToDevice(8, 1, 1, 1); }, {}},
        {"DPI colour of stage -1", [] { return WriteDpiColorToDevice(-1, 1, 1, 1); }, {}},
        {"DPI stages: index b 8", [] { return WriteDpiStagesToDevice(kStageA, kStageB, 8, 0, 0); }, {}},
        {"DPI stages: index a -1", [] { return WriteDpiStagesToDevice(kStageA, kStageB, 0, -1, 0); }, {}},
        {"DPI stages: active stage 8", [] { return WriteDpiStagesToDevice(kStageA, kStageB, 0, 1, 8); }, {}},
        {"button 16", [] { return WriteButtonToDevice(16, 1, 1, 1); }, {}},
        {"key-event record of button -1", [] { return WriteButtonRecordToDevice(-1, kMapping, keys); }, {}},
        {"macro of button 16", [] { return WriteMacroToDevice(16, kMapping, macro); }, {}},
    };
    return cases;
}
}

class TestDeviceWriters : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;
    DeviceLinkPageRecorder* pages() { return m_fixture.pages(); }

private slots:
    void init()
    {
        QVERIFY(m_fixture.setUp());
        QVERIFY(m_fixture.linkWithoutReports("m7"));
        DeviceLinkFixture::clearCalls();
    }
    void cleanup() { m_fixture.tearDown(); }

    void writers_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(writerCases().size()); ++i)
            QTest::newRow(writerCases()[i].name) << i;
    }
    void writers()
    {
        QFETCH(int, index);
        const WriterCase& c = writerCases()[index];
        const QByteArray before = imageBytes(currentFlashData());
        const bool accepted = !c.patch.isEmpty();

        QCOMPARE(c.call(), accepted);

        const QByteArray after = imageBytes(currentFlashData());
        QCOMPARE(after, accepted ? patched(before, c.patch) : before);
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), accepted ? 1 : 0);
        QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_GetDeviceOnLine"), accepted ? 1 : 0);
        QCoreApplication::processEvents();
        QVERIFY(pages()->names().isEmpty());  // no notice, also for a refused index
        if (accepted)  // the mouse itself now holds the whole image
            QTRY_COMPARE(HidSimControl::configImage("m7"), after);
    }

    void offline_data()
    {
        QTest::addColumn<QString>("filling");
        QTest::addColumn<int>("notices");
        QTest::newRow("no page filling") << "" << 1;
        QTest::newRow("sensor page filling") << "sensor" << 0;
        QTest::newRow("button page filling") << "button" << 0;
        QTest::newRow("lighting page filling still warns") << "light" << 1;
    }
    void offline()
    {
        QFETCH(QString, filling);
        QFETCH(int, notices);
        g_SensorPageFilling = filling == "sensor";
        g_ButtonPageFilling = filling == "button";
        g_LightPageFilling = filling == "light";
        QVERIFY(HidSimControl::unplug("m7"));
        const QByteArray before = imageBytes(currentFlashData());

        QVERIFY(!WriteReportRateToDevice(16));
        QCoreApplication::processEvents();
        QCOMPARE(pages()->count("MouseOffLineo"), notices);
        if (notices)
            QCOMPARE(pages()->last("MouseOffLineo").args, QVariantList{0});
        QCOMPARE(imageBytes(currentFlashData()), before);
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);

        pages()->clear();
        QVERIFY(!CheckDeviceOnline());
        QCoreApplication::processEvents();
        QCOMPARE(pages()->count("MouseOffLineo"), notices);

        // A refused index never gets as far as the notice.
        pages()->clear();
        QVERIFY(!WriteButtonToDevice(16, 1, 1, 1));
        QCoreApplication::processEvents();
        QVERIFY(pages()->names().isEmpty());
    }

    void onlineCheckWritesNothing()
    {
        QVERIFY(CheckDeviceOnline());
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
        QVERIFY(pages()->names().isEmpty());
    }

    void noWriteBeforeTheOpenDeviceWasRead()
    {
        // Another device is opened: the working image is still m7's.
        m_fixture.createWorker();
        const DeviceAllInfo next = m_fixture.listEntry("r8");
        const QByteArray before = imageBytes(currentFlashData());
        PostMsg::GetInstance()->PostSelectMouseInfo(next);

        // The library calls name the chosen device at once.
        QCOMPARE(QByteArray(g_DevicePath.load()), HidSimControl::path("r8"));
        QCOMPARE(g_SelectedFlashDataFile, QString("Device_CID33_MID08.bin"));

        DeviceLinkFixture::clearCalls();
        QVERIFY(!WriteReportRateToDevice(16));
        QVERIFY(!WriteMacroToDevice(0, kMapping, macroRecord()));
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
        QCOMPARE(imageBytes(currentFlashData()), before);
        QCoreApplication::processEvents();
        // Refused as a write to an offline mouse is: with the notice, whose
        // closing restarts the device thread and so reads the device.
        QCOMPARE(pages()->count("MouseOffLineo"), 2);
        QCOMPARE(pages()->last("MouseOffLineo").args, QVariantList{0});
    }

    void refusedSendIsNoSuccess()
    {
        HidSimControl::failWrites(1);
        const QByteArray before = imageBytes(currentFlashData());
        QVERIFY(!WriteLodToDevice(3));
        // What the mouse did not take is not kept either.
        QCOMPARE(imageBytes(currentFlashData()), before);
        QVERIFY(WriteLodToDevice(3));
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 2);
    }
};

QTEST_GUILESS_MAIN(TestDeviceWriters)
#include "tst_devicewriters.moc"
