#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What every fuzz target sets up once: a QCoreApplication, a private HOME (with
// the simulator folder below it) and application folder, on a RAM disk where
// there is one, so that nothing reaches the real home folder.
namespace FuzzSupport {

// Call once from LLVMFuzzerInitialize, before anything starts a thread. A
// target that builds widgets asks for a QApplication (on the platform that
// QT_QPA_PLATFORM names; scripts/fuzz.sh runs them offscreen).
void init(int* argc, char*** argv, bool widgets = false);

QString homeDir();
QString appDir();

// Writes the bytes to path (creating its folder) and gives the file a new
// modification time of its own: Qt's settings cache compares time and size
// only, and two inputs of one size written within a millisecond would
// otherwise read as the first.
void writeFile(const QString& path, const QByteArray& bytes);

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), int(size));
}

// Stops the run with a message (libFuzzer reports the abort as a finding).
[[noreturn]] void fail(const char* what);

}  // namespace FuzzSupport
