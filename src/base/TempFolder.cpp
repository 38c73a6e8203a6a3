#include "base/TempFolder.h"

#include "base/SettingKeys.h"
#include "platform/FileClaim.h"
#include "platform/Profile.h"
#include "platform/SysFolder.h"
#include "platform/SysPaths.h"

#include <cstring>

namespace tervik {

namespace {

// The environment may hold a folder of at most this many characters.
constexpr size_t kMaxEnvFolder = 256;

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && !IsPathSeparator(folder.back())) folder += kPathSeparator;
    return folder;
}

} // namespace

bool GetTempFolder(CProfile& profile, char* pszBuffer, size_t nSize) {
    std::string folder = profile.GetProfileString(kSectionSettings, "TempPath", "");
    if (folder.empty()) {
        for (const char* pszVar : kTempFolderVariables) {
            auto value = GetEnv(pszVar);
            if (value && !value->empty() && value->size() <= kMaxEnvFolder) {
                folder = *value;
                break;
            }
        }
    }
    if (folder.empty()) folder = kFallbackTempFolder;
    folder = WithSeparator(std::move(folder));
    if (pszBuffer == nullptr || nSize == 0) return false;
    if (folder.size() >= nSize) {
        pszBuffer[0] = '\0';
        return false;
    }
    std::memcpy(pszBuffer, folder.c_str(), folder.size() + 1);
    return true;
}

std::string GetTempFolder(CProfile& profile) {
    char buf[512];
    return GetTempFolder(profile, buf, sizeof buf) ? std::string(buf) : std::string();
}

size_t DeleteTempFiles(const std::string& folder) {
    if (folder.empty()) return 0;
    size_t nRemoved = 0;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (entry.m_name.rfind("Tervik_", 0) != 0 || entry.m_bFolder) continue;
        // Failures are no one's business at program end.
        if (RemoveUnclaimedFile(WithSeparator(folder) + entry.m_name) == RemoveResult::Removed)
            ++nRemoved;
    }
    return nRemoved;
}

} // namespace tervik
