// The screen reader on Windows, through UI Automation: each readout is one
// notification from the program's window, which NVDA, JAWS and Narrator
// speak in the operator's own voice and show on the braille display; and
// the window answers WM_GETOBJECT with a small provider named "Rigvox"
// whose value is the panel line, for a screen reader's "read current
// window". uiautomationcore.dll is loaded by name at the first use, so the
// program starts where it or the notification call is missing (Windows
// before 10 1709, Wine): then nothing is raised and all else goes on.
#include "platform/platform_win32_automation.h"

#include <oleauto.h>

#include <atomic>
#include <mutex>
#include <new>
#include <string>

#include "platform/platform.h"

namespace {

// ---------------------------------------------------------------------------
// [SECTION] The window's provider
// ---------------------------------------------------------------------------

constexpr const wchar_t* kElementName = L"Rigvox";
constexpr const wchar_t* kReadoutActivity = L"Rigvox.readout";

std::wstring wideText(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// A provider is asked from UI Automation's own threads as well as from the
// window's, so what it reads (the panel line, its window) is under a lock.
struct Shared {
    std::mutex lock;
    std::wstring panel;  // the panel line, set by platAccessPanel
    platwin::AutomationCalls calls;  // set once, before any provider exists
    bool callsSet = false;
};
Shared shared;

// The window's element: read-only, its value the panel line. Lives while
// the window does (and while a client holds it, answering nothing then).
class PanelProvider final : public IRawElementProviderSimple, public platwin::ValueProvider {
public:
    explicit PanelProvider(HWND window) : window_(window) {}

    // Its window is gone: from now on it is an element no longer available.
    void disconnect() {
        std::lock_guard<std::mutex> hold(shared.lock);
        window_ = nullptr;
    }

    // IUnknown, for both interfaces.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, platwin::kIidRawElementProviderSimple))
            *object = static_cast<IRawElementProviderSimple*>(this);
        else if (IsEqualIID(iid, platwin::kIidValueProvider))
            *object = static_cast<platwin::ValueProvider*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override {
        if (options == nullptr) return E_POINTER;
        *options = ProviderOptions_ServerSideProvider;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** provider) override {
        if (provider == nullptr) return E_POINTER;
        *provider = nullptr;
        if (!connected()) return platwin::kUiaElementNotAvailable;
        if (pattern == platwin::kUiaValuePatternId) {
            *provider = static_cast<platwin::ValueProvider*>(this);
            AddRef();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* value) override {
        if (value == nullptr) return E_POINTER;
        VariantInit(value);
        if (!connected()) return platwin::kUiaElementNotAvailable;
        switch (property) {
        case platwin::kUiaNamePropertyId:
            return putText(kElementName, value);
        case platwin::kUiaControlTypePropertyId:
            value->vt = VT_I4;
            value->lVal = platwin::kUiaWindowControlTypeId;
            return S_OK;
        case platwin::kUiaValueValuePropertyId:
            return putText(panelLine().c_str(), value);
        case platwin::kUiaIsValuePatternAvailablePropertyId:
        case platwin::kUiaValueIsReadOnlyPropertyId:
            value->vt = VT_BOOL;
            value->boolVal = VARIANT_TRUE;
            return S_OK;
        default:
            return S_OK;  // empty: the window's own provider answers the rest
        }
    }
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override {
        if (host == nullptr) return E_POINTER;
        *host = nullptr;
        HWND window = nullptr;
        decltype(shared.calls.hostProvider) hostProvider = nullptr;
        {
            std::lock_guard<std::mutex> hold(shared.lock);
            window = window_;
            hostProvider = shared.calls.hostProvider;
        }
        // The window's frame, position and focus come from Windows' own
        // provider for it.
        if (window == nullptr || hostProvider == nullptr) return S_OK;
        return hostProvider(window, host);
    }

    // IValueProvider
    HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR) override { return platwin::kUiaInvalidOperation; }
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override {
        if (value == nullptr) return E_POINTER;
        *value = nullptr;
        if (!connected()) return platwin::kUiaElementNotAvailable;
        *value = SysAllocString(panelLine().c_str());
        return *value != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) override {
        if (readOnly == nullptr) return E_POINTER;
        *readOnly = TRUE;
        return S_OK;
    }

private:
    ~PanelProvider() = default;

    bool connected() {
        std::lock_guard<std::mutex> hold(shared.lock);
        return window_ != nullptr;
    }
    static std::wstring panelLine() {
        std::lock_guard<std::mutex> hold(shared.lock);
        return shared.panel;
    }
    static HRESULT putText(const wchar_t* text, VARIANT* value) {
        value->bstrVal = SysAllocString(text);
        if (value->bstrVal == nullptr) return E_OUTOFMEMORY;
        value->vt = VT_BSTR;
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    HWND window_;  // null once the window is destroyed; under shared.lock
};

// ---------------------------------------------------------------------------
// [SECTION] Backend state (the window's thread only)
// ---------------------------------------------------------------------------

struct Access {
    PanelProvider* provider = nullptr;  // the window's, made at the first need, released with it
    HWND providerWindow = nullptr;      // the window it belongs to
    bool open = false;                  // platAccessOpen asked for a reader or a display
};
Access access;

const platwin::AutomationCalls& calls() {
    if (!shared.callsSet) {
        const platwin::AutomationCalls loaded = platwin::loadedAutomationCalls();
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.calls = loaded;
        shared.callsSet = true;
    }
    return shared.calls;
}

// Disconnects and releases the window's provider, telling UI Automation
// the window has none any more.
void releaseProvider() {
    if (access.provider == nullptr) return;
    if (calls().returnProvider != nullptr) calls().returnProvider(access.providerWindow, 0, 0, nullptr);
    access.provider->disconnect();
    access.provider->Release();
    access.provider = nullptr;
    access.providerWindow = nullptr;
}

// The provider of window, made when it has none; null without a window.
PanelProvider* providerFor(HWND window) {
    if (window == nullptr) return nullptr;
    if (access.provider != nullptr && access.providerWindow != window) releaseProvider();
    if (access.provider == nullptr) {
        access.provider = new (std::nothrow) PanelProvider(window);
        access.providerWindow = access.provider != nullptr ? window : nullptr;
    }
    return access.provider;
}

// True when a notification raised now would reach someone.
bool readersListening() {
    if (calls().raiseNotification == nullptr) return false;
    return calls().clientsListening == nullptr || calls().clientsListening() != FALSE;
}

}  // namespace

// ---------------------------------------------------------------------------
// [SECTION] uiautomationcore.dll
// ---------------------------------------------------------------------------

platwin::AutomationCalls platwin::loadedAutomationCalls() {
    static HMODULE library = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        // From the system folder only: never a file of that name beside
        // the program or in the working folder.
        wchar_t path[MAX_PATH];
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        const std::wstring file = L"\\uiautomationcore.dll";
        if (length > 0 && length + file.size() < MAX_PATH) {
            const std::wstring full = std::wstring(path, length) + file;
            library = LoadLibraryW(full.c_str());
        }
    }
    AutomationCalls loaded;
    if (library == nullptr) return loaded;
    // Each cast names the call's documented signature.
    loaded.raiseNotification = reinterpret_cast<decltype(loaded.raiseNotification)>(
        reinterpret_cast<void*>(GetProcAddress(library, "UiaRaiseNotificationEvent")));
    loaded.clientsListening = reinterpret_cast<decltype(loaded.clientsListening)>(
        reinterpret_cast<void*>(GetProcAddress(library, "UiaClientsAreListening")));
    loaded.returnProvider = reinterpret_cast<decltype(loaded.returnProvider)>(
        reinterpret_cast<void*>(GetProcAddress(library, "UiaReturnRawElementProvider")));
    loaded.hostProvider = reinterpret_cast<decltype(loaded.hostProvider)>(
        reinterpret_cast<void*>(GetProcAddress(library, "UiaHostProviderFromHwnd")));
    return loaded;
}

void platwin::useAutomationCalls(const AutomationCalls& replacement) {
    releaseProvider();
    std::lock_guard<std::mutex> hold(shared.lock);
    shared.calls = replacement;
    shared.callsSet = true;
}

// ---------------------------------------------------------------------------
// [SECTION] The window's messages
// ---------------------------------------------------------------------------

bool platwin::answerAutomation(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The object id is a 32-bit value, whether or not it arrives sign-extended.
    if (static_cast<LONG>(lParam) != platwin::kUiaRootObjectId || calls().returnProvider == nullptr) return false;
    PanelProvider* provider = providerFor(window);
    if (provider == nullptr) return false;
    result = calls().returnProvider(window, wParam, lParam, provider);
    return true;
}

void platwin::endAutomation(HWND window) {
    if (access.provider != nullptr && access.providerWindow == window) releaseProvider();
}

// ---------------------------------------------------------------------------
// [SECTION] Braille display and screen reader
// ---------------------------------------------------------------------------

// Both go through the screen reader: it shows on the braille display what
// it is given. False when no notification would be read now (the call is
// missing, there is no window, or no reader listens); the readouts are
// offered all the same, so a reader started later still gets them.
bool platAccessOpen(bool braille, bool screenReader) {
    access.open = braille || screenReader;
    if (!access.open) return false;
    return readersListening() && providerFor(platwin::frontPanelWindow()) != nullptr;
}

void platAccessReadout(const std::string& text) {
    if (!access.open || text.empty() || !readersListening()) return;
    PanelProvider* provider = providerFor(platwin::frontPanelWindow());
    if (provider == nullptr) return;
    BSTR words = SysAllocString(wideText(text).c_str());
    BSTR activity = SysAllocString(kReadoutActivity);
    // A refused notification is one readout not read; the next is offered again.
    if (words != nullptr && activity != nullptr)
        calls().raiseNotification(provider, platwin::kNotificationKindOther,
                                  platwin::kNotificationProcessingMostRecent, words, activity);
    SysFreeString(words);
    SysFreeString(activity);
}

void platAccessPanel(const std::string& line) {
    std::wstring wide = wideText(line);
    std::lock_guard<std::mutex> hold(shared.lock);
    shared.panel.swap(wide);
}

// The provider stays with the window (a screen reader may still read the
// panel line); only readouts stop.
void platAccessClose() { access.open = false; }
