#include "core/AtomicFile.h"
#include "core/WriteQueue.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The queue of disk writes the GUI thread does not wait for.
class tst_WriteQueue : public QObject
{
    Q_OBJECT

private slots:
    void writesRunInTheOrderPosted();
    void answers_data();
    void answers();
    void writesStillQueuedAtExitAreDone();
};

void tst_WriteQueue::writesRunInTheOrderPosted()
{
    std::mutex mutex;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    // The first write waits, so that the others queue up behind it.
    auto gate = std::make_shared<QSemaphore>();
    WriteQueue::instance().post([gate] {
        gate->acquire();
        return true;
    });
    for (int i = 0; i < 50; ++i) {
        WriteQueue::instance().post([i, &mutex, &order, &threads] {
            const std::lock_guard<std::mutex> lock(mutex);
            order.push_back(i);
            threads.push_back(std::this_thread::get_id());
            return true;
        });
    }
    gate->release();
    WriteQueue::instance().drain();
    const std::lock_guard<std::mutex> lock(mutex);
    QCOMPARE(int(order.size()), 50);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(order[i], i);
    for (std::thread::id id : threads)
        QVERIFY(id != std::this_thread::get_id());
}

void tst_WriteQueue::answers_data()
{
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("contextGone");
    QTest::addColumn<bool>("answered");
    QTest::newRow("written") << true << false << true;
    QTest::newRow("not written") << false << false << true;
    QTest::newRow("asker gone meanwhile") << true << true << false;
}

// The answer comes on the GUI thread, after the write, while its asker lives.
void tst_WriteQueue::answers()
{
    QFETCH(bool, written);
    QFETCH(bool, contextGone);
    QFETCH(bool, answered);

    auto context = std::make_unique<QObject>();
    auto gate = std::make_shared<QSemaphore>();
    std::atomic<bool> wrote{false};
    int calls = 0;
    bool result = !written;
    QThread* answeredOn = nullptr;
    WriteQueue::instance().post(
        [gate, written, &wrote] {
            gate->acquire();
            wrote = true;
            return written;
        },
        context.get(),
        [&](bool w) {
            ++calls;
            result = w;
            answeredOn = QThread::currentThread();
            QVERIFY(wrote);
        });
    QCoreApplication::processEvents();
    QCOMPARE(calls, 0);
    if (contextGone)
        context.reset();
    gate->release();
    WriteQueue::instance().drain();
    QTest::qWait(50);
    QCoreApplication::processEvents();
    QCOMPARE(calls, answered ? 1 : 0);
    if (answered) {
        QCOMPARE(result, written);
        QCOMPARE(answeredOn, QCoreApplication::instance()->thread());
    }
}

// The program may end right after a write was asked for: it still reaches the
// disk, and before the application object is gone (what runs after it, the
// globals' destructors, may be cut short).
void tst_WriteQueue::writesStillQueuedAtExitAreDone()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("written");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--write-and-quit", path});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("written"));
}

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--write-and-quit") == 0) {
        const QString path = QFile::decodeName(argv[2]);
        {
            QCoreApplication app(argc, argv);
            // Still running as the application object goes.
            WriteQueue::instance().post([path] {
                QThread::msleep(200);
                return AtomicFile::write(path, "written");
            });
        }
        return QFile::exists(path) ? 0 : 3;
    }
    QCoreApplication app(argc, argv);
    tst_WriteQueue test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_writequeue.moc"
