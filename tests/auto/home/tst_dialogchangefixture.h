#pragma once

// Shared set-up of the device list tests: the simulated devices, the list's
// catalogue (tests/data/home/Config.ini), the language texts and a device list
// page whose first build has run.

#include "DeviceLinkFixture.h"
#include "ModalDialogDriver.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "device/DeviceChangeRelay.h"
#include "ui/home/DialogChange.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace listtest {

using hidsim::HidSimControl;

inline QString homeCatalogue()
{
    QFile file(QStringLiteral(DESKLINK_TEST_DATA_DIR) + "/home/Config.ini");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A simulated mouse on its cable (wired model unless receiverKind is given).
inline QJsonObject wiredMouse(const QString& id, int mid, const QString& usbPid = "0A01")
{
    return QJsonObject{{"id", id}, {"cid", 51}, {"mid", mid}, {"usbPid", usbPid}, {"receiverKind", 0},
                       {"firmware", "v1.3"}, {"cable", true}, {"powered", true}, {"battery", 90},
                       {"charging", false}, {"pairedTo", ""}};
}

// A mouse behind a receiver of `kind` (1, 2, 4, 8), switched on or off.
inline QJsonObject wirelessMouse(const QString& id, int mid, int kind, const QString& receiver, bool powered = true)
{
    return QJsonObject{{"id", id}, {"cid", 51}, {"mid", mid}, {"usbPid", "0A01"}, {"receiverKind", kind},
                       {"firmware", "v1.3"}, {"cable", false}, {"powered", powered}, {"battery", 60},
                       {"charging", false}, {"pairedTo", receiver}};
}

inline QJsonObject receiver(const QString& id, int kind, int mid, const QString& address = "1C0801")
{
    return QJsonObject{{"id", id}, {"kind", kind}, {"cid", 51}, {"mid", mid}, {"address", address},
                       {"firmware", "v1.3"}, {"plugged", true}};
}

inline QByteArray scenario(const QJsonArray& mice, const QJsonArray& receivers = QJsonArray())
{
    return QJsonDocument(QJsonObject{{"vendorId", "3A7C"}, {"mice", mice}, {"receivers", receivers}}).toJson();
}

class ListFixture
{
public:
    ListFixture()
    {
        // The language files beside the program; the fixture's own application
        // folder holds only the catalogue.
        AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
        LanguageTables::clear();
        LanguageTables::load();
        AppPaths::setApplicationDirOverride(QString());
    }

    bool setUp(const QByteArray& devices, const QString& catalogue = QString())
    {
        g_LanguageIndex = 0;
        g_RepairRunning = false;
        g_UpdateWarningText.clear();
        // The application folder lives as long as the test program: no images
        // of an earlier test may stay in it.
        QDir(link.appDir() + "/bin").removeRecursively();
        return link.setUp(devices, catalogue.isEmpty() ? homeCatalogue() : catalogue);
    }

    void tearDown()
    {
        page.reset();
        link.tearDown();
    }

    // Builds the page and waits for the build that the first device-change call runs.
    DialogChange* createPage()
    {
        page.reset(new DialogChange(nullptr));
        page->show();
        if (!QTest::qWaitForWindowExposed(page.get()))
            return nullptr;
        if (!QTest::qWaitFor([this] { return page->firstScanDone(); }, 5000))
            return nullptr;
        return page.get();
    }

    QStackedWidget* stack() const { return page->findChild<QStackedWidget*>("stackedWidget"); }
    QLabel* label(const QString& name) const { return page->findChild<QLabel*>(name); }
    QToolButton* toolButton(const QString& name) const { return page->findChild<QToolButton*>(name); }
    QList<QToolButton*> deviceButtons() const
    {
        QList<QToolButton*> buttons;
        for (int i = 0; i < stack()->count(); ++i) {
            for (QToolButton* b : stack()->widget(i)->findChildren<QToolButton*>()) {
                if (b->objectName().startsWith("btn"))
                    buttons.append(b);
            }
        }
        return buttons;
    }
    // Index in g_DeviceList of a simulated device; -1 when it is not listed.
    static int indexOf(const QString& simId)
    {
        const QString path = QString::fromLatin1(HidSimControl::path(simId));
        for (int i = 0; i < g_DeviceList.size(); ++i) {
            if (!path.isEmpty() && g_DeviceList.at(i).path == path)
                return i;
        }
        return -1;
    }
    QToolButton* buttonOf(const QString& simId) const
    {
        const int i = indexOf(simId);
        return i < 0 ? nullptr : page->findChild<QToolButton*>(QStringLiteral("btn%1").arg(i));
    }

    DeviceLinkFixture link;
    std::unique_ptr<DialogChange> page;
};

} // namespace listtest
