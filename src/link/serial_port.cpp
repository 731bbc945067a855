// The numbered serial-port table (256 slots) over the platform's serial devices.
#include "link/serial_port.h"

#include <array>
#include <cstdint>

#include "base/text.h"
#include "link/cat_state.h"
#include "link/exchange.h"
#include "platform/platform.h"

namespace {

// One slot per port number (array index = number - 1). handle 0 = empty: a
// closed or missing slot makes every operation a no-op, so a port that is not
// open simply loses writes and reads nothing. A port that could not be opened
// (the operator starts Rigvox before plugging in the adapter or switching on
// the radio) and a device that goes away while open (an unplugged USB
// adapter) are looked for once a second and opened with their speed and line
// settings once they can be had; otherwise the link could only come back by
// restarting the program.
struct PortSlot {
    int handle = 0;                 // platform handle, 0 = empty
    int baud = 0;                   // speed it was (or is to be) opened at
    int dataBits = 8, parity = 0, stopCode = 1;
    bool lost = false;              // wanted but not open; try to (re)open it
    int goneCount = 0;              // times its device has gone since it was opened (portGoneCount)
    std::int64_t retryAtMs = 0;     // earliest time of the next open attempt
};
std::array<PortSlot, kPortSlots> portTable{};

constexpr std::int64_t kReopenIntervalMs = 1000;  // a missing device is looked for once a second

// The speeds every serial port of both Linux and Windows takes (and every
// Kenwood CAT speed); another configured speed would leave the port closed
// on one system or the other, so it is refused, and said in the debug log.
constexpr int kPortSpeeds[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};

bool speedTaken(int baud) {
    for (int speed : kPortSpeeds)
        if (speed == baud) return true;
    return false;
}

std::string portLabel(int number) { return "Port" + numberText(number); }

PortSlot* slotOf(int number) {
    if (number < 1 || number > kPortSlots) return nullptr;
    return &portTable[number - 1];
}

// The handle to use for an operation on number, 0 when there is none. Notices
// a device that has gone and brings a lost one back when it has returned.
int liveHandle(int number) {
    PortSlot* slot = slotOf(number);
    if (!slot) return 0;
    const std::int64_t now = platTickMs();
    if (slot->handle > 0 && platSerialGone(slot->handle)) {
        platSerialClose(slot->handle);
        slot->handle = 0;
        slot->lost = true;
        slot->retryAtMs = now;
        slot->goneCount += 1;
        debugLine(portLabel(number) + " gone; looked for once a second");
    }
    if (slot->handle == 0 && slot->lost && now >= slot->retryAtMs) {
        const int handle = platSerialOpen(number, slot->baud);
        if (handle > 0) {
            slot->handle = handle;
            slot->lost = false;
            platSerialSetLine(handle, slot->dataBits, slot->parity, slot->stopCode);
            debugLine(portLabel(number) + " open");
        } else {
            slot->retryAtMs = now + kReopenIntervalMs;
        }
    }
    return slot->handle;
}

}  // namespace

bool portSpeedKnown(int baud) { return speedTaken(baud); }

int portOpen(int number, int baud) {
    PortSlot* slot = slotOf(number);
    if (!slot) return 0;
    if (!speedTaken(baud)) {
        std::string line = portLabel(number) + " not opened: speed" + numberText(baud) + " Baud is not one of";
        for (int speed : kPortSpeeds) line += numberText(speed);
        debugLine(line);
        return 0;
    }
    const int handle = platSerialOpen(number, baud);
    if (handle <= 0) {
        // Not there yet, or held by another program: keep looking for it. A
        // live device in the slot is kept.
        if (slot->handle == 0 && !slot->lost) {
            *slot = PortSlot{};
            slot->baud = baud;
            slot->lost = true;
            slot->retryAtMs = platTickMs() + kReopenIntervalMs;
            debugLine(portLabel(number) + " not opened (no device, in use, or speed refused); tried once a second");
        }
        return 0;
    }
    // A port reopened over a live slot would leak the old device.
    if (slot->handle > 0 && slot->handle != handle) platSerialClose(slot->handle);
    *slot = PortSlot{};
    slot->handle = handle;
    slot->baud = baud;
    return 1;
}

void portClose(int number) {
    PortSlot* slot = slotOf(number);
    if (!slot) return;
    if (slot->handle > 0) platSerialClose(slot->handle);
    *slot = PortSlot{};  // closed on purpose: no reopening
}

void portSetLine(int number, int dataBits, int parity, int stopCode) {
    PortSlot* slot = slotOf(number);
    if (!slot || (slot->handle <= 0 && !slot->lost)) return;
    // A port still looked for gets these settings when it opens.
    slot->dataBits = dataBits;
    slot->parity = parity;
    slot->stopCode = stopCode;
    if (slot->handle > 0) platSerialSetLine(slot->handle, dataBits, parity, stopCode);
}

int portBytesWaiting(int number) {
    const int handle = liveHandle(number);
    if (handle <= 0) return 0;
    const int count = platSerialWaiting(handle);
    return count > 0 ? count : 0;
}

int portGoneCount(int number) {
    liveHandle(number);  // notices a device that has just gone
    const PortSlot* slot = slotOf(number);
    return slot != nullptr ? slot->goneCount : 0;
}

int portRead(int number, std::string& text, int maximum) {
    text.clear();
    const int handle = liveHandle(number);
    if (handle <= 0 || maximum <= 0) return 0;
    platSerialRead(handle, text, maximum);
    capText(text, maximum);  // the text is exactly the bytes taken, never more than asked
    return static_cast<int>(text.size());
}

bool portWaitInput(int number, int timeoutMs) { return platSerialWaitInput(liveHandle(number), timeoutMs); }

int portWrite(int number, const std::string& text, int length) {
    const int handle = liveHandle(number);
    if (handle <= 0 || length <= 0) return 0;
    const int written = platSerialWrite(handle, leftText(text, length));
    return written > 0 ? written : 0;
}

void openPortSequence(int number) {
    const auto& C = catState;
    portClose(number);  // a port left open from an earlier connection is released first
    portOpen(number, C.baudRate);
    portSetLine(number, C.portDataBits, C.portParity, C.portStopCode);
}

void closeAllPorts() {
    for (int number = 1; number <= kPortSlots; ++number) portClose(number);
}
