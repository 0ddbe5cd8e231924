#pragma once

#include "device/DeviceAllInfo.h"
#include "device/FlashDataMap.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The configuration exchange file: three blocks, each a 32-bit big-endian
// length followed by its bytes (the magic, the sensor name, the whole image).
//
// Magic block (12 bytes): "Vemlo", a zero byte, then the id mark 1 and the
// customer and model ids of the device the image came from; zeros elsewhere.
// Files without the mark carry no ids and are not checked for them.
class ConfigurationFile
{
public:
    static constexpr int kTextBlockSize = 12;
    static constexpr int kFileSize = 3 * 4 + 2 * kTextBlockSize + FlashDataMap::kSize;  // 10464

    // What the reader reports; the values are those the import notice tells apart.
    enum Result {
        Accepted = 0,
        NotAConfiguration = 1,  // unreadable, wrong magic or wrong block lengths
        DoesNotFit = 2,         // another sensor or model, or stages the model lacks
    };

    // The device a file is written for or checked against.
    struct Model
    {
        QString sensor;     // Config.ini "Sensor" of the model
        int maxStages = 0;  // "DPIMaxGrade", cut to the image's 0..8
        quint8 cid = 0;
        quint8 mid = 0;
    };

    // The model of the current device (catalogue group and ids).
    static Model currentModel();

    static QByteArray encode(const FlashDataMap& image, const Model& model);
    // Replaces the file atomically: a failed write leaves an existing file whole.
    // False with a reason when nothing was written.
    static bool write(const QString& path, const FlashDataMap& image, const Model& model,
                      QString* error = nullptr);

    // Checks the bytes of a file; *out is written only when the file is accepted.
    static Result decode(const QByteArray& bytes, const Model& model, FlashDataMap* out);
    static Result read(const QString& path, const Model& model, FlashDataMap* out);

    // Whether every field the pages show holds a value the device's model
    // offers: the cache's range check, the report rate of the device's
    // connection, the model's button mappings and the lights. A file may hold anything; the mouse would take values the pages
    // cannot show.
    static bool fieldsOffered(const FlashDataMap& image, const DeviceAllInfo& device);
};
