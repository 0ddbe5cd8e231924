#pragma once

#include "device/FlashDataMap.h"

#include <QString>
#include <QWidget>

class QFrame;
class QToolButton;

// The button-mapping page of the device home page. Its constructor creates the
// program's single device thread object (g_Worker).
//
// Built so far: the page at its final size with the model picture and its six
// numbered markers, and the confirmation that a device image reached the page
// (g_ButtonPageApplied). The button functions, macros, profiles, reset and the
// configuration export are added with the rest of the button work.
class Buttoninterface : public QWidget
{
    Q_OBJECT

public:
    explicit Buttoninterface(QWidget* parent = nullptr);
    ~Buttoninterface() override;

public slots:
    void SlotMouseIndex(int index);
    // Rebuilds the macro list; there is no macro list on the page yet.
    void SlotAddMacroButton();
    void SlotUpDataButtonUIButton(FlashDataMap image);
    void SlotFormResetButton();

private:
    void buildForm();

    QString m_pictureFolder;
    QFrame* m_mainWindow = nullptr;
    QWidget* m_picture = nullptr;
    QToolButton* m_markers[6] = {};
};
