// SPDX-License-Identifier: GPL-3.0-or-later
// Line settings: the record <-> terminal mapping, what a port reports back,
// timeouts and Reopen.
#include "streamio/Rs232TestSupport.h"

#include "platform/ErrorCodes.h"
#include "streamio/FileTestSupport.h"
#include "streamio/serial/Rs232Line.h"

using namespace StreamIO;
using namespace Platform;

namespace {

constexpr uint32_t kFreeRate = 0010000;   // the kernel's code for a free baud rate

Rs232Line::SLineState Encoded(const SerialSettings& r)
{
    Rs232Line::SLineState state;
    state.cflag = HUPCL;
    EXPECT_EQ(Rs232Line::EncodeLine(r, state), 0u);
    return state;
}

SerialSettings Decoded(const Rs232Line::SLineState& state)
{
    SerialSettings r;
    Rs232Line::DecodeLine(state, r);
    return r;
}

} // namespace

TEST(Rs232Line, ParityStopBitsAndDataBitsBothWays)
{
    const uint32_t parityBits = PARENB | PARODD | CMSPAR;
    const uint32_t expected[] = {0, PARENB, PARENB | PARODD, PARENB | PARODD | CMSPAR, PARENB | CMSPAR};
    for (uint32_t code = PARITY_NONE; code <= PARITY_SPACE; ++code) {
        SerialSettings r = Record(9600);
        r.parity = code;
        const Rs232Line::SLineState state = Encoded(r);
        EXPECT_EQ(state.cflag & parityBits, expected[code]) << code;
        EXPECT_EQ(Decoded(state).parity, code);
    }

    const uint32_t sizes[] = {CS5, CS6, CS7, CS8};
    for (uint8_t bits = 5; bits <= 8; ++bits) {
        SerialSettings r = Record(9600);
        r.dataBits = bits;
        EXPECT_EQ(Encoded(r).cflag & CSIZE, sizes[bits - 5]);
        EXPECT_EQ(Decoded(Encoded(r)).dataBits, bits);
    }

    SerialSettings r = Record(9600);
    for (uint32_t stop : {STOPBITS_ONE_AND_HALF, STOPBITS_TWO}) {
        r.stopBits = stop;
        EXPECT_NE(Encoded(r).cflag & CSTOPB, 0u);
    }
    r.stopBits = 7;   // an unknown code means one stop bit
    EXPECT_EQ(Encoded(r).cflag & CSTOPB, 0u);
}

TEST(Rs232Line, SpeedsHandshakesAndRawMode)
{
    SerialSettings r = Record(38400);
    r.handshake = HANDSHAKE_XONXOFF | HANDSHAKE_CTSRTS;
    Rs232Line::SLineState state = Encoded(r);
    EXPECT_EQ(state.cflag & CBAUD, static_cast<uint32_t>(B38400));
    EXPECT_EQ(state.cflag & (CREAD | CLOCAL | CRTSCTS), static_cast<uint32_t>(CREAD | CLOCAL | CRTSCTS));
    EXPECT_EQ(state.iflag, static_cast<uint32_t>(IXON | IXOFF));
    EXPECT_EQ(state.cc[VSTART], 0x11);
    EXPECT_EQ(state.cc[VSTOP], 0x13);
    EXPECT_EQ(Decoded(state).handshake, HANDSHAKE_XONXOFF | HANDSHAKE_CTSRTS);

    r = Record(250000);
    r.handshake = HANDSHAKE_DSRDTR | HANDSHAKE_RTS_OFF;
    state = Encoded(r);
    EXPECT_EQ(state.cflag & CBAUD, kFreeRate);
    EXPECT_EQ(state.ospeed, 250000u);
    EXPECT_EQ(state.iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(state.cflag & CRTSCTS, 0u);

    // Values the line cannot take leave the state as it was.
    for (auto spoil : {+[](SerialSettings& s) { s.baudRate = 0; }, +[](SerialSettings& s) { s.dataBits = 4; },
                       +[](SerialSettings& s) { s.dataBits = 9; }, +[](SerialSettings& s) { s.parity = 5; }}) {
        SerialSettings bad = Record(9600);
        spoil(bad);
        Rs232Line::SLineState unchanged = state;
        EXPECT_EQ(Rs232Line::EncodeLine(bad, unchanged), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(unchanged.cflag, state.cflag);
    }
}

TEST_F(Rs232Test, SettingsReachThePortAndComeBack)
{
    SerialSettings r = Record(19200, 300, 20);
    r.stopBits = STOPBITS_ONE_AND_HALF;
    r.handshake = HANDSHAKE_XONXOFF | HANDSHAKE_DSRDTR | HANDSHAKE_CTSRTS | HANDSHAKE_RTS_OFF;
    r.receiveQueue = 4096;
    r.transmitQueue = 0xFFFF;
    CRs232Stream s(kPort, kReadWrite, &r);   // RTS off on a line without modem lines is no failure

    const termios t = Line();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));

    SerialSettings back;
    ASSERT_TRUE(s.GetSettings(back));
    EXPECT_EQ(back.magic, SERIAL_SETTINGS_MAGIC);
    EXPECT_EQ(back.baudRate, 19200u);
    EXPECT_EQ(back.stopBits, STOPBITS_ONE_AND_HALF);
    EXPECT_EQ(back.handshake, HANDSHAKE_XONXOFF | HANDSHAKE_DSRDTR | HANDSHAKE_CTSRTS);   // RTS off is not reported
    EXPECT_EQ(back.receiveQueue, 4096);
    EXPECT_EQ(back.transmitQueue, 0xFFFF);
    EXPECT_EQ(back.readTimeout, 300);
    EXPECT_EQ(back.writeTimeout, 20);

    // A rate without a code of its own.
    SerialSettings odd = Record(250000);
    ASSERT_TRUE(s.SetSettings(odd));
    ASSERT_TRUE(s.GetSettings(back));
    EXPECT_EQ(back.baudRate, 250000u);
    EXPECT_EQ(back.handshake, 0);
    EXPECT_EQ(back.stopBits, STOPBITS_ONE);

    EXPECT_FALSE(s.SetSettings(Record(0)));
    EXPECT_EQ(s.GetError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(s.Settings().baudRate, 250000u);   // the failed record was not kept

    s.Close();
    EXPECT_FALSE(s.GetSettings(back));
    EXPECT_EQ(s.GetError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(back.magic + back.baudRate + back.receiveQueue + back.readTimeout, 0u);
    EXPECT_FALSE(s.SetSettings(odd));
    EXPECT_EQ(s.GetError(), ERROR_INVALID_HANDLE);
}

TEST_F(Rs232Test, TimeoutsOfTheRecord)
{
    CRs232Stream s(kPort, kReadWrite, nullptr);
    int readMs = 0;
    int writeMs = 0;
    ASSERT_TRUE(s.GetTimeouts(readMs, writeMs));   // a fresh stream blocks
    EXPECT_EQ(readMs, TIMEOUT_INFINITE);
    EXPECT_EQ(writeMs, TIMEOUT_INFINITE);

    ASSERT_TRUE(s.SetSettings(Record(9600, -1, 10)));
    s.GetTimeouts(readMs, writeMs);
    EXPECT_EQ(readMs, TIMEOUT_INFINITE);
    EXPECT_EQ(writeMs, 10);

    ASSERT_TRUE(s.SetTimeouts(250, TIMEOUT_INFINITE));
    ASSERT_TRUE(s.SetSettings(Record(4800, 0, 0)));   // leaves the timeouts alone
    s.GetTimeouts(readMs, writeMs);
    EXPECT_EQ(readMs, 250);
    EXPECT_EQ(writeMs, TIMEOUT_INFINITE);

    ASSERT_TRUE(s.SetTimeouts(0, 0));   // read constant 0: blocking; write 50 ms per byte
    s.GetTimeouts(readMs, writeMs);
    EXPECT_EQ(readMs, TIMEOUT_INFINITE);
    EXPECT_EQ(writeMs, 0);

    s.Close();
    EXPECT_EQ(ThrownError([&] { s.GetTimeouts(readMs, writeMs); }), ERROR_INVALID_HANDLE);
}

TEST_F(Rs232Test, BytesPerSecondFollowsTheRecord)
{
    SerialSettings r = Record(38400);
    r.parity = PARITY_EVEN;
    r.stopBits = STOPBITS_TWO;
    CRs232Stream s(kPort, kReadWrite, &r);
    EXPECT_EQ(s.GetBytesPerSecond(), 3200u);
    ASSERT_TRUE(s.SetSettings(Record(9600)));
    EXPECT_EQ(s.GetBytesPerSecond(), 960u);
}

TEST_F(Rs232Test, ReopenRestoresTheLine)
{
    SerialSettings r = Record(57600, 400, 30);
    r.handshake = HANDSHAKE_XONXOFF;
    CRs232Stream s(kPort, kReadWrite, &r);
    s.Close();

    termios t = Line();   // someone else changes the line meanwhile
    cfsetspeed(&t, B1200);
    t.c_iflag &= ~(IXON | IXOFF);
    ASSERT_EQ(tcsetattr(pty.Slave(), TCSANOW, &t), 0);

    ASSERT_TRUE(s.Reopen());
    t = Line();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
    EXPECT_NE(t.c_iflag & IXON, 0u);
    SerialSettings back;
    ASSERT_TRUE(s.GetSettings(back));
    EXPECT_EQ(back.baudRate, 57600u);
    EXPECT_EQ(back.readTimeout, 400);
    EXPECT_EQ(back.writeTimeout, 30);
    EXPECT_FALSE(s.Reopen());   // already open
    EXPECT_EQ(s.GetError(), ERROR_NOT_SUPPORTED);

    CRs232Stream never;
    EXPECT_FALSE(never.Reopen());
}
