// The save dialog of the exports and the name its answer stands for.

#include "ModalDialogDriver.h"

#include "ui/common/FileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>

class tst_FileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void extensionAdded_data();
    void extensionAdded();
    void dialogAnswersWithTheExtension_data();
    void dialogAnswersWithTheExtension();
};

void tst_FileDialogs::extensionAdded_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("saved");

    const QString bin = "File(*.bin)";
    QTest::newRow("typed without one") << "/h/m8-config" << bin << "/h/m8-config.bin";
    QTest::newRow("typed with it") << "/h/m8-config.bin" << bin << "/h/m8-config.bin";
    QTest::newRow("typed with it in capitals") << "/h/m8-config.BIN" << bin << "/h/m8-config.BIN";
    QTest::newRow("a dot of the name's own") << "/h/team.v2" << bin << "/h/team.v2.bin";
    QTest::newRow("another extension") << "/h/m8.config" << bin << "/h/m8.config.bin";
    QTest::newRow("ends with the letters only") << "/h/cabin" << bin << "/h/cabin.bin";
    QTest::newRow("a dot in the folder only") << "/h/my.files/m8-config" << bin << "/h/my.files/m8-config.bin";
    QTest::newRow("macro exchange file") << "/h/combo" << "File(*.ini)" << "/h/combo.ini";
    QTest::newRow("macro exchange file, a dot of its own") << "/h/v1.2" << "File(*.ini)" << "/h/v1.2.ini";
    QTest::newRow("nothing chosen") << "" << bin << "";
    QTest::newRow("a filter without extension") << "/h/m8-config" << "All(*)" << "/h/m8-config";
}

void tst_FileDialogs::extensionAdded()
{
    QFETCH(QString, chosen);
    QFETCH(QString, filter);
    QFETCH(QString, saved);
    QCOMPARE(FileDialogs::withFilterExtension(chosen, filter), saved);
}

void tst_FileDialogs::dialogAnswersWithTheExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("present");  // the file with the extension is there already
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "m8-config" << false << "m8-config.bin";
    QTest::newRow("a dot of the name's own") << "team.v2" << false << "team.v2.bin";
    QTest::newRow("a dot of the name's own, file there") << "team.v2" << true << "team.v2.bin";
}

// The dialog itself adds it, so that its question before replacing a file
// concerns the file that is then written.
void tst_FileDialogs::dialogAnswersWithTheExtension()
{
    QFETCH(QString, typed);
    QFETCH(bool, present);
    QFETCH(QString, saved);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (present) {
        QFile old(dir.filePath(saved));
        QVERIFY(old.open(QIODevice::WriteOnly));
    }
    ModalDialogDriver driver;
    bool found = false;
    QString asked;
    driver.expect("QFileDialog", [&](QWidget* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        found = dialog && name;
        if (!found) {
            d->close();
            return;
        }
        dialog->setDirectory(dir.path());
        name->setText(typed);
        // The question before replacing a file runs inside the accept: answer it there.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                box->button(QMessageBox::Yes)->click();
            }
        });
        answer.start(10);
        static_cast<QDialog*>(dialog)->accept();  // the dialog's own checks run, as for its Save button
    });
    const QString answer = FileDialogs::saveFileName(nullptr, "FileSave", "File(*.bin)");
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(found);
    QCOMPARE(answer, QDir(dir.path()).filePath(saved));
    QCOMPARE(asked.contains(saved), present);
}

QTEST_MAIN(tst_FileDialogs)
#include "tst_filedialogs.moc"
