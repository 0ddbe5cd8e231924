#pragma once

#include <QHash>
#include <QString>

class DebounceTime;
class MyConmboBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;
class QWidget;

// The widget tree of the button page, built in code. Every widget carries the
// object name of its member, which the page's slots and the tests rely on.
class Ui_Buttoninterface
{
public:
    QGridLayout* gridLayout_9 = nullptr;
    QFrame* MainWindow = nullptr;
    QLabel* label = nullptr;
    QWidget* widget = nullptr;
    QToolButton* Number1 = nullptr;
    QToolButton* Number2 = nullptr;
    QToolButton* Number3 = nullptr;
    QToolButton* Number4 = nullptr;
    QToolButton* Number5 = nullptr;
    QToolButton* Number6 = nullptr;
    QToolButton* OutputData = nullptr;
    QToolButton* ImportData = nullptr;
    QGroupBox* groupBox = nullptr;
    MyConmboBox* ProjectChoose = nullptr;
    QToolButton* Reset = nullptr;

    // Selector list.
    QScrollArea* scrollArea_11 = nullptr;
    QWidget* scrollAreaWidgetContents_11 = nullptr;
    QLabel* label_14 = nullptr;
    QLabel* label_9 = nullptr;
    QLabel* label_15 = nullptr;
    QLabel* label_11 = nullptr;
    QLabel* label_12 = nullptr;
    QLabel* label_13 = nullptr;
    QToolButton* FireKey = nullptr;
    QToolButton* RightKey = nullptr;
    QToolButton* BackKey = nullptr;
    QToolButton* StartPause = nullptr;
    QToolButton* TopMusic = nullptr;
    QToolButton* BackMusic = nullptr;

    // Function list.
    QStackedWidget* stackedWidget = nullptr;
    QWidget* page = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QWidget* page_2 = nullptr;
    QGridLayout* gridLayout = nullptr;
    QScrollArea* scrollArea_4 = nullptr;
    QWidget* scrollAreaWidgetContents_4 = nullptr;
    QVBoxLayout* verticalLayout_9 = nullptr;

    // Sub-pages.
    QGroupBox* groupBox_4 = nullptr;
    QStackedWidget* stackedWidget_2 = nullptr;
    QWidget* page_3 = nullptr;
    QWidget* page_5 = nullptr;
    QWidget* page_6 = nullptr;
    QWidget* page_8 = nullptr;
    QWidget* page_9 = nullptr;
    QWidget* page_4 = nullptr;
    QWidget* page_7 = nullptr;
    QWidget* page_10 = nullptr;
    QScrollArea* scrollArea_3 = nullptr;
    QScrollArea* scrollArea_7 = nullptr;
    QScrollArea* scrollArea_8 = nullptr;
    QScrollArea* scrollArea_10 = nullptr;
    QScrollArea* scrollArea_6 = nullptr;
    QScrollArea* scrollArea_9 = nullptr;
    QScrollArea* scrollArea_12 = nullptr;
    QWidget* scrollAreaWidgetContents_3 = nullptr;
    QWidget* scrollAreaWidgetContents_7 = nullptr;
    QWidget* scrollAreaWidgetContents_8 = nullptr;
    QWidget* scrollAreaWidgetContents_10 = nullptr;
    QWidget* scrollAreaWidgetContents_6 = nullptr;
    QWidget* scrollAreaWidgetContents_9 = nullptr;
    QWidget* scrollAreaWidgetContents_12 = nullptr;
    QVBoxLayout* verticalLayout_6 = nullptr;  // macro list of page_5

    // Debounce page.
    QGroupBox* groupBox_2 = nullptr;
    QLabel* label_3 = nullptr;
    DebounceTime* DebunceButton = nullptr;

    // Every tool button of the form by object name (selectors, function
    // buttons, markers and the three tool buttons).
    QHash<QString, QToolButton*> buttons;
    QToolButton* button(const QString& objectName) const { return buttons.value(objectName); }

    // Builds the tree on `page`, sets the default texts, shows index 1 of
    // stackedWidget and index 4 of stackedWidget_2 and connects the page's
    // slots by name.
    void setupUi(QWidget* page);
    // The form's default texts; the language texts replace most of them.
    void retranslateUi(QWidget* page);

private:
    QToolButton* addButton(QWidget* parent, const QString& name, int width, int height, int pointSize,
                           bool checkable, QToolButton* made = nullptr);
    QWidget* addListPage(int index);
};
