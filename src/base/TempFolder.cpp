#include "base/TempFolder.h"

#include "base/SettingKeys.h"
#include "base/Strings.h"
#include "platform/CodePage.h"
#include "platform/FileClaim.h"
#include "platform/Profile.h"
#include "platform/SysFolder.h"
#include "platform/SysPaths.h"

#include <cstdio>
#include <cstring>
#include <random>

namespace tervik {

namespace {

// The environment may hold a folder of at most this many characters.
constexpr size_t kMaxEnvFolder = 256;
constexpr const char* kOwnFolderPrefix = "tervik-";
constexpr const char* kGeneratedPrefix = "Tervik_";

// As many random bits as mkstemp's six letters and more: 10 of 62 characters.
std::string RandomNamePart() {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
    std::string part(10, ' ');
    for (char& c : part)
        c = kChars[pick(random)];
    return part;
}

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

bool GetGeneratedFolder(CProfile& profile, std::string& folder, std::string& message) {
    message.clear();
    folder = OwnFolderName(GetTempFolder(profile), kOwnFolderPrefix);
    uint32_t nError = 0;
    switch (CheckOwnFolder(folder, true, nError)) {
    case OwnFolder::Ready:
        return true;
    case OwnFolder::Foreign:
        message = FormatString(IDS_TEMP_FOLDER_FOREIGN, PathToAnsi(folder).c_str());
        break;
    case OwnFolder::Failed:
        message = ProcessingErrorText(folder, nError);
        break;
    }
    folder.clear();
    return false;
}

std::string GeneratedFileName(const std::string& folder, const std::string& docPath,
                              const std::tm& local, std::string_view ext) {
    return GeneratedFileName(folder, docPath, local, ext, RandomNamePart());
}

std::string GeneratedFileName(const std::string& folder, const std::string& docPath,
                              const std::tm& t, std::string_view ext, std::string_view unique) {
    // The system's separators: on POSIX a backslash belongs to the name.
    const size_t nSlash = docPath.find_last_of(kPathSeparator == '\\' ? "\\/" : "/");
    const std::string name = nSlash == std::string::npos ? docPath : docPath.substr(nSlash + 1);
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "_%.4d%.2d%.2d_%.2d%.2d%.2d_", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return folder + kGeneratedPrefix + name + stamp + std::string(unique) + std::string(ext);
}

bool IsGeneratedFile(CProfile& profile, const std::string& path) {
    const std::string temp = GetTempFolder(profile);
    if (temp.empty()) return false;
    for (const std::string& folder : {temp, OwnFolderName(temp, kOwnFolderPrefix)})
        if (path.rfind(folder + kGeneratedPrefix, 0) == 0) return true;
    return false;
}

size_t DeleteGeneratedFiles(CProfile& profile) {
    const std::string temp = GetTempFolder(profile);
    if (temp.empty()) return 0;
    // Older versions left theirs in the temporary folder itself.
    size_t nRemoved = DeleteTempFiles(temp);
    const std::string own = OwnFolderName(temp, kOwnFolderPrefix);
    uint32_t nError = 0;
    if (own != temp && CheckOwnFolder(own, false, nError) == OwnFolder::Ready)
        nRemoved += DeleteTempFiles(own);
    return nRemoved;
}

size_t DeleteTempFiles(const std::string& folder) {
    if (folder.empty()) return 0;
    size_t nRemoved = 0;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (entry.m_name.rfind(kGeneratedPrefix, 0) != 0 || entry.m_bFolder) continue;
        // Failures are no one's business at program end.
        if (RemoveUnclaimedFile(WithSeparator(folder) + entry.m_name) == RemoveResult::Removed)
            ++nRemoved;
    }
    return nRemoved;
}

} // namespace tervik
