// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "platform/ElfSections.h"
#include "platform/ExecutableResources.h"
#include "platform/PeResources.h"
#include "platform/VersionResource.h"
#include "platform/VersionResourceWriter.h"
#include "support/TestEnv.h"
#include "update/TestBinaries.h"

using namespace Platform;
using TestBinaries::BuildElf;
using TestBinaries::Section;

namespace {

std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

ElfStatus Read(const std::vector<uint8_t>& file, const char* name, std::vector<uint8_t>& content,
               uint64_t maxSize = 1 << 20)
{
    CMemoryByteSource source(file);
    return ReadElfSection(source, name, content, maxSize);
}

} // namespace

TEST(ElfSections, FindsSectionsInEveryWordSizeAndByteOrder)
{
    for (bool is64 : {false, true})
        for (bool big : {false, true}) {
            SCOPED_TRACE(testing::Message() << "64-bit " << is64 << ", big-endian " << big);
            const auto file = BuildElf({{".text", Bytes("code")}, {".brelmora_version", Bytes("record")},
                                        {".bss", Bytes("zeros"), 8}},
                                       is64, big);
            std::vector<uint8_t> content;
            ASSERT_EQ(Read(file, ".brelmora_version", content), ElfStatus::Found);
            EXPECT_EQ(content, Bytes("record"));
            EXPECT_EQ(Read(file, ".brelmora_strings", content), ElfStatus::NoSuchSection);
            // A section without bytes in the file has nothing to read.
            EXPECT_EQ(Read(file, ".bss", content), ElfStatus::NoSuchSection);
            EXPECT_EQ(Read(file, ".brelmora_version", content, 5), ElfStatus::TooLarge);
            EXPECT_TRUE(content.empty());
        }
}

TEST(ElfSections, ReadsTheSectionsOfARealLinkedLibrary)
{
    CFileByteSource file;
    ASSERT_EQ(file.Open(BRELMORA_TST_LIBRARY), 0u);
    std::vector<ElfSectionInfo> sections;
    ASSERT_EQ(ListElfSections(file, sections), ElfStatus::Found);
    int ours = 0;
    for (const ElfSectionInfo& s : sections)
        ours += s.name == kVersionSectionName || s.name == kStringsSectionName;
    EXPECT_EQ(ours, 2);
    std::vector<uint8_t> blob;
    ASSERT_EQ(ReadElfSection(file, kVersionSectionName, blob, kMaxVersionRecordSize), ElfStatus::Found);
    CVersionResource record;
    EXPECT_TRUE(record.Parse(blob));
}

TEST(ElfSections, RefusesFilesThatAreNotElfOrLie)
{
    std::vector<uint8_t> content;
    EXPECT_EQ(Read(Bytes(""), ".x", content), ElfStatus::NotElf);
    EXPECT_EQ(Read(Bytes("\x7F" "EL"), ".x", content), ElfStatus::NotElf);
    EXPECT_EQ(Read(Bytes("#!/bin/sh\necho\n"), ".x", content), ElfStatus::NotElf);

    const auto good = BuildElf({{".brelmora_version", Bytes("record")}});
    auto badClass = good;
    badClass[4] = 3;
    EXPECT_EQ(Read(badClass, ".brelmora_version", content), ElfStatus::Damaged);

    // Section table beyond the end of the file.
    auto farTable = good;
    farTable[0x28 + 5] = 0x01;
    EXPECT_EQ(Read(farTable, ".brelmora_version", content), ElfStatus::Damaged);

    // A section whose bytes reach past the end of the file.
    auto longSection = good;
    const size_t shoff = good[0x28] | (good[0x29] << 8);
    longSection[shoff + 64 + 0x20 + 4] = 0x10; // size of section 1 += 2^36
    EXPECT_EQ(Read(longSection, ".brelmora_version", content), ElfStatus::Damaged);

    // Section header entries smaller than the format's.
    auto smallEntries = good;
    smallEntries[0x3A] = 16;
    EXPECT_EQ(Read(smallEntries, ".brelmora_version", content), ElfStatus::Damaged);

    // Name table index out of range.
    auto badNames = good;
    badNames[0x3E] = 200;
    EXPECT_EQ(Read(badNames, ".brelmora_version", content), ElfStatus::Damaged);

    // Extended numbering with a count of 2^40 in entry 0: refused, not allocated.
    auto huge = good;
    huge[0x3C] = 0;
    huge[0x3D] = 0;
    huge[shoff + 0x20 + 5] = 1;
    EXPECT_EQ(Read(huge, ".brelmora_version", content), ElfStatus::Damaged);
}

TEST(ElfSections, DamagedFilesNeverCrashTheReaders)
{
    // A real library: damage the headers, the section table and the
    // version record, and cut the file anywhere.
    const std::vector<uint8_t> original = TestBinaries::ReadFile(BRELMORA_TST_LIBRARY);
    ASSERT_GT(original.size(), 64u);
    const size_t shoff = static_cast<size_t>(GetLE64(original.data() + 0x28));
    ASSERT_LT(shoff, original.size());
    std::vector<uint8_t> intact;
    ASSERT_EQ(Read(original, kVersionSectionName, intact, kMaxVersionRecordSize), ElfStatus::Found);

    std::mt19937 random(4711);
    int found = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> file = original;
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits; ++e) {
            size_t at;
            switch (random() % 3) {
            case 0: at = random() % 64; break;
            case 1: at = shoff + random() % (file.size() - shoff); break;
            default: at = random() % file.size(); break;
            }
            file[at] = static_cast<uint8_t>(random());
        }
        if (random() % 5 == 0)
            file.resize(random() % file.size());
        std::vector<uint8_t> content;
        if (Read(file, kVersionSectionName, content, kMaxVersionRecordSize) == ElfStatus::Found) {
            ++found;
            CVersionResource record;
            if (record.Parse(content))
                record.QueryTranslations();
        }
        CMemoryByteSource source(file);
        std::vector<ElfSectionInfo> sections;
        ListElfSections(source, sections);
    }
    EXPECT_GT(found, 0); // some damage leaves the record readable
}

TEST(PeResources, ReadsTheVersionResourceOfAWindowsProgram)
{
    VersionRecordLayout layout;
    layout.fixedInfo = MakeFixedFileInfo(0x0001000800010000ull, 0x0001000800010000ull, VFT_APP);
    layout.tables.push_back({u"040904B0", {{u"ProductName", u"Brelmora"}}});
    layout.translations = {{0x0409, 1200}};
    std::vector<uint8_t> blob;
    ASSERT_TRUE(BuildVersionResource(layout, blob));

    for (bool plus : {false, true}) {
        const auto file = TestBinaries::BuildPe(blob, plus);
        CMemoryByteSource source(file);
        std::vector<uint8_t> content;
        ASSERT_EQ(ReadPeResource(source, kPeResourceVersion, content, kMaxVersionRecordSize), PeStatus::Found);
        EXPECT_EQ(content, blob);
        EXPECT_EQ(ReadPeResource(source, 6, content, kMaxVersionRecordSize), PeStatus::NoSuchResource);
    }

    // The same through the file reader that programs use.
    const std::string path = TestEnv::TempDir() + "/program.exe";
    TestBinaries::WriteFile(path, TestBinaries::BuildPe(blob));
    std::vector<uint8_t> content;
    EXPECT_EQ(ReadVersionRecord(path, content), ResourceStatus::Found);
    EXPECT_EQ(content, blob);
}

TEST(PeResources, DamagedFilesNeverCrashTheReader)
{
    VersionRecordLayout layout;
    layout.tables.push_back({u"040904B0", {{u"ProductName", u"Brelmora"}}});
    std::vector<uint8_t> blob;
    ASSERT_TRUE(BuildVersionResource(layout, blob));
    const auto original = TestBinaries::BuildPe(blob);
    std::mt19937 random(815);
    for (int round = 0; round < 5000; ++round) {
        std::vector<uint8_t> file = original;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            // Headers (first 0x200 bytes) and the resource directory.
            const size_t at = random() % 2 ? random() % 0x200 : 0x400 + random() % 0x60;
            file[at] = static_cast<uint8_t>(random());
        }
        if (random() % 5 == 0)
            file.resize(random() % file.size());
        CMemoryByteSource source(file);
        std::vector<uint8_t> content;
        ReadPeResource(source, kPeResourceVersion, content, kMaxVersionRecordSize);
    }
}

TEST(ExecutableResources, FilesWithoutARecordOrNotProgramsAreTold)
{
    std::vector<uint8_t> blob;
    const std::string dir = TestEnv::TempDir();
    EXPECT_EQ(ReadVersionRecord(dir + "/missing.so", blob), ResourceStatus::Unreadable);
    EXPECT_EQ(ReadVersionRecord(dir, blob), ResourceStatus::Unreadable); // a folder
    TestBinaries::WriteFile(dir + "/text.txt", Bytes("hello"));
    EXPECT_EQ(ReadVersionRecord(dir + "/text.txt", blob), ResourceStatus::Unreadable);
    TestBinaries::WriteFile(dir + "/plain.so", BuildElf({{".data", Bytes("x")}}));
    EXPECT_EQ(ReadVersionRecord(dir + "/plain.so", blob), ResourceStatus::NoResource);
    EXPECT_EQ(ReadStringTableSection(dir + "/plain.so", blob), ResourceStatus::NoResource);
    EXPECT_TRUE(blob.empty());

    const std::string self = OwnExecutablePath();
    EXPECT_EQ(self.substr(self.rfind('/') + 1), "test_update");
    EXPECT_EQ(ReadVersionRecord(self, blob), ResourceStatus::Found);
}
