// SPDX-License-Identifier: GPL-3.0-or-later
// Gives a test a registry file of its own for its duration.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "platform/Text.h"
#include "support/TestEnv.h"

class ScopedRegistryFile {
public:
    explicit ScopedRegistryFile(const std::string& name) : m_path(TestEnv::TempDir() + "/" + name)
    {
        const char* old = std::getenv("BRELMORA_REGISTRY");
        m_hadOld = old != nullptr;
        if (m_hadOld)
            m_old = old;
        ::unlink(m_path.c_str());
        setenv("BRELMORA_REGISTRY", m_path.c_str(), 1);
    }
    ~ScopedRegistryFile()
    {
        if (m_hadOld)
            setenv("BRELMORA_REGISTRY", m_old.c_str(), 1);
        else
            unsetenv("BRELMORA_REGISTRY");
    }
    ScopedRegistryFile(const ScopedRegistryFile&) = delete;
    ScopedRegistryFile& operator=(const ScopedRegistryFile&) = delete;

    const std::string& Path() const { return m_path; }

    std::string Read() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The file's text in UTF-8 (the store writes UTF-16LE with a
    // byte-order mark).
    std::string Text() const
    {
        const std::string bytes = Read();
        if (bytes.compare(0, 2, "\xFF\xFE") != 0)
            return bytes;
        std::u16string text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
        return Platform::ToUtf8(text);
    }
    void Write(const std::string& bytes) const
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

private:
    std::string m_path;
    std::string m_old;
    bool m_hadOld = false;
};
