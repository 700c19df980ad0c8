// The WAV mixer window: two WAV files mixed into a third, or the second joined to the first.
#pragma once

#include <QDialog>
#include <memory>

#include "ACS_AudioMix.h"
#include "ACS_Wave.h"

class QMimeData;

namespace Ui {
class Tmixer;
}

class Tmixer : public QDialog {
    Q_OBJECT

  public:
    explicit Tmixer(QWidget* parent = nullptr);
    ~Tmixer() override;

    // The three file choices live in the components; only the dialogs set them.
    TWaveIn& WaveIn1() { return m_waveIn1; }
    TWaveIn& WaveIn2() { return m_waveIn2; }
    TAudioMixer& AudioMixer1() { return m_audioMixer1; }
    TWaveOut& WaveOut1() { return m_waveOut1; }

    void Button7Click();  // first "Iutput"
    void button2Click();  // second "Iutput"
    void button3Click();  // "Output"
    void radiobutton1Click();
    void radiobutton2Click();
    // "Mix": checks the three choices and starts. Raises the components' error when the work
    // cannot start.
    void mixbuttonClick();
    void cancelbuttonClick();
    void closebuttonClick();
    void FormActivate();

  protected:
    void showEvent(QShowEvent* event) override;
    // A WAV file dropped on one of the three rows is taken by that row as if chosen in its
    // dialog.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The first of the checks that fails shows its warning; false then.
    bool choicesUsable();
    // The row at pos (0, 1: the inputs, 2: the output), or -1 between the rows.
    int rowAt(const QPoint& pos) const;
    // The one WAV file a drag brings; empty when it brings anything else.
    static QString wavFileOf(const QMimeData* data);
    // Sets the row's component and box, as its dialog does.
    void takeFile(int row, const QString& file);
    void warn(const QString& text);
    // The sink's reports, on the UI thread.
    void WaveOut1process(int percent);
    void WaveOut1Done(const QString& error);

    std::unique_ptr<Ui::Tmixer> ui;
    bool m_placed = false;
    // In this order, so that the sink is destroyed first and its worker has stopped pulling.
    TWaveIn m_waveIn1;
    TWaveIn m_waveIn2;
    TAudioMixer m_audioMixer1;
    TWaveOut m_waveOut1;
};
