#pragma once

#include "device/FlashDataMap.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <memory>

class QButtonGroup;
class QScrollArea;
class QToolButton;
class QVBoxLayout;
class Ui_Buttoninterface;

// The button-mapping page of the device home page: six selectors stand for the
// mouse's programmable buttons and show what each holds; the function list and
// its sub-pages offer the functions. Its constructor creates the program's
// single device thread object (g_Worker).
class Buttoninterface : public QWidget
{
    Q_OBJECT

public:
    explicit Buttoninterface(QWidget* parent = nullptr);
    ~Buttoninterface() override;

    Ui_Buttoninterface* form() const { return ui; }

    // The page's record of what the mouse's buttons hold, by device button index.
    // It always covers the six selectors once an image or a reset was applied; an
    // index it does not hold reads as a type without a row (-1).
    int recordedType(int index) const;
    int recordedCode(int index) const;
    int recordedParam(int index) const;
    int recordSize() const { return m_types.size(); }
    // Overwrites one entry (index 0..15; the record grows to hold it). Callers
    // record only what the mouse took.
    void RecordAssignment(int index, int type, int code, int param);
    // Unchecks the functions of the sub-pages and the macro list (the two
    // vertical-scroll buttons keep their check).
    void UncheckFunctionButtons();

    // Labels the selector of device button 0..5 from one mapping of `image`.
    void RefreshButtonTexts(int index, int type, int code, int param, const FlashDataMap& image);
    // DPI value <-> device DPI code of the open model's sensor.
    int CodeToDpi(int code) const;
    int DpiToCode(int dpi) const;
    QString sensorName() const { return m_sensorName; }
    QString macroLabelPrefix() const { return m_macroLabelPrefix; }
    QString profileWord() const { return m_profileWord; }

    // Gives device button 0..5 a stored multimedia function (by its id) or a
    // key combination ("Ctrl+C"), as the model's defaults name them.
    void AssignMediaFunction(int index, int functionId);
    void AssignKeyFunction(int index, const QString& keys);
    // The record that presses and releases the consumer usage high x 256 + low.
    static KeyEventRecord ConsumerKeyRecord(int unused, unsigned char usageHigh, unsigned char usageLow);

    // What the fire function writes on a double click, without its dialog; the
    // last confirmed answer of the dialog.
    int fireInterval() const { return m_fireInterval; }
    int fireCount() const { return m_fireCount; }

    QButtonGroup* selectorGroup() const { return m_selectorGroup; }
    QButtonGroup* functionGroup() const { return m_functionGroup; }
    QButtonGroup* keyGroup() const { return m_keyGroup; }
    QButtonGroup* markerGroup() const { return m_markerGroup; }

public slots:
    void SlotMouseIndex(int index);
    void SlotAllLanguage(int language);
    void SlotUpDataButtonUIButton(FlashDataMap image);
    void SlotUpDataButtonUIB(FlashDataMap image);
    void SlotFormResetButton();
    void SlotUpDataConfigUI(int count, int current, bool enabled);
    // Rebuilds the macro list from the macro folder.
    void SlotAddMacroButton();
    // A macro button's click binds its macro to the selected physical button.
    void slotButtonClicked(bool checked);
    // The macro editor saved (kind 0 events, 1 repeat mode), renamed or
    // deleted a macro: every button holding it follows.
    void SlotUpDataMacro(QString name, int kind);
    void SlotMacroRename(QString oldName, QString newName);
    void SlotDeleteMacroButton(QString label);

    void on_stackedWidget_currentChanged(int index);

    // Profile choice, factory reset, import and export of a configuration file.
    void on_ProjectChoose_activated(int index);
    void on_ProjectChoose_currentIndexChanged(int index);
    void on_Reset_clicked();
    void on_ImportData_clicked();
    void on_OutputData_clicked();
    void ExportConfigFile(QString path, FlashDataMap image);

public:
    // The macro list: one checkable button per macro file, then hidden fillers
    // so that a short list keeps seven rows.
    void CreateMacroButtons();
    QList<QToolButton*> macroListButtons() const { return m_macroButtons; }
    QButtonGroup* macroGroup() const { return m_macroGroup; }
    // The record of the macro file `name` for device button `buttonIndex`; ok
    // tells whether the file was read and fits a record.
    MacroRecord ReadMacroFile(QString name, int buttonIndex, bool& ok);
    // The macro's repeat code as its file gives it ("1" for a file without a
    // valid one, as the editor reads it); "0" when there is no such file.
    QString ReadMacroRepeatMode(QString name);

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The record of assignments and the selector labels from one image. With
    // `fromDevice` every macro the image holds also goes to the macro editor
    // (SigButtonToMacro), which rebuilds its file.
    void showAssignments(const FlashDataMap& image, bool fromDevice);
    // Selectors of device buttons `count` and above, which the model lacks,
    // read their own caption and are not chosen.
    void showCaptionsFrom(int count);
    void SetupButtonGroup();
    void applyStyleSheets();
    void readDpiDefines();
    void connectCategories();
    void connectFunctions();

    // Selecting a physical button (selector `position`, top to bottom) opens
    // the list at the function it holds; the last left click is refused.
    void selectPhysicalButton(int position);
    // True (and the notice shown, every selector released) when the selector
    // at `position` is the only one that holds the left click.
    bool refuseLastLeftClick(int position);
    void markerClicked(int position);
    // Device index of the first checked selector, top to bottom; -1 when none.
    int selectedDevice() const;
    QToolButton* selectorOfDevice(int deviceIndex) const;

    // Macros on the buttons.
    void clearMacroList();
    void fillMacroList();
    void bindMacro(const QString& name);
    // Device indexes of the selectors (table order) that show macro `name`.
    QList<int> buttonsHoldingMacro(const QString& name) const;
    void restoreAfterMacroDeleted(int index);
    void showMacroLimit();

    // The function handlers: write first, record and label second, and always
    // close the list (the common tail).
    void assignSimple(int row, bool checked);
    void assignDpiLock(int row, bool checked);
    void assignMedia(int row, bool checked);
    void commonTail(QScrollArea* scrollBarOwner = nullptr);
    // The three functions that ask first: the fire values, a key combination,
    // and the macro list (or the notice that there is no macro yet).
    void askFire();
    void askCombination();
    void openMacroList();

    // Fills the record from an image and labels the selectors. `lightToFrom`
    // tells the settings page the idle light-off time before (true) or after
    // the model's catalogue values are read.
    void applyImage(const FlashDataMap& image, bool importImage);
    // The model's "KeyNumber", bounded to the 16 mappings of an image.
    int keyCount() const;
    QString modelGroup() const;
    void readSensorName();
    QString keyEventLabel(const KeyEventRecord& record) const;
    QString buttonText(const QString& objectName) const;

    // Navigation pieces shared by the mouse-press test and the handlers.
    void closeList();
    void releaseSelectors();
    void releaseMarkers();

    Ui_Buttoninterface* ui = nullptr;
    QVBoxLayout* m_macroLayout = nullptr;
    QList<QToolButton*> m_macroButtons;
    QButtonGroup* m_macroGroup = nullptr;
    QString m_macroFolder;
    QButtonGroup* m_selectorGroup = nullptr;
    QButtonGroup* m_functionGroup = nullptr;
    QButtonGroup* m_keyGroup = nullptr;
    QButtonGroup* m_markerGroup = nullptr;
    QString m_mainPageFolder;
    QVector<int> m_types;
    QVector<int> m_codes;
    QVector<int> m_params;
    QString m_sensorName;
    QVector<QString> m_dpiNames;
    QVector<int> m_dpiValues;
    int m_fireInterval = 10;
    int m_fireCount = 3;
    QStringList m_buttonColourParts;
    QString m_buttonColour;
    QString m_pictureFolder;
    QString m_macroLabelPrefix;
    QString m_profileWord;
};
