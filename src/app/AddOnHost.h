#pragma once

// The host side of add-on libraries, without any window: loading a library and
// collecting its items, the menu walk that gives entries their command ids, the
// enable rules, and running an entry on a document. The viewer adds the dialogs,
// the menus and the opening of output files; tervik-cli uses it as it is.

#include "addon/tervik_addon.h"
#include "platform/SysLibrary.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace tervik {

class CProfile;
class CTervikDoc;

inline constexpr uint32_t kAddOnFirstId = 32849;
inline constexpr uint32_t kAddOnLastId = 32880; // later ids have no handler
inline constexpr int32_t kItemPopup = 1;
inline constexpr int32_t kItemEntry = 2;
inline constexpr size_t kAddOnPathSize = TERVIK_OUTPUT_PATH_SIZE;
inline constexpr size_t kAddOnMessageSize = TERVIK_MESSAGE_SIZE;

struct AddOnItem {
    std::string text;
    bool bHasText = false; // an entry without text is a separator
    int32_t nType = kItemEntry;
    int32_t nFunction = 0;
    int32_t nInterface = 0;
    int32_t nOutput = 0;
    uint32_t nCommand = 0; // 0 until the menu walk gives the entry an id
    int32_t nState = 0;    // check state of an ITEM_TOGGLE entry
};

struct AddOnRecord {
    void* hModule = nullptr;
    std::string path;
    std::vector<AddOnItem> items; // in the order the library added them
    TervikRegisterAddOnFn pRegister = nullptr;
    TervikInterface0Fn pInterface0 = nullptr;
    TervikInterface1Fn pInterface1 = nullptr;
};

// Access to the libraries; the real one is the platform's dlopen, tests pass a fake.
class IAddOnLoader {
public:
    virtual ~IAddOnLoader() = default;
    // Null on failure, with the reason.
    virtual void* Load(const std::string& path, LibraryLoadError& error) = 0;
    // The plain name first, then the decorated one.
    virtual void* Symbol(void* hModule, const char* pszName, const char* pszDecorated) = 0;
    virtual void Unload(void* hModule) = 0;
};
IAddOnLoader& SystemAddOnLoader();

// The message for a library that did not load: the system's code and text where it has
// them, else in German what went wrong, followed by the loader's own words.
std::string LoadFailureMessage(const std::string& path, const LibraryLoadError& error);

// What the call table's functions read: the document of the active window.
class IAddOnSource {
public:
    virtual ~IAddOnSource() = default;
    virtual uint32_t RecordCount() = 0;
    // Length in bytes, tabs not expanded.
    virtual uint32_t RecordLength(uint32_t nRecord) = 0;
    // At most nMax bytes of the text from column 0, tabs expanded; no terminator.
    virtual uint32_t RecordText(uint32_t nRecord, char* pDest, uint32_t nMax) = 0;
};
std::unique_ptr<IAddOnSource> MakeDocumentSource(CTervikDoc& doc);

// One element of the menu walk.
struct AddOnMenuEntry {
    enum Kind { Popup, Item, Separator } kind = Item;
    bool bInPopup = false; // inside the popup of the last Popup element
    uint32_t nId = 0;      // Item only
    const AddOnItem* pItem = nullptr;
};

enum class AddOnOpen { None, Shell, View };

struct AddOnResult {
    bool bOk = false;
    std::string message;    // on failure: the library's text or the standard one
    std::string outputPath; // the output buffer after the call
    AddOnOpen open = AddOnOpen::None;
};

class CAddOnHost {
public:
    explicit CAddOnHost(IAddOnLoader& loader = SystemAddOnLoader());
    ~CAddOnHost(); // unloads every library in load order
    CAddOnHost(const CAddOnHost&) = delete;
    CAddOnHost& operator=(const CAddOnHost&) = delete;

    enum class LoadStatus { Registered, Refused, LoadFailed, NoEntryPoint };
    // Loads the library and lets it register its items. Registered: the caller writes
    // "1" under the path in "ExtensionList" when registering. Refused: the library
    // answered false but stays loaded with its items. The two failures set message.
    LoadStatus LoadAddOn(const std::string& path, const std::string& settingsPath,
                         std::string& message);

    // The register command: loads the library and, when it agrees, writes "1" under
    // its path in section "ExtensionList" so that it is loaded at every start.
    LoadStatus RegisterAddOn(CProfile& profile, const std::string& path,
                             const std::string& settingsPath, std::string& message);
    // Start-up: loads every library of section "ExtensionList" whose value is exactly
    // "1", in file order (the names as far as 4096 bytes hold them, each with its
    // NUL), without writing anything. Answers the messages of failed loads in order.
    std::vector<std::string> LoadExtensionList(CProfile& profile, const std::string& settingsPath);

    const std::vector<std::unique_ptr<AddOnRecord>>& Records() const { return m_records; }
    bool HasAddOns() const { return !m_records.empty(); }

    // Walks all libraries' items in order and numbers the entries with text from
    // kAddOnFirstId; an entry gets its id the first time it is numbered. A submenu
    // takes the entries that follow it up to the next submenu; an entry without text
    // is a separator and has no id, inside a submenu or not.
    std::vector<AddOnMenuEntry> WalkMenu();

    AddOnItem* FindItem(uint32_t nId);
    // The enable rule: no item or an id without handler = disabled; ITEM_MARKED only
    // with a marking; ITEM_TOGGLE shows its state.
    struct CommandState {
        bool bEnabled = false;
        bool bChecked = false;
    };
    CommandState UpdateCommand(uint32_t nId, bool bMarking);

    // Whether the entry asks the user for its output file (bit 0).
    static bool AsksForOutput(const AddOnItem& item) { return (item.nOutput & OUT_ASK) != 0; }

    // Runs the entry with that id on the source: interface 1 with nothing else,
    // interface 2 with the marked text and the marker points, a toggle flips its
    // state. outputPath is what the library writes to; it must fit the 511 bytes
    // of the buffer. A successful call of an interface answers which way to open the
    // output (exactly OUT_SHELL or exactly OUT_VIEW); the caller opens it.
    // The host creates no output file, the library does; when the call fails, a file
    // at outputPath that was not there before it is removed (this user's regular
    // files only, never through a link).
    AddOnResult Dispatch(uint32_t nId, IAddOnSource& source, const std::string& outputPath,
                         const std::string& markedText = {}, const int32_t* pPoints = nullptr);

private:
    friend struct AddOnCallbacks;
    AddOnRecord* RecordOf(const AddOnItem* pItem);

    IAddOnLoader& m_loader;
    std::vector<std::unique_ptr<AddOnRecord>> m_records;
    AddOnRecord* m_pCurrent = nullptr; // set while a library runs
    IAddOnSource* m_pSource = nullptr; // set during a dispatched call
};

} // namespace tervik
