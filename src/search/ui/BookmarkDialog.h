#pragma once

// "Lesezeichen": names places in the open files, changes, deletes and goes to them.

#include "search/BookmarkDialogRules.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace tervik {

class CBookmarkList;
class CTervikDoc;

// What the dialog needs of the application; names and paths as the documents
// hold them (cp1252 names, native paths).
struct BookmarkDialogHost {
    const CBookmarkList* pList = nullptr;
    std::vector<CTervikDoc*> documents;
    // The new bookmark's id, 0 when no open document has the path; line and
    // column 1-based.
    std::function<uint32_t(const std::string& path, const std::string& name, uint32_t nLine,
                           uint32_t nColumn, uint32_t nLength)>
        add;
    std::function<bool(uint32_t nId)> remove;
    // Line and column 0-based.
    std::function<void(uint32_t nId, uint32_t nLine, uint32_t nColumn, uint32_t nLength)> change;
};

class CBookmark : public QDialog {
    Q_OBJECT
public:
    CBookmark(BookmarkDialogHost host, CTervikDoc& doc, const BookmarkPreset& preset,
              QWidget* pParent = nullptr);

    // The bookmark "Gehe zu..." ended the dialog with; 0 for none.
    uint32_t Chosen() const { return m_nChosen; }

    QLineEdit* NameField() const { return m_pName; }
    QComboBox* FileBox() const { return m_pFile; }
    QSpinBox* LineField() const { return m_pLine; }
    QSpinBox* ColumnField() const { return m_pColumn; }
    QSpinBox* LengthField() const { return m_pLength; }
    QListWidget* List() const { return m_pList; }
    QPushButton* AddButton() const { return m_pAdd; }
    QPushButton* DeleteButton() const { return m_pDelete; }
    QPushButton* ChangeButton() const { return m_pChange; }
    QPushButton* GoToButton() const { return m_pGoTo; }

private:
    CTervikDoc* CurrentDocument() const;
    void SetRanges();
    void ShowButtons();
    void OnNameChanged();
    void OnSelectionChanged();
    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnGoTo();

    BookmarkDialogHost m_host;
    BookmarkButtons m_buttons;
    uint32_t m_nChosen = 0;
    QLineEdit* m_pName = nullptr;
    QComboBox* m_pFile = nullptr;
    QSpinBox* m_pLine = nullptr;
    QSpinBox* m_pColumn = nullptr;
    QSpinBox* m_pLength = nullptr;
    QListWidget* m_pList = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pDelete = nullptr;
    QPushButton* m_pChange = nullptr;
    QPushButton* m_pGoTo = nullptr;
    QPushButton* m_pClose = nullptr;
};

} // namespace tervik
