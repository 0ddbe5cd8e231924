#include "ui/home/MyToolButton.h"

#include <QSignalSpy>
#include <QtTest>

// The button acts on the press and tells a double-click apart: the button page
// relies on clicked(true) meaning "double-click" and on nothing at release.
class tst_MyToolButton : public QObject
{
    Q_OBJECT

private slots:
    void pressAndDoubleClick_data();
    void pressAndDoubleClick();
};

void tst_MyToolButton::pressAndDoubleClick_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QVariantList>("clicks");
    QTest::addColumn<bool>("checked");

    QTest::newRow("left: press, then double-click") << int(Qt::LeftButton) << QVariantList{false, true} << true;
    QTest::newRow("right does nothing") << int(Qt::RightButton) << QVariantList{} << false;
    QTest::newRow("middle does nothing") << int(Qt::MiddleButton) << QVariantList{} << false;
}

void tst_MyToolButton::pressAndDoubleClick()
{
    QFETCH(int, button);
    QFETCH(QVariantList, clicks);
    QFETCH(bool, checked);

    QWidget parent;
    auto* tool = new MyToolButton(&parent);
    tool->setCheckable(true);
    tool->resize(40, 20);
    QSignalSpy clicked(tool, &QAbstractButton::clicked);
    QSignalSpy pressed(tool, &QAbstractButton::pressed);
    QSignalSpy released(tool, &QAbstractButton::released);
    const auto b = Qt::MouseButton(button);
    const QPoint at(10, 10);

    // A real double-click: press, release, double-click event, release.
    QTest::mousePress(tool, b, Qt::NoModifier, at);
    QTest::mouseRelease(tool, b, Qt::NoModifier, at);
    QTest::mouseDClick(tool, b, Qt::NoModifier, at);
    QTest::mouseRelease(tool, b, Qt::NoModifier, at);

    QVariantList got;
    for (const QList<QVariant>& args : clicked)
        got << args.at(0);
    QCOMPARE(got, clicks);
    QCOMPARE(tool->isChecked(), checked);
    QCOMPARE(tool->isDown(), false);
    QCOMPARE(pressed.count(), 0);
    QCOMPARE(released.count(), 0);
}

QTEST_MAIN(tst_MyToolButton)
#include "tst_mytoolbutton.moc"
