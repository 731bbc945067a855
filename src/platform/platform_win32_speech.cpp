// The system's speech on Windows: SAPI 5's voice (ISpVoice), part of every
// Windows, with the voice and rate chosen in the system's speech settings.
#include "platform/platform_win32.h"

#include <sapi.h>

#include <string>

#include "platform/platform.h"

namespace {

ISpVoice* voice = nullptr;  // the voice, null = none
bool comStarted = false;    // this thread's COM was started here and is ended here
// What is still queued at the end is given this long: releasing the voice
// silences it, and "quit" should be heard, but the program must end.
constexpr ULONG kCloseWaitMs = 3000;

std::wstring wideText(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

void releaseVoice() {
    if (voice != nullptr) voice->Release();
    voice = nullptr;
    if (comStarted) CoUninitialize();
    comStarted = false;
}

}  // namespace

bool platSpeechOpen() {
    if (voice != nullptr) return true;
    // The window's thread: a single-threaded apartment. S_FALSE (started
    // already) is counted too; another apartment kind is used as it is.
    comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    void* made = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, &made)) || made == nullptr) {
        releaseVoice();
        return false;
    }
    voice = static_cast<ISpVoice*>(made);
    // A voice object without a voice to speak with (none installed), or one
    // that cannot speak at all (an emulator's stub), is no speech: the
    // empty purge, the documented way to silence a voice, must be taken.
    ISpObjectToken* token = nullptr;
    if (FAILED(voice->GetVoice(&token)) || token == nullptr ||
        FAILED(voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr))) {
        if (token != nullptr) token->Release();
        releaseVoice();
        return false;
    }
    token->Release();
    return true;
}

bool platSpeechSay(const std::string& text) {
    if (voice == nullptr) return false;
    const std::wstring wide = wideText(text);
    // Asynchronous: SAPI speaks on its own thread and queues what comes
    // while it speaks. Plain text: a "<" in it is not taken for markup.
    return SUCCEEDED(voice->Speak(wide.c_str(), SPF_ASYNC | SPF_IS_NOT_XML, nullptr));
}

void platSpeechCancel() {
    // Every key cancels: the purge cuts off what is sounding and drops what
    // is queued, and asynchronous it returns without waiting for the audio
    // to stop.
    if (voice != nullptr) voice->Speak(nullptr, SPF_PURGEBEFORESPEAK | SPF_ASYNC, nullptr);
}

void platSpeechClose() {
    if (voice != nullptr) voice->WaitUntilDone(kCloseWaitMs);
    releaseVoice();
}
