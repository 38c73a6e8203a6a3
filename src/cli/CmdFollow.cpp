// The follow subcommand: prints a file's records as `text` does, then every record
// appended to it, as `tail -f` does.

#include "base/Strings.h"
#include "cli/CliDocument.h"
#include "cli/Output.h"
#include "cli/RecordText.h"
#include "cli/Subcommands.h"
#include "platform/CodePage.h"
#include "platform/SysConsole.h"
#include "platform/SysPaths.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace tervik::cli {

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// The exit code of a command ended by Ctrl+C, as a shell reports it.
constexpr int kExitInterrupted = 130;
// Records printed when no --from is given, as tail does.
constexpr uint32_t kDefaultTail = 10;

std::atomic<bool> g_bInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

bool Interrupted() {
    return g_bInterrupted.load(std::memory_order_relaxed);
}

// Sleeps; Ctrl+C ends the sleep early.
void Pause(Ms duration) {
    const auto until = Clock::now() + duration;
    while (!Interrupted()) {
        const auto now = Clock::now();
        if (now >= until) return;
        // In short steps: a signal arriving just before the sleep is seen soon anyway.
        const auto step = std::min<Clock::duration>(until - now, Ms(50));
        SleepFor(std::chrono::ceil<Ms>(step));
    }
}

// Whether the path names a file with content (a fresh log may still be empty;
// following starts with its first bytes).
bool HasContent(const std::string& path) {
    return FileSizeOf(path) > 0;
}

bool IsEmptyFile(const std::string& path) {
    return FileSizeOf(path) == 0;
}

// Prints each record once, in order; a last record without its line end waits until
// it is complete or the end comes.
class CPrinter {
public:
    CPrinter(CTervikDoc& doc, const TextFormat& format) : m_doc(doc), m_text(format) {}
    uint32_t m_nNext = 0;

    // Records a later refresh may still change wait (an open last line, and a
    // record cut at the longest size right before it).
    void PrintComplete() {
        const uint32_t nEnd = m_doc.SettledRecords();
        for (uint32_t r = nEnd; r < m_doc.m_nRecords; ++r)
            KeepPending(r);
        PrintUpTo(nEnd);
    }
    void PrintAll() { PrintUpTo(m_doc.m_nRecords); }
    // Writing failed (the reader of a pipe went away, the disk is full).
    bool Failed() const { return m_bFailed; }
    // A fresh document: from its first record on.
    void Restart() {
        m_nNext = 0;
        m_pending.clear();
    }

private:
    // The waiting record's text, taken while its bytes are there: a truncated file no
    // longer has them, yet they were part of the file.
    struct Pending {
        uint32_t nRecord;
        RecordEntry entry;
        std::string text;
    };
    void KeepPending(uint32_t nRecord) {
        if (FindPending(nRecord)) return;
        std::erase_if(m_pending, [&](const Pending& p) { return p.nRecord >= nRecord; });
        Pending p;
        p.nRecord = nRecord;
        p.entry = *m_doc.Record(nRecord);
        p.text = m_text.Text(m_doc, nRecord);
        m_pending.push_back(std::move(p));
    }
    const Pending* FindPending(uint32_t nRecord) const {
        const auto e = m_doc.Record(nRecord);
        for (const Pending& p : m_pending)
            if (e && p.nRecord == nRecord && p.entry.m_nOffset == e->m_nOffset &&
                p.entry.m_nLength == e->m_nLength)
                return &p;
        return nullptr;
    }
    void PrintUpTo(uint32_t nEnd) {
        for (; m_nNext < nEnd; ++m_nNext) {
            if (const Pending* p = FindPending(m_nNext)) {
                m_out.Put(p->text);
                m_out.Put('\n');
            } else {
                m_text.Put(m_out, m_doc, m_nNext);
            }
        }
        // A reader at the other end of a pipe sees each line as soon as it is there.
        m_out.Flush();
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) m_bFailed = true;
    }

    CTervikDoc& m_doc;
    CRecordText m_text;
    COutput m_out;
    std::vector<Pending> m_pending;
    bool m_bFailed = false;
};

} // namespace

int RunFollow(CArgs& args) {
    const OpenArgs open = TakeOpenArgs(args);
    const auto nFrom = args.TakeNumber("--from", kMaxRecords);
    const auto nIdleExit = args.TakeNumber("--idle-exit", 1'000'000'000'000);
    const auto nInterval = args.TakeNumber("--interval", 3'600'000);
    const TextFormat format = TakeTextFormat(args);
    const std::vector<std::string> rest = args.Positionals();
    if (!args.HasError() && rest.size() != 1)
        args.SetError(rest.empty() ? "Es fehlt der Dateiname." : "Zu viele Argumente.");
    if (!args.HasError() && nInterval && *nInterval == 0)
        args.SetError("Ungültiger Wert für --interval: 0");
    if (args.HasError()) return UsageError(Utf8ToCp1252(args.Error()));
    const std::string& path = rest[0];
    const Ms interval(static_cast<Ms::rep>(nInterval.value_or(250)));

    CatchInterrupt(g_bInterrupted);
    auto lastGrowth = Clock::now();
    const auto Idle = [&] {
        return nIdleExit && Clock::now() - lastGrowth >= Ms(static_cast<Ms::rep>(*nIdleExit));
    };

    // A log that was just created is still empty: wait for its first bytes.
    while (IsEmptyFile(path)) {
        if (Interrupted()) return kExitInterrupted;
        if (Idle()) return kExitOk;
        Pause(interval);
    }
    int nExit = kExitOk;
    // The writer goes on writing while we follow (a share mode on Windows).
    OpenArgs shared = open;
    shared.options.m_bShareWrite = true;
    OpenedFile f = OpenFile(shared, path, nExit);
    if (!f.pDoc) return nExit;
    CTervikDoc& doc = *f.pDoc;
    lastGrowth = Clock::now();

    CPrinter printer(doc, format);
    printer.m_nNext = nFrom ? static_cast<uint32_t>(*nFrom)
                            : doc.m_nRecords - std::min(doc.m_nRecords, kDefaultTail);
    bool bReopenDue = false;
    for (;;) {
        if (!bReopenDue) printer.PrintComplete();
        if (printer.Failed()) {
            PrintMessage(Utf8ToCp1252("Die Ausgabe konnte nicht geschrieben werden."));
            return kExitFailure;
        }
        if (Interrupted()) {
            // What the file holds by now is printed too.
            if (!bReopenDue) doc.Extend();
            printer.PrintAll();
            return kExitInterrupted;
        }
        if (Idle()) {
            printer.PrintAll();
            return kExitOk;
        }
        Pause(interval);
        if (Interrupted()) continue;

        if (!bReopenDue) {
            if (doc.Extend()) lastGrowth = Clock::now();
            if (doc.CheckFileChange() == FileChange::None) continue;
            // Truncated or rotated: what was read of the old file is printed in full,
            // then the new one follows from its start.
            printer.PrintAll();
            PrintMessage(FormatString(IDS_FOLLOW_RESTART, PathToAnsi(path).c_str()));
            bReopenDue = true;
            lastGrowth = Clock::now();
        }
        // The new file may not exist yet or still be empty; it is tried again each round.
        if (HasContent(path) && doc.Reopen()) {
            ApplyCharsetArgs(open, doc);
            bReopenDue = false;
            printer.Restart();
            lastGrowth = Clock::now();
        }
    }
}

} // namespace tervik::cli
