// The options window: the default output folders, the MP3, Ogg, FLAC and Opus encoder options, the
// CDDB server and how the rip reads and checks a disc, all kept in "settings.ini".
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLineEdit;
class TMainForm;
namespace Ui {
class TOptions;
}

class TOptions : public QDialog {
    Q_OBJECT

  public:
    explicit TOptions(TMainForm& mainForm, QWidget* parent = nullptr);
    ~TOptions() override;

    // What a failed write of the settings file ends with, after its message box: the end of
    // the process unless a test puts something harmless in its place.
    void setProcessEnd(std::function<void()> end) { m_processEnd = std::move(end); }

    // The handlers of the window's buttons.
    void FormActivate();
    void okbuttonClick();
    void cancelbuttonClick();
    void chooseFolder(QLineEdit* edit);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The Reading page's values make sense; otherwise says what is wrong, shows the page
    // and puts the cursor in the field.
    bool checkReading();
    // The same for the FLAC level and the Opus bit rate.
    bool checkEncoders();
    bool writeSettings();

    std::unique_ptr<Ui::TOptions> ui;
    TMainForm& m_main;
    std::function<void()> m_processEnd;
    // The drive chosen in the main window when the window was activated (empty without
    // drives), and the read offset shown for it then.
    std::string m_drive;
    std::int32_t m_shownOffset = 0;
};
