// The CD information window: looks the disc up in CDDB each time it is shown, names the main
// window's track rows after the titles found and shows the disc's ID, artist, title and type.
#pragma once

#include <QDialog>
#include <memory>

class TMainForm;
namespace Ui {
class TCdMsgForm;
}

class TCdMsgForm : public QDialog {
    Q_OBJECT

  public:
    explicit TCdMsgForm(TMainForm& mainForm, QWidget* parent = nullptr);
    ~TCdMsgForm() override;

    // Runs the lookup. The values keep what they showed when it stops before an answer.
    void FormActivate();
    void closebuttonClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::TCdMsgForm> ui;
    TMainForm& m_main;
};
