// The one crossing between Rigvox and the machine: window text, events and
// timer, sound, serial devices, files and clock. Every function is prefixed
// "plat" so a search finds each crossing. Three backends implement this
// header: SDL2 with POSIX (SDL2_ttf, fontconfig, termios, POSIX files and
// sockets) on Linux, Win32 (GDI, waveOut, COM ports, Winsock) on Windows,
// each chosen by the build, and a fake one for tests, chosen at link time.
// Nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// [SECTION] Window, text, events and the 50 ms timer
// ---------------------------------------------------------------------------

// Event kinds handed to the event handler (Windows message numbers).
constexpr int kEventKeyDown = 256;
constexpr int kEventKeyUp = 257;
constexpr int kEventTick = 275;
constexpr int kEventClose = 32770;
// Input is waiting on a network socket (a listener has a connection to take,
// or a connection has bytes or has closed). Not a Windows message number.
constexpr int kEventNetwork = 32771;
// A queued sound has begun to sound, or the last one queued has ended. Not a
// Windows message number.
constexpr int kEventSound = 32772;
// A routing key of the braille display was pressed while it showed the panel
// line; param is the cell's place in that line (0 = its first character).
// Not a Windows message number; a backend without such keys never gives it.
constexpr int kEventBrailleRoute = 32773;

// The keys as the program names them. Each backend translates its system's
// keys into these (the keypad by its place, whatever NumLock says); a key
// with no name here arrives as kKeyUnknown. Letters and digits are their
// upper-case characters; the numbers of the other keys are those the debug
// log's key lines show, and all stay below 256.
enum Key : int {
    kKeyBackspace = 8, kKeyTab = 9, kKeyEnter = 13, kKeyShift = 16, kKeyCtrl = 17, kKeyAlt = 18,
    kKeyPause = 19, kKeyCapsLock = 20, kKeyEscape = 27, kKeySpace = 32, kKeyPageUp = 33,
    kKeyPageDown = 34, kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39,
    kKeyDown = 40, kKeyPrintScreen = 44, kKeyInsert = 45, kKeyDelete = 46,
    kKey0 = '0', kKey9 = '9', kKeyA = 'A', kKeyZ = 'Z',
    kKeyLeftWin = 91, kKeyRightWin = 92, kKeyMenu = 93,
    kKeyPad0 = 96, kKeyPad9 = 105, kKeyPadMultiply = 106, kKeyPadPlus = 107, kKeyPadMinus = 109,
    kKeyPadPoint = 110, kKeyPadDivide = 111,
    kKeyF1 = 112, kKeyF12 = 123, kKeyF24 = 135,
    kKeyNumLock = 144, kKeyScrollLock = 145,
    kKeySemicolon = 186, kKeyEquals = 187, kKeyComma = 188, kKeyMinus = 189, kKeyPeriod = 190,
    kKeySlash = 191, kKeyGrave = 192, kKeyOpenBracket = 219, kKeyBackslash = 220,
    kKeyCloseBracket = 221, kKeyApostrophe = 222,
    kKeyUnknown = 255,
};
// The letter key c ('A'..'Z'), the digit key d (0..9), the keypad digit d,
// the function key Fn (1..24).
constexpr Key keyLetter(char c) { return static_cast<Key>(c); }
constexpr Key keyDigit(int d) { return static_cast<Key>(kKey0 + d); }
constexpr Key keyPadDigit(int d) { return static_cast<Key>(kKeyPad0 + d); }
constexpr Key keyF(int n) { return static_cast<Key>(kKeyF1 + n - 1); }

// Opens the single fixed-size window (not resizable) at screen position x,y.
// Returns false when no window could be made (the program then runs blind).
bool platWindowOpen(const std::string& title, int x, int y, int width, int height);
void platWindowClose();

// Chooses the font for the following text: face name resolved by the system
// (an unknown face gets the system's substitute), size in points, weight on
// the 100..900 scale (700 bold). Size 0 selects the window's default font.
void platTextFont(const std::string& face, int points, int weight);
// Prints text with its top-left corner at x,y pixels of the client area, in
// the current font, opaque black on white. It stays until printed over.
void platTextAt(int x, int y, const std::string& text);

// Starts (or stops, with periodMs 0) the periodic timer. Ticks come through
// platWaitEvent; ticks that fall due while a handler runs merge into one.
void platTimerStart(int periodMs);
void platTimerStop();

// Waits until an event is pending (sleeping, no busy loop) and returns it:
// kind is one of the kEvent values, param the Key of a key event. Returns
// false only when the backend has no more events to give (the fake's script
// ran out); the real backend blocks until one arrives.
// While network sockets are open the wait also wakes for them and returns
// kEventNetwork (param 0), so a client is answered without waiting a tick.
// While sounds are queued it also wakes, within a few milliseconds, when
// one begins and when the last has ended, and returns kEventSound (param 0).
bool platWaitEvent(int& kind, int& param);

// ---------------------------------------------------------------------------
// [SECTION] Sound
// ---------------------------------------------------------------------------

// Sounds play from a queue that the sound device works through while the
// program goes on: queuing never waits for a sound.
//
// Queues the WAV file at path (looked up without regard to letter case) to
// sound after everything queued before it, the sounds of one queue joined
// without a gap, and returns at once. A missing or unplayable file, or an
// empty path, is queued as a sound of no length: it begins when the sound
// before it has ended. Without an audio device every sound still takes its
// file's length. Returns that length in milliseconds (0 for no sound).
int platSoundQueue(const std::string& path);
// How many of the sounds queued since the program started have begun to
// sound; a sound dropped by platSoundStop counts as begun. Never decreases.
std::int64_t platSoundStarted();
// True while a queued sound has not finished sounding.
bool platSoundBusy();
// Silences the sound that is sounding at once and drops everything queued.
void platSoundStop();
// The playing length of a WAV file in milliseconds, with or without an
// audio device; 0 when missing or unplayable.
int platWavDurationMs(const std::string& path);

// ---------------------------------------------------------------------------
// [SECTION] System speech (the user's own synthesizer: speech-dispatcher on
// Linux, SAPI 5 on Windows)
// ---------------------------------------------------------------------------

// Connects to the system's speech. Returns false when it cannot be reached
// (no speech service, no voice installed); nothing is said then.
bool platSpeechOpen();
// Queues text (UTF-8) to be spoken after whatever this program has queued
// before, and returns at once. Returns false when the speech has gone (the
// service stopped): the text was not said.
bool platSpeechSay(const std::string& text);
// Silences what this program still has sounding or queued.
void platSpeechCancel();
// Lets what is queued finish (briefly, where the system would cut it off)
// and ends the connection. Harmless when none is open.
void platSpeechClose();

// ---------------------------------------------------------------------------
// [SECTION] Braille display and screen reader (BrlAPI on Linux, UI Automation
// notifications on Windows)
// ---------------------------------------------------------------------------

// Opens the ways a readout's text leaves as text: the braille display
// (braille, rigvox.cfg BRAILLE=on) and the screen reader's own voice
// (screenReader). Call after platWindowOpen: the display belongs to the
// window. Returns false when none of those asked for can be reached; the
// program goes on without them.
bool platAccessOpen(bool braille, bool screenReader);
// One readout's text (UTF-8): shown on the braille display and handed to the
// screen reader, replacing the one before.
void platAccessReadout(const std::string& text);
// The panel line (frequency, mode, split, the switched functions): what the
// display shows while nothing new is read, and the window's value for a
// screen reader's "read current window".
void platAccessPanel(const std::string& line);
// Gives the display back and ends the connection. Harmless when none is open.
void platAccessClose();

// ---------------------------------------------------------------------------
// [SECTION] Serial devices
// ---------------------------------------------------------------------------

// Serial ports are numbered 1..kPlatSerialPorts.
constexpr int kPlatSerialPorts = 256;

// Opens serial port number n (1..256) exclusively at the given speed, 8 data
// bits, no parity, one stop bit, raw. Returns a handle above 0, or 0 when the
// device is missing, held by another program or refuses the speed. Held
// means: opened exclusively (Linux TIOCEXCL, Windows any open, which shares
// nothing), or, on Linux, named by a lock file in /run/lock or /var/lock
// ("LCK..ttyUSB0", "LCK..pts_3") that holds the number of a live process.
// A lock whose process has gone, or that holds no number, is stale and does
// not count. A port refused after the open leaves with its settings as found.
int platSerialOpen(int portNumber, int baud);
void platSerialClose(int handle);
// Closes a port that was only tried (the radio search): what is still
// unsent or unread is dropped, and every setting the port had before the
// open comes back (Linux: the whole termios; Windows: the DCB and the
// timeouts), so a device that is not ours is left as it was found.
void platSerialCloseRestored(int handle);
// Keeps the speed; sets data bits (5..8), parity (0 none, 1 odd, 2 even) and
// stop bits (stopCode 1 = one, anything else = two).
void platSerialSetLine(int handle, int dataBits, int parity, int stopCode);
// Bytes received and waiting; clears pending line errors. 0 on a bad handle.
int platSerialWaiting(int handle);
// Takes at most maxBytes waiting bytes without waiting; text becomes exactly
// the bytes taken. Returns the count.
int platSerialRead(int handle, std::string& text, int maxBytes);
// Writes all of text, retrying partial and interrupted writes. Returns the
// count written.
int platSerialWrite(int handle, const std::string& text);
// Sleeps until bytes are waiting on the handle or timeoutMs have passed,
// whichever comes first (no busy loop), never less when nothing comes; a bad
// handle, or a device that has gone, sleeps the whole time. Returns true
// when bytes are waiting.
bool platSerialWaitInput(int handle, int timeoutMs);
// True once the device behind the handle has gone (unplugged, hung up, I/O
// error), so the port layer can close and reopen it. False on a bad handle.
bool platSerialGone(int handle);

// A serial device that may hold a radio: the port number it is reached by
// (a comN link in the working folder, a Windows COMn), 0 when it has none
// yet, and the path platSerialOpenPath takes.
struct PlatSerialDevice {
    int number = 0;
    std::string path;
};
// Every serial device that may hold a radio, each device once, the numbered
// ones first in the order of their numbers. On Linux: the comN links of the
// working folder, then /dev/serial/by-id/*, /dev/ttyUSB* and /dev/ttyACM*
// (a set RIGVOX_SERIAL_DEVICES, patterns separated by ":", stands instead
// of those three). On Windows: the ports under
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM. Opens nothing.
std::vector<PlatSerialDevice> platSerialList();
// Opens a listed device exactly as platSerialOpen opens a port number.
int platSerialOpenPath(const std::string& path, int baud);
// Changes the speed of an open port, keeping everything else. False when
// the device refuses it (the port then keeps its old speed).
bool platSerialSetSpeed(int handle, int baud);
// Gives a listed device without a number the lowest free one from 1 to 99:
// makes the link comN in the working folder point at it. Returns N, or 0
// when no link can be made (always 0 on Windows, where every port has its
// number).
int platSerialGiveNumber(const std::string& path);

// ---------------------------------------------------------------------------
// [SECTION] Network sockets (TCP, for the rigctld-compatible port)
// ---------------------------------------------------------------------------

// Listens for TCP connections on address:port (an IPv4 or IPv6 literal such
// as "127.0.0.1", "0.0.0.0" or "::1"), non-blocking. Returns a handle above
// 0, or 0 when it cannot (address not local, port taken, no network).
int platNetListen(const std::string& address, int port);
// Takes one pending connection from a listener without waiting. Returns its
// handle above 0 (non-blocking), or 0 when none is pending or it cannot be
// taken. A listener whose connection cannot be taken for want of resources
// (too many open files) is left out of the event wait until a later call
// takes one or finds none pending, so the wait does not wake for it again
// and again: the program calls this on every tick as well. peer becomes the
// client's address as text ("192.168.1.20", "::1"; an IPv4 client of an
// IPv6 listener as "::ffff:192.168.1.20"), empty when none is taken.
int platNetAccept(int listener, std::string& peer);
// Takes at most maxBytes waiting bytes without waiting; text becomes exactly
// the bytes taken. Returns the count (0 when nothing is waiting), or -1 once
// the peer has closed or the connection failed.
int platNetRead(int handle, std::string& text, int maxBytes);
// Writes as much of text as the socket takes without waiting. Returns the
// count written (possibly fewer, possibly 0), or -1 on a broken connection.
int platNetWrite(int handle, const std::string& text);
void platNetClose(int handle);
// True once the peer has closed or reset the connection (or the handle is
// not open), even while bytes it sent before are still unread; reads
// nothing. A client whose unanswered lines fill the program's room is not
// read, and must not hide its hang-up behind them.
bool platNetPeerGone(int handle);
// Whether the program holds client input it has read but not yet answered
// (it answers a bounded amount per event). While held, the event wait does
// not sleep: it gives waiting window events and a due tick first, then
// kEventNetwork, as if a socket had input.
void platNetInputHeld(bool held);

// ---------------------------------------------------------------------------
// [SECTION] Files
// ---------------------------------------------------------------------------

// Handles are above 0; 0 means the file could not be opened.
int platFileOpenRead(const std::string& path);
int platFileOpenWrite(const std::string& path);   // create or replace
int platFileOpenAppend(const std::string& path);  // create or append
// Reads one line ending in CR, LF or CR LF (the ending is not kept). Returns
// false at end of file with nothing read.
bool platFileReadLine(int handle, std::string& line);
// Writes the bytes as they are. Returns false when they did not all go out.
bool platFileWrite(int handle, const std::string& bytes);
// Pushes written data to the disk. Returns false when that failed.
bool platFileSync(int handle);
void platFileClose(int handle);
bool platFileDelete(const std::string& path);  // false when absent
bool platFileRename(const std::string& from, const std::string& to);
// True when the name is taken: a file, a folder, or a link even when what it
// leads to is missing.
bool platFileExists(const std::string& path);

// ---------------------------------------------------------------------------
// [SECTION] Clock and environment
// ---------------------------------------------------------------------------

std::int64_t platTickMs();  // milliseconds from an arbitrary start, monotonic
struct PlatDateTime {
    int day, month, year, hour, minute, second;
    int utcOffsetMinutes = 0;  // local time minus UTC
};
PlatDateTime platLocalDateTime();
// Value of an environment variable, empty when unset.
std::string platEnv(const std::string& name);
