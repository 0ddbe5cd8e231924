// The already-running notice under a plain X server (Xvfb, no window manager):
// a second copy started together with the first shows its notice before the
// first copy's window appears. Nothing there stacks the notice above that
// later window, and a notice nobody sees would wait for ever.
#include "XServer.h"

#include "core/AppPaths.h"
#include "ui/settings/ExeIsRun.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QScreen>
#include <QtTest>

namespace {

const QRgb kCover = qRgb(255, 0, 255);

// Pixels of the notice's place on the screen that show the window opened after it.
int coveredPixels(const QWidget& notice)
{
    const QPoint at = notice.mapToGlobal(QPoint(0, 0));
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, at.x(), at.y(), notice.width(), notice.height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    int covered = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            covered += screen.pixel(x, y) == kCover;
    return covered;
}

} // namespace

class tst_ExeIsRunX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void staysAboveAWindowOpenedLater_data();
    void staysAboveAWindowOpenedLater();
};

void tst_ExeIsRunX11::initTestCase()
{
    if (!XServer::upForQt())
        QSKIP("needs Xvfb");
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
}

void tst_ExeIsRunX11::staysAboveAWindowOpenedLater_data()
{
    QTest::addColumn<int>("coverFlags");
    // The top window is frameless; a bypassing window is mapped above all others as well.
    QTest::newRow("the first copy's window") << int(Qt::FramelessWindowHint);
    QTest::newRow("a window bypassing the window manager")
        << int(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
}

void tst_ExeIsRunX11::staysAboveAWindowOpenedLater()
{
    QFETCH(int, coverFlags);
    ExeIsRun notice;
    notice.move(200, 200);
    notice.show();
    QVERIFY(QTest::qWaitForWindowExposed(&notice));

    QWidget cover(nullptr, Qt::WindowFlags(coverFlags));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(kCover));
    cover.setPalette(palette);
    cover.setAutoFillBackground(true);
    cover.setGeometry(100, 100, 800, 600);
    cover.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cover));
    QVERIFY(notice.isVisible());

    QTRY_COMPARE_WITH_TIMEOUT(coveredPixels(notice), 0, XServer::kWaitMs);
}

int main(int argc, char** argv)
{
    return XServer::exec<tst_ExeIsRunX11>(argc, argv);
}

#include "tst_exeisrunx11.moc"
