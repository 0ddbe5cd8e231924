#pragma once

#include "ui/macro/MacroRow.h"

#include <QString>
#include <QVector>

struct MacroRecord;

// A macro's rows and the device's 592-byte macro record, both ways. A record
// holds the name (at most 30 bytes of device text) and at most 70 events;
// each key row is one event and the pause after it is that event's delay.
class MacroRecordCodec
{
public:
    enum class Result {
        Ok,
        TooManyEvents,  // more key rows than the record holds; nothing built
    };

    // Builds `record` from a name and the rows of a macro file or of the
    // editor. The name loses NUL characters and is cut to the name field at a
    // character boundary; the event count is the number of key rows. Pauses
    // before the first key row belong to no event and are dropped; pauses in
    // a row add up.
    static Result build(const QString& name, const QVector<MacroRow>& rows, MacroRecord* record);

    // The name and rows of a record as the editor shows and files them: a key
    // row per event (a code the program has no key for reads as the empty
    // key), the pause after each event except the last. Reads at most the 70
    // events the record holds, whatever its count byte says. False (nothing
    // set) for a record whose name is empty.
    static bool read(const MacroRecord& record, QString* name, QVector<MacroRow>* rows);

    // The name a record holds, up to its first zero byte.
    static QString name(const MacroRecord& record);
};
