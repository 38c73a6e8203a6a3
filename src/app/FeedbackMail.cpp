#include "app/FeedbackMail.h"

#include <cstdio>

namespace tervik {

namespace {

constexpr const char* kProductName = "Orv's File-Viewer";
constexpr size_t kMaxSubject = 79;
constexpr size_t kMaxValue = 63;

std::string Limited(std::string text) {
    if (text.size() > kMaxValue) text.resize(kMaxValue);
    return text;
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void AppendEncoded(std::string& out, std::string_view text, std::string_view keep = {}) {
    static const char kHex[] = "0123456789ABCDEF";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c) || keep.find(ch) != std::string_view::npos) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
}

} // namespace

std::string FeedbackSubject(FeedbackKind kind, std::string_view productVersion) {
    const char cLetter = kind == FeedbackKind::Praise       ? 'Z'
                         : kind == FeedbackKind::Suggestion ? 'V'
                                                            : 'F';
    std::string subject = std::string(1, cLetter) + ":" + kProductName + " Version ";
    subject += productVersion;
    if (subject.size() > kMaxSubject) subject.resize(kMaxSubject);
    return subject;
}

std::string FeedbackBodyForm(FeedbackKind kind) {
    const std::string rule(70, '=');
    const std::string dots(49, '.');
    std::string middle;
    switch (kind) {
    case FeedbackKind::Praise:
        middle = "Ich verwende dieses Softwaretool und bin zufrieden damit.";
        break;
    case FeedbackKind::Suggestion:
        middle = "Beschreibung des Verbesserungvorschlages:\r\n\r\n" + dots;
        break;
    case FeedbackKind::Error:
        middle = "Beschreibung des Programmfehlers:\r\n\r\n" + dots;
        break;
    }
    const std::string nl = "\r\n";
    return "Bitte Ihre Daten ausfüllen:" + nl + nl + "Firma: " + nl + "Ansprechperson: " + nl +
           "Telefon: " + nl + "Fax: " + nl + "e-Mail: " + nl + nl + rule + nl + nl + middle + nl +
           nl + rule + nl + nl + "Daten Ihres Computer's:" + nl + nl +
           "Betriebssystem: %SYSTEMNAME %SYSTEMVERSION" + nl + "Arbeitsspeicher: %MEMORY" + nl +
           "Systemzeit: %SYSTEMTIME" + nl + nl + rule + nl + nl +
           "Bei einer neuen Softwareversion des Programmes:" + nl + nl +
           "Wollen Sie eine Benachrichtigung darüber: Ja/Nein" + nl +
           "Wollen Sie neue Versionen des Software-Tools per e-Mail: Ja/Nein" + nl + nl +
           "!!! Der Entwickler bedankt sich für Ihr e-Mail !!!";
}

FeedbackValues MakeFeedbackValues(const OsVersion& os, const MemoryStatus& memory,
                                  const LocalDateTime& time) {
    char sz[160];
    FeedbackValues v;
    v.m_systemName = Limited(os.m_name.empty() ? "unbekannt" : os.m_name);
    std::snprintf(sz, sizeof sz, "Version %d.%d", os.m_nMajor, os.m_nMinor);
    v.m_systemVersion = Limited(sz);
    std::snprintf(sz, sizeof sz, "%d.%d.%d %.2d:%.2d:%.2d", time.m_nDay, time.m_nMonth,
                  time.m_nYear, time.m_nHour, time.m_nMinute, time.m_nSecond);
    v.m_systemTime = Limited(sz);
    std::snprintf(sz, sizeof sz, "%llu KB (phys) - %llu KB (paging) - %u%% (usage)",
                  static_cast<unsigned long long>(memory.m_nTotalPhysKB),
                  static_cast<unsigned long long>(memory.m_nTotalPagingKB), memory.m_nLoadPercent);
    v.m_memory = Limited(sz);
    return v;
}

FeedbackValues CurrentFeedbackValues() {
    return MakeFeedbackValues(QueryOsVersion(), QueryMemoryStatus(), QueryLocalTime());
}

std::string FillFeedbackBody(std::string_view body, const FeedbackValues& values) {
    if (body.find('%') == std::string_view::npos) return std::string(body);
    std::string text = ReplaceAll(body, "%SYSTEMNAME", values.m_systemName);
    text = ReplaceAll(text, "%SYSTEMVERSION", values.m_systemVersion);
    text = ReplaceAll(text, "%SYSTEMTIME", values.m_systemTime);
    return ReplaceAll(text, "%MEMORY", values.m_memory);
}

std::string ReplaceAll(std::string_view text, std::string_view placeholder,
                       std::string_view value) {
    if (placeholder.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    for (size_t hit; (hit = text.find(placeholder, pos)) != std::string_view::npos;
         pos = hit + placeholder.size()) {
        out.append(text.substr(pos, hit - pos));
        out.append(value);
    }
    out.append(text.substr(pos));
    return out;
}

std::string MailtoUrl(std::string_view recipient, std::string_view subject, std::string_view body) {
    std::string url = "mailto:";
    AppendEncoded(url, recipient, "@,");
    url += "?subject=";
    AppendEncoded(url, subject);
    url += "&body=";
    AppendEncoded(url, body);
    return url;
}

} // namespace tervik
