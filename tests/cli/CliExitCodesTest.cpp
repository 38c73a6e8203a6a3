// Failures end with exit code 1 and say why on stderr; the settings file only
// speaks up when it is there but cannot be read.

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace tervik {
namespace {

#ifndef _WIN32 // links, /bin/sh and its file size limit
class CliExitCodes : public ::testing::Test {
protected:
    test::CTempDir m_dir;
    std::string m_log = m_dir.Write("app.log", Lines());
    std::string m_script = m_dir.Write("all.terviks", "SELECT LINE=*ALL\n");

    static std::string Lines() {
        std::string s;
        for (int i = 0; i < 20000; ++i)
            s += "Zeile " + std::to_string(i) + "\n";
        return s;
    }
    static size_t Count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
};

TEST_F(CliExitCodes, FailuresSayWhyAndSettingsSpeakOnlyWhenUnreadable) {
    const std::string ini = m_dir.Write("t.ini", "");
    const std::string out = m_dir.File("out.txt");
    std::filesystem::create_hard_link(m_log, m_dir.File("hard.log"));
    std::filesystem::create_symlink(m_log, m_dir.File("soft.log"));
    std::filesystem::create_directory(m_dir.File("folder.ini"));
    m_dir.Write("huge.ini", std::string((size_t{8} << 20) + 1, ';'));
    // The file size limit makes the export's writing fail after its first bytes.
    const std::string limited = "trap '' XFSZ; ulimit -f 4; exec \"$0\" \"$@\"";
    const std::string kOwn = "Die Ausgabedatei ist die angezeigte Datei selbst";
    const std::string kSettings = "Die Einstellungsdatei";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool bLimited;
        int nExit;
        std::vector<std::string> say;    // each exactly once on stderr
        std::vector<std::string> silent; // never on stderr
        std::function<void()> check;
    };
    const auto selectInto = [&](const std::string& target, const std::string& iniPath) {
        return std::vector<std::string>{"select", m_script, m_log,  "--export",
                                        target,   "--ini",  iniPath};
    };
    const auto logKept = [&] { EXPECT_EQ(test::ReadWholeFile(m_log), Lines()); };
    const Case cases[] = {
        {"export into the shown file", selectInto(m_log, ini), false, 1, {kOwn}, {}, logKept},
        {"through ./", selectInto(m_dir.File("./app.log"), ini), false, 1, {kOwn}, {}, logKept},
        {"through a hard link",
         selectInto(m_dir.File("hard.log"), ini),
         false,
         1,
         {kOwn},
         {},
         logKept},
        {"through a symbolic link",
         selectInto(m_dir.File("soft.log"), ini),
         false,
         1,
         {kOwn},
         {},
         logKept},
        {"writing fails",
         selectInto(out, ini),
         true,
         1,
         {"Verarbeitungsfehler in Datei", "wurde gel\xC3\xB6scht"},
         {"Soll die Datei"},
         [&] { EXPECT_FALSE(std::filesystem::exists(out)); }},
        {"export succeeds",
         selectInto(out, ini),
         false,
         0,
         {},
         {kSettings},
         [&] { EXPECT_EQ(test::ReadWholeFile(out).size(), Lines().size() + 20000); }},
        {"settings file is a folder",
         {"info", m_log, "--ini", m_dir.File("folder.ini")},
         false,
         0,
         {kSettings},
         {},
         {}},
        {"settings file too large",
         selectInto(out, m_dir.File("huge.ini")),
         false,
         0,
         {kSettings},
         {},
         {}},
        {"settings file missing, folder too",
         {"info", m_log, "--ini", m_dir.File("nowhere/t.ini")},
         false,
         0,
         {},
         {kSettings},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.args;
        test::ProcessResult r;
        if (c.bLimited) {
            args.insert(args.begin(), {"-c", limited, TERVIK_CLI_PATH});
            r = test::RunProcess("/bin/sh", args);
        } else {
            r = test::RunCli(args);
        }
        EXPECT_EQ(r.nExitCode, c.nExit) << r.err;
        for (const std::string& text : c.say)
            EXPECT_EQ(Count(r.err, text), 1u) << text << "\n" << r.err;
        for (const std::string& text : c.silent)
            EXPECT_EQ(Count(r.err, text), 0u) << text << "\n" << r.err;
        if (c.check) c.check();
    }
}
#endif

} // namespace
} // namespace tervik
