// The add-on host against a fake library driven by the input: items of any text,
// kind and flags, buffers left unterminated, host functions called with any record
// number and size. Run with AddressSanitizer to catch reads or writes out of bounds.

#include "app/AddOnHost.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace tervik;

struct Input {
    const uint8_t* p;
    size_t n;
    uint8_t Byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Byte();
        return v;
    }
    std::string Text() {
        std::string s;
        for (uint8_t len = Byte() % 40; len > 0 && n > 0; --len)
            s += static_cast<char>(Byte() | 1);
        return s;
    }
};

Input* g_in = nullptr;

class Loader : public IAddOnLoader {
public:
    void* Load(const std::string&, LibraryLoadError&) override { return this; }
    void* Symbol(void*, const char* pszName, const char*) override;
    void Unload(void*) override {}
};

int32_t Register(const char*, const AddOnHostTable* t) {
    for (int k = g_in->Byte() % 12; k > 0; --k) {
        const uint8_t b = g_in->Byte();
        std::string text = g_in->Text();
        if (b & 1)
            t->AddPopup((b & 2) ? nullptr : text.c_str());
        else
            t->AddItem((b & 2) ? nullptr : text.c_str(), static_cast<int32_t>(g_in->Byte() % 4),
                       static_cast<int32_t>(g_in->U32()), static_cast<int32_t>(g_in->Byte() % 8));
    }
    return 1;
}

void Exercise(const AddOnCallTable* c, char* o, char* m) {
    int32_t n = 0;
    c->GetLineLength(g_in->U32() % 8, &n);
    const uint32_t nSize = g_in->Byte();
    std::vector<char> buf(nSize + 1u);
    c->GetLineText(g_in->U32() % 8, buf.data(), nSize);
    c->GetToggleState(g_in->Byte() % 4, &n);
    std::memset(o, g_in->Byte() | 1, kAddOnPathSize);
    std::memset(m, g_in->Byte(), kAddOnMessageSize);
}

int32_t Interface0(int32_t, const AddOnCallTable* c, char* o, char* m) {
    Exercise(c, o, m);
    return g_in->Byte() & 1;
}
int32_t Interface1(int32_t, const char* t, const int32_t*, const AddOnCallTable* c, char* o,
                   char* m) {
    (void)std::strlen(t);
    Exercise(c, o, m);
    return g_in->Byte() & 1;
}

void* Loader::Symbol(void*, const char* pszName, const char*) {
    if (!std::strcmp(pszName, TERVIK_REGISTER_NAME)) return reinterpret_cast<void*>(&Register);
    if (!std::strcmp(pszName, TERVIK_INTERFACE0_NAME)) return reinterpret_cast<void*>(&Interface0);
    return reinterpret_cast<void*>(&Interface1);
}

class Source : public IAddOnSource {
public:
    std::vector<std::string> lines{"eins", "zwei\tdrei", "", std::string(300, 'x')};
    uint32_t RecordCount() override { return 4; }
    uint32_t RecordLength(uint32_t r) override { return static_cast<uint32_t>(lines[r].size()); }
    uint32_t RecordText(uint32_t r, char* p, uint32_t n) override {
        const uint32_t k = std::min<uint32_t>(n, static_cast<uint32_t>(lines[r].size()));
        std::memcpy(p, lines[r].data(), k);
        return k;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    g_in = &in;
    Loader loader;
    CAddOnHost host(loader);
    std::string msg;
    for (int lib = in.Byte() % 3; lib >= 0; --lib)
        host.LoadAddOn("lib.so", "t.ini", msg);
    host.WalkMenu();
    Source src;
    for (int k = in.Byte() % 6; k > 0; --k) {
        const uint32_t nId = kAddOnFirstId + in.Byte() % 40;
        host.UpdateCommand(nId, in.Byte() & 1);
        const int32_t pts[4] = {1, 2, 3, 4};
        host.Dispatch(nId, src, std::string(in.Byte() * 3u, 'p'), in.Text(), pts);
    }
    g_in = nullptr;
    return 0;
}
