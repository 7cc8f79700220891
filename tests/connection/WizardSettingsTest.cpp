// SPDX-License-Identifier: GPL-3.0-or-later
// The wizard's settings record and its registry rules, in the test's own
// registry file.
#include <gtest/gtest.h>

#include "connection/WizardSettings.h"
#include "platform/Registry.h"

namespace {

const std::u16string kKey = u"Software\\Vantor\\Test\\ConnWizard";

class WizardSettings : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear()
    {
        Platform::CRegKey parent;
        if (parent.Open(u"Software\\Vantor\\Test") == 0)
            parent.RecurseDeleteKey(u"ConnWizard");
    }
    static Platform::CRegKey Key()
    {
        Platform::CRegKey key;
        EXPECT_EQ(key.Create(kKey), 0u);
        return key;
    }
    static uint32_t Stored(const char16_t* name)
    {
        Platform::CRegKey key;
        uint32_t value = 0xDEADBEEF;
        key.Open(kKey, Platform::CRegKey::Read);
        key.QueryDword(name, value);
        return value;
    }
};

} // namespace

TEST_F(WizardSettings, TheKeyOfTheUpgradeProgramsSettings)
{
    EXPECT_EQ(CConnWizardSettings::DefaultKey(), u"Software\\Vantor\\VnUpgrade\\Settings\\ConnWizard");
}

TEST_F(WizardSettings, WithoutTheKeyTheDefaultsStay)
{
    CConnWizardSettings s;
    EXPECT_NE(s.Load(kKey), 0u);
    EXPECT_TRUE(s.express);
    EXPECT_TRUE(s.scanAll);
    EXPECT_TRUE(s.stopAtFirst);
    EXPECT_EQ(s.comPort, 1u);
    EXPECT_EQ(s.deviceType, 0);
    EXPECT_EQ(s.portKind, Device::PORT_NONE);
    EXPECT_TRUE(s.ipAddress.empty());
}

TEST_F(WizardSettings, ReadRules)
{
    {
        Platform::CRegKey key = Key();
        key.SetDword(u"ComPort", 0);
        key.SetDword(u"DeviceType", 18);
        key.SetDword(u"CommPort", 9999);
        key.SetDword(u"Scan", 5);
        key.SetDword(u"IP Address", 3);   // not a text
    }
    CConnWizardSettings s;
    ASSERT_EQ(s.Load(kKey), 0u);
    EXPECT_EQ(s.comPort, 1u);
    EXPECT_EQ(s.deviceType, 0);
    EXPECT_EQ(s.portKind, Device::PORT_NONE);
    EXPECT_TRUE(s.scanAll);
    // Flags that are missing from an existing key are off.
    EXPECT_FALSE(s.express);
    EXPECT_FALSE(s.stopAtFirst);
    EXPECT_TRUE(s.ipAddress.empty());

    {
        Platform::CRegKey key = Key();
        key.SetDword(u"ComPort", 9998);
        key.SetDword(u"DeviceType", 17);
        key.SetDword(u"CommPort", 4);
        key.SetString(u"Scan", u"1");     // of another type: missing
        key.SetString(u"IP Address", std::u16string(300, u'9'));
    }
    ASSERT_EQ(s.Load(kKey), 0u);
    EXPECT_EQ(s.comPort, 9998u);
    EXPECT_EQ(s.deviceType, 17);
    EXPECT_EQ(s.portKind, Device::PORT_ETHERNET);
    EXPECT_FALSE(s.scanAll);
    EXPECT_EQ(s.ipAddress.size(), CConnWizardSettings::kMaxIpText);
    Key().SetDword(u"ComPort", 9999);
    ASSERT_EQ(s.Load(kKey), 0u);
    EXPECT_EQ(s.comPort, 1u);
}

TEST_F(WizardSettings, WriteRulesAndRoundTrip)
{
    CConnWizardSettings s;
    s.deviceType = 2;
    s.portKind = Device::PORT_SERIAL;
    s.ipAddress = u"10.1.2.3";
    s.express = false;
    s.scanAll = false;
    s.stopAtFirst = true;
    s.comPort = 0;
    ASSERT_EQ(s.Store(kKey), 0u);   // creates the key
    EXPECT_EQ(Stored(u"ComPort"), 1u);
    EXPECT_EQ(Stored(u"DeviceType"), 2u);
    EXPECT_EQ(Stored(u"Express"), 0u);
    EXPECT_EQ(Stored(u"Stop Scan"), 1u);

    const Device::NTypes held = Device::TYPE_VELTRANO;
    s.comPort = 10000;
    ASSERT_EQ(s.Store(kKey, &held), 0u);
    EXPECT_EQ(Stored(u"ComPort"), 1u);
    EXPECT_EQ(Stored(u"DeviceType"), 4u);   // the held device's type
    s.comPort = 9999;
    ASSERT_EQ(s.Store(kKey), 0u);
    EXPECT_EQ(Stored(u"ComPort"), 9999u);

    s.comPort = 27;
    ASSERT_EQ(s.Store(kKey), 0u);
    CConnWizardSettings back;
    ASSERT_EQ(back.Load(kKey), 0u);
    EXPECT_EQ(back.comPort, 27u);
    EXPECT_EQ(back.deviceType, 2);
    EXPECT_EQ(back.portKind, Device::PORT_SERIAL);
    EXPECT_EQ(back.ipAddress, u"10.1.2.3");
    EXPECT_FALSE(back.express);
    EXPECT_FALSE(back.scanAll);
    EXPECT_TRUE(back.stopAtFirst);
}
