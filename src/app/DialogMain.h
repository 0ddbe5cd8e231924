#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

class Dialog;
class DialogChange;
class MouseOffLine;
class QAction;
class QFrame;
class QMenu;
class QStackedWidget;

// The program's only top-level window: frameless, 1020 x 700, hosting the
// device list (stack index 0) and the device home page (index 1). It switches
// between them on request, hides into the tray (or, on a desktop without one,
// minimises) or closes the program, shows
// the offline notice, can be dragged with the mouse and offers the Space,
// Return and Enter shortcuts. Created once and never deleted.
//
// Closing a notice while the window is hidden in the tray must not end the
// program, so the application does not quit when its last window closes: the
// window's own close and the tray's exit end it.
//
// The home page (with its five configuration pages) is hidden at start and
// costs more to build than everything the first frame shows, so it is built
// right after that frame; any user input, a switch to it or homePage() that
// comes earlier builds it first, so that its bus connections exist before a
// device can be opened.
class DialogMain : public QDialog
{
    Q_OBJECT

public:
    explicit DialogMain(QWidget* parent = nullptr);
    ~DialogMain() override;

    // Waits `ms` (through the timing seam) while keeping the GUI alive.
    static void Delay(int ms);

    DialogChange* listPage() const { return m_dialogChange; }
    // Builds the home page when it does not exist yet.
    Dialog* homePage();
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }
    QMenu* trayMenu() const { return m_trayMenu; }

    // Tests only: replaces the immediate process end of the tray's exit.
    static void setExitFunctionForTests(std::function<void(int)> exitFunction);
    // Tests only: replaces the desktop's answer whether it has a tray (an empty
    // function restores it).
    static void setTrayAvailabilityForTests(std::function<bool()> available);

public slots:
    void SlotChangeMainDialog(int page);
    void SlotChangeSize(int action);
    void SlotMouseOffLine(int kind);
    void SlotUpPageLight();
    void on_activatedSysTrayIcon(QSystemTrayIcon::ActivationReason reason);
    void slotActionMain();
    void slotActionExitApp();
    void SlotAllLanguage(int language);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildForm();
    void buildHomePage();
    void takeOverInstalledLanguage();
    void goToTray();
    void restoreFromTray(bool tellDevice);
    void spaceShortcut();
    void runPairing(int matchMode);
    bool homePageShown() const;

    QMenu* m_trayMenu = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QAction* m_restoreAction = nullptr;
    QAction* m_exitAction = nullptr;

    QFrame* m_frame = nullptr;
    QStackedWidget* m_stackedWidgetMain = nullptr;

    QPoint m_dragOffset;
    QPoint m_pressGlobal;
    QPoint m_windowAtPress;

    DialogChange* m_dialogChange = nullptr;
    QString m_pictureFolder;
    Dialog* m_dialog = nullptr;
    bool m_homePageQueued = false;
    QString m_restoreText;
    QString m_exitText;
    // Minimised (not hidden) for want of a tray; cleared once it is restored.
    bool m_minimisedWithoutTray = false;

    // The offline notice while it is open: a second report does not stack another.
    QPointer<MouseOffLine> m_offlineNotice;
};
