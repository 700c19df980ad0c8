// The CD information window: looks the disc up each time it is shown, in the sources of the
// settings (the disc's CD-Text, MusicBrainz, CDDB) in their order, names the main window's
// track rows after the titles found and shows the disc's ID, artist, title, type and the
// source that named it. Several releases of the disc open a chooser.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "DiscMetadata.h"
#include "MetadataSettings.h"

class QLabel;

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
    // The CDDB lookup as the window always made it.
    void cddbActivate();
    // A lookup through the name sources; false when the source does not know the disc.
    bool lookUpIn(DiscMetadata::Source source, const MetadataSettings& settings);
    void showStatus(const std::string& text);
    void selectFirstRow();

    std::unique_ptr<Ui::TCdMsgForm> ui;
    QLabel* m_source = nullptr;
    TMainForm& m_main;
};
