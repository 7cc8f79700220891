// SPDX-License-Identifier: GPL-3.0-or-later
// Test doubles of the document's front end and views, and file helpers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/DocumentInterfaces.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace DataTest {

class FakeUi : public IDocumentUi {
public:
    Answer answer = answerNo;
    bool dialogOk = false;
    std::u16string dialogPath;
    int dialogFilter = 0;   // the place in the list of the filter a save dialog reports as chosen
    std::vector<std::u16string> questions;
    std::vector<std::pair<int, std::u16string>> messages;
    std::vector<SFileDialogRequest> openRequests, saveRequests;

    Answer AskYesNoCancel(const std::u16string& text) override
    {
        questions.push_back(text);
        return answer;
    }
    void ShowMessage(int kind, const std::u16string& text) override { messages.emplace_back(kind, text); }
    bool AskOpenPath(const SFileDialogRequest& request, std::u16string& path) override
    {
        openRequests.push_back(request);
        path = dialogPath;
        return dialogOk;
    }
    bool AskSavePath(const SFileDialogRequest& request, std::u16string& path) override
    {
        saveRequests.push_back(request);
        // The user picks the filter at that place in the list.
        if (request.chosenFilterId != nullptr && static_cast<size_t>(dialogFilter) < request.filters.size())
            *request.chosenFilterId = request.filters[static_cast<size_t>(dialogFilter)].id;
        path = dialogPath;
        return dialogOk;
    }
};

class FakeView : public IDocumentView {
public:
    std::vector<int> calls;
    void OnDocumentChanged(int seriesIndex) override { calls.push_back(seriesIndex); }
};

inline std::string TempPath(const std::string& name) { return TestEnv::TempDir() + "/" + name; }
inline std::u16string TempPath16(const std::string& name) { return Platform::FromUtf8(TempPath(name)); }

// Writes a new file (an existing one is removed first: truncating a file in
// place makes some file systems flush it, which slows loops of rewrites).
inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, size_t size = SIZE_MAX)
{
    std::remove(path.c_str());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(std::min(size, bytes.size())));
}

inline std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace DataTest
