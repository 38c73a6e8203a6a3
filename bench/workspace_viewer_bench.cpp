// Saving and loading a workspace with one large log.
//   tervik-bench-workspace-viewer FILE SELECTED WORKSPACE
// Opens FILE alone (timed), selects SELECTED lines spread over it, saves the
// workspace right after the open (the save waits for the rest of the digest) and
// once more with the digest known, closes it and loads it again (timed).
// Prints open-ms, save-after-open-ms, save-ms, load-ms; bench/workspace_viewer.sh runs it.
//   tervik-bench-workspace-viewer --many WINDOWS FILES FOLDER
// Loads a workspace of WINDOWS windows on one small file and FILES more small files,
// each with a bookmark, then closes it; prints load-ms and close-ms
// (bench/workspace_many.sh: twice the windows must cost about twice the time).
#include "app/ui/ChildFrame.h"
#include "app/ui/MainFrame.h"
#include "app/ui/TervikApp.h"
#include "document/TervikDoc.h"

#include <QApplication>
#include <QMdiArea>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Ms(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int Many(int argc, char** argv) {
    if (argc != 5) return 2;
    const long nWindows = std::strtol(argv[2], nullptr, 10);
    const long nFiles = std::strtol(argv[3], nullptr, 10);
    const std::string folder = argv[4];
    std::string ws;
    auto log = [&](const std::string& name) {
        if (FILE* f = std::fopen((folder + "/" + name).c_str(), "wb")) {
            std::fputs("eins\nzwei\ndrei\n", f);
            std::fclose(f);
        }
        return "FILE_OPEN \"./" + name + "\"\r\n";
    };
    ws += log("many.log");
    for (long i = 0; i < nWindows; ++i)
        ws += "WINDOWS ID=" + std::to_string(i + 1) + ",STATE=NORMAL,LINE=1\r\n";
    for (long i = 0; i < nFiles; ++i) {
        ws += log("f" + std::to_string(i) + ".log");
        ws += "WINDOWS ID=" + std::to_string(1000000 + i) +
              "\r\nBOOKMARK TEXT=\"b\",LINE=1,COLUMN=0,"
              "LEN=1,ID=" +
              std::to_string(i + 1) + "\r\n";
    }
    ws += "ACTIVE_VIEW ID=1\r\n";
    const std::string path = folder + "/many.tervik";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(ws.data(), 1, ws.size(), f);
        std::fclose(f);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    tervik::CTervikApp app;
    if (!app.InitInstance({"--ini", QString::fromStdString(folder + "/many.ini")})) return 1;
    using clock = std::chrono::steady_clock;
    app.m_workspace = path;
    auto t0 = clock::now();
    app.LoadWorkspace();
    const double dLoad = Ms(t0);
    const size_t nOpen = app.MainFrame()->MdiArea()->subWindowList().size();
    t0 = clock::now();
    app.CloseWorkspace();
    const double dClose = Ms(t0);
    std::printf("windows: %zu\nload-ms: %.1f\nclose-ms: %.1f\n", nOpen, dLoad, dClose);
    if (app.MainFrame()) app.MainFrame()->close();
    app.ExitInstance();
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--many") return Many(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "tervik-bench-workspace-viewer FILE SELECTED WORKSPACE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    tervik::CTervikApp app;
    const std::string ws = argv[3];
    const std::string ini = ws + ".ini";
    if (!app.InitInstance({"--ini", QString::fromStdString(ini)})) return 1;
    using clock = std::chrono::steady_clock;

    auto t0 = clock::now();
    tervik::CTervikDoc* pDoc = app.OpenDocumentFile(argv[1]);
    // Selections go to every record: the open as a whole, not its first screen.
    if (pDoc && !app.DocumentManager().WholeDocument(*pDoc)) return 1;
    const double dOpen = Ms(t0);
    if (!pDoc) return 1;
    const uint32_t nWant = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    const uint32_t nStep = nWant ? std::max<uint32_t>(1, pDoc->m_nRecords / nWant) : 1;
    const tervik::COLORREF colours[3] = {app.Colours().m_crBlueMarker, app.Colours().m_crRedMarker,
                                         app.Colours().m_crGreenMarker};
    for (uint32_t i = 0, r = 0; i < nWant && r < pDoc->m_nRecords; ++i, r += nStep)
        pDoc->SetLineSelected(r, true, &colours[i % 3]);

    const uint32_t nSelected = pDoc->SelectedCount();
    app.m_workspace = ws;
    t0 = clock::now();
    const bool bSaved1 = app.SaveWorkspace();
    const double dSaveAfterOpen = Ms(t0);
    t0 = clock::now();
    const bool bSaved2 = app.SaveWorkspace();
    const double dSave = Ms(t0);
    app.CloseWorkspace();
    QApplication::processEvents();

    app.m_workspace = ws;
    t0 = clock::now();
    app.LoadWorkspace();
    const double dLoad = Ms(t0);
    const bool bLoaded =
        app.Documents().size() == 1 && app.Documents()[0]->SelectedCount() == nSelected;

    std::printf("records: %u selected: %u\n",
                app.Documents().empty() ? 0 : app.Documents()[0]->m_nRecords, nSelected);
    std::printf("open-ms: %.1f\nsave-after-open-ms: %.1f\nsave-ms: %.1f\nload-ms: %.1f\n", dOpen,
                dSaveAfterOpen, dSave, dLoad);
    app.CloseWorkspace();
    if (app.MainFrame()) app.MainFrame()->close();
    app.ExitInstance();
    return bSaved1 && bSaved2 && bLoaded ? 0 : 1;
}
