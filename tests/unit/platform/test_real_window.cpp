// The real SDL backend's window without a screen (SDL's offscreen video
// driver): opaque persistent text, fonts, key codes, close requests, the
// merging of ticks while a handler runs long, and the wait's network input.
#include <gtest/gtest.h>

#include <SDL.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "platform/platform.h"
#include "platform/platform_real.h"

namespace {

constexpr long kWhite = 0xFFFFFF;

class RealWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }
    void SetUp() override {
        ASSERT_TRUE(platWindowOpen("*** test ***", 250, 100, 950, 500));
        platTextFont("", 0, 0);
        drain();
    }
    void TearDown() override {
        platTimerStop();
        platWindowClose();
    }
    // Takes whatever SDL queued while the window opened.
    static void drain() {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    // Dark pixels in a box, and the rows they span.
    struct Ink {
        int pixels = 0, top = -1, bottom = -1;
    };
    static Ink inkIn(int x0, int y0, int w, int h) {
        Ink ink;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) {
                const long c = platreal::canvasPixel(x, y);
                if (c >= 0 && (c & 0xFF) < 0x80) {
                    ++ink.pixels;
                    if (ink.top < 0) ink.top = y;
                    ink.bottom = y;
                }
            }
        return ink;
    }
    static void pushKey(Uint32 type, SDL_Keycode sym, SDL_Scancode sc) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = sc;
        SDL_PushEvent(&e);
    }
};

TEST_F(RealWindowTest, StartsWhiteAndTextIsBlackAtItsPosition) {
    EXPECT_EQ(platreal::canvasPixel(0, 0), kWhite);
    EXPECT_EQ(platreal::canvasPixel(949, 499), kWhite);
    EXPECT_EQ(platreal::canvasPixel(950, 0), -1);
    platTextAt(300, 10, "*** Rigvox V 3.4a ***");
    const Ink ink = inkIn(300, 10, 300, 40);
    EXPECT_GT(ink.pixels, 50);
    EXPECT_GE(ink.top, 10);
    EXPECT_EQ(inkIn(0, 0, 300, 500).pixels, 0);   // nothing left of it
    EXPECT_EQ(inkIn(0, 60, 950, 440).pixels, 0);  // nor below
}

TEST_F(RealWindowTest, SpacesOverprintAndEraseEarlierText) {
    platTextFont("Ariel", 50, 700);
    platTextAt(285, 150, "XXXXXXXX");
    ASSERT_GT(inkIn(285, 150, 660, 100).pixels, 1000);
    // Spaces as wide as the text cover it: the box is painted, not just the glyphs.
    platTextAt(285, 150, std::string(20, ' '));
    EXPECT_EQ(inkIn(285, 150, 660, 100).pixels, 0);
    // Text printed again at the same place clears the old text's box first,
    // so a label switched off by blanks narrower than itself (a proportional
    // font) leaves no sliver behind.
    platTextFont("Ariel", 20, 20);
    platTextAt(40, 250, "preamp ");
    ASSERT_GT(inkIn(40, 250, 200, 40).pixels, 100);
    platTextAt(40, 250, std::string(12, ' '));
    EXPECT_EQ(inkIn(40, 250, 200, 40).pixels, 0);
    // Text at another place is left alone.
    platTextFont("Ariel", 50, 700);
    platTextAt(285, 150, "14.250000");
    platTextAt(80, 150, "B   ");
    EXPECT_GT(inkIn(285, 150, 600, 100).pixels, 1000);
}

TEST_F(RealWindowTest, FontsFollowPointsAndWeight) {
    platTextAt(10, 10, "Hg");  // the window's default font
    const Ink small = inkIn(0, 0, 200, 120);
    platTextFont("Ariel", 50, 700);
    platTextAt(10, 150, "Hg");
    const Ink big = inkIn(0, 140, 200, 150);
    platTextFont("Ariel", 20, 20);
    platTextAt(10, 320, "HHHH");
    const Ink light = inkIn(0, 310, 400, 60);
    platTextFont("Ariel", 20, 700);
    platTextAt(10, 400, "HHHH");
    const Ink bold = inkIn(0, 390, 400, 60);

    // 50 points at 96 pixels per inch is about 67 pixels from top to bottom
    // of "Hg"; the default font is a small one.
    EXPECT_GT(big.bottom - big.top, 45);
    EXPECT_LT(big.bottom - big.top, 90);
    EXPECT_LT(small.bottom - small.top, 25);
    EXPECT_GT(small.bottom - small.top, 8);
    // Same size, weight 700 inks more than weight 20.
    EXPECT_GT(bold.pixels, light.pixels * 5 / 4);
    EXPECT_NEAR(bold.bottom - bold.top, light.bottom - light.top, 3);
}

TEST_F(RealWindowTest, TextOffTheWindowOrEmptyIsHarmless) {
    platTextAt(940, 490, "clipped at the corner");
    platTextAt(-50, -50, "partly outside");
    platTextAt(5000, 5000, "far away");
    platTextAt(10, 10, "");
    platTextAt(10, 10, std::string("\xff\x01 odd bytes", 12));
    EXPECT_GT(inkIn(940, 490, 10, 10).pixels, 0);
    platWindowClose();
    platTextAt(10, 10, "no window");  // nothing to draw on, nothing breaks
    EXPECT_EQ(platreal::canvasPixel(10, 10), -1);
}

TEST_F(RealWindowTest, KeysAndCloseComeInOrderBeforeTheTick) {
    platTimerStart(50);
    pushKey(SDL_KEYDOWN, SDLK_z, SDL_SCANCODE_Z);
    pushKey(SDL_KEYDOWN, SDLK_z, SDL_SCANCODE_Z);  // auto-repeat: still a key-down
    pushKey(SDL_KEYUP, SDLK_z, SDL_SCANCODE_Z);
    pushKey(SDL_KEYDOWN, SDLK_KP_5, SDL_SCANCODE_KP_5);
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_EXPOSED;  // not for the handler
    SDL_PushEvent(&e);
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_QUIT;  // a signal
    SDL_PushEvent(&e);
    SDL_Delay(60);  // a tick falls due meanwhile

    const std::vector<std::pair<int, int>> expected = {
        {kEventKeyDown, 90}, {kEventKeyDown, 90}, {kEventKeyUp, 90}, {kEventKeyDown, 101},
        {kEventClose, 0},    {kEventClose, 0},    {kEventTick, 0}};
    for (const auto& [kind, param] : expected) {
        int k = -1, p = -1;
        ASSERT_TRUE(platWaitEvent(k, p));
        EXPECT_EQ(k, kind);
        if (kind != kEventTick) {
            EXPECT_EQ(p, param);
        }
    }
}

TEST_F(RealWindowTest, LongHandlerGivesOneTickThenTheRegularPace) {
    platTimerStart(50);
    int kind = 0, param = 0;
    ASSERT_TRUE(platWaitEvent(kind, param));
    ASSERT_EQ(kind, kEventTick);
    SDL_Delay(300);  // a handler speaking an answer: six periods pass

    const std::int64_t start = platTickMs();
    ASSERT_TRUE(platWaitEvent(kind, param));
    EXPECT_EQ(kind, kEventTick);
    EXPECT_LT(platTickMs() - start, 25);  // the merged tick comes at once
    // Over the next 200 ms the pace is one tick per period, no backlog.
    int ticks = 0;
    while (platTickMs() - start < 200) {
        ASSERT_TRUE(platWaitEvent(kind, param));
        if (kind == kEventTick) ++ticks;
    }
    // A busy machine can only merge more ticks, never add any.
    EXPECT_GE(ticks, 2);
    EXPECT_LE(ticks, 5);
}

// A timer stopped with a tick already due gives no tick, however long the
// wait: the only event is a key pushed after several periods.
TEST_F(RealWindowTest, StoppedTimerGivesNoTicks) {
    platTimerStart(20);
    SDL_Delay(50);
    platTimerStop();
    const std::int64_t start = platTickMs();
    std::thread later([] {
        SDL_Delay(150);
        pushKey(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q);
    });
    int kind = 0, param = 0;
    const bool got = platWaitEvent(kind, param);
    later.join();
    ASSERT_TRUE(got);
    EXPECT_EQ(kind, kEventKeyDown);
    EXPECT_EQ(param, 'Q');
    EXPECT_GE(platTickMs() - start, 140);
}

TEST(RealKeyCodes, LettersDigitsAndTheDispatcherTable) {
    using platreal::virtualKey;
    // Letters by their upper-case code whatever Shift (SDL gives the same
    // keycode for a and A).
    EXPECT_EQ(virtualKey(SDLK_a, SDL_SCANCODE_A), 65);
    EXPECT_EQ(virtualKey(SDLK_z, SDL_SCANCODE_Z), 90);
    for (int d = 0; d <= 9; ++d) EXPECT_EQ(virtualKey(SDLK_0 + d, SDL_SCANCODE_0), 48 + d);
    const SDL_Scancode keypad[] = {SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2,
                                   SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_5,
                                   SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7, SDL_SCANCODE_KP_8,
                                   SDL_SCANCODE_KP_9};
    for (int d = 0; d <= 9; ++d) {
        EXPECT_EQ(virtualKey(SDLK_KP_0, keypad[d]), 96 + d);
        // NumLock off turns the keypad into arrows; it still gives digits.
        EXPECT_EQ(virtualKey(SDLK_UP, keypad[d]), 96 + d);
    }
    struct Row {
        SDL_Keycode sym;
        SDL_Scancode sc;
        int vk;
    };
    const Row rows[] = {
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 13},     {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 16},     {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 16},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 17},       {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 17},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},       {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 33},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 34}, {SDLK_LEFT, SDL_SCANCODE_LEFT, 37},
        {SDLK_UP, SDL_SCANCODE_UP, 38},             {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 39},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 40},         {SDLK_INSERT, SDL_SCANCODE_INSERT, 45},
        {SDLK_LGUI, SDL_SCANCODE_LGUI, 91},         {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 107},
        {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 109}, {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 110},
        {SDLK_F1, SDL_SCANCODE_F1, 112},            {SDLK_F11, SDL_SCANCODE_F11, 122},
        {SDLK_F12, SDL_SCANCODE_F12, 123},          {SDLK_EQUALS, SDL_SCANCODE_EQUALS, 187},
        {SDLK_MINUS, SDL_SCANCODE_MINUS, 189},      {SDLK_PERIOD, SDL_SCANCODE_PERIOD, 190},
        {SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, 219},
        {SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, 221},
        {SDLK_HOME, SDL_SCANCODE_HOME, 36},         {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},
    };
    for (const Row& r : rows) EXPECT_EQ(virtualKey(r.sym, r.sc), r.vk) << SDL_GetKeyName(r.sym);
}

// A port nobody listens on now.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof where;
    ::bind(fd, reinterpret_cast<sockaddr*>(&where), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
    ::close(fd);
    return ntohs(where.sin_port);
}

int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    where.sin_port = htons(static_cast<uint16_t>(port));
    return ::connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 ? fd : -1;
}

// Out of descriptors, a waiting connection cannot be taken: the listener is
// not watched until a tick's accept takes it, so the wait does not wake for
// it again and again. Input the program holds is handed back without a
// sleep, after a waiting key.
TEST_F(RealWindowTest, NetworkInputWakesTheWaitAndAListenerOutOfDescriptorsRests) {
    const int port = freePort();
    const int listener = platNetListen("127.0.0.1", port);
    ASSERT_GT(listener, 0);
    const int client = connectTo(port);
    ASSERT_GE(client, 0);
    rlimit limits{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limits), 0);
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    rlimit none = limits;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);

    platTimerStart(50);
    int network = 0, ticks = 0, taken = 0;
    std::string peer;
    const std::int64_t start = platTickMs();
    while (platTickMs() - start < 300) {
        int kind = 0, param = 0;
        ASSERT_TRUE(platWaitEvent(kind, param));
        if (kind == kEventNetwork) ++network;
        if (kind == kEventTick) ++ticks;
        taken += platNetAccept(listener, peer) > 0 ? 1 : 0;  // as the program does for both
    }
    ::setrlimit(RLIMIT_NOFILE, &limits);
    EXPECT_EQ(taken, 0);
    EXPECT_LE(network, 2);
    EXPECT_GE(ticks, 3);

    // With descriptors again the next accept takes it, and the connection's
    // bytes wake the wait.
    const int connection = platNetAccept(listener, peer);
    ASSERT_GT(connection, 0);
    EXPECT_EQ(peer, "127.0.0.1");  // the address the allow-list is matched against
    ASSERT_EQ(::write(client, "f\n", 2), 2);
    int kind = 0, param = 0;
    do ASSERT_TRUE(platWaitEvent(kind, param));
    while (kind == kEventTick);
    EXPECT_EQ(kind, kEventNetwork);
    std::string text;
    EXPECT_EQ(platNetRead(connection, text, 100), 2);

    platNetInputHeld(true);
    pushKey(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q);
    do ASSERT_TRUE(platWaitEvent(kind, param));
    while (kind == kEventTick);
    EXPECT_EQ(kind, kEventKeyDown);
    const std::int64_t asked = platTickMs();
    do ASSERT_TRUE(platWaitEvent(kind, param));
    while (kind == kEventTick);
    EXPECT_EQ(kind, kEventNetwork);
    EXPECT_LT(platTickMs() - asked, 20);
    platNetInputHeld(false);
    do ASSERT_TRUE(platWaitEvent(kind, param));
    while (kind == kEventNetwork && platTickMs() - asked < 20);
    EXPECT_EQ(kind, kEventTick);

    ::close(client);
    platNetClose(connection);
    platNetClose(listener);
}

TEST(RealKeyCodes, OtherLayoutsAndUnknownKeys) {
    using platreal::virtualKey;
    // A French layout: the key labelled A sits where Q is on a US keyboard.
    EXPECT_EQ(virtualKey(SDLK_a, SDL_SCANCODE_Q), 65);
    // A Cyrillic label falls back on the key's US place.
    EXPECT_EQ(virtualKey(0x444, SDL_SCANCODE_A), 65);
    EXPECT_EQ(virtualKey(0x436, SDL_SCANCODE_SEMICOLON), 186);
    // Keys without a code of their own get one that no command uses.
    EXPECT_EQ(virtualKey(SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP), platreal::kUnknownKey);
    EXPECT_EQ(virtualKey(0, SDL_SCANCODE_UNKNOWN), platreal::kUnknownKey);
}

}  // namespace
