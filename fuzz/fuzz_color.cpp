// Colour values of the settings file: any text must give a colour and a normal
// form that reads back as the same colour.
#include "base/Colour.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    const tervik::CDefaultSystemColors sys;
    std::string normal;
    const tervik::COLORREF color = tervik::ParseColorValue(value, 0x123456, sys, &normal);
    if (color > 0xFFFFFF) std::abort();
    std::string again;
    if (tervik::ParseColorValue(normal, 0x654321, sys, &again) != color || again != normal)
        std::abort();
    return 0;
}
