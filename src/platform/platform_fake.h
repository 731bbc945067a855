// Test control of the fake platform backend: tests feed it events, serial
// bytes, files, WAV durations and faults, and read back what the program
// printed, played and wrote. Time is virtual: it moves only when a test
// advances it (or a reply pause waits for bytes due later).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/sound_queue.h"

namespace fake {

struct Prompt {
    std::string path;  // as passed to platSoundQueue, e.g. "wave/on.wav"
    std::int64_t atMs; // virtual time when it was queued
};

// A text handed to the system's speech.
struct Utterance {
    std::string text;
    bool cutPrevious;  // platSpeechCancel came since the utterance before
};

struct Text {
    int x, y;
    std::string face;  // "" = the window's default font
    int points, weight;
    std::string text;
};

struct Port {
    bool openable = true;        // false: platSerialOpen fails (held by another program)
    bool open = false;
    int baud = 0, dataBits = 8, parity = 0, stopCode = 1;
    std::string written;         // every byte written, in order
    std::string incoming;        // bytes waiting to be read
    int opens = 0;               // successful opens
    bool gone = false;           // the device has gone (platSerialGone reports it)
    int found[4] = {0, 8, 0, 1}; // baud, data bits, parity, stop code before the last open
    int restores = 0;            // platSerialCloseRestored calls that put them back
};

// Bytes that reach a port's input at a later virtual time (a radio that
// takes a while to answer).
struct Arrival {
    int port = 0;
    std::int64_t atMs = 0;
    std::string bytes;
};

// A device platSerialList gives: opening it by its path reaches ports[port]
// (for a numbered device, normally its own number).
struct SerialDevice {
    int number = 0;        // 0 = none yet
    std::string path;
    int port = 0;
};

struct File {
    std::string content;
};

// A TCP socket: a listener, or one connection seen from the program's side.
// Tests play the client: they connect, send bytes and read the answers.
struct Socket {
    bool listener = false;
    std::string address;          // listener: as passed to platNetListen; connection: the client's address
    int port = 0;
    std::vector<int> pending;     // listener: connections not yet accepted
    std::string incoming;         // connection: bytes from the client, not yet read
    std::string written;          // connection: bytes the program wrote
    bool clientClosed = false;    // reads give -1 once incoming is empty
    long long room = -1;          // bytes the connection still takes; -1 = unlimited
    bool open = true;             // false once the program closed it
};

struct State {
    std::int64_t nowMs = 0;
    // window
    bool windowOpen = false;
    std::string windowTitle;
    int windowX = 0, windowY = 0, windowW = 0, windowH = 0;
    std::string fontFace;
    int fontPoints = 0, fontWeight = 0;
    std::vector<Text> texts;
    // events and timer
    std::vector<std::pair<int, int>> events;  // queued (kind, param), taken from the front
    std::size_t nextEvent = 0;
    std::map<std::size_t, std::int64_t> tickAdvances;  // event index -> ms the clock moves when it is taken
    int timerPeriodMs = 0;
    // sound
    std::vector<Prompt> prompts;
    // system speech
    bool speechReachable = false;              // platSpeechOpen succeeds (and resets speechSaysLeft)
    bool speechOpen = false;
    int speechSaysLeft = -1;                   // says that succeed before the service goes; -1 = all
    std::vector<Utterance> utterances;         // every text said, in order
    bool speechCancelled = false;              // platSpeechCancel since the last say
    int speechCancels = 0;                     // platSpeechCancel calls on an open connection
    // braille display and screen reader
    bool accessReachable = false;              // platAccessOpen succeeds
    bool accessOpen = false;
    std::vector<std::string> accessReadouts;   // texts handed to platAccessReadout
    std::string accessPanel;                   // the last panel line given
    // lower-case path -> duration; absent = 0 ms. A duration asked for with
    // platWavDurationMs is recorded among the prompts too: the
    // reply pause asks for the length of "delay" and spends it watching the
    // radio port, and tests hear it in the spoken order.
    std::map<std::string, int> wavMs;
    std::set<std::string> missingWavs;         // lower-case paths that sound nothing
    SoundQueue sounds;                         // what is queued, by the virtual clock
    int soundStops = 0;                        // platSoundStop calls that silenced something
    // serial ports by number (handle = number)
    std::map<int, Port> ports;
    std::vector<Arrival> arrivals;             // feedAfter: delivered when the clock reaches them
    std::vector<SerialDevice> serialDevices;   // what platSerialList gives, in this order
    std::map<int, std::string> serialLinks;    // platSerialGiveNumber: number -> path linked
    // Called after every write to a port with the bytes written; may queue
    // answers with feed(). A virtual radio for tests.
    std::function<void(int port, const std::string& bytes)> responder;
    // network sockets by handle
    std::map<int, Socket> sockets;
    int nextSocket = 1;
    bool netListenFails = false;               // platNetListen fails (port taken)
    bool netInputHeld = false;                 // platNetInputHeld: platWaitEvent gives kEventNetwork after the script
    // files
    std::map<std::string, File> files;
    std::set<std::string> unwritablePaths;     // open for writing fails
    std::set<std::string> danglingLinks;       // links to nothing: they exist, but open for reading fails
    bool readOnlyDirectory = false;            // every create, rename and delete fails
    long long diskSpace = -1;                  // bytes left for writes; -1 = unlimited
    bool failSync = false;
    bool failRename = false;
    std::map<std::string, int> renames;        // count of renames onto each path
    // environment
    std::map<std::string, std::string> env;
};

State& state();
// Everything empty, time 0, no ports opened, every port openable.
void reset();

void pushEvent(int kind, int param = 0);
void pushKey(int vk);            // key down then key up
void pushTick();
// count ticks, each moving the clock everyMs when the program takes it (the
// timer's period: steps that wait on the clock see time pass).
void pushTicks(int count, std::int64_t everyMs = 50);
void advance(std::int64_t ms);

// Bytes for the program to read from port n.
void feed(int port, const std::string& bytes);
// Bytes for port n that arrive delayMs from now on the virtual clock
// (platSerialWaitInput moves the clock to them; reads see them from then on).
void feedAfter(int port, const std::string& bytes, std::int64_t delayMs);
// What was written to port n, and clears it.
std::string takeWritten(int port);

// Prompt names played since the last call (path without "wave/" and ".wav"),
// and clears the list.
std::vector<std::string> takePrompts();
// Texts said through the system's speech since the last call, and clears
// the list.
std::vector<std::string> takeUtterances();
// Readout texts handed to the braille display and screen reader since the
// last call, and clears the list.
std::vector<std::string> takeAccessReadouts();
// The last text printed at x,y ("" when none).
std::string textAt(int x, int y);

// A client connecting from address to the listener on port: the
// connection's handle (as platNetAccept will give it), or 0 when nothing
// listens there.
int connectClient(int port, const std::string& address = "127.0.0.1");
// Bytes a client sends, and what the program has written to it (cleared).
void clientSend(int connection, const std::string& bytes);
std::string clientTake(int connection);
void clientClose(int connection);

void setFile(const std::string& path, const std::string& content);
bool hasFile(const std::string& path);
std::string fileContent(const std::string& path);

}  // namespace fake
