// The about window: the product name, its version line and the settings file in use.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutForm;
}

class TAboutForm : public QDialog {
    Q_OBJECT

  public:
    // settingsFile: shown as the settings file in use; none shown when empty.
    explicit TAboutForm(QWidget* parent = nullptr, const QString& settingsFile = {});
    ~TAboutForm() override;

  private:
    std::unique_ptr<Ui::TAboutForm> ui;
};
