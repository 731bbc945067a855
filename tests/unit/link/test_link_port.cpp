// The numbered port table: slots, names, failed opens, bounded reads, the open sequence.
#include <string>

#include "link/exchange.h"
#include "link/serial_port.h"
#include "platform/port_name.h"
#include "test_cat_radio.h"

namespace {

using PortTest = cattest::PortsClosedTest;

// 1. Numbers without a slot: every operation does nothing.
TEST_F(PortTest, NumbersOutsideTheTableHaveNoSlot) {
    for (int number : {0, -1, 257}) {
        SCOPED_TRACE(number);
        fake::feed(number, "FA00007100000;");
        EXPECT_EQ(portOpen(number, 9600), 0);
        EXPECT_EQ(fake::state().ports[number].opens, 0);
        portSetLine(number, 8, 0, 2);
        EXPECT_EQ(portBytesWaiting(number), 0);
        std::string text = "old";
        EXPECT_EQ(portRead(number, text, 255), 0);
        EXPECT_EQ(text, "");
        EXPECT_EQ(portWrite(number, "FA;", 3), 0);
        EXPECT_EQ(fake::takeWritten(number), "");
        portClose(number);
    }
}

// 2. Names a Windows backend would open.
TEST_F(PortTest, PlatformNames) {
    EXPECT_EQ(portPlatformName(1), "COM1");
    EXPECT_EQ(portPlatformName(9), "COM9");
    EXPECT_EQ(portPlatformName(10), std::string("\\\\.\\COM10"));
    EXPECT_EQ(portPlatformName(10).size(), 9u);  // backslash backslash . backslash C O M 1 0
    EXPECT_EQ(portPlatformName(256), std::string("\\\\.\\COM256"));
    EXPECT_EQ(portPlatformName(0), "");
    EXPECT_EQ(portPlatformName(257), "");
}

// 3. A port that cannot be opened at start (adapter not yet plugged in,
// held by another program) is tried again once a second and then opened
// 8N2; until then the program goes on without bytes. A speed the ports do
// not take is refused for good. Both are written to the debug log.
TEST_F(PortTest, UnopenedPortIsTriedOnceASecondAndABadSpeedIsLogged) {
    catState.debugLog = 1;
    openDebugLog();
    fake::Port& port = fake::state().ports[3];
    port.openable = false;
    catState.comPort = 3;
    catState.baudRate = 9600;
    openPortSequence(3);
    EXPECT_FALSE(port.open);
    fake::feed(3, "FA00007100000;");
    EXPECT_EQ(portBytesWaiting(3), 0);
    EXPECT_EQ(exchangeWithRadio("FA").status, AnswerStatus::kWriteFailed);
    EXPECT_EQ(fake::takeWritten(3), "");
    EXPECT_EQ(takeRadioBytes(), "");

    port.openable = true;  // plugged in
    fake::advance(999);
    EXPECT_EQ(portBytesWaiting(3), 0);
    fake::advance(1);
    EXPECT_EQ(portBytesWaiting(3), 14);
    EXPECT_EQ(port.opens, 1);
    EXPECT_EQ(port.baud, 9600);
    EXPECT_EQ(port.stopCode, 2);
    sendText("FA");
    EXPECT_EQ(fake::takeWritten(3), "FA;");

    for (int speed : {0, 9601, 14400}) {
        SCOPED_TRACE(speed);
        catState.baudRate = speed;
        openPortSequence(4);
        fake::advance(5000);
        EXPECT_EQ(portWrite(4, "FA;", 3), 0);
        EXPECT_EQ(fake::state().ports[4].opens, 0);
    }
    const std::string log = fake::fileContent("debug.dat");
    EXPECT_NE(log.find("Port 3 not opened (no device, in use, or speed refused)"), std::string::npos) << log;
    EXPECT_NE(log.find("Port 3 open\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Port 4 not opened: speed 9601 Baud is not one of 300 600 1200 2400 4800 9600 "
                       "19200 38400 57600 115200 230400\r\n"),
              std::string::npos)
        << log;
    closeDebugLog();
}

// 4. Reads take at most the maximum; the text is exactly the bytes taken.
TEST_F(PortTest, ReadsAreBoundedAndExact) {
    ASSERT_EQ(portOpen(1, 9600), 1);
    fake::feed(1, std::string(300, 'x'));
    EXPECT_EQ(portBytesWaiting(1), 300);
    std::string text;
    EXPECT_EQ(portRead(1, text, 255), 255);
    EXPECT_EQ(text, std::string(255, 'x'));
    EXPECT_EQ(portBytesWaiting(1), 45);
    EXPECT_EQ(portRead(1, text, 255), 45);
    EXPECT_EQ(text.size(), 45u);

    fake::feed(1, "FA00007100000;");
    EXPECT_EQ(portRead(1, text, 255), 14);
    fake::feed(1, "SM0001;");
    EXPECT_EQ(portRead(1, text, 255), 7);
    EXPECT_EQ(text, "SM0001;");
    EXPECT_EQ(portRead(1, text, 255), 0);
    EXPECT_EQ(text, "");
}

// 5. Writes send the given length of the text, nothing added.
TEST_F(PortTest, WritesSendTheGivenLength) {
    ASSERT_EQ(portOpen(1, 9600), 1);
    EXPECT_EQ(portWrite(1, "FA;SM0;", 3), 3);
    EXPECT_EQ(portWrite(1, "RX;", 10), 3);
    EXPECT_EQ(portWrite(1, "RX;", 0), 0);
    EXPECT_EQ(fake::takeWritten(1), "FA;RX;");
}

// 6. The open sequence: close first, open at the configured speed, 8N2.
TEST_F(PortTest, OpenSequence) {
    catState.baudRate = 4800;
    openPortSequence(4);
    const fake::Port& port = fake::state().ports[4];
    EXPECT_TRUE(port.open);
    EXPECT_EQ(port.baud, 4800);
    EXPECT_EQ(port.dataBits, 8);
    EXPECT_EQ(port.parity, 0);
    EXPECT_EQ(port.stopCode, 2);
    // Reopening at the next connection closes the old device first, so it succeeds.
    openPortSequence(4);
    EXPECT_TRUE(fake::state().ports[4].open);
    EXPECT_EQ(fake::state().ports[4].opens, 2);

    portSetLine(4, 8, 0, 1);
    EXPECT_EQ(fake::state().ports[4].stopCode, 1);
    portClose(4);
    EXPECT_FALSE(fake::state().ports[4].open);
    fake::feed(4, "x");
    EXPECT_EQ(portBytesWaiting(4), 0);
    portClose(4);  // an empty slot is left alone
}

// 7. A device that goes away while open comes back without a restart.
TEST_F(PortTest, GoneDeviceIsReopenedWithItsSettings) {
    catState.baudRate = 9600;
    openPortSequence(1);
    fake::state().ports[1].gone = true;
    fake::feed(1, "FA00007100000;");
    EXPECT_EQ(portBytesWaiting(1), 14);  // reopened at once, 8N2 again
    EXPECT_EQ(fake::state().ports[1].opens, 2);
    EXPECT_EQ(fake::state().ports[1].stopCode, 2);
    EXPECT_EQ(fake::state().ports[1].baud, 9600);
}

TEST_F(PortTest, UnpluggedDeviceIsLookedForOnceASecond) {
    catState.baudRate = 9600;
    openPortSequence(1);
    fake::Port& port = fake::state().ports[1];
    port.gone = true;
    port.openable = false;  // unplugged
    EXPECT_EQ(portWrite(1, "FA;", 3), 0);
    EXPECT_FALSE(port.open);
    port.openable = true;  // plugged in again
    fake::advance(999);
    EXPECT_EQ(portWrite(1, "FA;", 3), 0);
    EXPECT_EQ(port.opens, 1);
    fake::advance(1);
    EXPECT_EQ(portWrite(1, "FA;", 3), 3);
    EXPECT_EQ(port.opens, 2);
    EXPECT_EQ(port.stopCode, 2);
    EXPECT_EQ(fake::takeWritten(1), "FA;");

    // A port closed on purpose stays closed.
    portClose(1);
    fake::advance(5000);
    EXPECT_EQ(portWrite(1, "FA;", 3), 0);
    EXPECT_FALSE(port.open);
}

}  // namespace
