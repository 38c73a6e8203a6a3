// Writes a log-like file of a given size for the benchmarks: time stamps, levels,
// components, messages of varied length, some tabs, CR LF or LF line ends. --utf8
// starts the file with a UTF-8 byte-order mark and mixes German, Polish and CJK words
// into the messages, and now and then a name (Göran, Gürkan in three spellings) or the
// word "Kassenabschluss", so searches have rare hits beyond ASCII.
//   tervik-genlog OUT SIZE_BYTES [--lf] [--utf8] [--seed N]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Rng {
    uint64_t s;
    uint64_t Next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
};

constexpr const char* kLevels[] = {"INFO ", "INFO ", "INFO ", "DEBUG", "WARN ", "ERROR"};
constexpr const char* kComponents[] = {"Auftrag", "Datenbank", "Netz",   "Druck",
                                       "Kunde",   "Lager",     "Planung"};
constexpr const char* kWords[] = {"Verbindung", "Server",   "angelegt", "gelesen", "Puffer",
                                  "Bytes",      "Benutzer", "Schritt",  "Prüfung", "Auftrag",
                                  "Lieferung",  "Zeit",     "ms",       "Datei",   "Fehler",
                                  "ok",         "Wert",     "Kunde"};
constexpr const char* kWordsUtf8[] = {"Größe",  "Übertragung", "Prüfsumme", "Łódź",
                                      "zażółć", "gęślą",       "jaźń",      "東京",
                                      "日本語", "データ",      "处理"};
constexpr const char* kRare[] = {"Göran", "Gürkan", "GÜRKAN", "gürkan", "Kassenabschluss"};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tervik-genlog OUT SIZE_BYTES [--lf] [--utf8] [--seed N]\n");
        return 2;
    }
    const uint64_t nSize = std::strtoull(argv[2], nullptr, 10);
    bool bLf = false;
    bool bUtf8 = false;
    Rng rng{88172645463325252ull};
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lf") == 0)
            bLf = true;
        else if (std::strcmp(argv[i], "--utf8") == 0)
            bUtf8 = true;
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
            rng.s ^= std::strtoull(argv[++i], nullptr, 10) * 0x9E3779B97F4A7C15ull + 1;
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    static char buf[1 << 20];
    std::setvbuf(f, buf, _IOFBF, sizeof buf);
    uint64_t nWritten = 0, t = 8 * 3600 * 1000ull;
    std::string line;
    if (bUtf8 && nSize >= 3) {
        std::fwrite("\xEF\xBB\xBF", 1, 3, f);
        nWritten = 3;
    }
    while (nWritten < nSize) {
        t += rng.Below(900);
        char head[96];
        const uint64_t s = t / 1000;
        std::snprintf(head, sizeof head, "2026-12-07 %02u:%02u:%02u.%03u %s [%s]%c",
                      unsigned(s / 3600 % 24), unsigned(s / 60 % 60), unsigned(s % 60),
                      unsigned(t % 1000), kLevels[rng.Below(6)], kComponents[rng.Below(7)],
                      rng.Below(10) < 3 ? '\t' : ' ');
        line = head;
        const uint32_t nWords = 2 + rng.Below(rng.Below(10) == 0 ? 40 : 12);
        for (uint32_t w = 0; w < nWords; ++w) {
            line += kWords[rng.Below(18)];
            line += ' ';
            if (rng.Below(4) == 0) line += std::to_string(rng.Below(100000));
            if (bUtf8 && rng.Below(3) == 0) {
                line += kWordsUtf8[rng.Below(11)];
                line += ' ';
            }
        }
        if (bUtf8 && rng.Below(50) == 0) line += kRare[rng.Below(5)];
        line += bLf ? "\n" : "\r\n";
        if (nWritten + line.size() > nSize) line.resize(static_cast<size_t>(nSize - nWritten));
        std::fwrite(line.data(), 1, line.size(), f);
        nWritten += line.size();
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
