// Failures end with exit code 1 and say why on stderr; the settings file speaks up
// only when it is there but cannot be read.

#include "support/RunProcess.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace tervik {
namespace {

#ifndef _WIN32 // links, /bin/sh and its file size limit
size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(CliExitCodes, FailuresSayWhyAndSettingsSpeakOnlyWhenUnreadable) {
    test::CTempDir dir;
    std::string lines;
    for (int i = 0; i < 20000; ++i)
        lines += "Zeile " + std::to_string(i) + "\n";
    const std::string log = dir.Write("app.log", lines), out = dir.File("out.txt");
    const std::string script = dir.Write("all.terviks", "SELECT LINE=*ALL\n");
    const std::string ini = dir.Write("t.ini", "");
    std::filesystem::create_hard_link(log, dir.File("hard.log"));
    std::filesystem::create_symlink(log, dir.File("soft.log"));
    std::filesystem::create_directory(dir.File("folder.ini"));
    const std::string kOwn = "Die Ausgabedatei ist die angezeigte Datei selbst";
    const std::string kSettings = "Die Einstellungsdatei";
    const std::string kDeleted = "wurde gel\xC3\xB6scht";
    struct Case {
        std::string exportTo, iniPath;
        bool bSizeLimit; // writing fails after the first bytes
        int nExit;
        std::vector<std::string> said; // each exactly once on stderr; the others never
    } cases[] = {
        {log, ini, false, 1, {kOwn}},
        {dir.File("./app.log"), ini, false, 1, {kOwn}},
        {dir.File("hard.log"), ini, false, 1, {kOwn}},
        {dir.File("soft.log"), ini, false, 1, {kOwn}},
        {out, ini, true, 1, {"Verarbeitungsfehler in Datei", kDeleted}},
        {out, dir.File("folder.ini"), false, 0, {kSettings}},
        {out, dir.File("nowhere/t.ini"), false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exportTo + " " + c.iniPath);
        std::vector<std::string> args = {"select",   script,  log,      "--export",
                                         c.exportTo, "--ini", c.iniPath};
        if (c.bSizeLimit)
            args.insert(args.begin(),
                        {"-c", "trap '' XFSZ; ulimit -f 4; exec \"$0\" \"$@\"", TERVIK_CLI_PATH});
        const test::ProcessResult r =
            c.bSizeLimit ? test::RunProcess("/bin/sh", args) : test::RunCli(args);
        EXPECT_EQ(r.nExitCode, c.nExit) << r.err;
        for (const std::string& text : c.said)
            EXPECT_EQ(Count(r.err, text), 1u) << text << "\n" << r.err;
        for (const std::string& text : {kOwn, kSettings, kDeleted, std::string("Soll die Datei")})
            if (std::find(c.said.begin(), c.said.end(), text) == c.said.end()) {
                EXPECT_EQ(Count(r.err, text), 0u) << text << "\n" << r.err;
            }
        EXPECT_EQ(test::ReadWholeFile(log), lines);
        EXPECT_EQ(std::filesystem::exists(out), c.nExit == 0);
    }
}
#endif

} // namespace
} // namespace tervik
