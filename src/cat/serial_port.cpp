// The numbered serial-port table (256 slots) over the platform's serial devices.
#include "cat/serial_port.h"

#include <array>
#include <cstdint>

#include "platform/platform.h"
#include "shell/program_state.h"
#include "shell/text.h"

namespace {

// One slot per port number (array index = number - 1). handle 0 = empty: a
// closed or missing slot makes every operation a no-op, so a port that failed
// to open simply loses writes and reads nothing. A device that goes away
// while open (an unplugged USB adapter) is closed and, since nobody asked for
// that, reopened with its speed and line settings once it can be had again;
// otherwise the link could only come back by restarting the program.
struct PortSlot {
    int handle = 0;                 // platform handle, 0 = empty
    int baud = 0;                   // speed it was opened at
    int dataBits = 8, parity = 0, stopCode = 1;
    bool lost = false;              // the device went away; try to reopen it
    std::int64_t retryAtMs = 0;     // earliest time of the next reopen attempt
};
std::array<PortSlot, kPortSlots> portTable{};

constexpr std::int64_t kReopenIntervalMs = 1000;  // a missing device is looked for once a second

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
    }
    if (slot->handle == 0 && slot->lost && now >= slot->retryAtMs) {
        const int handle = platSerialOpen(number, slot->baud);
        if (handle > 0) {
            slot->handle = handle;
            slot->lost = false;
            platSerialSetLine(handle, slot->dataBits, slot->parity, slot->stopCode);
        } else {
            slot->retryAtMs = now + kReopenIntervalMs;
        }
    }
    return slot->handle;
}

}  // namespace

int portOpen(int number, int baud) {
    PortSlot* slot = slotOf(number);
    if (!slot) return 0;
    const int handle = platSerialOpen(number, baud);
    if (handle <= 0) return 0;
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

void portSetReadTimeouts(int number, int mode) {
    // The platform's reads always return at once with what is received, which
    // is mode -1, the only mode the program asks for; nothing to set.
    (void)number;
    (void)mode;
}

void portSetLine(int number, int dataBits, int parity, int stopCode) {
    PortSlot* slot = slotOf(number);
    if (!slot || slot->handle <= 0) return;
    slot->dataBits = dataBits;
    slot->parity = parity;
    slot->stopCode = stopCode;
    platSerialSetLine(slot->handle, dataBits, parity, stopCode);
}

int portBytesWaiting(int number) {
    const int handle = liveHandle(number);
    if (handle <= 0) return 0;
    const int count = platSerialWaiting(handle);
    return count > 0 ? count : 0;
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
    auto& S = shellState;
    portClose(number);  // a port left open from an earlier connection is released first
    portOpen(number, S.baudRate);
    portSetReadTimeouts(number, -1);
    portSetLine(number, S.portDataBits, S.portParity, S.portStopCode);
}

std::string portPlatformName(int number) {
    if (number < 1 || number > kPortSlots) return {};
    // From COM10 on, Windows reaches the port only through the device namespace.
    if (number < 10) return "COM" + plainNumber(number);
    return "\\\\.\\COM" + plainNumber(number);
}

void closeAllPorts() {
    for (int number = 1; number <= kPortSlots; ++number) portClose(number);
}
