#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

struct MacroRecord;

// The macro editor page of the device home page. Not built yet: it shows an
// empty page of its final size. It already answers the home page's leave
// signal, since nothing can be recording on it.
class Macro : public QWidget
{
    Q_OBJECT

public:
    explicit Macro(QWidget* parent = nullptr);
    ~Macro() override;

    // Key names and codes of macro files and device macro records (KeyTable).
    static QString KeyCodeToName(const QString& codeText, int kind);
    static QStringList KeyNameToHexCodes(const QString& name);
    static void KeyNameToDeviceEvent(const QString& name, int eventIndex, MacroRecord* record);
    static QString DeviceKeyToName(int code, int kind);
    static QString MouseCodeToName(int code);

public slots:
    // Leaving the device ends any recording and unlocks the home page's page buttons.
    void SlotSetMacroPage();
    // Texts of the current language; the mouse-button names of the key table.
    void SlotAllLanguage(int language);
};
