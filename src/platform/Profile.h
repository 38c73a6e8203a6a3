#pragma once

// The settings store: one INI file with the profile semantics users of the Windows
// program know. Sections and keys compare without regard to case; a value enclosed
// in one pair of double quotes reads without them; writing keeps the order of the
// file and every line it does not change (comments and blank lines included).

#include "platform/ProfileFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervik {

class CProfile {
public:
    CProfile() = default;
    explicit CProfile(std::string path);

    const std::string& GetPath() const { return m_path; }

    // A read-only store takes writes into memory but never touches the file
    // (the command-line tool reads settings as the viewer does, never writes them).
    void SetReadOnly(bool bReadOnly) { m_bReadOnly = bReadOnly; }

    // Integer value: leading blanks, an optional sign, then the leading decimal
    // digits ("12abc" = 12, "abc" = 0). A missing key or an empty value gives nDefault.
    int GetProfileInt(std::string_view section, std::string_view key, int nDefault);

    // String value, blanks around it removed, one enclosing pair of double quotes
    // removed. A missing key gives the default.
    std::string GetProfileString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue = {});

    // Whether the key exists (with any value).
    bool HasKey(std::string_view section, std::string_view key);

    // Write a value: an existing key is changed in place; a new key goes to the end
    // of its section; a new section goes to the end of the file; a missing file is
    // created. Answers false when the file cannot be written (LastError() tells why);
    // the value is then still kept in memory for this run.
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteProfileInt(std::string_view section, std::string_view key, int nValue);

    // Remove a key, or a whole section with its keys.
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

    // Changes between BeginBatch and EndBatch reach the file together at the end,
    // in one replacement instead of one each (each waits for the disk). Batches
    // nest. Inside, a change answers true and lives in memory; EndBatch answers
    // whether the file took them (else LastError() tells why, and they last for
    // this run as a failed write's do).
    void BeginBatch() { ++m_nBatch; }
    bool EndBatch();

    // Key names of a section in file order (each once, as first spelled).
    std::vector<std::string> GetKeyNames(std::string_view section);

    // System error code of the last failed write, 0 after a successful one.
    uint32_t LastError() const { return m_nLastError; }
    // Why the file could not be read (too large, no permission, not a file): its
    // settings are then the defaults and no change reaches it. 0 when it was read
    // or does not exist.
    uint32_t ReadError();
    // Whether the file is no single-byte text (a UTF-16 mark, NUL bytes): it is read
    // (UTF-16 as cp1252) but never written, as 8-bit lines would spoil it. Changes
    // then last for this run only; writes answer false.
    bool IsNotSingleByteText();

private:
    // One line of the file, classified once when read or changed.
    struct Line {
        enum class Kind : uint8_t { Other, Section, Key };
        std::string text; // without its line end
        uint32_t nNamePos = 0;
        uint32_t nNameLen = 0;
        Kind kind = Kind::Other;
        // Section or key name, blanks around it removed.
        std::string_view Name() const { return std::string_view(text).substr(nNamePos, nNameLen); }
    };
    // A change not yet in the file (read-only store or failed write). Applied again
    // after the file is read anew, so it lasts for the whole run.
    struct PendingChange {
        enum class Kind : uint8_t { Write, DeleteKey, DeleteSection };
        Kind kind = Kind::Write;
        std::string section;
        std::string key;
        std::string value;
    };

    // Reads the file when it has not been read yet or changed since.
    void Load();
    void Read();
    void Parse(std::string_view content);
    static void Classify(Line& line);
    bool Save();
    // Writes the change to the file (or keeps it pending) and sets LastError().
    bool Commit(PendingChange change, bool bChanged);
    void RememberPending(PendingChange change);
    bool Apply(const PendingChange& change);
    bool ApplyWrite(std::string_view section, std::string_view key, std::string_view value);
    bool ApplyDeleteKey(std::string_view section, std::string_view key);
    bool ApplyDeleteSection(std::string_view section);
    // Trimmed value of the key, false when there is no such key.
    bool FindValue(std::string_view section, std::string_view key, std::string_view& value);
    // Index of the section header line, or npos.
    size_t FindSection(std::string_view section) const;
    // Index of the line after the last line of the section starting at nSection.
    size_t SectionEnd(size_t nSection) const;
    // Index of the key's line inside the section starting at nSection, or npos.
    size_t FindKey(size_t nSection, std::string_view key) const;

    std::string m_path;
    bool m_bReadOnly = false;
    bool m_bLoaded = false;
    uint32_t m_nLastError = 0;
    int m_nBatch = 0;
    // Set when the file exists but could not be read; writing it would lose its content.
    uint32_t m_nReadError = 0;
    std::vector<Line> m_lines;
    std::vector<PendingChange> m_pending;
    // Line end used when writing: that of the file as read, LF for a new file.
    std::string m_eol = "\n";
    // A UTF-8 byte order mark the file started with, written back.
    bool m_bBom = false;
    // Read, but never written: see IsNotSingleByteText.
    bool m_bNotSingleByte = false;
    // Change detection so that a file changed by another program is read again.
    ProfileFileStamp m_stamp;
};

// A batch of changes for the scope it lives in.
class CProfileBatch {
public:
    explicit CProfileBatch(CProfile& profile) : m_profile(profile) { m_profile.BeginBatch(); }
    ~CProfileBatch() { m_profile.EndBatch(); }
    CProfileBatch(const CProfileBatch&) = delete;
    CProfileBatch& operator=(const CProfileBatch&) = delete;

private:
    CProfile& m_profile;
};

} // namespace tervik
