#include "app/Globals.h"
#include "core/PostMsg.h"

#include <QtTest>

#include <QMetaMethod>
#include <QThread>

#include <atomic>
#include <functional>

// Receives on the GUI thread and notes what arrived. Each slot dawdles a little
// so that an emitter that did not wait would visibly run ahead.
class Receiver : public QObject
{
    Q_OBJECT

public:
    QString got;
    std::atomic<bool> finished{false};
    Qt::HANDLE thread = nullptr;

public slots:
    void onImage(FlashDataMap image) { note(QString("image %1 %2").arg(image.reportRate).arg(image.macros[15].nameLength)); }
    void onInt(int v) { note(QString("int %1").arg(v)); }
    void onBool(bool v) { note(QString("bool %1").arg(v)); }
    void onIntIntBool(int a, int b, bool c) { note(QString("iib %1 %2 %3").arg(a).arg(b).arg(c)); }
    void onBoolIntBool(bool a, int b, bool c) { note(QString("bib %1 %2 %3").arg(a).arg(b).arg(c)); }
    void onRgb(DongleRGB* p) { note(QString("rgb %1 %2").arg(p == g_DongleRGB).arg(p->mode)); }
    void onVoid() { note("void"); }

private:
    void note(const QString& what)
    {
        thread = QThread::currentThreadId();
        QThread::msleep(30);
        got = what;
        finished = true;
    }
};

class Emitter : public QThread
{
public:
    std::function<void()> emitIt;
    std::atomic<bool> slotFinishedBeforeReturn{false};
    Receiver* receiver = nullptr;

protected:
    void run() override
    {
        emitIt();
        slotFinishedBeforeReturn = receiver->finished.load();
    }
};

using EmitFn = std::function<void()>;
Q_DECLARE_METATYPE(EmitFn)

class tst_PostMsg : public QObject
{
    Q_OBJECT

private slots:
    void instanceIsUniqueAcrossThreads();
    void signalsInDeclaredOrder();
    void blockingSignalWaitsForSlot_data();
    void blockingSignalWaitsForSlot();
    void automaticFromThreadDoesNotWait();
    void recordOnGuiThreadArrivesAtOnce();
};

void tst_PostMsg::instanceIsUniqueAcrossThreads()
{
    QVERIFY(g_PostMsg.load() == nullptr);
    std::atomic<bool> go{false};
    PostMsg* seen[8] = {};
    QList<QThread*> threads;
    for (int i = 0; i < 8; ++i) {
        threads << QThread::create([&, i] {
            while (!go) {
            }
            seen[i] = PostMsg::GetInstance();
        });
        threads.last()->start();
    }
    go = true;
    for (QThread* t : threads) {
        QVERIFY(t->wait(5000));
        delete t;
    }
    PostMsg* bus = PostMsg::GetInstance();
    QVERIFY(bus);
    QCOMPARE(g_PostMsg.load(), bus);
    for (PostMsg* p : seen)
        QCOMPARE(p, bus);
    QCOMPARE(bus->thread(), QCoreApplication::instance()->thread());
}

// Receivers connect by signature text; a renamed or re-typed signal would only
// show up as a runtime warning, so the exact list is pinned here.
void tst_PostMsg::signalsInDeclaredOrder()
{
    const QStringList expected = {
        "SigChangeMainDialog(int)", "SigChangeSize(int)", "SigUpDataConfigUI(int,int,bool)",
        "SigUpDataLightUIButton(FlashDataMap)", "SigUpDataLightLight(FlashDataMap)",
        "SigUpDataLightSensor(FlashDataMap)", "SigUpDataLightUIA(FlashDataMap)",
        "SigUpDataSensorUIB(FlashDataMap)", "SigUpDataButtonUIC(FlashDataMap)",
        "SigButtonToMacro(FlashDataMap,int)", "SigSelectMouseInfo(DeviceAllInfo)",
        "SigMouseOffLineo(int)", "SigMainPageChange()", "SigSecondPageChange()",
        "SigUpPageLight()", "SigAddMacroButton()", "SigDeleteMacroButton(QString)",
        "SigMacroDownLoadData(QString,int)", "SigUpDataMacro(QString,int)", "SigUpDataParam(int)",
        "SigUpDataReportRate(int)", "SigUpDataDPI(int)", "SigUpDataDPILed(FlashDataMap)",
        "SigTimerStop()", "SigButtonEnable(int)", "SigLabelText(int,QString)",
        "SigLabelTextB(QString,QString)", "SigCloseUpdate()", "SigProgress(int,int)",
        "SigBattery(bool,int,bool)", "SigAutoRepair(int)", "SigAutoRepairProgress(int)",
        "SigChangeLanguage(int)", "SigLanguageSameA(int)", "SigLanguageSameB(int)",
        "SigCloseOffOnline()", "SigSetMacroPage()", "SigStartRecord(int)", "SigUpDateButton(bool)",
        "SigMacroRename(QString,QString)", "SigSetver(int)", "SigCloseProgress()",
        "SigRGBValue(DongleRGB*)", "SigLongRangeMode(bool)", "SigForm()", "SigFormB()",
        "SigEnterKey()", "SigFormReset()", "SigHideModel(int)", "SigContinue(int)",
        "SigMouseIndex(int)", "SigUpdateStart()", "SigCheckUpdate()", "SigRepairCheckUpdate()",
        "SigSetNewVer()", "SigLightToFrom(int)", "SigButtonCheck()", "SigAllLanguage(int)"};
    const QMetaObject* mo = &PostMsg::staticMetaObject;
    QStringList actual;
    for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (m.methodType() == QMetaMethod::Signal)
            actual << QString::fromLatin1(m.methodSignature());
        else
            QCOMPARE(m.methodType(), QMetaMethod::Method);  // no slots
    }
    QCOMPARE(actual, expected);
}

void tst_PostMsg::blockingSignalWaitsForSlot_data()
{
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QString>("slot");
    QTest::addColumn<EmitFn>("emitIt");
    QTest::addColumn<QString>("expected");

    PostMsg* bus = PostMsg::GetInstance();
    FlashDataMap image{};
    image.reportRate = FlashDataMap::kRate4000;
    image.macros[15].nameLength = 7;
    g_DongleRGB->mode = 2;

    QTest::newRow("config") << "SigUpDataConfigUI(int,int,bool)" << "onIntIntBool(int,int,bool)"
                            << EmitFn([=] { bus->PostUpDataConfigUI(4, 2, true); }) << "iib 4 2 1";
    QTest::newRow("button image") << "SigUpDataLightUIButton(FlashDataMap)" << "onImage(FlashDataMap)"
                                  << EmitFn([=] { bus->PostUpDataLightUIButton(image); }) << "image 32 7";
    QTest::newRow("light image") << "SigUpDataLightLight(FlashDataMap)" << "onImage(FlashDataMap)"
                                 << EmitFn([=] { bus->PostUpDataLightLight(image); }) << "image 32 7";
    QTest::newRow("sensor image") << "SigUpDataLightSensor(FlashDataMap)" << "onImage(FlashDataMap)"
                                  << EmitFn([=] { bus->PostUpDataLightSensor(image); }) << "image 32 7";
    QTest::newRow("report rate") << "SigUpDataReportRate(int)" << "onInt(int)"
                                 << EmitFn([=] { bus->PostUpDataReportRate(16); }) << "int 16";
    QTest::newRow("dpi") << "SigUpDataDPI(int)" << "onInt(int)"
                         << EmitFn([=] { bus->PostUpDataDPI(3); }) << "int 3";
    QTest::newRow("dpi light") << "SigUpDataDPILed(FlashDataMap)" << "onImage(FlashDataMap)"
                               << EmitFn([=] { bus->PostUpDataDPILed(image); }) << "image 32 7";
    QTest::newRow("battery") << "SigBattery(bool,int,bool)" << "onBoolIntBool(bool,int,bool)"
                             << EmitFn([=] { bus->PostBattery(false, 80, true); }) << "bib 0 80 1";
    QTest::newRow("rgb") << "SigRGBValue(DongleRGB*)" << "onRgb(DongleRGB*)"
                         << EmitFn([=] { bus->PostRGBValue(g_DongleRGB); }) << "rgb 1 2";
    QTest::newRow("long range") << "SigLongRangeMode(bool)" << "onBool(bool)"
                                << EmitFn([=] { bus->PostLongRangeMode(true); }) << "bool 1";
    QTest::newRow("form") << "SigForm()" << "onVoid()" << EmitFn([=] { bus->PostForm(); }) << "void";
    QTest::newRow("form reset") << "SigFormReset()" << "onVoid()"
                                << EmitFn([=] { bus->PostFormReset(); }) << "void";
}

// The device side hands over its image copy and goes on only after the page
// slot has run on the GUI thread.
void tst_PostMsg::blockingSignalWaitsForSlot()
{
    QFETCH(QString, signal);
    QFETCH(QString, slot);
    QFETCH(EmitFn, emitIt);
    QFETCH(QString, expected);

    Receiver receiver;
    const QByteArray sig = "2" + signal.toLatin1();
    const QByteArray slt = "1" + slot.toLatin1();
    QVERIFY(QObject::connect(PostMsg::GetInstance(), sig.constData(), &receiver, slt.constData(),
                             Qt::BlockingQueuedConnection));

    Emitter emitter;
    emitter.receiver = &receiver;
    emitter.emitIt = emitIt;
    emitter.start();
    QVERIFY(QTest::qWaitFor([&] { return emitter.isFinished(); }, 5000));
    QVERIFY(emitter.slotFinishedBeforeReturn);
    QCOMPARE(receiver.got, expected);
    QCOMPARE(receiver.thread, QThread::currentThreadId());
}

void tst_PostMsg::automaticFromThreadDoesNotWait()
{
    QList<int> seen;
    QObject context;
    QVERIFY(QObject::connect(PostMsg::GetInstance(), &PostMsg::SigSetver, &context,
                             [&](int v) { seen << v; }));
    QThread* t = QThread::create([] { PostMsg::GetInstance()->PostSetver(4); });
    t->start();
    // The GUI thread does not run its event loop here: a waiting emitter would hang.
    QVERIFY(t->wait(5000));
    delete t;
    QVERIFY(seen.isEmpty());
    QTRY_COMPARE(seen, QList<int>{4});
}

void tst_PostMsg::recordOnGuiThreadArrivesAtOnce()
{
    QObject context;
    QString gotPath;
    int gotButton = -1;
    quint8 gotByte = 0;
    QObject::connect(PostMsg::GetInstance(), &PostMsg::SigSelectMouseInfo, &context,
                     [&](DeviceAllInfo info) { gotPath = info.path; });
    QObject::connect(PostMsg::GetInstance(), &PostMsg::SigButtonToMacro, &context,
                     [&](FlashDataMap image, int button) {
                         gotByte = image.buttons[button].code;
                         gotButton = button;
                     });
    DeviceAllInfo info;
    info.path = "/dev/hidsim/7";
    PostMsg::GetInstance()->PostSelectMouseInfo(info);
    FlashDataMap image{};
    image.buttons[5].code = 0x2A;
    PostMsg::GetInstance()->PostButtonToMacro(image, 5);
    QCOMPARE(gotPath, info.path);
    QCOMPARE(gotButton, 5);
    QCOMPARE(int(gotByte), 0x2A);
}

QTEST_GUILESS_MAIN(tst_PostMsg)
#include "tst_postmsg.moc"
