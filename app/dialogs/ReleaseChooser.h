// The chooser that opens when a disc is on several releases (MusicBrainz) or in several CDDB
// entries: one row per release with its artist, title, year, country, label and track count.
#pragma once

#include <QDialog>
#include <vector>

#include "DiscMetadata.h"

class QTreeWidget;

class TReleaseChooser : public QDialog {
    Q_OBJECT

  public:
    explicit TReleaseChooser(const std::vector<DiscMetadata>& choices, QWidget* parent = nullptr);

    // The row chosen with "OK" or by activating it (double click, Return); -1 before that.
    int chosen() const { return m_chosen; }

  private:
    void okbuttonClick();

    QTreeWidget* m_list = nullptr;
    int m_chosen = -1;
};
