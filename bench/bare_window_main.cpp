// The floor for any Qt Widgets program here: one frameless 1020 x 700 window
// showing one picture. It reports when its first frame is on the screen and
// its peak memory at that moment, then ends.
#include "FrameProbe.h"
#include "ProbeOutput.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    FrameProbe::onFirstFrame(QSize(1020, 700), [](qint64 ns) {
        ProbeOutput::say("frame " + QByteArray::number(ns));
        ProbeOutput::say("hwm " + QByteArray::number(ProbeOutput::peakResidentKb()));
        QCoreApplication::quit();
    });

    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setFixedSize(1020, 700);
    auto* picture = new QLabel(&window);
    picture->setGeometry(0, 0, 1020, 700);
    picture->setPixmap(QPixmap(qEnvironmentVariable("DESKLINK_BENCH_PICTURE")));
    window.show();
    return app.exec();
}
