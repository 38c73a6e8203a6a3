#include "app/AddOnHost.h"

#include "base/SettingKeys.h"
#include "base/Strings.h"
#include "document/TervikDoc.h"
#include "platform/CodePage.h"
#include "platform/FileClaim.h"
#include "platform/Profile.h"
#include "platform/SysError.h"
#include "platform/SysLibrary.h"
#include "platform/SysPaths.h"

#include <cstdio>
#include <cstring>

namespace tervik {

namespace {

class CSystemLoader : public IAddOnLoader {
public:
    void* Load(const std::string& path, LibraryLoadError& error) override {
        return CSysLibrary::Load(path, error);
    }
    void* Symbol(void* hModule, const char* pszName, const char* pszDecorated) override {
        return CSysLibrary::Symbol(hModule, pszName, pszDecorated);
    }
    void Unload(void* hModule) override { CSysLibrary::Unload(hModule); }
};

class CDocSource : public IAddOnSource {
public:
    explicit CDocSource(CTervikDoc& doc) : m_doc(doc) {}
    uint32_t RecordCount() override { return m_doc.m_nRecords; }
    uint32_t RecordLength(uint32_t nRecord) override {
        return m_doc.GetRecordLength(nRecord, false);
    }
    uint32_t RecordText(uint32_t nRecord, char* pDest, uint32_t nMax) override {
        return m_doc.GetRecordText(nRecord, pDest, nMax, 0, true, false);
    }

private:
    CTervikDoc& m_doc;
};

// The host functions are plain C functions; they act on the host whose library is
// running. Outside such a call they do nothing and answer false.
CAddOnHost* s_pActive = nullptr;

class CActiveScope {
public:
    explicit CActiveScope(CAddOnHost* pHost) : m_pPrevious(s_pActive) { s_pActive = pHost; }
    ~CActiveScope() { s_pActive = m_pPrevious; }
    CActiveScope(const CActiveScope&) = delete;
    CActiveScope& operator=(const CActiveScope&) = delete;

private:
    CAddOnHost* m_pPrevious;
};

} // namespace

struct AddOnCallbacks {
    static int32_t TERVIK_ADDON_CALL AddPopup(const char* pszText) {
        CAddOnHost* p = s_pActive;
        if (!p || !p->m_pCurrent) return 0;
        AddOnItem item;
        item.nType = kItemPopup;
        // A submenu needs a title; a missing one becomes empty rather than a crash.
        item.text = pszText ? pszText : "";
        item.bHasText = true;
        p->m_pCurrent->items.push_back(std::move(item));
        return 1;
    }

    static int32_t TERVIK_ADDON_CALL AddItem(const char* pszText, int32_t nFunction,
                                             int32_t nInterface, int32_t nOutput) {
        CAddOnHost* p = s_pActive;
        if (!p || !p->m_pCurrent) return 0;
        AddOnRecord& rec = *p->m_pCurrent;
        AddOnItem item;
        item.nType = kItemEntry;
        item.bHasText = pszText != nullptr;
        if (pszText) item.text = pszText;
        item.nFunction = nFunction;
        item.nInterface = nInterface;
        item.nOutput = nOutput;
        rec.items.push_back(std::move(item));
        if (nInterface & ITEM_FILE) {
            if (!rec.pInterface0)
                rec.pInterface0 = reinterpret_cast<TervikInterface0Fn>(p->m_loader.Symbol(
                    rec.hModule, TERVIK_INTERFACE0_NAME, TERVIK_INTERFACE0_DECORATED));
            return rec.pInterface0 != nullptr;
        }
        if (nInterface & ITEM_MARKED) {
            if (!rec.pInterface1)
                rec.pInterface1 = reinterpret_cast<TervikInterface1Fn>(p->m_loader.Symbol(
                    rec.hModule, TERVIK_INTERFACE1_NAME, TERVIK_INTERFACE1_DECORATED));
            return rec.pInterface1 != nullptr;
        }
        return 1;
    }

    static int32_t TERVIK_ADDON_CALL Reserved() { return 0; }

    static int32_t TERVIK_ADDON_CALL GetLineLength(uint32_t nRecord, int32_t* pLength) {
        CAddOnHost* p = s_pActive;
        if (!p || !p->m_pSource || !pLength) return 0;
        if (nRecord >= p->m_pSource->RecordCount()) return 0;
        *pLength = static_cast<int32_t>(p->m_pSource->RecordLength(nRecord));
        return 1;
    }

    static int32_t TERVIK_ADDON_CALL GetLineText(uint32_t nRecord, char* pBuffer, uint32_t nSize) {
        CAddOnHost* p = s_pActive;
        if (!pBuffer) return 0;
        uint32_t n = 0;
        if (p && p->m_pSource && nRecord < p->m_pSource->RecordCount())
            n = p->m_pSource->RecordText(nRecord, pBuffer, nSize);
        if (n > nSize) n = nSize;
        pBuffer[n] = '\0';
        return 1;
    }

    static int32_t TERVIK_ADDON_CALL GetToggleState(int32_t nFunction, int32_t* pState) {
        CAddOnHost* p = s_pActive;
        if (!p || !p->m_pCurrent || !pState) return 0;
        for (const AddOnItem& item : p->m_pCurrent->items)
            if (item.nType == kItemEntry && item.nFunction == nFunction) {
                *pState = item.nState;
                return 1;
            }
        return 0;
    }
};

IAddOnLoader& SystemAddOnLoader() {
    static CSystemLoader loader;
    return loader;
}

std::string LoadFailureMessage(const std::string& path, const LibraryLoadError& error) {
    const std::string name = PathToAnsi(path);
    unsigned nReason = 0;
    switch (error.kind) {
    case LibraryLoadError::Kind::System: {
        const std::string text = error.text.empty() ? SystemErrorText(error.nCode) : error.text;
        return FormatString(IDS_ADDON_LOAD_FAILED, name.c_str(), error.nCode, text.c_str());
    }
    case LibraryLoadError::Kind::NotALibrary:
        nReason = IDS_ADDON_NOT_A_LIBRARY;
        break;
    case LibraryLoadError::Kind::Refused:
        nReason = IDS_ADDON_REFUSED;
        break;
    case LibraryLoadError::Kind::NotFound:
        nReason = IDS_ADDON_NOT_FOUND;
        break;
    }
    std::string message = FormatString(nReason, name.c_str());
    // The loader's text names the file in the system's bytes.
    if (!error.text.empty())
        message += "\n" + FormatString(IDS_ADDON_LOADER_SAYS, PathToAnsi(error.text).c_str());
    return message;
}

std::unique_ptr<IAddOnSource> MakeDocumentSource(CTervikDoc& doc) {
    return std::make_unique<CDocSource>(doc);
}

CAddOnHost::CAddOnHost(IAddOnLoader& loader) : m_loader(loader) {}

CAddOnHost::~CAddOnHost() {
    for (auto& rec : m_records)
        m_loader.Unload(rec->hModule);
}

CAddOnHost::LoadStatus CAddOnHost::LoadAddOn(const std::string& path,
                                             const std::string& settingsPath,
                                             std::string& message) {
    message.clear();
    // The library gets the settings path as 8-bit text; a name that cannot be one is
    // reported rather than handed over changed.
    std::string settings;
    if (!PathToFileText(settingsPath, settings)) {
        message = FormatString(IDS_PATH_NOT_ANSI, PathToAnsi(settingsPath).c_str());
        return LoadStatus::LoadFailed;
    }
    LibraryLoadError error;
    void* h = m_loader.Load(path, error);
    if (!h) {
        message = LoadFailureMessage(path, error);
        return LoadStatus::LoadFailed;
    }
    auto pRegister = reinterpret_cast<TervikRegisterAddOnFn>(
        m_loader.Symbol(h, TERVIK_REGISTER_NAME, TERVIK_REGISTER_DECORATED));
    if (!pRegister) {
        m_loader.Unload(h);
        message = FormatString(IDS_ADDON_NO_REGISTER, PathToAnsi(path).c_str());
        return LoadStatus::NoEntryPoint;
    }
    auto rec = std::make_unique<AddOnRecord>();
    rec->hModule = h;
    rec->path = path;
    rec->pRegister = pRegister;
    m_records.push_back(std::move(rec));
    m_pCurrent = m_records.back().get();

    static const AddOnHostTable table = {&AddOnCallbacks::AddPopup, &AddOnCallbacks::AddItem};
    // settings stays valid whatever the library does.
    CActiveScope scope(this);
    const int32_t bOk = pRegister(settings.c_str(), &table);
    return bOk ? LoadStatus::Registered : LoadStatus::Refused;
}

CAddOnHost::LoadStatus CAddOnHost::RegisterAddOn(CProfile& profile, const std::string& path,
                                                 const std::string& settingsPath,
                                                 std::string& message) {
    const LoadStatus status = LoadAddOn(path, settingsPath, message);
    if (status == LoadStatus::Registered)
        profile.WriteProfileString(kSectionExtensionList, path, "1");
    return status;
}

std::vector<std::string> CAddOnHost::LoadExtensionList(CProfile& profile,
                                                       const std::string& settingsPath) {
    std::vector<std::string> messages;
    size_t nUsed = 1; // the empty name that ends the list
    for (const std::string& name : profile.GetKeyNames(kSectionExtensionList)) {
        nUsed += name.size() + 1;
        if (nUsed > 4096) break;
        if (profile.GetProfileString(kSectionExtensionList, name, "0") != "1") continue;
        std::string message;
        LoadAddOn(name, settingsPath, message);
        if (!message.empty()) messages.push_back(message);
    }
    return messages;
}

std::vector<AddOnMenuEntry> CAddOnHost::WalkMenu() {
    std::vector<AddOnMenuEntry> out;
    uint32_t nNext = kAddOnFirstId;
    for (auto& rec : m_records) {
        bool bInPopup = false;
        for (AddOnItem& item : rec->items) {
            AddOnMenuEntry e;
            e.pItem = &item;
            if (item.nType == kItemPopup) {
                e.kind = AddOnMenuEntry::Popup;
                bInPopup = true;
                out.push_back(e);
                continue;
            }
            e.bInPopup = bInPopup;
            if (!item.bHasText) {
                e.kind = AddOnMenuEntry::Separator;
            } else {
                e.kind = AddOnMenuEntry::Item;
                if (item.nCommand == 0) item.nCommand = nNext;
                e.nId = nNext++;
            }
            out.push_back(e);
        }
    }
    return out;
}

AddOnItem* CAddOnHost::FindItem(uint32_t nId) {
    if (nId == 0) return nullptr;
    for (auto& rec : m_records)
        for (AddOnItem& item : rec->items)
            if (item.nType == kItemEntry && item.nCommand == nId) return &item;
    return nullptr;
}

AddOnRecord* CAddOnHost::RecordOf(const AddOnItem* pItem) {
    for (auto& rec : m_records)
        for (const AddOnItem& item : rec->items)
            if (&item == pItem) return rec.get();
    return nullptr;
}

CAddOnHost::CommandState CAddOnHost::UpdateCommand(uint32_t nId, bool bMarking) {
    CommandState state;
    const AddOnItem* pItem = nId <= kAddOnLastId ? FindItem(nId) : nullptr;
    if (!pItem) return state;
    if (pItem->nInterface & ITEM_MARKED) {
        state.bEnabled = bMarking;
        return state;
    }
    state.bEnabled = true;
    state.bChecked = (pItem->nInterface & ITEM_TOGGLE) != 0 && pItem->nState != 0;
    return state;
}

AddOnResult CAddOnHost::Dispatch(uint32_t nId, IAddOnSource& source, const std::string& outputPath,
                                 const std::string& markedText, const int32_t* pPoints) {
    AddOnResult result;
    AddOnItem* pItem = nId <= kAddOnLastId ? FindItem(nId) : nullptr;
    AddOnRecord* pRecord = pItem ? RecordOf(pItem) : nullptr;
    if (!pItem || !pRecord) {
        result.message = LoadString(IDS_ADDON_NOT_IMPLEMENTED);
        return result;
    }
    std::string output;
    if (!PathToFileText(outputPath, output)) {
        result.message = FormatString(IDS_PATH_NOT_ANSI, PathToAnsi(outputPath).c_str());
        return result;
    }
    if (output.size() >= kAddOnPathSize) {
        result.message = FormatString(IDS_ADDON_OUTPUT_TOO_LONG, PathToAnsi(outputPath).c_str());
        return result;
    }
    // One byte more than the library is told about, always NUL: a buffer the library
    // filled to the end without a terminator is still read within bounds.
    char szOutput[kAddOnPathSize + 1] = {};
    char szMessage[kAddOnMessageSize + 1] = {};
    std::memcpy(szOutput, output.data(), output.size());
    int32_t points[4] = {0, 0, 0, 0};
    if (pPoints) std::memcpy(points, pPoints, sizeof(points));
    static const AddOnCallTable calls = {&AddOnCallbacks::Reserved, &AddOnCallbacks::GetLineLength,
                                         &AddOnCallbacks::GetLineText,
                                         &AddOnCallbacks::GetToggleState};

    // A file that is there before the call is not the entry's to leave or ours to take.
    const bool bExisted = FileExists(outputPath);
    m_pCurrent = pRecord;
    m_pSource = &source;
    bool bOk = false;
    bool bCalled = false;
    {
        CActiveScope scope(this);
        if (pItem->nInterface == ITEM_FILE) {
            if (pRecord->pInterface0) {
                bOk = pRecord->pInterface0(pItem->nFunction, &calls, szOutput, szMessage) != 0;
                bCalled = true;
            }
        } else if (pItem->nInterface == ITEM_MARKED) {
            if (pRecord->pInterface1) {
                const std::string text = markedText; // NUL-terminated copy of its own
                bOk = pRecord->pInterface1(pItem->nFunction, text.c_str(), points, &calls, szOutput,
                                           szMessage) != 0;
                bCalled = true;
            }
        } else if (pItem->nInterface == ITEM_TOGGLE) {
            pItem->nState = pItem->nState == 0 ? 1 : 0;
            bOk = true;
        }
    }
    m_pCurrent = nullptr;
    m_pSource = nullptr;
    szOutput[kAddOnPathSize] = '\0';
    szMessage[kAddOnMessageSize] = '\0';
    result.bOk = bOk;
    result.outputPath = FileTextToPath(szOutput);
    if (!bOk) {
        // What a failed entry began to write is no result: no one would open it, and a
        // generated name would otherwise wait for the program's end.
        if (bCalled && !bExisted) RemoveUnclaimedFile(outputPath);
        result.message =
            szMessage[0] ? std::string(szMessage) : LoadString(IDS_ADDON_NOT_IMPLEMENTED);
        return result;
    }
    if (bCalled) {
        if (pItem->nOutput == OUT_SHELL) result.open = AddOnOpen::Shell;
        if (pItem->nOutput == OUT_VIEW) result.open = AddOnOpen::View;
    }
    return result;
}

} // namespace tervik
