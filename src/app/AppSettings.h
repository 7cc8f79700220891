// SPDX-License-Identifier: GPL-3.0-or-later
// CAppSettings: the "Application Settings" dialog.  It chooses the language
// (the program's built-in texts or an accepted language library) and the
// date and time pictures, shows a sample line with the chosen pictures, and
// on OK stores only what changed.
#pragma once

#include <QDialog>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/LanguageLibraries.h"

class CBrelmoraApp;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CAppSettings : public QDialog {
    Q_OBJECT
public:
    explicit CAppSettings(CBrelmoraApp& app, QWidget* parent = nullptr);

    // After OK: what changed (and was stored).
    bool IsLanguageChanged() const { return m_languageChanged; }
    bool IsFormatChanged() const { return m_formatChanged; }

    // Selects the first entry of all three lists; stores nothing.
    void Reset();

    // The sample line's time (default: the current local time).
    void SetSampleTime(const std::tm& time);
    QString SampleText() const;

    QComboBox* LanguageBox() const { return m_language; }
    QComboBox* DateBox() const { return m_date; }
    QComboBox* TimeBox() const { return m_time; }
    const std::vector<SLanguageEntry>& Languages() const { return m_languages; }
    // The archive group: "Archive every download", the location and Test.
    QCheckBox* ArchiveDownloadsBox() const { return m_archiveDownloads; }
    QLineEdit* ArchiveLocationEdit() const { return m_archiveLocation; }
    QPushButton* ArchiveTestButton() const { return m_archiveTest; }
    QLabel* ArchiveTestResult() const { return m_archiveResult; }
    // Tests the location as typed, read-only, on a worker; archiveTested
    // follows with the one message the dialog shows.
    void TestArchive();

    // The list index of a picture index in "DTFormat" (values other than
    // 1..3 mean 0).
    static int PictureIndex(uint32_t part);

public slots:
    void accept() override;

signals:
    void archiveTested(bool works, const QString& message);

private:
    void UpdateSample();
    void BuildArchiveGroup(class QBoxLayout* layout);
    void ArchiveTestDone(int generation, bool works, const QString& message);

    CBrelmoraApp& m_app;
    std::vector<SLanguageEntry> m_languages;
    QComboBox* m_language;
    QComboBox* m_date;
    QComboBox* m_time;
    QLabel* m_sample;
    std::optional<std::tm> m_sampleTime;
    bool m_languageChanged = false;
    bool m_formatChanged = false;
    QCheckBox* m_archiveDownloads = nullptr;
    QLineEdit* m_archiveLocation = nullptr;
    QPushButton* m_archiveTest = nullptr;
    QLabel* m_archiveResult = nullptr;
    int m_testGeneration = 0;
};
