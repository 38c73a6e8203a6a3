#include "TempDir.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace tervik::test {

CTempDir::CTempDir() {
    static std::atomic<unsigned> s_nCounter{0};
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        std::ostringstream name;
        name << "tervik-test-" << ::getpid() << '-' << s_nCounter++ << '-' << rd();
        m_path = base / name.str();
        std::error_code ec;
        if (std::filesystem::create_directory(m_path, ec)) break;
    }
}

CTempDir::~CTempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string CTempDir::File(std::string_view name) const {
    return (m_path / name).string();
}

std::string CTempDir::Write(std::string_view name, std::string_view bytes) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace tervik::test
