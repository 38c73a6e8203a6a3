#pragma once

// The file-open dialog with the viewer's options panel below it: share mode, fixed
// record length and record limit. Qt's own dialog, so the panel can be attached.

#include "document/OpenDialogRules.h"

#include <QFileDialog>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace tervik {

class CSettings;

class CViewerFileDialog : public QFileDialog {
    Q_OBJECT
public:
    // nFilterIndex counts from 0 in the list of string IDS_OPEN_FILTER.
    CViewerFileDialog(QWidget* pParent, bool bShareWrite, int nLastFixRecSize, int nFilterIndex,
                      CSettings& settings);

    // The panel speaks German on every system; the English texts remain for a test
    // that pins them (nullopt = German).
    static void ForceGerman(std::optional<bool> bGerman);
    static bool IsGerman();

    // Filled when the dialog closes, on OK and on Cancel.
    const OpenDialogValues& Values() const { return m_values; }
    // Chosen files as native (UTF-8) paths.
    std::vector<std::string> SelectedFiles() const;
    int SelectedFilterIndex() const;

    void done(int nResult) override;

private:
    // The names typed into the name field, made absolute; empty when none.
    QStringList TypedNames() const;
    CSettings& m_settings;
    OpenDialogValues m_values;
    QCheckBox* m_pShare = nullptr;
    QCheckBox* m_pFixed = nullptr;
    QSpinBox* m_pFixedLength = nullptr;
    QCheckBox* m_pLimit = nullptr;
    QSpinBox* m_pLimitCount = nullptr;
    QComboBox* m_pDirection = nullptr;
};

} // namespace tervik
