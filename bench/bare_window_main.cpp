// The floor for any Qt Widgets program here: one frameless 1020 x 700 window
// showing one picture. It reports the same start-up phases as the program's
// driver, and its peak memory once its first frame is on the screen, then ends.
#include "FrameProbe.h"
#include "ProbeOutput.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace {
class Window : public QWidget
{
public:
    Window()
        : QWidget(nullptr, Qt::FramelessWindowHint)
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        ProbeOutput::say("shown " + QByteArray::number(ProbeOutput::nowNs()));
        QWidget::showEvent(event);
    }
};
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ProbeOutput::say("app " + QByteArray::number(ProbeOutput::nowNs()));

    FrameProbe::onFirstFrame(QSize(1020, 700), [](qint64 ns) {
        ProbeOutput::say("frame " + QByteArray::number(ns));
        ProbeOutput::say("hwm " + QByteArray::number(ProbeOutput::peakResidentKb()));
        QCoreApplication::quit();
    });

    Window window;
    window.setFixedSize(1020, 700);
    auto* picture = new QLabel(&window);
    picture->setGeometry(0, 0, 1020, 700);
    picture->setPixmap(QPixmap(qEnvironmentVariable("DESKLINK_BENCH_PICTURE")));
    window.show();
    return app.exec();
}
