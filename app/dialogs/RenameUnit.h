// The rename window: gives the main window's current track row another output file name.
#pragma once

#include <QDialog>
#include <memory>

class TMainForm;
namespace Ui {
class Trename;
}

class Trename : public QDialog {
    Q_OBJECT

  public:
    explicit Trename(TMainForm& mainForm, QWidget* parent = nullptr);
    ~Trename() override;

    void FormActivate();
    void okbuttonClick();
    void cancelbuttonClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The current row of the main window's list, -1 without one.
    int currentRow() const;

    std::unique_ptr<Ui::Trename> ui;
    TMainForm& m_main;
};
