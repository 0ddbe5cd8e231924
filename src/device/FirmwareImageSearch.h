#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// The header fields of a firmware image in the application folder's "bin", as
// far as the program reads them (the rest of the file goes to the device
// library unread).
struct FirmwareImageHeader
{
    static constexpr int kSize = 728;
    static constexpr quint8 kMouseType = 210;
    static constexpr quint8 kReceiverType = 211;

    bool valid = false;  // false for a file shorter than the header
    quint32 version = 0;
    quint8 type = 0;
    quint8 customerId = 0;
    quint8 modelId = 0;
    QString modelName;

    static FirmwareImageHeader parse(const QByteArray& file);

    // Whether the whole file is an image the device library may be given: the
    // header's mark, a payload length that is the rest of the file and a payload
    // whose CRC-32 matches the header's. False with a reason otherwise.
    static bool checkImage(const QByteArray& file, QString* reason = nullptr);
};

// The image search shared by the settings page, the update dialog and the
// device list: an image fits when its type, customer id, model id and model
// name match; it is taken when its version differs from the device's.
class FirmwareImageSearch
{
public:
    enum class Variant {
        Find,   // fills the settings page's list
        Check,  // answers only; false for an empty device version
        Repair, // fills the update dialog's list
    };

    // Runs the search; `list` (may be null for Check) is emptied at the start and
    // holds the last image taken.
    static bool run(Variant variant, quint8 type, const QString& deviceVersion,
                    const QString& modelName, quint8 customerId, quint8 modelId,
                    QList<QByteArray>* list);

    // "v" + major + "." + minor in lower-case hex, e.g. 0x010A -> "v1.a".
    static QString versionText(quint32 version);
    // The version text without any lower-case "v"; "0.0" for an empty text.
    static QString comparisonText(const QString& versionText);
    // (major, minor) of a version text "v<major>.<minor in hex>"; false when the
    // text is not one.
    static bool versionNumbers(const QString& versionText, quint32* major, quint32* minor);

    // Config.ini key of the receiver firmware's model name for a receiver kind
    // (1 "DM", 2 "D2M", 4 "D4M", 8 "D8M"); empty for any other kind.
    static QString receiverModelKey(int receiverKind);
    // Receiver kind of a connection type (0 -> 1, 4 -> 2, 1 -> 4, 5 -> 8); 0 for a
    // device that is not behind a receiver.
    static int receiverKindOf(int connectionType);
};

// The settings page's update image list: at most one image after a search; the
// device library is always given its first entry.
extern QList<QByteArray> g_UpdateImageList;

// Takes a fitting image of another version into g_UpdateImageList.
bool FindFirmwareImage(uchar type, QString version, QString modelName, uchar customerId, uchar modelId);
// The same answer without touching any list.
bool CheckFirmwareImage(uchar type, QString version, QString modelName, uchar customerId, uchar modelId);
// Whether "bin" holds an image of `type` (210 mouse, 211 receiver) for the
// current device's model whose version differs from `version`. The receiver
// image is named by the receiver kind (1, 2, 4, 8); any other kind: false.
bool HasNewerFirmware(int type, QString version, int receiverKind);
