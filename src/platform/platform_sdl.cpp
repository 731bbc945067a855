// The real backend on SDL2: the window and its text (SDL2_ttf, fonts found
// through fontconfig), key and close events, the periodic tick, and WAV
// playback. One thread: the tick is not an SDL timer but a deadline that
// platWaitEvent sleeps towards, watching the display connection and the
// network sockets together.
#include "platform/platform.h"
#include "platform/font_cache.h"
#include "platform/platform_real.h"
#include "platform/printed_texts.h"
#include "platform/sound_queue.h"
#include "platform/tick_timer.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <csignal>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// [SECTION] Backend state
// ---------------------------------------------------------------------------

// The window's default font, used before any font is chosen (banner and
// help lines): a plain proportional face, small enough that the longest help
// line fits the 950-pixel window.
const FontChoice kDefaultFont{"sans", 11, 400};
// Silence fed to the resampler after each prompt, more than it holds back.
constexpr int kResamplerPadFrames = 2048;
// The sound device rests (is closed) once this long has passed without a
// prompt sounding: an open device keeps its audio thread waking about 86
// times a second to feed silence, which cost more than all the rest of the
// program while it only polls. Reopening it at the next prompt takes a few
// milliseconds, inside the key-to-sound budget.
constexpr std::int64_t kAudioRestAfterMs = 5000;

struct Backend {
    bool eventsReady = false;  // SDL event queue up (with or without video)
    bool eventsFailed = false;
    SDL_Window* window = nullptr;
    SDL_Surface* canvas = nullptr;  // the persistent drawing, shown on present
    bool dirty = false;             // canvas changed since last shown
    bool driverWaits = false;       // the video driver can sleep until an event comes
    int displayFd = -1;             // the X server connection, -1 = none (not X11)
    unsigned long windowXid = 0;    // the window's X id, 0 = none (not X11)
    bool displayLost = false;       // the X server went away: SDL's video is not called again
    bool displayQuiet = false;      // the last sleep found nothing to read from the X server, and nothing drawn since
    std::int64_t pumpedMs = 0;      // clock time SDL's event queue was last filled from the window system
    bool ttfReady = false;
    unsigned hdpi = 96, vdpi = 96;
    FontCache<TTF_Font*> fonts;     // with the current font choice
    PrintedTexts<SDL_Rect> texts;  // what stands where, for the reprint rules
    TickTimer timer;
    // sound
    bool audioTried = false;        // the sound system was started (or failed to start)
    bool audioFailed = false;       // no usable device: prompts take their length by the clock alone
    SDL_AudioDeviceID audio = 0;    // 0 = closed (resting, or never opened)
    SDL_AudioSpec audioSpec{};
    SoundQueue sounds;              // what is queued, in bytes of the device's queue
    bool cleanupRegistered = false;
};
Backend b;

// Set by the signal handler and when the display is lost, taken by
// platWaitEvent as one close request.
volatile std::sig_atomic_t closePending = 0;

void onCloseSignal(int) { closePending = 1; }

// A hang-up (the terminal that started the program closed, the desktop
// session ended), an interrupt or a termination request ends the program as
// the close box does, so the handler puts a transmitting radio back to
// receive and saves the memory. SDL's own handlers know only SIGINT and
// SIGTERM, so ours take all three. A signal the starter set to be ignored
// (nohup) stays ignored. SA_RESTART: other system calls go on, while the
// event wait's poll() still ends at once.
void catchCloseSignals() {
    static bool caught = false;
    if (caught) return;
    caught = true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGHUP, SIGINT, SIGTERM}) {
        struct sigaction old {};
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        sigaction(sig, &action, nullptr);
    }
}

// The X server has gone (the desktop session ended under the program).
// Xlib's defaults would end the process on the spot, the radio perhaps
// still transmitting. Handlers that return instead (the exit handler needs
// libX11 1.7 or later) leave the dead connection marked, so Xlib does
// nothing more with it, and ask for a close as the signals do. From then on
// SDL's video is left alone (hiding or destroying the window would wait
// forever for the server's answer), and the connection is not slept on.
int onDisplayLost(Display*) {
    closePending = 1;
    b.displayLost = true;
    b.displayFd = -1;
    b.driverWaits = false;
    return 0;
}

void afterDisplayLost(Display*, void*) {}

void catchDisplayLoss(Display* display) {
    using IoErrorHandler = int (*)(Display*);
    using SetIoErrorHandler = IoErrorHandler (*)(IoErrorHandler);
    using ExitHandler = void (*)(Display*, void*);
    using SetExitHandler = void (*)(Display*, ExitHandler, void*);
    // Looked up at run time: SDL loads Xlib itself.
    void* xlib = SDL_LoadObject("libX11.so.6");
    if (!xlib) return;
    auto setExit = reinterpret_cast<SetExitHandler>(SDL_LoadFunction(xlib, "XSetIOErrorExitHandler"));
    auto setIoError = reinterpret_cast<SetIoErrorHandler>(SDL_LoadFunction(xlib, "XSetIOErrorHandler"));
    if (!setExit || !setIoError) return;  // an older Xlib ends the process whatever the handler does
    setExit(display, afterDisplayLost, nullptr);
    setIoError(onDisplayLost);
}

// True once after a close signal came or the display was lost.
bool takeClosePending() {
    if (closePending == 0) return false;
    closePending = 0;
    return true;
}

void cleanup() {
    if (b.audio) SDL_CloseAudioDevice(b.audio);
    b.audio = 0;
    b.fonts.closeAll(TTF_CloseFont);
    if (b.canvas) SDL_FreeSurface(b.canvas);
    b.canvas = nullptr;
    if (b.window && !b.displayLost) SDL_DestroyWindow(b.window);
    b.window = nullptr;
    if (b.ttfReady) TTF_Quit();
    b.ttfReady = false;
    // Ending SDL's video on a lost display would wait for it forever; the
    // process is ending anyway.
    if (!b.displayLost) SDL_Quit();
}

void registerCleanup() {
    if (b.cleanupRegistered) return;
    b.cleanupRegistered = true;
    std::atexit(cleanup);
}

// The event queue is needed even without a window: ticks still come
// through platWaitEvent.
bool ensureEvents() {
    catchCloseSignals();
    if (b.eventsReady) return true;
    if (b.eventsFailed) return false;
    // Closing the window is reported once, as its own close event; SDL_QUIT
    // then means only a signal.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
        b.eventsFailed = true;
        return false;
    }
    registerCleanup();
    b.eventsReady = true;
    return true;
}

void present() {
    b.dirty = false;
    b.displayQuiet = false;  // drawing talks to the X server, which may send events along
    if (!b.window || !b.canvas || b.displayLost) return;
    SDL_Surface* screen = SDL_GetWindowSurface(b.window);
    if (!screen) return;
    SDL_BlitSurface(b.canvas, nullptr, screen, nullptr);
    SDL_UpdateWindowSurface(b.window);
}

// ---------------------------------------------------------------------------
// [SECTION] Fonts
// ---------------------------------------------------------------------------

// fontconfig weight for a weight on the 100..900 scale. Below regular the
// regular face is asked for: the thin and extra-light faces some families
// carry are hard to read, and the usual substitute faces have no light
// weight anyway.
int fcWeight(int weight) {
    if (weight < 400) weight = 400;
    if (weight > 1000) weight = 1000;
    return FcWeightFromOpenType(weight);
}

// Opens face at points and weight through fontconfig; null when no font
// file could be opened.
TTF_Font* openFont(const std::string& face, int points, int weight) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, fcWeight(weight));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;

    TTF_Font* font = nullptr;
    FcChar8* file = nullptr;
    int index = 0, gotWeight = FC_WEIGHT_REGULAR;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &gotWeight);
        font = TTF_OpenFontIndexDPI(reinterpret_cast<const char*>(file), points, index, b.hdpi,
                                    b.vdpi);
    }
    FcPatternDestroy(match);
    // A family without a bold face still shows bold when bold was asked for.
    if (font && weight >= 600 && gotWeight < FC_WEIGHT_DEMIBOLD)
        TTF_SetFontStyle(font, TTF_STYLE_BOLD);
    return font;
}

TTF_Font* currentFont() {
    if (!b.ttfReady) return nullptr;
    return b.fonts.current(kDefaultFont, openFont);
}

// ---------------------------------------------------------------------------
// [SECTION] Events
// ---------------------------------------------------------------------------

// Turns an SDL event into one for the handler; false for events the
// program does not see (mouse, text input, focus and so on).
bool translate(const SDL_Event& e, int& kind, int& param) {
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        // Auto-repeat comes as further key-downs; the handler's held-key
        // lock ignores them, as it does on the system this program began on.
        kind = e.type == SDL_KEYDOWN ? kEventKeyDown : kEventKeyUp;
        param = platreal::keyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
        return true;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            kind = kEventClose;
            param = 0;
            return true;
        }
        // Exposed, shown, restored: the window's pixels must be drawn again.
        b.dirty = true;
        return false;
    case SDL_QUIT:  // the system asks the program to end: in order, as the close box does
        kind = kEventClose;
        param = 0;
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// [SECTION] Sound
// ---------------------------------------------------------------------------

// The sound device, opened when a prompt needs it (first use, or after a
// rest); false when there is none.
bool ensureAudio() {
    if (b.audio != 0) return true;
    if (b.audioFailed) return false;
    if (!b.audioTried) {
        b.audioTried = true;
        registerCleanup();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            b.audioFailed = true;
            return false;
        }
    }
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    // A small device buffer keeps the seam between the prompts of one
    // spoken sentence short.
    want.samples = 512;
    want.callback = nullptr;  // queued audio
    b.audio = SDL_OpenAudioDevice(nullptr, 0, &want, &b.audioSpec,
                                  SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (b.audio == 0) {
        // Not retried at every prompt: a sound server that is not there can
        // take its time to say so.
        b.audioFailed = true;
        return false;
    }
    SDL_PauseAudioDevice(b.audio, 0);
    return true;
}

// Closes the sound device once no prompt has sounded for a while (see
// kAudioRestAfterMs). Pausing is not enough: SDL's audio thread goes on
// feeding silence to a paused device.
void restAudioWhenIdle() {
    if (b.audio == 0 || b.sounds.busy() || platTickMs() < b.sounds.endsMs() + kAudioRestAfterMs) return;
    if (SDL_GetQueuedAudioSize(b.audio) > 0) return;
    SDL_CloseAudioDevice(b.audio);
    b.audio = 0;
}

struct Wav {
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    ~Wav() {
        if (data) SDL_FreeWAV(data);
    }
    std::int64_t durationMs() const {
        const int frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
        if (frameBytes <= 0 || spec.freq <= 0) return 0;
        return static_cast<std::int64_t>(length / frameBytes) * 1000 / spec.freq;
    }
};

// Loads the WAV at path (letter case ignored); false when missing or not a
// WAV SDL can read.
bool loadWav(const std::string& path, Wav& wav) {
    const std::string file = platreal::findPathNoCase(path);
    if (file.empty()) return false;
    return SDL_LoadWAV(file.c_str(), &wav.spec, &wav.data, &wav.length) != nullptr;
}

// The WAV's sound in the device's format; empty when it cannot be converted.
std::vector<Uint8> convertForDevice(const Wav& wav) {
    std::vector<Uint8> out;
    const SDL_AudioSpec& d = b.audioSpec;
    const int wavFrameBytes = SDL_AUDIO_BITSIZE(wav.spec.format) / 8 * wav.spec.channels;
    const int deviceFrameBytes = SDL_AUDIO_BITSIZE(d.format) / 8 * d.channels;
    if (wavFrameBytes <= 0 || deviceFrameBytes <= 0 || wav.spec.freq <= 0) return out;
    SDL_AudioStream* stream = SDL_NewAudioStream(wav.spec.format, wav.spec.channels, wav.spec.freq,
                                                 d.format, d.channels, d.freq);
    if (!stream) return out;
    // A resampling stream keeps its last few hundred frames back even when
    // flushed (about 23 ms of the end of every 22050 Hz prompt): silence fed
    // after the sound pushes them out, and the result is cut to the sound's
    // own length.
    const std::vector<Uint8> padding(static_cast<std::size_t>(kResamplerPadFrames * wavFrameBytes),
                                     wav.spec.format == AUDIO_U8 ? 0x80 : 0);
    const long long frames = wav.length / wavFrameBytes;
    const std::size_t wanted =
        static_cast<std::size_t>(frames * d.freq / wav.spec.freq) * static_cast<std::size_t>(deviceFrameBytes);
    if (SDL_AudioStreamPut(stream, wav.data, static_cast<int>(wav.length)) == 0 &&
        SDL_AudioStreamPut(stream, padding.data(), static_cast<int>(padding.size())) == 0 &&
        SDL_AudioStreamFlush(stream) == 0) {
        const int available = SDL_AudioStreamAvailable(stream);
        if (available > 0) {
            out.resize(static_cast<std::size_t>(available));
            const int got = SDL_AudioStreamGet(stream, out.data(), available);
            out.resize(got > 0 ? std::min(static_cast<std::size_t>(got), wanted) : 0);
        }
    }
    SDL_FreeAudioStream(stream);
    return out;
}

// The bytes the device has taken of all ever queued (everything when there
// is no device).
std::uint64_t soundBytesTaken() {
    if (b.audio == 0) return SoundQueue::kNoDevice;
    const std::uint64_t waiting = SDL_GetQueuedAudioSize(b.audio);
    const std::uint64_t added = b.sounds.unitsAdded();
    return waiting < added ? added - waiting : 0;
}

void updateSounds() { b.sounds.update(platTickMs(), soundBytesTaken()); }

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] Window and text
// ---------------------------------------------------------------------------

bool platWindowOpen(const std::string& title, int x, int y, int width, int height) {
    platWindowClose();
    if (!ensureEvents()) return false;
    // An ordinary desktop window: the screensaver still runs and the
    // compositor is not bypassed.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // The window surface as plain memory shown by the window system, not a
    // texture of an OpenGL renderer: on machines whose OpenGL is Mesa's
    // software rasteriser that renderer alone cost several percent of a core
    // while the program only polls.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    b.window = SDL_CreateWindow(title.c_str(), x, y, width, height, SDL_WINDOW_SHOWN);
    if (!b.window) return false;
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    b.driverWaits = driver == "x11" || driver == "wayland";
    // On X11 the wait sleeps in poll() on the server connection and the
    // network sockets together, so a client's line wakes it as a key does.
    b.displayFd = -1;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(b.window, &info) && info.subsystem == SDL_SYSWM_X11 &&
        info.info.x11.display) {
        b.displayFd = ConnectionNumber(info.info.x11.display);
        b.windowXid = static_cast<unsigned long>(info.info.x11.window);
        catchDisplayLoss(info.info.x11.display);
    }
    SDL_StopTextInput();  // keys only: no input method, no text events

    b.canvas = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
    if (b.canvas) SDL_FillRect(b.canvas, nullptr, SDL_MapRGB(b.canvas->format, 255, 255, 255));
    b.texts.clear();

    // Point sizes follow the display's pixels per inch; displays that do
    // not say (or say nonsense) are taken as 96.
    float ddpi = 0, hdpi = 0, vdpi = 0;
    const int display = SDL_GetWindowDisplayIndex(b.window);
    if (display >= 0 && SDL_GetDisplayDPI(display, &ddpi, &hdpi, &vdpi) == 0 && vdpi >= 48 &&
        vdpi <= 480 && hdpi >= 48 && hdpi <= 480) {
        b.hdpi = static_cast<unsigned>(hdpi + 0.5f);
        b.vdpi = static_cast<unsigned>(vdpi + 0.5f);
    } else {
        b.hdpi = b.vdpi = 96;
    }
    if (!b.ttfReady && TTF_Init() == 0) b.ttfReady = true;
    present();
    return true;
}

void platWindowClose() {
    if (b.canvas) SDL_FreeSurface(b.canvas);
    b.canvas = nullptr;
    if (b.window && !b.displayLost) SDL_DestroyWindow(b.window);
    b.window = nullptr;
    b.displayFd = -1;
    b.windowXid = 0;
    b.dirty = false;
}

void platTextFont(const std::string& face, int points, int weight) { b.fonts.choose(face, points, weight); }

namespace {

// Draws one text on the canvas for PrintedTexts::print.
struct CanvasPen {
    const std::string& text;
    int x, y;
    SDL_Surface* rendered = nullptr;

    ~CanvasPen() {
        if (rendered) SDL_FreeSurface(rendered);
    }
    std::optional<SDL_Rect> render() {
        TTF_Font* font = currentFont();
        if (!font) return std::nullopt;
        // Shaded: the glyphs' whole box is painted white first, so the text
        // covers whatever was drawn there before.
        const SDL_Color black{0, 0, 0, 255}, white{255, 255, 255, 255};
        rendered = TTF_RenderText_Shaded(font, text.c_str(), black, white);
        if (!rendered) return std::nullopt;
        return SDL_Rect{x, y, rendered->w, rendered->h};
    }
    void clear(const SDL_Rect& box) { SDL_FillRect(b.canvas, &box, SDL_MapRGB(b.canvas->format, 255, 255, 255)); }
    // The blit cuts where down to the part inside the canvas.
    void draw(SDL_Rect& where) { SDL_BlitSurface(rendered, nullptr, b.canvas, &where); }
    void show(const SDL_Rect&, const SDL_Rect&) { b.dirty = true; }
    bool overlaps(const SDL_Rect& one, const SDL_Rect& other) { return SDL_HasIntersection(&one, &other); }
};

}  // namespace

void platTextAt(int x, int y, const std::string& text) {
    if (!b.canvas) return;
    CanvasPen pen{text, x, y};
    b.texts.print(x, y, text, b.fonts.choice, pen);
}

// ---------------------------------------------------------------------------
// [SECTION] Timer and event wait
// ---------------------------------------------------------------------------

// A period of 0 or less stops the timer.
void platTimerStart(int periodMs) { b.timer.start(platTickMs(), periodMs); }

void platTimerStop() { b.timer.stop(); }

namespace {

// SDL is asked for window events at least this often even while the X
// server sends nothing: SDL raises some itself (a sound device lost).
constexpr std::int64_t kPumpAtLeastEveryMs = 250;

// Sleeps in poll() until one of the network sockets (or the display
// connection, when displayFd is not -1) has input, or timeoutMs have passed
// (-1: no limit). Returns true when a socket has input: a listener with a
// connection to take, or a connection with bytes or a hang-up. Sets
// displayQuiet (when given) to whether the display connection was watched
// and had nothing to read when the sleep ended; a failed or interrupted
// poll() leaves it false.
bool waitSockets(int displayFd, std::int64_t timeoutMs, bool* displayQuiet = nullptr) {
    if (displayQuiet) *displayQuiet = false;
    static std::vector<int> sockets;
    static std::vector<pollfd> fds;
    platreal::netDescriptors(sockets);
    fds.clear();
    for (int fd : sockets) fds.push_back({fd, POLLIN, 0});
    // A braille key ends the sleep too; the loop then takes it
    // (accessEvent) as it does the display's events.
    const int braille = platreal::accessDescriptor();
    if (braille >= 0) fds.push_back({braille, POLLIN, 0});
    if (displayFd >= 0) fds.push_back({displayFd, POLLIN, 0});
    const int timeout = timeoutMs < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(timeoutMs, INT_MAX));
    if (fds.empty()) {
        if (timeout > 0) SDL_Delay(static_cast<Uint32>(timeout));
        return false;
    }
    // EINTR (a signal) simply ends the sleep: the caller then finds the
    // close signal.
    const int ready = ::poll(fds.data(), fds.size(), timeout);
    if (ready < 0) return false;
    if (displayQuiet && displayFd >= 0) *displayQuiet = fds.back().revents == 0;
    if (ready == 0) return false;
    if (braille >= 0 && fds[sockets.size()].revents != 0) platreal::accessInputReady();
    for (std::size_t i = 0; i < sockets.size(); ++i)
        if (fds[i].revents != 0) return true;
    return false;
}

// True once for each round of changes in the sound queue: a sound began,
// or the last one ended.
bool soundChanged() {
    updateSounds();
    return b.sounds.takeChange();
}

// Time to the next tick or the next change in the sound queue, whichever
// comes first; -1 for neither.
std::int64_t msUntilWake() {
    const std::int64_t now = platTickMs();
    const std::int64_t tick = b.timer.msUntilDue(now);
    const std::int64_t sound = b.sounds.msUntilChange(now);
    if (tick < 0) return sound;
    if (sound < 0) return tick;
    return std::min(tick, sound);
}

}  // namespace

bool platWaitEvent(int& kind, int& param) {
    auto closeRequest = [&] {
        if (!takeClosePending()) return false;
        kind = kEventClose;
        param = 0;
        return true;
    };
    if (!ensureEvents()) {
        // No event queue at all: only the timer, the sockets and a close
        // signal can wake the program.
        if (!b.timer.running()) return false;
        for (;;) {
            if (closeRequest()) return true;
            if (platreal::accessEvent(kind, param)) return true;
            if (soundChanged()) {
                kind = kEventSound;
                param = 0;
                return true;
            }
            const std::int64_t wait = msUntilWake();
            if (wait > 0 && (platreal::netInputHeld() || waitSockets(-1, wait))) {
                kind = kEventNetwork;
                param = 0;
                return true;
            }
            if (b.timer.takeTick(platTickMs())) {
                kind = kEventTick;
                param = 0;
                return true;
            }
        }
    }
    // Filling SDL's queue reads the X connection several times over even when
    // nothing came, and a client polling the network port wakes the program
    // thirty times a second besides the ticks: while the last sleep found the
    // X connection silent and nothing was drawn since, Xlib and SDL hold
    // nothing new, and the next sleep watches the connection anyway.
    auto mustPump = [] {
        return !b.displayQuiet || b.displayFd < 0 || platTickMs() - b.pumpedMs >= kPumpAtLeastEveryMs;
    };
    auto pump = [] {
        SDL_PumpEvents();
        b.pumpedMs = platTickMs();
    };
    for (;;) {
        // A close request from outside first: whatever else waits would be
        // dropped anyway.
        if (closeRequest()) return true;
        // Window events next, in the order they came.
        SDL_Event e;
        if (mustPump()) pump();
        while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            if (translate(e, kind, param)) return true;
        // The braille display's keys, as the window's.
        if (platreal::accessEvent(kind, param)) return true;
        // Then at most one tick, however many fell due while the last
        // handler ran.
        if (b.timer.takeTick(platTickMs())) {
            kind = kEventTick;
            param = 0;
            return true;
        }
        if (soundChanged()) {
            kind = kEventSound;
            param = 0;
            return true;
        }
        // The handler has finished drawing: show it, then sleep until the
        // next event, the next tick, the next sound's start or end, or a
        // client's input (a socket with input waiting ends the sleep at once).
        if (b.dirty) present();
        restAudioWhenIdle();
        const std::int64_t wait = msUntilWake();
        const bool x11 = b.window && b.displayFd >= 0;
        if (x11 && mustPump()) {
            // Drawing may have read events into Xlib's own queue, where
            // poll() cannot see them: take them first.
            pump();
            if (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) continue;
        }
        // Client input the program already holds: no sleep, but a key that
        // came meanwhile still goes first.
        if (platreal::netInputHeld()) {
            if (x11 && (waitSockets(b.displayFd, 0, &b.displayQuiet), !b.displayQuiet)) continue;
            kind = kEventNetwork;
            param = 0;
            return true;
        }
        if (x11) {
            const bool input = waitSockets(b.displayFd, wait, &b.displayQuiet);
            // The X server had something too: its events go before the
            // client's input, which waits in its socket for the next round.
            if (input && b.displayQuiet) {
                kind = kEventNetwork;
                param = 0;
                return true;
            }
            continue;
        }
        if (!b.window || !b.driverWaits) {
            // No window, or one without a display behind it (SDL falls back
            // on its offscreen driver): SDL would poll every millisecond
            // there. Short sleeps still catch a signal's close request.
            if (waitSockets(-1, wait < 0 ? 50 : std::min<std::int64_t>(wait, 50))) {
                kind = kEventNetwork;
                param = 0;
                return true;
            }
            continue;
        }
        // A display SDL waits on itself (Wayland): while sockets are open it
        // looks at them every 10 ms, otherwise it sleeps in SDL.
        if (waitSockets(-1, 0)) {
            kind = kEventNetwork;
            param = 0;
            return true;
        }
        std::vector<int> sockets;
        platreal::netDescriptors(sockets);
        std::int64_t limit = wait;
        if (!sockets.empty()) limit = wait < 0 ? 10 : std::min<std::int64_t>(wait, 10);
        const int got = limit < 0 ? SDL_WaitEvent(&e)
                                  : SDL_WaitEventTimeout(&e, static_cast<int>(std::min<std::int64_t>(
                                                                 limit, INT_MAX)));
        if (got && translate(e, kind, param)) return true;
    }
}

// ---------------------------------------------------------------------------
// [SECTION] Sound
// ---------------------------------------------------------------------------

int platSoundQueue(const std::string& path) {
    updateSounds();
    Wav wav;
    const std::int64_t durationMs = !path.empty() && loadWav(path, wav) ? wav.durationMs() : 0;
    std::vector<Uint8> sound;
    if (durationMs > 0 && ensureAudio()) sound = convertForDevice(wav);
    // Behind whatever the device still holds, so a sentence is one sound.
    // A sound the device cannot take still takes its time by the schedule.
    std::uint64_t bytes = 0;
    if (!sound.empty() && SDL_QueueAudio(b.audio, sound.data(), static_cast<Uint32>(sound.size())) == 0)
        bytes = sound.size();
    b.sounds.add(platTickMs(), durationMs, bytes);
    updateSounds();
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
    if (b.audio != 0) SDL_ClearQueuedAudio(b.audio);
    b.sounds.stop(platTickMs());
}

// ---------------------------------------------------------------------------
// [SECTION] Key codes and test views
// ---------------------------------------------------------------------------

Key platreal::keyFromSdl(int sdlKeycode, int sdlScancode) {
    // Keys whose place, not their label, decides: the keypad (its digits
    // whatever the NumLock state, which a blind operator cannot see),
    // function, editing and modifier keys.
    const SDL_Scancode sc = static_cast<SDL_Scancode>(sdlScancode);
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return keyPadDigit(1 + (sc - SDL_SCANCODE_KP_1));
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return keyF(1 + (sc - SDL_SCANCODE_F1));
    if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return keyF(13 + (sc - SDL_SCANCODE_F13));
    switch (sc) {
    case SDL_SCANCODE_KP_0: return kKeyPad0;
    case SDL_SCANCODE_KP_MULTIPLY: return kKeyPadMultiply;
    case SDL_SCANCODE_KP_PLUS: return kKeyPadPlus;
    case SDL_SCANCODE_KP_MINUS: return kKeyPadMinus;
    case SDL_SCANCODE_KP_PERIOD:
    case SDL_SCANCODE_KP_DECIMAL:
    case SDL_SCANCODE_KP_COMMA: return kKeyPadPoint;
    case SDL_SCANCODE_KP_DIVIDE: return kKeyPadDivide;
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2: return kKeyEnter;
    case SDL_SCANCODE_BACKSPACE: return kKeyBackspace;
    case SDL_SCANCODE_TAB: return kKeyTab;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return kKeyShift;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return kKeyCtrl;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return kKeyAlt;
    case SDL_SCANCODE_PAUSE: return kKeyPause;
    case SDL_SCANCODE_CAPSLOCK: return kKeyCapsLock;
    case SDL_SCANCODE_ESCAPE: return kKeyEscape;
    case SDL_SCANCODE_SPACE: return kKeySpace;
    case SDL_SCANCODE_PAGEUP: return kKeyPageUp;
    case SDL_SCANCODE_PAGEDOWN: return kKeyPageDown;
    case SDL_SCANCODE_END: return kKeyEnd;
    case SDL_SCANCODE_HOME: return kKeyHome;
    case SDL_SCANCODE_LEFT: return kKeyLeft;
    case SDL_SCANCODE_UP: return kKeyUp;
    case SDL_SCANCODE_RIGHT: return kKeyRight;
    case SDL_SCANCODE_DOWN: return kKeyDown;
    case SDL_SCANCODE_PRINTSCREEN: return kKeyPrintScreen;
    case SDL_SCANCODE_INSERT: return kKeyInsert;
    case SDL_SCANCODE_DELETE: return kKeyDelete;
    case SDL_SCANCODE_LGUI: return kKeyLeftWin;
    case SDL_SCANCODE_RGUI: return kKeyRightWin;
    case SDL_SCANCODE_APPLICATION: return kKeyMenu;
    case SDL_SCANCODE_NUMLOCKCLEAR: return kKeyNumLock;
    case SDL_SCANCODE_SCROLLLOCK: return kKeyScrollLock;
    default: break;
    }

    // Letters, digits and punctuation by their label in the active layout.
    const int k = sdlKeycode;
    if (k >= 'a' && k <= 'z') return keyLetter(static_cast<char>(k - 'a' + 'A'));
    if (k >= '0' && k <= '9') return keyDigit(k - '0');
    switch (k) {
    case ';': return kKeySemicolon;
    case '=':
    case '+': return kKeyEquals;
    case ',': return kKeyComma;
    case '-':
    case '_': return kKeyMinus;
    case '.': return kKeyPeriod;
    case '/': return kKeySlash;
    case '`': return kKeyGrave;
    case '[': return kKeyOpenBracket;
    case '\\': return kKeyBackslash;
    case ']': return kKeyCloseBracket;
    case '\'': return kKeyApostrophe;
    default: break;
    }

    // A layout without Latin labels: the key's place on a US keyboard.
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return keyLetter(static_cast<char>('A' + (sc - SDL_SCANCODE_A)));
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return keyDigit(1 + (sc - SDL_SCANCODE_1));
    switch (sc) {
    case SDL_SCANCODE_0: return kKey0;
    case SDL_SCANCODE_SEMICOLON: return kKeySemicolon;
    case SDL_SCANCODE_EQUALS: return kKeyEquals;
    case SDL_SCANCODE_COMMA: return kKeyComma;
    case SDL_SCANCODE_MINUS: return kKeyMinus;
    case SDL_SCANCODE_PERIOD: return kKeyPeriod;
    case SDL_SCANCODE_SLASH: return kKeySlash;
    case SDL_SCANCODE_GRAVE: return kKeyGrave;
    case SDL_SCANCODE_LEFTBRACKET: return kKeyOpenBracket;
    case SDL_SCANCODE_BACKSLASH: return kKeyBackslash;
    case SDL_SCANCODE_RIGHTBRACKET: return kKeyCloseBracket;
    case SDL_SCANCODE_APOSTROPHE: return kKeyApostrophe;
    default: return kKeyUnknown;
    }
}

unsigned long platreal::windowXid() { return b.windowXid; }

long platreal::canvasPixel(int x, int y) {
    if (!b.canvas || x < 0 || y < 0 || x >= b.canvas->w || y >= b.canvas->h) return -1;
    if (SDL_MUSTLOCK(b.canvas)) SDL_LockSurface(b.canvas);
    const auto* row = static_cast<const Uint8*>(b.canvas->pixels) + y * b.canvas->pitch;
    const Uint32 pixel = reinterpret_cast<const Uint32*>(row)[x];
    if (SDL_MUSTLOCK(b.canvas)) SDL_UnlockSurface(b.canvas);
    Uint8 r, g, bl;
    SDL_GetRGB(pixel, b.canvas->format, &r, &g, &bl);
    return (long(r) << 16) | (long(g) << 8) | bl;
}

int platWavDurationMs(const std::string& path) {
    const std::int64_t ms = platreal::wavDurationMs(path);
    return ms > 0 ? static_cast<int>(std::min<std::int64_t>(ms, INT_MAX)) : 0;
}

std::int64_t platreal::wavDurationMs(const std::string& path) {
    Wav wav;
    if (!loadWav(path, wav)) return -1;
    return wav.durationMs();
}
