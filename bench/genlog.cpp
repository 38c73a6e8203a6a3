// Writes a log-like file of a given size for the benchmarks: time stamps, levels,
// components, messages of varied length, some tabs, CR LF or LF line ends.
//   tervik-genlog OUT SIZE_BYTES [--lf] [--seed N]
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

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tervik-genlog OUT SIZE_BYTES [--lf] [--seed N]\n");
        return 2;
    }
    const uint64_t nSize = std::strtoull(argv[2], nullptr, 10);
    bool bLf = false;
    Rng rng{88172645463325252ull};
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lf") == 0)
            bLf = true;
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
        }
        line += bLf ? "\n" : "\r\n";
        if (nWritten + line.size() > nSize) line.resize(static_cast<size_t>(nSize - nWritten));
        std::fwrite(line.data(), 1, line.size(), f);
        nWritten += line.size();
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
