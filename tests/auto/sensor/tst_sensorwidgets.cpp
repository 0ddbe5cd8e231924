#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/MySlider.h"

#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QtTest>

namespace {

// Records, at the moment the slider's notice arrives, what value it shows.
class NoticeRecorder : public QObject
{
public:
    explicit NoticeRecorder(MySlider* slider) : m_slider(slider) {}
    QList<int> valuesAtNotice;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == MySlider::kPressedEventType)
            valuesAtNotice.append(m_slider->value());
        return QObject::eventFilter(watched, event);
    }

private:
    MySlider* m_slider;
};

} // namespace

class tst_SensorWidgets : public QObject
{
    Q_OBJECT

private slots:
    void sliderPressPosition_data();
    void sliderPressPosition();
    void sliderNoticeFollowsTheValue();
    void sliderWithoutParent();
    void comboRemembersIndexAtPress();
    void comboIndexItDoesNotHave();
};

void tst_SensorWidgets::sliderPressPosition_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("expected");

    QTest::newRow("left edge") << 50 << 32000 << 0 << 50;
    QTest::newRow("middle") << 50 << 32000 << 100 << 16025;
    QTest::newRow("right edge stays below the maximum") << 50 << 32000 << 199 << 31840;
    QTest::newRow("truncated") << 0 << 10 << 199 << 9;
}

void tst_SensorWidgets::sliderPressPosition()
{
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, x);
    QFETCH(int, expected);

    QWidget parent;
    MySlider slider(&parent);
    slider.setOrientation(Qt::Horizontal);
    slider.setRange(minimum, maximum);
    slider.setTracking(false);
    slider.setGeometry(0, 0, 200, 25);
    QTest::mouseClick(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(x, 12));
    QCOMPARE(slider.value(), expected);
}

void tst_SensorWidgets::sliderNoticeFollowsTheValue()
{
    QWidget parent;
    auto* slider = new MySlider(&parent);
    slider->setOrientation(Qt::Horizontal);
    slider->setRange(50, 32000);
    slider->setValue(16025);
    slider->setTracking(false);
    slider->setGeometry(0, 0, 200, 25);
    parent.resize(200, 25);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    NoticeRecorder recorder(slider);
    parent.installEventFilter(&recorder);
    QSignalSpy changed(slider, &QSlider::valueChanged);

    // On the groove, far from the handle.
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(10, 12));
    const int groove = 50 + static_cast<int>(31950.0 * 10 / 200);
    QCOMPARE(recorder.valuesAtNotice, QList<int>{ groove });
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toInt(), groove);

    // On the handle: the value still moves to the pressed point first.
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = Qt::Horizontal;
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const QPoint onHandle = handle.center();
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, onHandle);
    const int expected = 50 + static_cast<int>(31950.0 * onHandle.x() / 200);
    QCOMPARE(recorder.valuesAtNotice.size(), 2);
    QCOMPARE(recorder.valuesAtNotice.last(), expected);
    QCOMPARE(slider->value(), expected);
}

void tst_SensorWidgets::sliderWithoutParent()
{
    MySlider slider;
    slider.setOrientation(Qt::Horizontal);
    slider.setRange(0, 100);
    slider.resize(100, 20);
    QTest::mouseClick(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    QCOMPARE(slider.value(), 50);

    // A slider never laid out has no width to measure against.
    MySlider unsized;
    unsized.setGeometry(0, 0, 0, 0);
    unsized.setValue(7);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(0, 0), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&unsized, &press);
    QCOMPARE(unsized.value(), 7);
}

void tst_SensorWidgets::comboRemembersIndexAtPress()
{
    MyConmboBox box;
    QCOMPARE(box.pressIndex, 0);
    box.addItems({ "a", "b", "c" });
    box.setCurrentIndex(2);
    box.resize(120, 24);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));

    QTest::mousePress(&box, Qt::LeftButton, Qt::NoModifier, QPoint(20, 12));
    QCOMPARE(box.pressIndex, 2);
    // A choice made in the opened list does not touch the remembered index.
    box.setCurrentIndex(0);
    box.hidePopup();
    QCOMPARE(box.pressIndex, 2);
}

void tst_SensorWidgets::comboIndexItDoesNotHave()
{
    MyConmboBox box;
    box.addItems({ "Corded", "HP", "LP" });
    box.resize(120, 24);
    QSignalSpy changed(&box, QOverload<int>::of(&QComboBox::currentIndexChanged));

    box.setCurrentIndex(5);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), -1);
    QCOMPARE(box.currentIndex(), -1);

    // Painting with no current entry, and in both looks, must work.
    QVERIFY(!box.grab().isNull());
    box.setCurrentIndex(1);
    QVERIFY(!box.grab().isNull());
    box.setEditable(true);
    QVERIFY(!box.grab().isNull());
}

QTEST_MAIN(tst_SensorWidgets)
#include "tst_sensorwidgets.moc"
