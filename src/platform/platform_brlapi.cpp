// The braille display on Linux, through BrlAPI (BRLTTY's interface, the one
// Orca uses): the display taken for the Rigvox window, the readouts and the
// panel line written to it as text (BRLTTY's text table makes the braille),
// and its panning and routing keys.
#include "platform/platform.h"
#include "platform/platform_real.h"

#include <brlapi.h>

#include <string>
#include <vector>

namespace {

// A readout stays on the display this long after it came or was last
// panned, as a screen reader's flash message does, then the panel line
// returns.
constexpr std::int64_t kReadoutHoldMs = 5000;

struct Braille {
    bool open = false;
    int fd = -1;                   // the BrlAPI connection, watched by the event wait
    int cells = 0;                 // width of the display's text
    std::string readout;           // the readout shown, "" = the panel line is shown
    std::string panel;             // the panel line, kept for when the readout has been read
    int offset = 0;                // first character shown of the text shown (panning)
    std::int64_t readoutUntil = 0; // clock time the readout gives way to the panel line
    std::string written;           // what the display shows now, written only when it changes
    bool keysWaiting = false;      // the event wait saw the connection readable: keys to take
};
Braille br;

// BrlAPI's default handler ends the process on an error from BRLTTY; a
// display that goes away must not take the radio's transmitter with it.
void BRLAPI_STDCALL ignoreBrlapiError(int, brlapi_packetType_t, const void*, size_t) {}

void closeBraille() {
    if (br.open) {
        brlapi_leaveTtyMode();
        brlapi_closeConnection();
    }
    br = Braille{};
}

// The characters of UTF-8 text, each as its bytes: a display cell holds one.
std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xF0) n = 4;
        else if (c >= 0xE0) n = 3;
        else if (c >= 0xC0) n = 2;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

const std::string& shownText() { return br.readout.empty() ? br.panel : br.readout; }

// Writes the window of the shown text that starts at offset, unless the
// display already shows it. A failed write means BRLTTY went: closed.
void showWindow() {
    if (!br.open) return;
    const std::vector<std::string> chars = characters(shownText());
    std::string window;
    for (int i = br.offset; i < br.offset + br.cells && i < static_cast<int>(chars.size()); ++i) window += chars[i];
    if (window == br.written) return;
    brlapi_writeArguments_t args = BRLAPI_WRITEARGUMENTS_INITIALIZER;
    args.regionBegin = 1;
    args.regionSize = -static_cast<int>(characters(window).size());
    if (args.regionSize == 0) args.regionSize = -1;
    const std::string text = window.empty() ? std::string(" ") : window;
    args.text = text.c_str();
    args.textSize = static_cast<int>(text.size());
    args.cursor = BRLAPI_CURSOR_OFF;
    args.charset = const_cast<char*>("UTF-8");
    if (brlapi_write(&args) < 0) {
        closeBraille();
        return;
    }
    br.written = window;
}

void showPanel() {
    br.readout.clear();
    br.offset = 0;
    showWindow();
}

// The panning keys move along the text shown by a display's width; past the
// end of a readout the panel line returns, the readout having been read.
void pan(bool forward) {
    const int length = static_cast<int>(characters(shownText()).size());
    if (forward) {
        if (br.offset + br.cells < length)
            br.offset += br.cells;
        else if (!br.readout.empty())
            return showPanel();
    } else {
        br.offset = br.offset >= br.cells ? br.offset - br.cells : 0;
    }
    if (!br.readout.empty()) br.readoutUntil = platTickMs() + kReadoutHoldMs;
    showWindow();
}

}  // namespace

bool platAccessOpen(bool braille, bool screenReader) {
    closeBraille();
    // On Linux the screen reader that takes an application's texts is
    // BRLTTY itself: both go to the display.
    if (!braille && !screenReader) return false;
    brlapi_setExceptionHandler(ignoreBrlapiError);
    const int fd = brlapi_openConnection(nullptr, nullptr);
    if (fd < 0) return false;
    // The display is ours while our window has the focus (BRLTTY's focus
    // logic, told by xbrlapi or Orca); without a window, the terminal's.
    const unsigned long window = platreal::windowXid();
    const int tty = window != 0 ? static_cast<int>(window) : BRLAPI_TTY_DEFAULT;
    unsigned int width = 0, height = 0;
    if (brlapi_enterTtyMode(tty, nullptr) < 0 || brlapi_getDisplaySize(&width, &height) < 0 || width == 0) {
        brlapi_closeConnection();
        return false;
    }
    // Only the panning and routing keys are ours; every other key of the
    // display stays BRLTTY's.
    brlapi_ignoreAllKeys();
    const brlapi_keyCode_t ours[] = {BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_FWINLT,
                                     BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_FWINRT,
                                     BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_ROUTE};
    brlapi_acceptKeys(brlapi_rangeType_command, ours, 3);
    br.open = true;
    br.fd = fd;
    br.cells = static_cast<int>(width);
    return true;
}

void platAccessReadout(const std::string& text) {
    if (!br.open || text.empty()) return;
    br.readout = text;
    br.offset = 0;
    br.readoutUntil = platTickMs() + kReadoutHoldMs;
    showWindow();
}

void platAccessPanel(const std::string& line) {
    if (!br.open) return;
    br.panel = line;
    if (br.readout.empty()) showWindow();
}

void platAccessClose() { closeBraille(); }

namespace platreal {

int accessDescriptor() { return br.open ? br.fd : -1; }

void accessInputReady() { br.keysWaiting = true; }

bool accessEvent(int& kind, int& param) {
    if (!br.open) return false;
    if (!br.readout.empty() && platTickMs() >= br.readoutUntil) showPanel();
    // Asked only when the connection had input: BrlAPI's own look costs a
    // system call and a lock, and the loop comes here many times a tick.
    if (!br.keysWaiting) return false;
    br.keysWaiting = false;
    brlapi_keyCode_t key = 0;
    for (;;) {
        const int got = brlapi_readKey(0, &key);
        if (got < 0) {
            closeBraille();  // BRLTTY has gone
            return false;
        }
        if (got == 0) return false;
        // The key without its flags (a key held, a chord): type and code.
        const brlapi_keyCode_t command = key & (BRLAPI_KEY_TYPE_MASK | BRLAPI_KEY_CODE_MASK);
        if (command == (BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_FWINLT)) pan(false);
        if (command == (BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_FWINRT)) pan(true);
        if ((command & (BRLAPI_KEY_TYPE_MASK | BRLAPI_KEY_CMD_BLK_MASK)) ==
            (BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_ROUTE)) {
            // Over a readout, a routing key brings the panel line back; over
            // the panel line it is the program's.
            if (!br.readout.empty()) {
                showPanel();
                continue;
            }
            kind = kEventBrailleRoute;
            param = br.offset + static_cast<int>(key & BRLAPI_KEY_CMD_ARG_MASK);
            return true;
        }
    }
}

}  // namespace platreal
