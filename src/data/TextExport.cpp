#include "data/TextExport.h"

#include "data/AtomicFile.h"

#include <algorithm>

#include "platform/FileException.h"
#include "streamio/IoStream.h"

namespace TextExport {

std::vector<uint8_t> Encode(const std::u16string& text)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

void WriteFile(const std::u16string& path, const std::u16string& text)
{
    const std::vector<uint8_t> bytes = Encode(text);
    AtomicFile::Write(path, [&bytes](StreamIO::CIoStream& stream) {
        size_t done = 0;
        while (done < bytes.size()) {
            const uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(bytes.size() - done, 1u << 20));
            const uint32_t n = stream.Write(bytes.data() + done, chunk);
            if (n == 0)
                Platform::ThrowFileException(stream.GetError() ? stream.GetError() : 29, stream.GetName());
            done += n;
        }
    });
}

} // namespace TextExport
