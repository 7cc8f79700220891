// Gives a test a registry file of its own for its duration.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

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
