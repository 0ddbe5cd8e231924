// The save dialog of the exports and the name its answer stands for.

#include "ModalDialogDriver.h"

#include "ui/common/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

class tst_FileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void extensionAdded_data();
    void extensionAdded();
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
    QTest::newRow("another extension is the person's") << "/h/m8.config" << bin << "/h/m8.config";
    QTest::newRow("a dot in the folder only") << "/h/my.files/m8-config" << bin << "/h/my.files/m8-config.bin";
    QTest::newRow("macro exchange file") << "/h/combo" << "File(*.ini)" << "/h/combo.ini";
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

// The dialog itself adds it, so that its question before replacing a file
// would concern the file that is then written.
void tst_FileDialogs::dialogAnswersWithTheExtension()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ModalDialogDriver driver;
    bool typed = false;
    driver.expect("QFileDialog", [&](QWidget* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        typed = dialog && name;
        if (!typed) {
            d->close();
            return;
        }
        dialog->setDirectory(dir.path());
        name->setText("m8-config");
        static_cast<QDialog*>(dialog)->accept();  // the dialog's own checks run, as for its Save button
    });
    const QString answer = FileDialogs::saveFileName(nullptr, "FileSave", "File(*.bin)");
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(typed);
    QCOMPARE(answer, QDir(dir.path()).filePath("m8-config.bin"));
}

QTEST_MAIN(tst_FileDialogs)
#include "tst_filedialogs.moc"
