#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <string>

// The virtual devices as the scenario file describes them: mice and receivers
// with their physical state. Pure data; the simulator gives it behaviour.
class World
{
public:
    struct Mouse
    {
        QString id;
        int cid = 51;
        int mid = 0;
        QString usbPid = "0A01";  // product id on its cable
        int receiverKind = 0;     // 1, 2, 4, 8: receiver kind it pairs with; 0 wired model
        int firmware = 0x0103;    // major << 8 | minor
        bool cable = false;       // plugged in by its cable
        bool powered = true;      // power switch (matters without cable)
        int battery = 100;        // percent
        bool charging = false;
        QString pairedTo;         // receiver id
        bool pairing = false;     // in pairing mode, waiting for a receiver
        bool bootLoader = false;
        int dpiPresses = 0;       // button presses, counted so that other processes see them
        int ratePresses = 0;
        int lightPresses = 0;
        int profileSwitches = 0;  // profile changes made at the mouse (hidsimctl profile)

        QString modelName() const;
        int batteryMillivolts() const;
    };

    struct Receiver
    {
        QString id;
        int kind = 1;  // 1, 2, 4, 8
        int cid = 51;
        int mid = 0;   // model it belongs to
        unsigned char address[3] = {0, 0, 0};
        int firmware = 0x0103;
        bool plugged = true;
        int lightMode = 1;
        bool longRange = false;
        bool bootLoader = false;

        QString modelName() const;
        QString pid() const;
        int connectionType() const;
        int intervalUs() const;
    };

    QString vendorId = "3A7C";
    // The next firmware transfer fails when it reaches this percent; -1 none.
    int failUpdateAt = -1;
    QVector<Mouse> mice;
    QVector<Receiver> receivers;

    static bool fromJson(const QByteArray& json, World* world, QString* error);
    QByteArray toJson() const;

    Mouse* mouse(const QString& id);
    const Mouse* mouse(const QString& id) const;
    // The mouse, or null with *error saying that there is none of that id.
    Mouse* mouse(const QString& id, QString* error);
    Receiver* receiver(const QString& id);
    const Receiver* receiver(const QString& id) const;
    // The mouse paired with this receiver, if any.
    const Mouse* pairedMouse(const Receiver& r) const;

    std::string cablePath(const Mouse& m) const;
    std::string receiverPath(const Receiver& r) const;

    static int connectionTypeOfKind(int kind);
    static QString versionText(int word);
    static bool parseVersion(const QString& text, int* word);
};
