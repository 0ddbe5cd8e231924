#pragma once

#include "device/FlashDataMap.h"
#include "platform/KeyHook.h"
#include "ui/macro/MacroRecorder.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class MyConmboBox;
class QDialog;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QModelIndex;
class QPushButton;
class QSpinBox;
class QToolButton;
struct MacroRecord;
struct MacroRow;

// The macro editor page of the device home page: the user's macros (one file
// each in the macro folder) on the left, the events of the selected one in the
// middle, recording, the delay and repeat choices and Save on the right.
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

    // File dialogs go through this, so tests can answer them: (parent, caption,
    // save) gives the chosen path or an empty text.
    using FileChooser = std::function<QString(QWidget*, const QString&, bool)>;
    static void setFileChooser(FileChooser chooser);

    // Appends a key row / a pause row while a macro is selected (the recorder's
    // and loaders' row builders).
    void AddKeyItem(const QString& name, bool press);
    void AddDelayItem(double ms);

    void LoadMacroList(const QString& unused = QString());
    void LoadMacroFile(const QString& unused = QString());

    // The repeat code chosen by the repeat controls.
    int repeatCode() const;
    QString macroFolder() const { return m_macroDir; }

public slots:
    void on_NewHong_clicked();
    void CreateMewMacro();
    void on_DeleteHong_clicked();
    void DeleteMacro();
    void RenameMacro();
    void ExPortMacro();
    void InPortMacro();
    void on_Amend_clicked();
    void on_DeleteKey_clicked();
    void on_ChooseEvent_activated(int index);
    void on_StartRecord_clicked();
    void on_StopRecord_clicked();
    void on_Save_clicked();
    void on_listWidgetHong_clicked(const QModelIndex& index);
    void on_listWidgetHong_customContextMenuRequested(const QPoint& pos);
    void on_listWidgetKey_itemChanged(QListWidgetItem* item);
    void on_NumberEdit_valueChanged(int value);
    void on_DelayTime_valueChanged(int value);
    void UpdateCapslockTip(int virtualKey, bool down, bool repeat);
    // Texts of the current language; the mouse-button names of the key table.
    void SlotAllLanguage(int language);
    // Leaving the device ends any recording and unlocks the home page's page buttons.
    void SlotSetMacroPage();
    // Macro record `index` of an image the button page shows becomes the
    // local macro of its name: its file is (re)written whole and it is listed.
    void SlotButtonToMacro(FlashDataMap map, int index);
    // The macro `name` was saved: its record goes to device button `index`,
    // built from the saved file (whatever the editor shows by now).
    void SlotMacroDownLoadData(QString name, int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildForm();
    void applyLooks();
    void setSaveEnabled(bool enabled);
    void showNotice(QDialog* notice);
    void showStopNotice();
    void showLimitNotice();
    bool recording() const;
    // Ends the recording (if any) with every key released; its rows stay as
    // an unsaved edit.
    void endRecording();
    void followDelayMode();
    void addRecorded(const QVector<MacroRecorder::Step>& steps);
    void releaseHeldKeys();
    QString selectedName() const;
    QString selectedPath() const;
    void setRepeatCode(int code);
    QListWidgetItem* keyRowItem(const QString& name, const MacroRow& key) const;
    bool roomForKeyEvents(int added);
    // A recording, or an edit of the macro on show that Save has not written.
    bool showsUnsavedRows() const;
    // A macro of this name is listed, or its file exists.
    bool nameTaken(const QString& name) const;
    void setSending(bool sending, const QString& savingName = QString());
    // Shows the list's current macro: its file's rows and repeat mode, the
    // rows not saved before dropped.
    void showCurrentMacro();
    void queueRefusedNotice();
    void showFileNotChanged();
    // Sends a saved macro to the buttons that play it; true when the mouse
    // holds what was saved (or no button plays it). Else the fitting notice
    // was shown.
    bool sendSaved(const QString& name, int code, const QVector<MacroRow>& rows, bool events, bool repeat);
    // Renames the macro on the buttons that play it; true when the mouse took
    // the new name. Else the buttons keep the old one and the notice was shown.
    bool renameOnMouse(const QString& oldName, const QString& newName);

    QString m_macroDir;
    QString m_picturePath;
    QString m_buttonColor;

    QFrame* m_page = nullptr;
    QLabel* m_label = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label3 = nullptr;
    QListWidget* m_listWidgetHong = nullptr;
    QListWidget* m_listWidgetKey = nullptr;
    QToolButton* m_newHong = nullptr;
    QToolButton* m_deleteHong = nullptr;
    QToolButton* m_amend = nullptr;
    QToolButton* m_deleteKey = nullptr;
    QToolButton* m_save = nullptr;
    QPushButton* m_startRecord = nullptr;
    QPushButton* m_stopRecord = nullptr;
    QCheckBox* m_autoInsertDelay = nullptr;
    QLabel* m_autoInsertDelayLabel = nullptr;
    QCheckBox* m_defaultDelay = nullptr;
    QSpinBox* m_delayTime = nullptr;
    QCheckBox* m_reNumber = nullptr;
    QSpinBox* m_numberEdit = nullptr;
    QCheckBox* m_reUntil = nullptr;
    QLabel* m_reUntilLabel = nullptr;
    QCheckBox* m_reUntilLoose = nullptr;
    QLabel* m_reUntilLooseLabel = nullptr;
    QCheckBox* m_reUntilClick = nullptr;
    QLabel* m_reUntilClickLabel = nullptr;
    MyConmboBox* m_chooseEvent = nullptr;
    QButtonGroup* m_delayModeGroup = nullptr;
    QButtonGroup* m_repeatModeGroup = nullptr;

    KeyHook m_keyHook{KeyHookModule::Macro};
    MacroRecorder m_recorder;
    int m_lastVirtualKey = 0;
    bool m_eventsChanged = false;
    bool m_repeatChanged = false;
    // Grows whenever rows of the event list are added, removed or reloaded, so
    // a dialog's answer is never applied to rows that changed under it.
    quint64 m_eventRowsGeneration = 0;
    // The macro on show could not be read whole (too large, unreadable): Save
    // never writes its file from what is shown.
    bool m_shownNotReadWhole = false;
    bool m_refusedNoticeQueued = false;
    // While a change goes to the mouse: the saved macro's name (a save), the
    // offline notices the writers raised and the records they did not take.
    bool m_sending = false;
    QString m_savingName;
    int m_offlineNotices = 0;
    int m_downloadsRefused = 0;
    QString m_macroLabelPrefix;
    QStringList m_menuTexts;
};
