// The real backend on Windows, first half: the window and its GDI text, key
// and close messages, the periodic tick, and the sound queue played through
// waveOut. One thread: the tick and the next sound's beginning or end are
// deadlines the message wait sleeps towards, and sockets with input and the
// sound device's finished buffers wake the same wait.
#include "platform/font_cache.h"
#include "platform/platform.h"
#include "platform/platform_win32.h"
#include "platform/printed_texts.h"
#include "platform/sound_queue.h"
#include "platform/tick_timer.h"

#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// [SECTION] Backend state
// ---------------------------------------------------------------------------

// The window's default font, used before any font is chosen (banner and
// help lines): small enough that the longest help line fits the window.
const FontChoice kDefaultFont{"Arial", 11, 400};
constexpr const wchar_t* kWindowClass = L"RigvoxFrontPanel";
// A device that stopped taking its queue holds a sound at most this long past
// its own length; then it is reset. Measured per sound: a device that starts
// late (Wine's does, by a little more at each seam) is not cut off at the end
// of a long readout.
constexpr std::int64_t kPlaybackSlackMs = 1000;
// Sounds written to the device and not yet finished, at most: a sound queued
// beyond them is silent (it still takes its length). Minutes of prompts.
constexpr std::size_t kMaxSoundBuffers = 256;
// A sound converted to the device's format is at most this large (as a
// prompt file is): anything longer is not a prompt.
constexpr std::size_t kMaxSoundBytes = std::size_t(64) << 20;

struct QueuedEvent {
    int kind;
    int param;
};

// One queued sound in the device's format, as written to the device. Held
// by pointer: the device keeps the header's address until it is done.
struct SoundBuffer {
    WAVEHDR header{};
    std::vector<char> samples;
    std::int64_t durationMs = 0;
};

struct Backend {
    HWND window = nullptr;
    HDC canvasDc = nullptr;        // the persistent drawing, shown on WM_PAINT
    HBITMAP canvas = nullptr;
    HGDIOBJ canvasOld = nullptr;
    int width = 0, height = 0;
    int dpi = 96;
    FontCache<HFONT> fonts;        // with the current font choice
    PrintedTexts<RECT> texts;  // what stands where, for the reprint rules
    std::deque<QueuedEvent> events;  // translated messages not yet handed out
    bool keyDown[256] = {};          // keys reported down and not yet up
    TickTimer timer;
    HANDLE waitTimer = nullptr;      // wakes the message wait when a tick falls due
    bool classRegistered = false;
    bool cleanupRegistered = false;
    bool sessionEnding = false;      // log off or shut down: no more messages are taken
    // sound
    HWAVEOUT out = nullptr;
    WAVEFORMATEX outFormat{};        // the device's format: 16-bit PCM
    HANDLE outEvent = nullptr;       // signalled by the device when a buffer is done
    // Written to the device in queue order and not yet seen done; the device
    // finishes them in that order. Freed as they finish.
    std::deque<std::unique_ptr<SoundBuffer>> buffers;
    std::uint64_t buffersDone = 0;   // of all ever written, those finished (or reset)
    std::int64_t frontSinceMs = 0;   // when the first of buffers became the one sounding
    SoundQueue sounds;               // what is queued, in buffers of the device
    bool noAudioDevice = false;      // no device at all: the schedule alone decides
};
Backend b;

void resetDevice();

void deleteFont(HFONT font) { DeleteObject(font); }

void cleanup() {
    resetDevice();
    if (b.out) waveOutClose(b.out);
    b.out = nullptr;
    if (b.outEvent) CloseHandle(b.outEvent);
    b.outEvent = nullptr;
    platWindowClose();
    b.fonts.closeAll(deleteFont);
    if (b.waitTimer) CloseHandle(b.waitTimer);
    b.waitTimer = nullptr;
}

void registerCleanup() {
    if (b.cleanupRegistered) return;
    b.cleanupRegistered = true;
    std::atexit(cleanup);
}

// ---------------------------------------------------------------------------
// [SECTION] Fonts
// ---------------------------------------------------------------------------

// The face Windows should look for: the program's "Ariel" is Arial misspelt,
// which the font mapper would otherwise replace by its default face.
std::string systemFace(const std::string& face) {
    const std::string key = faceKey(face);
    if (key.empty() || key == "ariel") return "Arial";
    return face;
}

// Creates face at points and weight (400 or 700); null when GDI cannot.
HFONT openFont(const std::string& face, int points, int weight) {
    const std::string name = systemFace(face).substr(0, LF_FACESIZE - 1);
    return CreateFontA(-MulDiv(points, b.dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS,
                       name.c_str());
}

HFONT currentFont() { return b.fonts.current(kDefaultFont, openFont); }

// ---------------------------------------------------------------------------
// [SECTION] Messages
// ---------------------------------------------------------------------------

// The virtual-key code the handler sees. The keypad counts by its place, not
// its NumLock state (which a blind operator cannot see): with NumLock off its
// keys arrive as the editing keys, told apart from the real editing keys by
// the missing extended-key flag.
int virtualKey(WPARAM wParam, LPARAM lParam) {
    const int key = static_cast<int>(wParam & 0xFF);
    const bool extended = (lParam & (1L << 24)) != 0;
    if (!extended) {
        switch (key) {
        case VK_INSERT: return VK_NUMPAD0;
        case VK_END: return VK_NUMPAD1;
        case VK_DOWN: return VK_NUMPAD2;
        case VK_NEXT: return VK_NUMPAD3;
        case VK_LEFT: return VK_NUMPAD4;
        case VK_CLEAR: return VK_NUMPAD5;
        case VK_RIGHT: return VK_NUMPAD6;
        case VK_HOME: return VK_NUMPAD7;
        case VK_UP: return VK_NUMPAD8;
        case VK_PRIOR: return VK_NUMPAD9;
        case VK_DELETE: return VK_DECIMAL;
        default: break;
        }
    }
    return key;
}

void queueEvent(int kind, int param) { b.events.push_back({kind, param}); }

// Log off or shut down. The handler gets a close request ahead of anything
// waiting and shuts down as for the close box: the radio back to receive,
// the memory saved. Windows may end the process as soon as the window has
// answered WM_ENDSESSION, so from here on no message is taken: that answer
// is never given, and Windows goes on once the shutdown has closed the
// window (or the process has ended).
void beginSessionEnd() {
    if (b.sessionEnding) return;
    b.sessionEnding = true;
    b.events.push_front({kEventClose, 0});
}

// A key still down when the window loses the keyboard would never be
// reported up (the transmit key among them): it is released now.
void releaseHeldKeys() {
    for (int key = 0; key < 256; ++key)
        if (b.keyDown[key]) {
            b.keyDown[key] = false;
            queueEvent(kEventKeyUp, key);
        }
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // Alt+F4 is the system's close command; it arrives as the close
        // message, not as a key.
        if (message == WM_SYSKEYDOWN && wParam == VK_F4 && (lParam & (1L << 29)))
            return DefWindowProcW(hwnd, message, wParam, lParam);
        // Auto-repeat comes as further key-downs; the handler's held-key
        // lock ignores them, as it does on Linux.
        const int key = virtualKey(wParam, lParam);
        b.keyDown[key] = true;
        queueEvent(kEventKeyDown, key);
        return 0;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const int key = virtualKey(wParam, lParam);
        b.keyDown[key] = false;
        queueEvent(kEventKeyUp, key);
        return 0;  // not passed on: Alt and F10 would open the (absent) menu
    }
    case WM_KILLFOCUS:
        releaseHeldKeys();
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
        break;
    case WM_CLOSE:
        // The handler shuts down in order (memory saved) and closes the window.
        queueEvent(kEventClose, 0);
        return 0;
    case WM_QUERYENDSESSION:
        beginSessionEnd();
        return TRUE;
    case WM_ENDSESSION:
        // Normally the query came first and this is never taken; alone (a
        // forced end) the close request is all that can still be made.
        if (wParam) beginSessionEnd();
        return 0;
    case WM_GETOBJECT: {
        // A screen reader asks for the window's element: its name and the panel line.
        LRESULT answer = 0;
        if (platwin::answerAutomation(hwnd, wParam, lParam, answer)) return answer;
        break;
    }
    case WM_DESTROY:
        platwin::endAutomation(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the canvas covers the whole client area
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (b.canvasDc) {
            const RECT& r = ps.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, b.canvasDc, r.left, r.top,
                   SRCCOPY);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Dispatches every waiting message; translated ones land in b.events.
void pumpMessages() {
    if (b.sessionEnding) return;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // No TranslateMessage: the program wants keys, never characters.
        DispatchMessageW(&msg);
    }
}

// Waits up to timeout ms (INFINITE: no limit) for one of count handles or,
// unless the session is ending, for a message. While it ends, messages are
// not taken, so a waiting one must not end the wait: only the handles or
// the time do (with no handle and no limit, it looks again after 50 ms).
DWORD waitHandles(DWORD count, const HANDLE* handles, DWORD timeout) {
    if (!b.sessionEnding)
        return MsgWaitForMultipleObjectsEx(count, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count > 0) return WaitForMultipleObjects(count, handles, FALSE, timeout);
    Sleep(timeout == INFINITE ? 50 : timeout);
    return WAIT_TIMEOUT;
}

// ---------------------------------------------------------------------------
// [SECTION] Sound
// ---------------------------------------------------------------------------

struct Wav {
    WAVEFORMATEX format{};
    const char* data = nullptr;
    std::size_t length = 0;
    std::vector<char> file;
    std::int64_t durationMs() const {
        if (format.nBlockAlign == 0 || format.nSamplesPerSec == 0) return 0;
        return static_cast<std::int64_t>(length / format.nBlockAlign) * 1000 / format.nSamplesPerSec;
    }
};

std::uint32_t le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (std::uint32_t(u[3]) << 24);
}
std::uint16_t le16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(u[0] | (u[1] << 8));
}

bool readWholeFile(const std::string& path, std::vector<char>& bytes) {
    // Paths are found without regard to letter case by the file system.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    // Prompts are short; anything past 64 MB is not a prompt.
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart < (64LL << 20);
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
             got == bytes.size();
    }
    CloseHandle(h);
    return ok;
}

// Loads a PCM WAV (8 to 32 bits, 1 to 8 channels); false when missing or not
// one waveOut can play as it stands.
bool loadWav(const std::string& path, Wav& wav) {
    if (!readWholeFile(path, wav.file)) return false;
    const char* p = wav.file.data();
    const std::size_t size = wav.file.size();
    if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= size) {
        const std::uint32_t chunk = le32(p + pos + 4);
        const std::size_t body = pos + 8;
        const std::size_t available = std::min<std::size_t>(chunk, size - body);
        if (std::memcmp(p + pos, "fmt ", 4) == 0 && available >= 16) {
            std::uint16_t tag = le16(p + body);
            // WAVE_FORMAT_EXTENSIBLE holding plain PCM or float.
            if (tag == 0xFFFE && available >= 26) tag = le16(p + body + 24);
            WAVEFORMATEX& f = wav.format;
            f.wFormatTag = tag;
            f.nChannels = le16(p + body + 2);
            f.nSamplesPerSec = le32(p + body + 4);
            f.wBitsPerSample = le16(p + body + 14);
            f.nBlockAlign = static_cast<WORD>(f.nChannels * (f.wBitsPerSample / 8));
            f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
            f.cbSize = 0;
            const bool pcm = tag == WAVE_FORMAT_PCM &&
                             (f.wBitsPerSample == 8 || f.wBitsPerSample == 16 ||
                              f.wBitsPerSample == 24 || f.wBitsPerSample == 32);
            const bool floats = tag == 3 /* IEEE float */ && f.wBitsPerSample == 32;
            haveFormat = (pcm || floats) && f.nChannels >= 1 && f.nChannels <= 8 &&
                         f.nSamplesPerSec >= 1000 && f.nSamplesPerSec <= 384000;
        } else if (std::memcmp(p + pos, "data", 4) == 0) {
            if (!haveFormat) return false;
            wav.data = p + body;
            // A length running past the end (a file cut short) keeps what is there.
            wav.length = available - available % wav.format.nBlockAlign;
            return true;
        }
        pos = body + chunk + (chunk & 1);
        if (chunk > size) break;
    }
    return false;
}

// The format the device is opened in for a WAV: its rate and (at most two)
// channels, 16-bit PCM, which every device plays.
WAVEFORMATEX deviceFormatFor(const WAVEFORMATEX& wav) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = wav.nChannels >= 2 ? 2 : 1;
    f.nSamplesPerSec = wav.nSamplesPerSec;
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<WORD>(f.nChannels * 2);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return f;
}

bool sameFormat(const WAVEFORMATEX& one, const WAVEFORMATEX& other) {
    return one.wFormatTag == other.wFormatTag && one.nChannels == other.nChannels &&
           one.nSamplesPerSec == other.nSamplesPerSec && one.wBitsPerSample == other.wBitsPerSample;
}

// Sample `channel` of the frame at p, from -1 to 1.
float sampleAt(const char* frame, const WAVEFORMATEX& f, int channel) {
    const char* p = frame + channel * (f.wBitsPerSample / 8);
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    switch (f.wBitsPerSample) {
    case 8: return (u[0] - 128) / 128.0f;
    case 16: return static_cast<std::int16_t>(le16(p)) / 32768.0f;
    case 24: {
        const std::uint32_t high = (std::uint32_t(u[0]) << 8) | (std::uint32_t(u[1]) << 16) | (std::uint32_t(u[2]) << 24);
        return static_cast<std::int32_t>(high) / 2147483648.0f;
    }
    default:
        if (f.wFormatTag == 3) {
            float v;
            std::memcpy(&v, p, sizeof v);
            return v == v ? std::clamp(v, -1.0f, 1.0f) : 0.0f;  // NaN is silence
        }
        return static_cast<std::int32_t>(le32(p)) / 2147483648.0f;
    }
}

// Sample `channel` of the frame at p, taken into a device of `channels`
// channels: mono to both sides, more channels averaged to mono, or their
// front pair kept for stereo.
float mappedSample(const char* frame, const WAVEFORMATEX& f, int channels, int channel) {
    if (f.nChannels == channels) return sampleAt(frame, f, channel);
    if (channels == 2) return sampleAt(frame, f, f.nChannels == 1 ? 0 : channel);
    float sum = 0;
    for (int c = 0; c < f.nChannels; ++c) sum += sampleAt(frame, f, c);
    return sum / f.nChannels;
}

// The WAV's sound in the device's format (16-bit PCM, rate changed by
// linear interpolation, good enough for speech); empty when too large.
std::vector<char> samplesForDevice(const Wav& wav) {
    std::vector<char> out;
    const WAVEFORMATEX& f = wav.format;
    const WAVEFORMATEX& d = b.outFormat;
    if (sameFormat(f, d)) {
        out.assign(wav.data, wav.data + wav.length);
        return out;
    }
    const std::uint64_t inFrames = wav.length / f.nBlockAlign;
    const std::uint64_t outFrames = inFrames * d.nSamplesPerSec / f.nSamplesPerSec;
    if (inFrames == 0 || outFrames * d.nBlockAlign > kMaxSoundBytes) return out;
    out.resize(static_cast<std::size_t>(outFrames * d.nBlockAlign));
    char* to = out.data();
    const double step = static_cast<double>(f.nSamplesPerSec) / d.nSamplesPerSec;
    for (std::uint64_t i = 0; i < outFrames; ++i) {
        const double pos = static_cast<double>(i) * step;
        const std::uint64_t k = std::min<std::uint64_t>(static_cast<std::uint64_t>(pos), inFrames - 1);
        const std::uint64_t next = std::min<std::uint64_t>(k + 1, inFrames - 1);
        const float frac = static_cast<float>(pos - static_cast<double>(k));
        const char* a = wav.data + k * f.nBlockAlign;
        const char* z = wav.data + next * f.nBlockAlign;
        for (int c = 0; c < d.nChannels; ++c) {
            const float v = mappedSample(a, f, d.nChannels, c) * (1 - frac) +
                            mappedSample(z, f, d.nChannels, c) * frac;
            const auto s16 = static_cast<std::int16_t>(std::lround(std::clamp(v * 32767.0f, -32768.0f, 32767.0f)));
            to[0] = static_cast<char>(s16 & 0xFF);
            to[1] = static_cast<char>((s16 >> 8) & 0xFF);
            to += 2;
        }
    }
    return out;
}

// Frees the buffers the device has finished, from the front: it finishes
// them in the order they were written.
void reapBuffers() {
    while (!b.buffers.empty() && (b.buffers.front()->header.dwFlags & WHDR_DONE)) {
        waveOutUnprepareHeader(b.out, &b.buffers.front()->header, sizeof(WAVEHDR));
        b.buffers.pop_front();
        ++b.buffersDone;
        b.frontSinceMs = platTickMs();
    }
}

// When the device is taken to have stopped if the sound it is on has not
// finished; -1 when it holds none.
std::int64_t deviceStallMs() {
    if (b.buffers.empty()) return -1;
    return b.frontSinceMs + b.buffers.front()->durationMs + kPlaybackSlackMs;
}

// Silences the device at once and frees everything written to it.
void resetDevice() {
    if (!b.out || b.buffers.empty()) return;
    // Returns every buffer to the program marked done.
    waveOutReset(b.out);
    reapBuffers();
    // A driver that left one unmarked has stopped with the rest all the same.
    for (auto& buffer : b.buffers) waveOutUnprepareHeader(b.out, &buffer->header, sizeof(WAVEHDR));
    b.buffersDone += b.buffers.size();
    b.buffers.clear();
}

// Brings the queue's bookkeeping up to date with the clock and the device.
void updateSounds() {
    reapBuffers();
    const std::int64_t now = platTickMs();
    if (!b.buffers.empty() && now > deviceStallMs()) resetDevice();
    b.sounds.update(now, b.buffersDone);
}

// The device open for a WAV of this format. An idle device is reopened when
// the format differs; a busy one keeps its format, and the sound is
// converted to it, so the queue plays on without a gap.
bool openDevice(const WAVEFORMATEX& wavFormat) {
    if (b.noAudioDevice) return false;
    const WAVEFORMATEX format = deviceFormatFor(wavFormat);
    if (b.out && (sameFormat(b.outFormat, format) || !b.buffers.empty())) return true;
    if (b.out) waveOutClose(b.out);
    b.out = nullptr;
    registerCleanup();
    if (!b.outEvent) b.outEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!b.outEvent) return false;
    if (waveOutGetNumDevs() == 0) {
        b.noAudioDevice = true;
        return false;
    }
    WAVEFORMATEX f = format;
    const MMRESULT r = waveOutOpen(&b.out, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(b.outEvent),
                                   0, CALLBACK_EVENT);
    if (r != MMSYSERR_NOERROR) {
        b.out = nullptr;
        // No device or no driver: the machine has no sound. A format the
        // device refuses only silences this one sound.
        if (r == MMSYSERR_NODRIVER || r == MMSYSERR_BADDEVICEID || r == MMSYSERR_NOTENABLED)
            b.noAudioDevice = true;
        return false;
    }
    b.outFormat = format;
    return true;
}

// Writes the WAV's sound to the device behind what is queued there. False
// when it does not sound (no device, or one that refuses it).
bool writeSound(const Wav& wav, std::int64_t durationMs) {
    if (wav.length == 0 || b.buffers.size() >= kMaxSoundBuffers || !openDevice(wav.format)) return false;
    auto buffer = std::make_unique<SoundBuffer>();
    buffer->samples = samplesForDevice(wav);
    buffer->durationMs = durationMs;
    if (buffer->samples.empty()) return false;
    WAVEHDR& h = buffer->header;
    h.lpData = buffer->samples.data();
    h.dwBufferLength = static_cast<DWORD>(buffer->samples.size());
    if (waveOutPrepareHeader(b.out, &h, sizeof h) != MMSYSERR_NOERROR) return false;
    if (waveOutWrite(b.out, &h, sizeof h) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(b.out, &h, sizeof h);
        return false;
    }
    if (b.buffers.empty()) b.frontSinceMs = platTickMs();
    b.buffers.push_back(std::move(buffer));
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Window and text
// ---------------------------------------------------------------------------

HWND platwin::frontPanelWindow() { return b.window; }

bool platWindowOpen(const std::string& title, int x, int y, int width, int height) {
    platWindowClose();
    registerCleanup();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!b.classRegistered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassExW(&wc)) return false;
        b.classRegistered = true;
    }
    // A fixed frame: caption, system menu and minimise box, no sizing border.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{x, y, x + width, y + height};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    // The client area lands at x,y, as on Linux.
    const std::wstring wideTitle(title.begin(), title.end());
    b.window = CreateWindowExW(0, kWindowClass, wideTitle.c_str(), style, frame.left, frame.top,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr,
                               nullptr, instance, nullptr);
    if (!b.window) return false;

    HDC screen = GetDC(b.window);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    b.dpi = dpi >= 48 && dpi <= 480 ? dpi : 96;
    b.canvasDc = CreateCompatibleDC(screen);
    b.canvas = screen ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    if (screen) ReleaseDC(b.window, screen);
    if (b.canvasDc && b.canvas) {
        b.canvasOld = SelectObject(b.canvasDc, b.canvas);
        RECT all{0, 0, width, height};
        FillRect(b.canvasDc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(b.canvasDc, RGB(0, 0, 0));
        SetBkColor(b.canvasDc, RGB(255, 255, 255));
        SetBkMode(b.canvasDc, OPAQUE);
        SetTextAlign(b.canvasDc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    } else {
        if (b.canvas) DeleteObject(b.canvas);
        if (b.canvasDc) DeleteDC(b.canvasDc);
        b.canvas = nullptr;
        b.canvasDc = nullptr;
    }
    b.width = width;
    b.height = height;
    b.texts.clear();
    // Font sizes follow the display's pixels per inch.
    b.fonts.closeAll(deleteFont);
    ShowWindow(b.window, SW_SHOWNORMAL);
    SetForegroundWindow(b.window);
    UpdateWindow(b.window);
    return true;
}

void platWindowClose() {
    if (b.window) DestroyWindow(b.window);
    b.window = nullptr;
    if (b.canvasDc) {
        if (b.canvasOld) SelectObject(b.canvasDc, b.canvasOld);
        DeleteDC(b.canvasDc);
    }
    if (b.canvas) DeleteObject(b.canvas);
    b.canvasDc = nullptr;
    b.canvas = nullptr;
    b.canvasOld = nullptr;
    std::fill(std::begin(b.keyDown), std::end(b.keyDown), false);
}

void platTextFont(const std::string& face, int points, int weight) { b.fonts.choose(face, points, weight); }

namespace {

// Draws one text on the canvas for PrintedTexts::print.
struct CanvasPen {
    const std::string& text;
    int x, y;
    bool selected = false;  // the font is selected into the canvas
    HGDIOBJ old = nullptr;  // the font selected before
    int length = 0;

    ~CanvasPen() {
        if (selected) SelectObject(b.canvasDc, old);
    }
    std::optional<RECT> render() {
        HFONT font = currentFont();
        if (!font) return std::nullopt;
        old = SelectObject(b.canvasDc, font);
        selected = true;
        length = static_cast<int>(std::min<std::size_t>(text.size(), 4096));
        SIZE size{0, 0};
        GetTextExtentPoint32A(b.canvasDc, text.c_str(), length, &size);
        return RECT{x, y, x + size.cx, y + size.cy};
    }
    void clear(const RECT& box) { FillRect(b.canvasDc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))); }
    void draw(const RECT& where) {
        // Opaque: the text's whole box is painted white first, so it covers
        // whatever was drawn there before.
        ExtTextOutA(b.canvasDc, x, y, ETO_OPAQUE, &where, text.c_str(), static_cast<UINT>(length), nullptr);
    }
    void show(const RECT& where, const RECT& cleared) {
        if (!b.window) return;
        InvalidateRect(b.window, &cleared, FALSE);
        InvalidateRect(b.window, &where, FALSE);
    }
    bool overlaps(const RECT& one, const RECT& other) {
        RECT common;
        return IntersectRect(&common, &one, &other) != 0;
    }
};

}  // namespace

void platTextAt(int x, int y, const std::string& text) {
    if (!b.canvasDc) return;
    CanvasPen pen{text, x, y};
    b.texts.print(x, y, text, b.fonts.choice, pen);
}

// ---------------------------------------------------------------------------
// [SECTION] Timer and event wait
// ---------------------------------------------------------------------------

// A period of 0 or less stops the timer.
void platTimerStart(int periodMs) { b.timer.start(platTickMs(), periodMs); }

void platTimerStop() { b.timer.stop(); }

bool platWaitEvent(int& kind, int& param) {
    registerCleanup();
    if (!b.waitTimer) {
        // A high-resolution timer where the system has one: the ordinary
        // one wakes only on the 15.6 ms clock grid.
        constexpr DWORD kHighResolution = 0x2;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
        b.waitTimer = CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS);
        if (!b.waitTimer) b.waitTimer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    }
    for (;;) {
        // Window events first, in the order they came.
        if (b.events.empty()) pumpMessages();
        if (!b.events.empty()) {
            kind = b.events.front().kind;
            param = b.events.front().param;
            b.events.pop_front();
            return true;
        }
        // Then at most one tick, however many fell due while the last
        // handler ran.
        if (b.timer.takeTick(platTickMs())) {
            kind = kEventTick;
            param = 0;
            return true;
        }
        // A queued sound begun, or the last ended: before the network, which
        // may keep the wait from sleeping for a while.
        updateSounds();
        if (b.sounds.takeChange()) {
            kind = kEventSound;
            param = 0;
            return true;
        }
        // A socket's input, or client input the program already holds (it
        // answers a bounded amount per event and is not to sleep meanwhile).
        HANDLE net = platwin::networkEvent();
        const bool signalled = net && WaitForSingleObject(net, 0) == WAIT_OBJECT_0;
        if (signalled) ResetEvent(net);
        if (signalled || platwin::netInputHeld()) {
            kind = kEventNetwork;
            param = 0;
            return true;
        }
        // Asleep until a message, a socket's input, the next tick, or the
        // next sound due to begin or the last to end.
        HANDLE handles[3];
        DWORD count = 0;
        DWORD timeout = INFINITE;
        const std::int64_t now = platTickMs();
        std::int64_t wait = b.timer.msUntilDue(now);
        const std::int64_t soundDue = b.sounds.dueMs();
        if (soundDue >= 0) {
            // Due by the schedule but held back by the device: its finished
            // buffer wakes the wait, and a device that stopped is given up.
            const std::int64_t soundWait =
                std::max<std::int64_t>(1, soundDue > now ? soundDue - now : deviceStallMs() + 1 - now);
            wait = wait < 0 ? soundWait : std::min(wait, soundWait);
        }
        if (!b.buffers.empty() && b.outEvent) handles[count++] = b.outEvent;
        if (wait >= 0) {
            LARGE_INTEGER due;
            due.QuadPart = -wait * 10000;  // relative, in 100 ns units
            if (b.waitTimer && SetWaitableTimer(b.waitTimer, &due, 0, nullptr, nullptr, FALSE))
                handles[count++] = b.waitTimer;
            else
                timeout = static_cast<DWORD>(wait);
        }
        if (net) handles[count++] = net;
        waitHandles(count, handles, timeout);
    }
}

// ---------------------------------------------------------------------------
// [SECTION] Sound
// ---------------------------------------------------------------------------

int platSoundQueue(const std::string& path) {
    registerCleanup();
    updateSounds();
    Wav wav;
    const bool loaded = !path.empty() && loadWav(path, wav);
    const std::int64_t durationMs = loaded ? std::min<std::int64_t>(wav.durationMs(), 24LL * 3600 * 1000) : 0;
    // One buffer of the device per sound that sounds; one that does not
    // (no device, a refused format) takes its length by the schedule alone.
    const std::uint64_t buffers = loaded && writeSound(wav, durationMs) ? 1 : 0;
    b.sounds.add(platTickMs(), durationMs, buffers);
    return static_cast<int>(durationMs);
}

std::int64_t platSoundStarted() {
    updateSounds();
    return b.sounds.started();
}

bool platSoundBusy() {
    updateSounds();
    return b.sounds.busy();
}

void platSoundStop() {
    resetDevice();
    b.sounds.stop(platTickMs());
}

int platWavDurationMs(const std::string& path) {
    Wav wav;
    if (!loadWav(path, wav)) return 0;
    return static_cast<int>(std::min<std::int64_t>(wav.durationMs(), 24LL * 3600 * 1000));
}
