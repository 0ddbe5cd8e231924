#pragma once

#include <QtGlobal>

#include <functional>

// A full disk without privileges: `write` runs in a child process whose files
// cannot grow past `bytes` (RLIMIT_FSIZE). SIGXFSZ is ignored there, so a write
// past the limit fails as on a full disk instead of ending the process.
class FullDisk
{
public:
    enum class Outcome {
        Written,  // `write` returned true
        Refused,  // `write` returned false
        Failed,   // no child, or it ended by a signal or an unexpected status
    };

    static Outcome run(qint64 bytes, const std::function<bool()>& write);
};
