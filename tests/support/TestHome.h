#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points HOME (and the XDG folders below it) at a fresh temporary folder for the
// lifetime of the object and restores the previous values afterwards, so that no
// test can write to the real home folder.
class TestHome
{
public:
    TestHome();
    ~TestHome();

    QString path() const { return m_dir.path(); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
};
