// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file parser: any bytes either parse or are refused, in time
// linear in their size; what parses writes out a text that parses to the
// same store and writes out the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/RegistryDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Platform::CRegDocument doc;
    if (!doc.Parse(bytes))
        return 0;
    const std::string text = doc.Serialize();
    Platform::CRegDocument again;
    if (!again.Parse(text) || again.Serialize() != text)
        std::abort();
    // Lookups on whatever the input built.
    for (const std::u16string& root : doc.SubKeyNames(u"HKEY_CURRENT_USER"))
        doc.ValueNames(u"HKEY_CURRENT_USER\\" + root);
    Platform::CRegDocument copy(doc);
    copy.DeleteKey(u"HKEY_CURRENT_USER", true);
    return 0;
}
