#include "collect/SeriesFolderSink.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "data/AtomicFile.h"
#include "data/PaperData.h"
#include "platform/FileException.h"
#include "platform/ErrorCodes.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "update/Sha256.h"

namespace Collect {

namespace {

void AddNumber(Update::CSha256& hash, uint64_t value, int bytes)
{
    for (int b = 0; b < bytes; ++b) {
        const uint8_t byte = static_cast<uint8_t>(value >> (8 * b));
        hash.Add(&byte, 1);
    }
}

std::vector<uint8_t> OneSeries(const CPaperData& data, int i)
{
    std::vector<uint8_t> selection(static_cast<size_t>(data.GetCount()), 0);
    selection[static_cast<size_t>(i)] = 1;
    std::vector<uint8_t> bytes;
    data.WriteSeries(bytes, selection.data());
    return bytes;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// A record file is the record, the source text and the source's length in
// four bytes (least significant first); the source takes no part in the
// comparison.
bool SameRecord(const std::vector<uint8_t>& held, const std::vector<uint8_t>& record)
{
    if (held.size() < 4)
        return false;
    size_t sourceSize = 0;
    for (int b = 0; b < 4; ++b)
        sourceSize |= static_cast<size_t>(held[held.size() - 4 + static_cast<size_t>(b)]) << (8 * b);
    if (sourceSize > held.size() - 4)
        return false;
    const size_t kept = held.size() - 4 - sourceSize;
    return kept == record.size() && std::equal(record.begin(), record.end(), held.begin());
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

CSeriesFolderSink::CSeriesFolderSink(std::string folder) : m_folder(std::move(folder))
{
    while (m_folder.size() > 1 && m_folder.back() == '/')
        m_folder.pop_back();
    if (::mkdir(m_folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error(m_folder + ": " + std::strerror(errno));
    struct stat st {};
    if (::stat(m_folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw std::runtime_error(m_folder + ": " + std::strerror(ENOTDIR));
    if (::access(m_folder.c_str(), W_OK | X_OK) != 0)
        throw std::runtime_error(m_folder + ": " + std::strerror(errno));
}

std::string CSeriesFolderSink::Identity(const CPaperData& data, int i)
{
    Update::CSha256 impacts;
    for (int k = 0; k < data.GetImpactCount(i); ++k) {
        const MEAS_T& m = data.GetImpact(i, k);
        AddNumber(impacts, m.value, 1);
        AddNumber(impacts, m.energy, 2);
        AddNumber(impacts, m.status, 1);
    }
    const std::array<uint8_t, 32> impactHash = impacts.Finish();
    Update::CSha256 id;
    const std::string serial = Platform::ToUtf8(data.GetSerial(i));
    AddNumber(id, serial.size(), 4);
    id.Add(reinterpret_cast<const uint8_t*>(serial.data()), serial.size());
    AddNumber(id, data.GetCounter(i), 2);
    AddNumber(id, data.GetDateTime(i), 4);
    id.Add(impactHash.data(), impactHash.size());
    return id.FinishHex();
}

SStoreCounts CSeriesFolderSink::Store(const CPaperData& original, const CPaperData& current, const std::u16string& source)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SStoreCounts counts;
    std::vector<std::unique_ptr<AtomicFile::CPendingFile>> pending;
    const std::string sourceText = Platform::ToUtf8(source);
    try {
        for (int i = 0; i < original.GetCount(); ++i) {
            const std::string stem = m_folder + "/" + Identity(original, i) + ".r";
            // The series as downloaded, then as edited (the current
            // collection's series of the same place, when it has one).
            std::vector<uint8_t> record = OneSeries(original, i);
            if (i < current.GetCount()) {
                const std::vector<uint8_t> edited = OneSeries(current, i);
                record.insert(record.end(), edited.begin(), edited.end());
            }
            int revision = 1;
            bool same = false;
            for (; Exists(stem + std::to_string(revision)); ++revision) {
                std::vector<uint8_t> held;
                if (!ReadFile(stem + std::to_string(revision), held))
                    throw std::runtime_error(stem + std::to_string(revision) + ": " + std::strerror(errno));
                same = SameRecord(held, record);
            }
            if (same) {
                ++counts.unchanged;
                continue;
            }
            (revision == 1 ? counts.added : counts.revised)++;
            // The source follows the record, its length last.
            record.insert(record.end(), sourceText.begin(), sourceText.end());
            for (int b = 0; b < 4; ++b)
                record.push_back(static_cast<uint8_t>(sourceText.size() >> (8 * b)));
            const std::string path = stem + std::to_string(revision);
            pending.push_back(std::make_unique<AtomicFile::CPendingFile>(
                Platform::FromUtf8(path), [record](StreamIO::CIoStream& stream) {
                    size_t done = 0;
                    while (done < record.size()) {
                        const uint32_t n = stream.Write(record.data() + done, static_cast<uint32_t>(record.size() - done));
                        if (n == 0)
                            Platform::ThrowFileException(Platform::ERROR_WRITE_FAULT, stream.GetName());
                        done += n;
                    }
                }));
        }
        for (auto& file : pending)
            file->Commit();
    } catch (const Platform::CFileException& e) {
        throw std::runtime_error(Platform::ToUtf8(e.GetFileName()) + ": " + Platform::DescribeError(e.GetOsError()));
    }
    return counts;
}

} // namespace Collect
