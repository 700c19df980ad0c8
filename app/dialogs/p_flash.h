// The splash window shown while the program creates its windows: a borderless picture in the
// middle of the screen.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <memory>

namespace Ui {
class Tflash;
}

class Tflash : public QDialog {
    Q_OBJECT

  public:
    explicit Tflash(QWidget* parent = nullptr);
    ~Tflash() override;

    // Shows the window centred on its screen and paints it before returning, so that it is
    // seen while the start-up keeps the event loop from running.
    void showAndPaint();

    // The picture: the product name on a gradient.
    static QPixmap picture();

  private:
    std::unique_ptr<Ui::Tflash> ui;
};
