// The Batch Converter window: a list of sound files and folders converted to one format in one
// output folder, several files at a time, each file's state and progress shown in its row.
// A batch goes on when the window is closed; when it ends while the window is not the active
// one, a desktop notification tells.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "BatchConverter.h"

class TIniFile;

namespace Ui {
class TBatchConverterForm;
}

class TBatchConverterForm : public QDialog {
    Q_OBJECT

  public:
    // settings: where the number of jobs ([Rip] jobs) is read at each start; none means one
    // job per core.
    explicit TBatchConverterForm(const TIniFile* settings, QWidget* parent = nullptr);
    ~TBatchConverterForm() override;

    void AddFilesButtonClick();   // the open dialog's files join the list
    void AddFolderButtonClick();  // the folder chooser's folder joins the list
    void RemoveButtonClick();     // the selected rows leave the list
    void ClearButtonClick();
    void FolderButtonClick();  // the folder chooser fills the output folder box
    // Starts the batch; a batch that cannot start says why in a message box.
    void StartButtonClick();
    void StopButtonClick();

    // Files and folders, as the dialogs and drops bring them; readable files of folders are
    // found through their sub-folders. Files already listed are not listed twice.
    void addPaths(const QStringList& paths);
    // The options the window's controls give.
    BatchOptions options() const;
    const std::vector<BatchInput>& inputs() const { return m_inputs; }
    BatchConverter& converter() { return *m_converter; }

    // Whether the window counts as active when a batch ends; tests put their own answer.
    std::function<bool()> windowActive;
    // How an unseen end is announced: summary, body, folder to open.
    std::function<void(const QString&, const QString&, const QString&)> notify;

  signals:
    // The window has taken in the end of a batch.
    void batchFinished();

  protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void formatChanged();
    void setRunning(bool running);
    void showRow(std::size_t index);
    void batchEnded();

    std::unique_ptr<Ui::TBatchConverterForm> ui;
    const TIniFile* m_settings;
    std::vector<BatchInput> m_inputs;
    bool m_placed = false;
    // Last: stopped and joined first, while the window it reports to still stands.
    std::unique_ptr<BatchConverter> m_converter;
};
