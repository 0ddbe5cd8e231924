#include "device/UpdateRecords.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

#include <optional>

// The firmware update's failure record: one record, naming one device, that no
// transfer of another device runs under or writes over.
class tst_UpdateRecords : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void records_data();
    void records();
    void aRecordForATransferThatNeverStartsIsTakenBack_data();
    void aRecordForATransferThatNeverStartsIsTakenBack();
};

using Record = UpdateRecords::TransferRecord;
Q_DECLARE_METATYPE(UpdateRecords::TransferRecord)

namespace {
const QString kReceiver = QStringLiteral("211,4,51,11");  // the 4K receiver of model 11

UpdateRecords::Failure receiver()
{
    return UpdateRecords::device(211, 4, 51, 11);
}

void putRecord(const QString& text)
{
    if (text.isEmpty())
        Registry::remove(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo");
    else
        Registry::setValue(Registry::mouseDriveTestKeyPath(), "UpdateFailInfo", text);
}
}  // namespace

void tst_UpdateRecords::init()
{
    putRecord(QString());
}

void tst_UpdateRecords::records_data()
{
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<Record>("beforeTransfer");  // the answer before a transfer of the receiver
    QTest::addColumn<QString>("afterFailure");   // the record once that transfer failed

    QTest::newRow("none") << "" << Record::Written << kReceiver;
    QTest::newRow("this receiver") << kReceiver << Record::HeldAlready << kReceiver;
    QTest::newRow("the mouse of the same pair") << "210,4,51,11" << Record::OtherDevice << "210,4,51,11";
    QTest::newRow("the receiver of another model") << "211,4,51,8" << Record::OtherDevice << "211,4,51,8";
    QTest::newRow("the same model's 8K receiver") << "211,8,51,11" << Record::OtherDevice << "211,8,51,11";
    // Its readers take it for none: it makes way for a record they accept.
    QTest::newRow("text that is no record") << "211,4,51" << Record::Written << kReceiver;
}

// A transfer runs only under a record naming its own device, and a failure
// names its device only where no other device's record is: a record of another
// device stays, so that device's repair is not taken away.
void tst_UpdateRecords::records()
{
    QFETCH(QString, onDisk);
    QFETCH(Record, beforeTransfer);
    QFETCH(QString, afterFailure);

    putRecord(onDisk);
    QObject asker;
    std::optional<Record> answer;
    UpdateRecords::writeFailureBeforeTransfer(receiver(), &asker, [&](Record record) { answer = record; });
    QTRY_VERIFY(answer.has_value());
    QCOMPARE(*answer, beforeTransfer);
    const QString held = beforeTransfer == Record::OtherDevice ? onDisk : kReceiver;
    QCOMPARE(UpdateRecords::failure(), held);

    putRecord(onDisk);
    UpdateRecords::writeFailure(receiver());
    QCOMPARE(UpdateRecords::failure(), afterFailure);
}

void tst_UpdateRecords::aRecordForATransferThatNeverStartsIsTakenBack_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("its asker goes before the answer") << "asker";
    QTest::newRow("the program ends before the answer") << "program";
}

// A record written for a transfer that then never starts would have the device
// list offer the repair of a device nobody touched.
void tst_UpdateRecords::aRecordForATransferThatNeverStartsIsTakenBack()
{
    QFETCH(QString, how);

    if (how == "asker") {
        auto asker = std::make_unique<QObject>();
        bool answered = false;
        UpdateRecords::writeFailureBeforeTransfer(receiver(), asker.get(), [&](Record) { answered = true; });
        asker.reset();
        QTest::qWait(100);
        QVERIFY(!answered);
    } else {
        // The answer would come through the event loop, which has ended.
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--record-then-quit"});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }
    QCOMPARE(UpdateRecords::failure(), QString());
}

int main(int argc, char** argv)
{
    if (argc == 2 && qstrcmp(argv[1], "--record-then-quit") == 0) {
        QCoreApplication app(argc, argv);
        QObject asker;
        UpdateRecords::writeFailureBeforeTransfer(receiver(), &asker, [](Record) {
            // Nothing runs the event loop: this is never reached.
            std::abort();
        });
        return 0;
    }
    QCoreApplication app(argc, argv);
    tst_UpdateRecords test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updaterecords.moc"
