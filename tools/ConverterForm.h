// The converter windows: one file source feeding one file sink, one conversion of one chosen
// file into another per "Convert", with the sink's progress mirrored in a gauge. The four
// converters differ only in their components, texts and file filters, and the WAV to Ogg
// window in two options of its encoder.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "ACS_Classes.h"

class QMimeData;

namespace Ui {
class TConverterForm;
}

// The texts and filters that tell a converter window apart.
struct ConverterLook {
    const char* caption;
    const char* inputTab;
    const char* outputTab;
    const char* inputFilter;   // "description|patterns"
    const char* outputFilter;  // "description|patterns"
    const char* defaultExtension;
    bool encoderOptions;  // the "CPU Usage" and "Compr. %" lists
};

class TConverterForm : public QDialog {
    Q_OBJECT

  public:
    ~TConverterForm() override;

    void Button3Click();  // "Input": the open dialog fills the input box
    void Button4Click();  // "Output": the save dialog fills the output box
    void BitBtn3Click();  // opens the input file
    void BitBtn4Click();  // opens the input file's folder
    void BitBtn1Click();  // opens the output file
    void BitBtn2Click();  // opens the output file's folder
    // "Convert": starts converting the input box's file into the output box's. Raises the
    // components' error when the conversion cannot start.
    void button1Click();
    void cancelClick();
    void closebuttonClick();

    TACSFileIn& source() { return *m_source; }
    TACSOutput& sink() { return *m_sink; }

  signals:
    // The window has taken in the sink's done report and is idle again.
    void conversionDone();

  protected:
    template <typename Source, typename Sink>
    TConverterForm(const ConverterLook& look, std::unique_ptr<Source> source,
                   std::unique_ptr<Sink> sink, QWidget* parent)
        : TConverterForm(look, parent) {
        Sink* output = sink.get();
        m_setOutputName = [output](const std::string& name) { output->SetFileName(name); };
        attach(std::move(source), std::move(sink));
    }

    // Takes the window's sink options at each start; the sink's own settings by default.
    virtual void beforeRun() {}
    void showEvent(QShowEvent* event) override;
    // A file dropped on the window fills the input box as the "Input" dialog does.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    std::unique_ptr<Ui::TConverterForm> ui;

  private:
    TConverterForm(const ConverterLook& look, QWidget* parent);
    // The one input file a drag brings; empty when it brings anything else.
    QString inputFileOf(const QMimeData* data) const;
    void attach(std::unique_ptr<TACSFileIn> source, std::unique_ptr<TACSOutput> sink);
    // The sink's reports, on the UI thread.
    void sinkProgress(int percent);
    void sinkDone(const QString& error);

    const ConverterLook& m_look;
    std::unique_ptr<TACSFileIn> m_source;
    // After the source: destroyed first, so that its worker has stopped pulling.
    std::unique_ptr<TACSOutput> m_sink;
    std::function<void(const std::string&)> m_setOutputName;
    bool m_placed = false;
};
