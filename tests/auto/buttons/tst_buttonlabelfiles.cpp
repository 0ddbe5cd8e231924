// The per-button label files: which function text the first line puts on which
// selector, and where it scrolls the function list and its sub-lists. The page
// is a stand-in with the button page's object names.

#include "TestHome.h"

#include "ui/buttons/ButtonLabelFiles.h"

#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWidget>
#include <QtTest>

#include <memory>

namespace {

const QStringList kSelectors = {"FireKey", "RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic"};
const QStringList kFunctions = {
    "LeftKey_3", "RightKey_3", "MidKey", "BackKey_2", "ForWardKey", "DPI_2", "DPI_3", "DPI_6", "DPI_8", "DPI_5",
    "VolumeUp_2", "VolumeDown_2", "VolumeUp_4", "VolumeUp_5", "VolumeUp_6", "VolumeUp_7", "VolumeUp_8",
    "VolumeUp_9", "VolumeUp_10", "Player", "StartPause_2", "BackMusic_2", "TopMusic_2", "Mute", "VolumeUp",
    "VolumeDown", "VolumeDown_4", "VolumeDown_5", "VolumeDown_6", "VolumeDown_3", "VolumeDown_8",
    "VolumeDown_9", "VolumeDown_7", "VolumeDown_10", "VolumeDown_12", "VolumeDown_13", "VolumeDown_11",
    "VolumeUp_11", "VolumeUp_12", "VolumeUp_13", "VolumeUp_16", "VolumeUp_15", "VolumeUp_19", "VolumeUp_20",
    "VolumeUp_22", "VolumeUp_18", "VolumeUp_24", "VolumeUp_23", "VolumeUp_21"};
const QStringList kAreas = {"scrollArea_4", "scrollArea_3", "scrollArea_10"};
constexpr int kStartPosition = 7;

// Selectors labelled "was <name>", function buttons "<name> text", and the three
// lists, each far taller than its view and scrolled a little.
std::unique_ptr<QWidget> standInPage()
{
    auto page = std::make_unique<QWidget>();
    for (const QString& name : kSelectors + kFunctions) {
        auto* b = new QToolButton(page.get());
        b->setObjectName(name);
        b->setText(kSelectors.contains(name) ? "was " + name : name + " text");
    }
    for (const QString& name : kAreas) {
        auto* area = new QScrollArea(page.get());
        area->setObjectName(name);
        area->resize(100, 100);
        auto* content = new QWidget;
        content->resize(80, 100000);
        area->setWidget(content);
        area->verticalScrollBar()->setSliderPosition(kStartPosition);
    }
    return page;
}

int position(QWidget* page, const QString& area)
{
    return page->findChild<QScrollArea*>(area)->verticalScrollBar()->sliderPosition();
}

QString label(QWidget* page, const QString& selector)
{
    return page->findChild<QToolButton*>(selector)->text();
}

} // namespace

class tst_ButtonLabelFiles : public QObject
{
    Q_OBJECT

private slots:
    void firstLineSetsLabelAndScrolls_data();
    void firstLineSetsLabelAndScrolls();
    void onlyButtonsTwoToSix();

private:
    TestHome m_home;
};

void tst_ButtonLabelFiles::firstLineSetsLabelAndScrolls_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("file");     // "-" = no file
    QTest::addColumn<QString>("function");    // whose text the selector takes; "" = unchanged
    QTest::addColumn<int>("list");            // scrollArea_4 afterwards
    QTest::addColumn<int>("multimedia");      // scrollArea_3
    QTest::addColumn<int>("dpiLock");         // scrollArea_10

    const int s = kStartPosition;
    QTest::newRow("mute on button 2") << 2 << QByteArray("14,5\n") << "VolumeUp" << 210 << 75 << s;
    QTest::newRow("fire key on button 6") << 6 << QByteArray("7") << "DPI_6" << 105 << s << s;
    QTest::newRow("400 DPI lock on button 3") << 3 << QByteArray("15,3\n") << "VolumeUp_16" << 225 << s << 45;
    QTest::newRow("first index") << 4 << QByteArray("0\n") << "LeftKey_3" << 0 << s << s;
    QTest::newRow("last index") << 5 << QByteArray("9\n") << "DPI_5" << 135 << s << s;
    QTest::newRow("index beyond the list scrolls only") << 2 << QByteArray("12\n") << "" << 180 << s << s;
    QTest::newRow("horizontal scroll") << 3 << QByteArray("10,1") << "VolumeDown_2" << 150 << s << s;
    QTest::newRow("horizontal scroll, unknown code") << 3 << QByteArray("10,2") << "" << 150 << s << s;
    QTest::newRow("kind without labels") << 4 << QByteArray("11,0") << "" << 165 << s << s;
    QTest::newRow("lights") << 5 << QByteArray("12,3") << "VolumeUp_7" << 180 << s << s;
    QTest::newRow("DPI switch") << 6 << QByteArray("13,2") << "VolumeUp_10" << 195 << s << s;
    QTest::newRow("last multimedia key") << 2 << QByteArray("14,17") << "VolumeDown_11" << 210 << 255 << s;
    QTest::newRow("multimedia code beyond the list") << 2 << QByteArray("14,20") << "" << 210 << 300 << s;
    QTest::newRow("last DPI lock") << 3 << QByteArray("15,11") << "VolumeUp_21" << 225 << s << 165;
    QTest::newRow("index with a trailing comma is kind 3") << 4 << QByteArray("3,") << "" << 45 << s << s;
    QTest::newRow("letters read as index 0") << 5 << QByteArray("abc\n") << "LeftKey_3" << 0 << s << s;
    QTest::newRow("only the first line counts") << 6 << QByteArray("5\n14,5\n") << "DPI_2" << 75 << s << s;
    QTest::newRow("Windows line end") << 2 << QByteArray("8\r\n") << "DPI_8" << 120 << s << s;
    QTest::newRow("negative index stays at the top") << 2 << QByteArray("-4") << "" << 0 << s << s;
    QTest::newRow("huge index does not overflow") << 2 << QByteArray("2000000000") << "" << -1 << s << s;
    QTest::newRow("three items change nothing") << 2 << QByteArray("14,5,1") << "" << s << s << s;
    QTest::newRow("empty first line changes nothing") << 3 << QByteArray("\n7\n") << "" << s << s << s;
    QTest::newRow("empty file changes nothing") << 4 << QByteArray("") << "" << s << s << s;
    QTest::newRow("no file changes nothing") << 5 << QByteArray("-") << "" << s << s << s;
}

void tst_ButtonLabelFiles::firstLineSetsLabelAndScrolls()
{
    QFETCH(int, button);
    QFETCH(QByteArray, file);
    QFETCH(QString, function);
    QFETCH(int, list);
    QFETCH(int, multimedia);
    QFETCH(int, dpiLock);

    const QString folder = ButtonLabelFiles::folder();
    QVERIFY(folder.startsWith(m_home.path() + "/AppData/Local/"));
    QVERIFY(folder.endsWith("/usersetting/MainPage"));
    QVERIFY(QDir().mkpath(folder));
    for (int n = 2; n <= 6; ++n)
        QFile::remove(folder + QString("/%1.ini").arg(n));
    if (file != "-") {
        QFile f(folder + QString("/%1.ini").arg(button));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    // Another button's file must not be read for this one.
    {
        QFile other(folder + QString("/%1.ini").arg(button == 2 ? 3 : 2));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("14,0\n");
    }

    auto page = standInPage();
    ButtonLabelFiles::LoadButtonIni(page.get(), button);

    for (int n = 1; n <= 6; ++n) {
        const QString selector = kSelectors.at(n - 1);
        const QString expected = n == button && !function.isEmpty() ? function + " text" : "was " + selector;
        QCOMPARE(label(page.get(), selector), expected);
    }
    const int listMax = page->findChild<QScrollArea*>("scrollArea_4")->verticalScrollBar()->maximum();
    QCOMPARE(position(page.get(), "scrollArea_4"), list < 0 ? listMax : list);
    QCOMPARE(position(page.get(), "scrollArea_3"), multimedia);
    QCOMPARE(position(page.get(), "scrollArea_10"), dpiLock);
    // Nothing is checked or switched by a label file.
    for (QToolButton* b : page->findChildren<QToolButton*>())
        QVERIFY(!b->isChecked());
}

void tst_ButtonLabelFiles::onlyButtonsTwoToSix()
{
    const QString folder = ButtonLabelFiles::folder();
    QVERIFY(QDir().mkpath(folder));
    for (const QString& name : {QString("1.ini"), QString("7.ini")}) {
        QFile f(folder + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("4\n");
    }
    auto page = standInPage();
    for (int n : {1, 7, 0, -2})
        ButtonLabelFiles::LoadButtonIni(page.get(), n);
    ButtonLabelFiles::LoadButtonIni(nullptr, 2);
    for (const QString& selector : kSelectors)
        QCOMPARE(label(page.get(), selector), "was " + selector);
    QCOMPARE(position(page.get(), "scrollArea_4"), kStartPosition);
}

QTEST_MAIN(tst_ButtonLabelFiles)
#include "tst_buttonlabelfiles.moc"
