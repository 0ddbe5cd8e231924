#pragma once

#include <QDialog>
#include <QString>
#include <QXmlStreamReader>

#include <memory>

class QFrame;
class QLabel;
class QTimer;
class QToolButton;

// Small frameless notice: the program already runs (shown by a second start),
// or one of the macro page's two recording messages. It reads its texts
// straight from the language file, so it works before any window has loaded
// the language tables.
class ExeIsRun : public QDialog
{
    Q_OBJECT

public:
    explicit ExeIsRun(QWidget* parent = nullptr);
    ~ExeIsRun() override;

    // The label shows the stored "label_2" / "PleaseStop" text (empty if none was read).
    void ShowLabel2Text();
    void ShowPleaseStopText();

    // Language file of `language` (0..9) below the application folder; empty otherwise.
    static QString languageFilePath(int language);

public slots:
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    // Reads this notice's texts from the file of `language`; any failure keeps
    // the texts shown so far.
    void SlotChangeLanguage(int language);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static constexpr int kRaiseIntervalMs = 250;

    void buildForm();
    void applyLook();
    void readTotal();
    void readSection();
    void skipElement();

    QFrame* m_frame = nullptr;
    QLabel* m_label = nullptr;
    QToolButton* m_newHong = nullptr;
    QToolButton* m_closeButton = nullptr;
    QTimer* m_raiseTimer = nullptr;
    QString m_pictureFolder;
    std::unique_ptr<QXmlStreamReader> m_reader;
    QString m_label2Text;
    QString m_pleaseStopText;
};
