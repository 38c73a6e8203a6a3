// Settings files are edited by hand and by other programs; whatever they hold must
// read without harm, a change must read back as written, and a saved file must read
// back as the store saw it.

#include "platform/Profile.h"
#include "platform/SysFolder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using tervik::CProfile;

// One pair of scratch files per process, reused for every input, in this user's own
// folder: in the shared temporary folder another user could put a link in their place.
const std::string& ScratchPath(size_t n) {
    static const std::array<std::string, 2> paths = [] {
        const char* pszTmp = std::getenv("TMPDIR");
        std::string parent = pszTmp && *pszTmp ? pszTmp : "/tmp";
        if (parent.back() != '/') parent += '/';
        const std::string folder = tervik::OwnFolderName(parent, "tervik-fuzz-");
        uint32_t nError = 0;
        if (tervik::CheckOwnFolder(folder, true, nError) != tervik::OwnFolder::Ready) std::abort();
        const std::string base = folder + "fuzz_ini_" + std::to_string(::getpid());
        return std::array<std::string, 2>{base + "_a.ini", base + "_b.ini"};
    }();
    static const bool bCleanup = std::atexit([] {
                                     for (const std::string& path : paths)
                                         std::remove(path.c_str());
                                 }) == 0;
    (void)bCleanup;
    return paths[n];
}

void WriteFile(const std::string& path, std::string_view data) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), file) != data.size())
        std::abort();
    std::fclose(file);
}

void Check(bool bOk) {
    if (!bOk) __builtin_trap();
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// What reading gives for a value that was written.
std::string ReadBack(std::string_view value) {
    value = Trim(value.substr(0, std::min(value.size(), value.find_first_of("\r\n"))));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Section and key names taken from the input's own lines, so lookups hit.
void CollectNames(std::string_view input, std::vector<std::string>& sections,
                  std::vector<std::string>& keys) {
    size_t nPos = 0;
    while (nPos < input.size() && (sections.size() < 6 || keys.size() < 6)) {
        size_t nEnd = input.find('\n', nPos);
        if (nEnd == std::string_view::npos) nEnd = input.size();
        const std::string_view line = input.substr(nPos, nEnd - nPos);
        const size_t nOpen = line.find('[');
        const size_t nClose = line.find(']');
        const size_t nEqual = line.find('=');
        if (nOpen != std::string_view::npos && nClose != std::string_view::npos && nOpen < nClose &&
            sections.size() < 6)
            sections.emplace_back(line.substr(nOpen + 1, nClose - nOpen - 1));
        else if (nEqual != std::string_view::npos && keys.size() < 6)
            keys.emplace_back(line.substr(0, nEqual));
        nPos = nEnd + 1;
    }
}

void CheckSameContent(CProfile& a, CProfile& b, const std::vector<std::string>& sections) {
    for (const std::string& section : sections) {
        const std::vector<std::string> names = a.GetKeyNames(section);
        Check(names == b.GetKeyNames(section));
        for (const std::string& name : names)
            Check(a.GetProfileString(section, name) == b.GetProfileString(section, name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> sections = {"", "A"};
    std::vector<std::string> keys = {"a"};
    CollectNames(input, sections, keys);
    const std::string section = sections.back();
    const std::string key = keys.back();
    const std::string_view value = input.substr(input.size() / 2);

    // Reading whatever the file holds.
    WriteFile(ScratchPath(0), input);
    CProfile profile(ScratchPath(0));
    for (const std::string& s : sections) {
        for (const std::string& name : profile.GetKeyNames(s))
            Check(profile.HasKey(s, name));
        for (const std::string& k : keys) {
            const bool bHas = profile.HasKey(s, k);
            (void)profile.GetProfileInt(s, k, 7);
            if (!bHas) Check(profile.GetProfileString(s, k, "\x01") == "\x01");
        }
    }

    // A change in memory only reads back as written.
    profile.SetReadOnly(true);
    if (profile.WriteProfileString(section, key, value)) {
        Check(profile.LastError() == 0);
        Check(profile.HasKey(section, key));
        Check(profile.GetProfileString(section, key) == ReadBack(value));
    }
    Check(profile.DeleteKey(section, key));
    Check(!profile.HasKey(section, key));

    // A saved file reads back as the store saw it.
    WriteFile(ScratchPath(1), input);
    CProfile writer(ScratchPath(1));
    if (writer.WriteProfileString(section, key, value)) {
        CProfile reader(ScratchPath(1));
        sections.push_back(section);
        CheckSameContent(writer, reader, sections);
        Check(reader.GetProfileString(section, key) == ReadBack(value));
    }
    return 0;
}
