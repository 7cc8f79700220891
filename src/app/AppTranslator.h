// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts in the program's language: the standard buttons of message
// boxes and dialogs and the texts of the print preview come from the string
// table (so a language library translates them), and Qt's translation of its other texts (file dialogs)
// is loaded for the language of the resources in use when it is installed.
#pragma once

#include <QTranslator>
#include <cstdint>
#include <memory>

class CStringTableTranslator : public QTranslator {
    Q_OBJECT
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
};

class CAppTranslations {
public:
    CAppTranslations();
    ~CAppTranslations();
    CAppTranslations(const CAppTranslations&) = delete;
    CAppTranslations& operator=(const CAppTranslations&) = delete;

    // Switches Qt's texts to the language `languageId` (a Windows language
    // id such as 0x0407; 0 or English: Qt's built-in texts) and makes every
    // window receive a language-change event.
    void Apply(uint16_t languageId);

private:
    std::unique_ptr<CStringTableTranslator> m_strings;
    std::unique_ptr<QTranslator> m_qt;
    bool m_installed = false;
};
