// Dialogs with a translucent background under a plain X server (Xvfb, no
// compositing manager): what they do not paint shows what lies below, as on a
// composited desktop, never black.
#include "XServer.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "platform/CompositingManager.h"
#include "ui/settings/Match.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPalette>
#include <QScreen>
#include <QtTest>

#include <functional>
#include <memory>

using DialogFactory = std::function<QDialog*()>;
Q_DECLARE_METATYPE(DialogFactory)

namespace {

const QRgb kBackdrop = qRgb(255, 255, 255);

// Pixels the dialog leaves unpainted that the screen does not show as the backdrop.
int darkCorners(QDialog* dialog, int* unpainted)
{
    QImage painted(dialog->size(), QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    dialog->render(&painted, QPoint(), QRegion(), QWidget::DrawChildren);
    const QPoint at = dialog->mapToGlobal(QPoint(0, 0));
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, at.x(), at.y(), dialog->width(), dialog->height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    *unpainted = 0;
    for (int y = 0; y < painted.height(); ++y) {
        for (int x = 0; x < painted.width(); ++x) {
            if (qAlpha(painted.pixel(x, y)) != 0)
                continue;
            ++*unpainted;
            if (screen.pixel(x, y) != kBackdrop)
                ++wrong;
        }
    }
    return wrong;
}

} // namespace

class tst_TranslucentDialogsX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cornersShowWhatLiesBelow_data();
    void cornersShowWhatLiesBelow();
};

void tst_TranslucentDialogsX11::initTestCase()
{
    if (!XServer::upForQt())
        QSKIP("needs Xvfb");
    if (CompositingManager::running())
        QSKIP("a compositing manager runs on this server");
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
}

void tst_TranslucentDialogsX11::cornersShowWhatLiesBelow_data()
{
    QTest::addColumn<DialogFactory>("create");
    QTest::newRow("pairing dialog") << DialogFactory([] {
        g_LinkEnabled = 0;
        g_MatchMode = 0;
        auto* match = new Match;
        match->ResetPairPage();
        return match;
    });
}

void tst_TranslucentDialogsX11::cornersShowWhatLiesBelow()
{
    QFETCH(DialogFactory, create);
    // A white window below, as a desktop or the program's own window would be.
    QWidget backdrop(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(kBackdrop));
    backdrop.setPalette(palette);
    backdrop.setAutoFillBackground(true);
    backdrop.setGeometry(QGuiApplication::primaryScreen()->geometry());
    backdrop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&backdrop));

    std::unique_ptr<QDialog> dialog(create());
    dialog->move(100, 100);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    int unpainted = 0;
    QTRY_COMPARE_WITH_TIMEOUT(darkCorners(dialog.get(), &unpainted), 0, XServer::kWaitMs);
    QVERIFY(unpainted > 0);  // the dialog has translucent parts at all
    // Hidden and shown again (the pairing dialog is run more than once) it keeps its shape.
    dialog->hide();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QTRY_COMPARE_WITH_TIMEOUT(darkCorners(dialog.get(), &unpainted), 0, XServer::kWaitMs);
}

int main(int argc, char** argv)
{
    return XServer::exec<tst_TranslucentDialogsX11>(argc, argv);
}

#include "tst_translucentdialogsx11.moc"
