#pragma once

// The three prepared feedback mails: subject, body form, the machine's data filled
// into the form, and the mailto: address the desktop's mail client receives.
// Texts are UTF-8.

#include "platform/SystemInfo.h"

#include <string>
#include <string_view>

namespace tervik {

enum class FeedbackKind {
    Praise,     // "zufriedener Benutzer ..."
    Suggestion, // "Verbesserungsvorschlag ..."
    Error,      // "Fehlermeldung ..."
};

// "Z:Orv's File-Viewer Version 1.0" (letter Z, V or F), at most 79 characters.
std::string FeedbackSubject(FeedbackKind kind, std::string_view productVersion);

// The form, lines separated by CR LF, with the placeholders %SYSTEMNAME,
// %SYSTEMVERSION, %MEMORY and %SYSTEMTIME still in it.
std::string FeedbackBodyForm(FeedbackKind kind);

// The values of the placeholders, each at most 63 characters.
struct FeedbackValues {
    std::string m_systemName;
    std::string m_systemVersion;
    std::string m_systemTime;
    std::string m_memory;
};
FeedbackValues MakeFeedbackValues(const OsVersion& os, const MemoryStatus& memory,
                                  const LocalDateTime& time);
// The values of the running machine, now.
FeedbackValues CurrentFeedbackValues();

// The form with the placeholders replaced; a text without "%" comes back as it is.
std::string FillFeedbackBody(std::string_view body, const FeedbackValues& values);

// Every occurrence of the placeholder replaced, left to right; the inserted values
// are not searched again, so a value that contains the placeholder cannot make the
// text grow without end. An empty placeholder changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view placeholder, std::string_view value);

// "mailto:" + recipient + "?subject=...&body=..." with everything but plain letters,
// digits and "-._~" percent-encoded (UTF-8 bytes as they are); the recipient keeps
// "@" and "," so that a list of addresses stays one.
std::string MailtoUrl(std::string_view recipient, std::string_view subject, std::string_view body);

} // namespace tervik
