#pragma once

// The document host of the benchmarks: settings read-only, messages on stderr.

#include "base/Colour.h"
#include "base/Settings.h"
#include "document/DocumentHost.h"
#include "platform/Profile.h"

#include <cstdio>
#include <string>

namespace tervik::bench {

class CBenchHost : public IDocumentHost {
public:
    explicit CBenchHost(bool bShareWrite = false)
        : m_settings(m_profile), m_bShareWrite(bShareWrite) {
        m_profile.SetReadOnly(true);
    }
    CSettings& Settings() override { return m_settings; }
    const ColorSettings& Colours() override { return m_colours; }
    OpenOptions CurrentOpenOptions() override {
        OpenOptions o;
        o.m_bShareWrite = m_bShareWrite;
        return o;
    }
    int MessageBox(const std::string& text, unsigned) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return 1;
    }

private:
    CProfile m_profile;
    CSettings m_settings;
    ColorSettings m_colours;
    bool m_bShareWrite;
};

} // namespace tervik::bench
