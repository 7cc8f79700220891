// SPDX-License-Identifier: GPL-3.0-or-later
// The two interfaces through which the project document reaches the outside:
// the views that show it and the user-interface front end that answers its
// questions and shows its messages and file dialogs.
#pragma once

#include <string>
#include <vector>

#include "platform/Prompt.h"

// A view of the document.  The document calls OnDocumentChanged after every
// change (the desktop front end turns the call into a queued one).
class IDocumentView {
public:
    virtual ~IDocumentView() = default;
    // seriesIndex: the series that changed, or -1 for all.
    virtual void OnDocumentChanged(int seriesIndex) = 0;
};

// What a file dialog shows.
// One filter of a file dialog; the id tells the caller which was chosen.
struct SFileFilter {
    int id = 0;
    std::u16string caption;           // "Text file (*.txt)"
    std::u16string pattern;           // "*.txt" (several separated by ";")
};

struct SFileDialogRequest {
    std::u16string filter;            // "Caption|pattern|...||"
    std::vector<SFileFilter> filters; // when not empty: the filters, used instead of `filter`
    std::u16string defaultExtension;  // without the dot
    std::u16string initialName;       // initial file name
    bool overwritePrompt = false;     // save dialog: ask before replacing a file
    std::u16string projectPath;       // the current project's file (the dialog opens in its folder)
    int* chosenFilterId = nullptr;    // when set: receives the id of the filter in `filters`
                                      // the user left selected (the first one's if unknown)
};

// Questions, messages and file dialogs of the document.  A document without
// one answers every question with "No" and cancels every dialog.
class IDocumentUi : public IPrompt {
public:
    // Return false when the user cancels; `path` receives the chosen file.
    virtual bool AskOpenPath(const SFileDialogRequest& request, std::u16string& path) = 0;
    virtual bool AskSavePath(const SFileDialogRequest& request, std::u16string& path) = 0;
};
