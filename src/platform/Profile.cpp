#include "platform/Profile.h"

#include "platform/CodePage.h"
#include "platform/ProfileFile.h"
#include "platform/SysError.h"

#include <algorithm>
#include <cerrno>
#include <climits>

namespace tervik {

namespace {

constexpr size_t npos = std::string::npos;
// A settings file is small; anything beyond this is not one, and reading it would
// cost memory for nothing. Writes refuse to produce a file we could not read back.
constexpr size_t kMaxFileSize = size_t{8} << 20;
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
// Why a file that is no single-byte text is not written.
#ifdef _WIN32
constexpr uint32_t kErrNotSingleByte = 1113; // ERROR_NO_UNICODE_TRANSLATION
#else
constexpr uint32_t kErrNotSingleByte = EILSEQ;
#endif

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

size_t SkipBlanks(std::string_view s, size_t i) {
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return i;
}

std::string_view Trim(std::string_view s) {
    const size_t nBegin = SkipBlanks(s, 0);
    size_t nEnd = s.size();
    while (nEnd > nBegin && IsBlank(s[nEnd - 1]))
        --nEnd;
    return s.substr(nBegin, nEnd - nBegin);
}

// ASCII folding only: cp1252 letters above 0x7F compare by byte, as a plain
// byte compare never misbehaves on them.
char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != npos;
}

// A section name that would not read back as written is refused.
bool IsValidSection(std::string_view section) {
    return section.find(']') == npos && !HasLineBreak(section);
}

// Likewise a key: "=" would split it, and a line starting with "[" or ";" reads as
// a header or a comment.
bool IsValidKey(std::string_view key) {
    return !key.empty() && key.find('=') == npos && !HasLineBreak(key) && key.front() != '[' &&
           key.front() != ';';
}

std::string_view CutAtLineBreak(std::string_view value) {
    return value.substr(0, std::min(value.size(), value.find_first_of("\r\n")));
}

std::string_view StripQuotes(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

int ParseInt(std::string_view s) {
    size_t i = SkipBlanks(s, 0);
    bool bNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        bNegative = s[i] == '-';
        ++i;
    }
    const int64_t nLimit = bNegative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    int64_t nValue = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        nValue = nValue * 10 + (s[i] - '0');
        if (nValue >= nLimit) {
            nValue = nLimit;
            break;
        }
    }
    return static_cast<int>(bNegative ? -nValue : nValue);
}

// UTF-16 after its mark as cp1252, as the Windows profile functions read such a file
// for 8-bit callers; a surrogate pair is one character without a cp1252 byte.
std::string Utf16ToCp1252(std::string_view bytes, bool bBigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const auto unitAt = [&](size_t i) {
        const auto hi = static_cast<uint8_t>(bytes[bBigEndian ? i : i + 1]);
        const auto lo = static_cast<uint8_t>(bytes[bBigEndian ? i + 1 : i]);
        return static_cast<uint16_t>(hi << 8 | lo);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint16_t nUnit = unitAt(i);
        if (nUnit >= 0xD800 && nUnit < 0xDC00 && i + 3 < bytes.size()) {
            const uint16_t nNext = unitAt(i + 2);
            if (nNext >= 0xDC00 && nNext < 0xE000) i += 2;
        }
        out += static_cast<char>(Utf16UnitToCp1252(nUnit));
    }
    return out;
}

} // namespace

CProfile::CProfile(std::string path) : m_path(std::move(path)) {}

uint32_t CProfile::ReadError() {
    Load();
    return m_nReadError;
}

bool CProfile::IsNotSingleByteText() {
    Load();
    return m_bNotSingleByte;
}

// ---------------------------------------------------------------------------
// Reading

void CProfile::Load() {
    ProfileFileStamp now;
    const bool bExists = GetProfileFileStamp(m_path, now);
    if (m_bLoaded) {
        const bool bSame = bExists ? now == m_stamp : m_stamp.m_nSize < 0;
        if (bSame) return;
    }
    Read();
    m_bLoaded = true;
    for (const PendingChange& change : m_pending)
        Apply(change);
}

void CProfile::Read() {
    m_lines.clear();
    m_bBom = false;
    m_bNotSingleByte = false;
    m_eol = "\n";
    m_stamp = {};
    std::string content;
    m_nReadError = ReadProfileFile(m_path, kMaxFileSize, content, m_stamp);
    if (m_nReadError != 0) {
        // Tried again only once the file changes: a file too large to read would
        // otherwise be read in vain at every access.
        m_stamp = {};
        GetProfileFileStamp(m_path, m_stamp);
        return;
    }
    if (content.starts_with(kUtf16LeBom) || content.starts_with(kUtf16BeBom)) {
        m_bNotSingleByte = true;
        const bool bBigEndian = content.starts_with(kUtf16BeBom);
        Parse(Utf16ToCp1252(std::string_view(content).substr(2), bBigEndian));
        return;
    }
    m_bNotSingleByte = content.find('\0') != npos;
    Parse(content);
}

void CProfile::Parse(std::string_view content) {
    size_t nPos = 0;
    if (content.starts_with(kBom)) {
        m_bBom = true;
        nPos = kBom.size();
    }
    const size_t nFirstLf = content.find('\n', nPos);
    if (nFirstLf != npos && nFirstLf > nPos && content[nFirstLf - 1] == '\r') m_eol = "\r\n";

    while (nPos < content.size()) {
        const size_t nLf = content.find('\n', nPos);
        size_t nEnd = nLf == npos ? content.size() : nLf;
        const size_t nNext = nLf == npos ? content.size() : nLf + 1;
        // Every CR before the line end goes, so that no value ends in one and a
        // file written in LF form reads back the same.
        while (nEnd > nPos && content[nEnd - 1] == '\r')
            --nEnd;
        m_lines.push_back(Line{std::string(content.substr(nPos, nEnd - nPos))});
        Classify(m_lines.back());
        nPos = nNext;
    }
}

void CProfile::Classify(Line& line) {
    line.kind = Line::Kind::Other;
    line.nNamePos = 0;
    line.nNameLen = 0;
    const std::string_view text = line.text;
    const size_t nStart = SkipBlanks(text, 0);
    if (nStart >= text.size() || text[nStart] == ';') return;

    size_t nBegin = 0;
    size_t nEnd = 0;
    if (text[nStart] == '[' && text.find(']', nStart + 1) != npos) {
        line.kind = Line::Kind::Section;
        nBegin = nStart + 1;
        nEnd = text.find(']', nBegin);
    } else {
        const size_t nEqual = text.find('=', nStart);
        if (nEqual == npos) return;
        line.kind = Line::Kind::Key;
        nBegin = nStart;
        nEnd = nEqual;
    }
    nBegin = SkipBlanks(text, nBegin);
    while (nEnd > nBegin && IsBlank(text[nEnd - 1]))
        --nEnd;
    // Lines are bounded by kMaxFileSize when read; a longer line written in this
    // run keeps its name at the front, so these stay within range.
    line.nNamePos = static_cast<uint32_t>(std::min<size_t>(nBegin, UINT32_MAX));
    line.nNameLen = static_cast<uint32_t>(std::min<size_t>(nEnd - nBegin, UINT32_MAX));
}

size_t CProfile::FindSection(std::string_view section) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Section && SameName(m_lines[i].Name(), section))
            return i;
    }
    return npos;
}

size_t CProfile::SectionEnd(size_t nSection) const {
    size_t i = nSection + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Kind::Section)
        ++i;
    return i;
}

size_t CProfile::FindKey(size_t nSection, std::string_view key) const {
    if (key.empty()) return npos;
    const size_t nEnd = SectionEnd(nSection);
    for (size_t i = nSection + 1; i < nEnd; ++i) {
        if (m_lines[i].kind == Line::Kind::Key && SameName(m_lines[i].Name(), key)) return i;
    }
    return npos;
}

bool CProfile::FindValue(std::string_view section, std::string_view key, std::string_view& value) {
    Load();
    const size_t nSection = FindSection(Trim(section));
    if (nSection == npos) return false;
    const size_t nKey = FindKey(nSection, Trim(key));
    if (nKey == npos) return false;
    const std::string_view text = m_lines[nKey].text;
    value = Trim(text.substr(text.find('=', m_lines[nKey].nNamePos) + 1));
    return true;
}

int CProfile::GetProfileInt(std::string_view section, std::string_view key, int nDefault) {
    std::string_view value;
    if (!FindValue(section, key, value)) return nDefault;
    value = StripQuotes(value);
    return value.empty() ? nDefault : ParseInt(value);
}

std::string CProfile::GetProfileString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) {
    std::string_view value;
    if (!FindValue(section, key, value)) return std::string(defaultValue);
    return std::string(StripQuotes(value));
}

bool CProfile::HasKey(std::string_view section, std::string_view key) {
    std::string_view value;
    return FindValue(section, key, value);
}

std::vector<std::string> CProfile::GetKeyNames(std::string_view section) {
    Load();
    std::vector<std::string> names;
    const size_t nSection = FindSection(Trim(section));
    if (nSection == npos) return names;
    const size_t nEnd = SectionEnd(nSection);
    for (size_t i = nSection + 1; i < nEnd; ++i) {
        const std::string_view name = m_lines[i].Name();
        if (m_lines[i].kind != Line::Kind::Key || name.empty()) continue;
        const bool bSeen = std::any_of(names.begin(), names.end(), [&](const std::string& seen) {
            return SameName(seen, name);
        });
        if (!bSeen) names.emplace_back(name);
    }
    return names;
}

// ---------------------------------------------------------------------------
// Changing

bool CProfile::Apply(const PendingChange& change) {
    switch (change.kind) {
    case PendingChange::Kind::Write:
        return ApplyWrite(change.section, change.key, change.value);
    case PendingChange::Kind::DeleteKey:
        return ApplyDeleteKey(change.section, change.key);
    case PendingChange::Kind::DeleteSection:
        return ApplyDeleteSection(change.section);
    }
    return false;
}

bool CProfile::ApplyWrite(std::string_view section, std::string_view key, std::string_view value) {
    const auto makeLine = [](std::string text) {
        Line line{std::move(text)};
        Classify(line);
        return line;
    };
    const size_t nSection = FindSection(section);
    if (nSection == npos) {
        if (!m_lines.empty() && !Trim(m_lines.back().text).empty()) m_lines.push_back(Line{});
        m_lines.push_back(makeLine("[" + std::string(section) + "]"));
        m_lines.push_back(makeLine(std::string(key) + "=" + std::string(value)));
        return true;
    }
    const size_t nKey = FindKey(nSection, key);
    if (nKey != npos) {
        // The key keeps the spelling the file has.
        std::string text = std::string(m_lines[nKey].Name()) + "=" + std::string(value);
        if (text == m_lines[nKey].text) return false;
        m_lines[nKey] = makeLine(std::move(text));
        return true;
    }
    // After the section's last key, so trailing blank lines and comments that
    // introduce the next section stay where they are.
    size_t nInsert = nSection + 1;
    const size_t nEnd = SectionEnd(nSection);
    for (size_t i = nSection + 1; i < nEnd; ++i) {
        if (m_lines[i].kind == Line::Kind::Key) nInsert = i + 1;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(nInsert),
                   makeLine(std::string(key) + "=" + std::string(value)));
    return true;
}

bool CProfile::ApplyDeleteKey(std::string_view section, std::string_view key) {
    const size_t nSection = FindSection(section);
    if (nSection == npos) return false;
    // Every copy of the key goes, or a later duplicate would surface in its place.
    const auto first = m_lines.begin() + static_cast<std::ptrdiff_t>(nSection) + 1;
    const auto last = m_lines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(nSection));
    const auto newLast = std::remove_if(first, last, [&](const Line& line) {
        return line.kind == Line::Kind::Key && SameName(line.Name(), key);
    });
    if (newLast == last) return false;
    m_lines.erase(newLast, last);
    return true;
}

bool CProfile::ApplyDeleteSection(std::string_view section) {
    // Every copy of the section goes, for the same reason as with keys.
    bool bInside = false;
    bool bChanged = false;
    std::erase_if(m_lines, [&](const Line& line) {
        if (line.kind == Line::Kind::Section) bInside = SameName(line.Name(), section);
        bChanged = bChanged || bInside;
        return bInside;
    });
    return bChanged;
}

void CProfile::RememberPending(PendingChange change) {
    // Drop what the new change overrides, so the list stays as small as the
    // number of keys touched.
    std::erase_if(m_pending, [&](const PendingChange& old) {
        if (!SameName(old.section, change.section)) return false;
        if (change.kind == PendingChange::Kind::DeleteSection) return true;
        return old.kind != PendingChange::Kind::DeleteSection && SameName(old.key, change.key);
    });
    m_pending.push_back(std::move(change));
}

bool CProfile::Commit(PendingChange change, bool bChanged) {
    if (m_bReadOnly) {
        RememberPending(std::move(change));
        m_nLastError = 0;
        return true;
    }
    // Kept as a failed write's, so a file read anew meanwhile gets it too.
    if (m_nBatch > 0) {
        if (bChanged) RememberPending(std::move(change));
        m_nLastError = 0;
        return true;
    }
    // Nothing to write when neither this nor an earlier change is missing in the file.
    if (!bChanged && m_pending.empty()) {
        m_nLastError = 0;
        return true;
    }
    if (Save()) {
        m_pending.clear();
        return true;
    }
    RememberPending(std::move(change));
    return false;
}

bool CProfile::EndBatch() {
    if (m_nBatch > 0 && --m_nBatch > 0) return true;
    if (m_bReadOnly || m_pending.empty()) return true;
    Load();
    if (!Save()) return false;
    m_pending.clear();
    return true;
}

bool CProfile::WriteProfileString(std::string_view section, std::string_view key,
                                  std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (!IsValidSection(section) || !IsValidKey(key)) {
        m_nLastError = kErrInvalidParameter;
        return false;
    }
    PendingChange change{PendingChange::Kind::Write, std::string(section), std::string(key),
                         std::string(CutAtLineBreak(value))};
    Load();
    const bool bChanged = ApplyWrite(change.section, change.key, change.value);
    return Commit(std::move(change), bChanged);
}

bool CProfile::WriteProfileInt(std::string_view section, std::string_view key, int nValue) {
    return WriteProfileString(section, key, std::to_string(nValue));
}

bool CProfile::DeleteKey(std::string_view section, std::string_view key) {
    PendingChange change{
        PendingChange::Kind::DeleteKey, std::string(Trim(section)), std::string(Trim(key)), {}};
    Load();
    const bool bChanged = ApplyDeleteKey(change.section, change.key);
    return Commit(std::move(change), bChanged);
}

bool CProfile::DeleteSection(std::string_view section) {
    PendingChange change{PendingChange::Kind::DeleteSection, std::string(Trim(section)), {}, {}};
    Load();
    const bool bChanged = ApplyDeleteSection(change.section);
    return Commit(std::move(change), bChanged);
}

// ---------------------------------------------------------------------------
// Saving

bool CProfile::Save() {
    const auto fail = [this](uint32_t nCode) {
        m_nLastError = nCode;
        return false;
    };
    // A file we could not read must not be replaced by what little we know of it.
    if (m_nReadError != 0) return fail(m_nReadError);
    if (m_bNotSingleByte) return fail(kErrNotSingleByte);

    std::string content;
    if (m_bBom) content = kBom;
    for (const Line& line : m_lines) {
        content += line.text;
        content += m_eol;
    }
    if (content.size() > kMaxFileSize) return fail(kErrFileTooLarge);

    if (const uint32_t nError = ReplaceProfileFile(m_path, content, m_stamp); nError != 0)
        return fail(nError);
    m_nLastError = 0;
    return true;
}

} // namespace tervik
