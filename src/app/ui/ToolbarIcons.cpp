#include "app/ui/ToolbarIcons.h"

#include "framework/CommandIds.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <vector>

// The resources live in a static library: they are registered by hand.
static void InitIconResources() {
    Q_INIT_RESOURCE(tervik);
}

namespace tervik {

namespace {

struct IconName {
    unsigned m_nId;
    const char* m_pszTheme; // nullptr: no theme has a fitting picture
    const char* m_pszOwn;   // file in :/icons
};

// Pens, eraser and the selection buttons are this program's own ideas; no theme
// draws them, and a theme's pencil would not show the colour.
const IconName kIcons[] = {
    {ID_FILE_OPEN, "document-open", "open"},
    {ID_FILE_PRINT_PREVIEW, "document-print-preview", "print-preview"},
    {ID_FILE_PRINT, "document-print", "print"},
    {ID_EDIT_COPY, "edit-copy", "copy"},
    {ID_SELECT_LINES, nullptr, "select-lines"},
    {ID_DESELECT_LINES, nullptr, "deselect-lines"},
    {ID_VIEW_ONLY_SELECTED, nullptr, "only-selected"},
    {ID_HAND_SELECT, nullptr, "pen-blue"},
    {ID_HAND_SELECT_RED, nullptr, "pen-red"},
    {ID_HAND_SELECT_GREEN, nullptr, "pen-green"},
    {ID_HAND_DESELECT, nullptr, "eraser"},
    {ID_SEARCH_FORWARD, "go-next", "find-next"},
    {ID_SEARCH_BACKWARD, "go-previous", "find-previous"},
    {ID_SEARCHBAR1_FORWARD, "go-next", "find-next"},
    {ID_SEARCHBAR1_BACKWARD, "go-previous", "find-previous"},
    {ID_SEARCHBAR2_FORWARD, "go-next", "find-next"},
    {ID_SEARCHBAR2_BACKWARD, "go-previous", "find-previous"},
    {ID_SEARCHBAR3_FORWARD, "go-next", "find-next"},
    {ID_SEARCHBAR3_BACKWARD, "go-previous", "find-previous"},
    {ID_SEARCHBAR4_FORWARD, "go-next", "find-next"},
    {ID_SEARCHBAR4_BACKWARD, "go-previous", "find-previous"},
    {ID_APP_ABOUT, "help-about", "about"},
};

const IconName* Find(unsigned nId) {
    for (const IconName& i : kIcons)
        if (i.m_nId == nId) return &i;
    return nullptr;
}

// Rendered here rather than through Qt's SVG icon plugin, which a desktop may lack.
QIcon RenderSvg(const char* pszName) {
    InitIconResources();
    QSvgRenderer renderer(QString(":/icons/%1.svg").arg(pszName));
    if (!renderer.isValid()) return {};
    QIcon icon;
    for (int n : {16, 20, 24, 32, 48, 64}) {
        QPixmap pixmap(n, n);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon OwnCommandIcon(unsigned nId) {
    const IconName* p = Find(nId);
    return p ? RenderSvg(p->m_pszOwn) : QIcon();
}

QIcon CommandIcon(unsigned nId) {
    const IconName* p = Find(nId);
    if (!p) return {};
    if (p->m_pszTheme && QIcon::hasThemeIcon(p->m_pszTheme)) {
        // A theme whose pictures cannot be drawn here (an SVG theme without the
        // plugin) counts as none.
        QIcon theme = QIcon::fromTheme(p->m_pszTheme);
        if (!theme.pixmap(16, 16).isNull()) return theme;
    }
    return RenderSvg(p->m_pszOwn);
}

QIcon CCommandIcons::Icon(unsigned nId) {
    const IconName* p = Find(nId);
    if (!p) return {};
    const std::string key = std::string(p->m_pszOwn) + '|' + (p->m_pszTheme ? p->m_pszTheme : "");
    const auto it = m_byPicture.find(key);
    return it != m_byPicture.end() ? it->second : m_byPicture[key] = CommandIcon(nId);
}

const std::vector<unsigned>& CommandsWithIcons() {
    static const std::vector<unsigned> ids = [] {
        std::vector<unsigned> v;
        for (const IconName& i : kIcons)
            v.push_back(i.m_nId);
        return v;
    }();
    return ids;
}

} // namespace tervik
