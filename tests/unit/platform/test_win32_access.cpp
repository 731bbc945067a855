// The screen reader on Windows (run under Wine): the window's UI Automation
// element as a screen reader reads it, and each readout raised once as a
// notification, through recording stand-ins for uiautomationcore.dll's
// calls; then the real DLL where the notification call may be missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_win32_automation.h"

namespace {

// What the stand-ins for UI Automation's calls were given.
struct Recorded {
    struct Notification {
        IRawElementProviderSimple* provider;
        int kind, processing;
        std::wstring text, activity;
    };
    std::vector<Notification> notifications;
    std::vector<IRawElementProviderSimple*> returned;  // per UiaReturnRawElementProvider
    std::vector<HWND> hosted;                         // per UiaHostProviderFromHwnd
    BOOL listening = TRUE;
    HRESULT raiseResult = S_OK;
};
Recorded rec;

HRESULT WINAPI recordNotification(IRawElementProviderSimple* provider, int kind, int processing, BSTR text,
                                  BSTR activity) {
    rec.notifications.push_back({provider, kind, processing, text, activity});
    return rec.raiseResult;
}
BOOL WINAPI recordListening() { return rec.listening; }
LRESULT WINAPI recordReturn(HWND, WPARAM, LPARAM, IRawElementProviderSimple* provider) {
    rec.returned.push_back(provider);
    return provider != nullptr ? 0x5150 : 0;
}
HRESULT WINAPI recordHost(HWND window, IRawElementProviderSimple** host) {
    rec.hosted.push_back(window);
    *host = nullptr;
    return S_OK;
}

platwin::AutomationCalls recordingCalls() {
    platwin::AutomationCalls calls;
    calls.raiseNotification = recordNotification;
    calls.clientsListening = recordListening;
    calls.returnProvider = recordReturn;
    calls.hostProvider = recordHost;
    return calls;
}

constexpr const char* kTitle = "Kenwood Rigvox access test";

class Win32Access : public ::testing::Test {
protected:
    void SetUp() override {
        rec = Recorded{};
        platwin::useAutomationCalls(recordingCalls());
        ASSERT_TRUE(platWindowOpen(kTitle, 50, 50, 400, 200));
        window = platwin::frontPanelWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        platAccessClose();
        platWindowClose();
    }
    // What a screen reader's WM_GETOBJECT for the root element is answered.
    LRESULT askRoot() { return SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(platwin::kUiaRootObjectId)); }

    std::wstring textProperty(IRawElementProviderSimple* provider, int property) {
        VARIANT value;
        EXPECT_EQ(provider->GetPropertyValue(property, &value), S_OK) << property;
        if (value.vt != VT_BSTR) return L"(not a text)";
        std::wstring text(value.bstrVal, SysStringLen(value.bstrVal));
        VariantClear(&value);
        return text;
    }
    std::wstring patternValue(IRawElementProviderSimple* provider) {
        IUnknown* pattern = nullptr;
        EXPECT_EQ(provider->GetPatternProvider(platwin::kUiaValuePatternId, &pattern), S_OK);
        if (pattern == nullptr) return L"(no value pattern)";
        platwin::ValueProvider* value = nullptr;
        EXPECT_EQ(pattern->QueryInterface(platwin::kIidValueProvider, reinterpret_cast<void**>(&value)), S_OK);
        pattern->Release();
        if (value == nullptr) return L"(no value provider)";
        BSTR text = nullptr;
        EXPECT_EQ(value->get_Value(&text), S_OK);
        BOOL readOnly = FALSE;
        EXPECT_EQ(value->get_IsReadOnly(&readOnly), S_OK);
        EXPECT_TRUE(readOnly);
        EXPECT_NE(value->SetValue(L"7.000 MHz"), S_OK);
        value->Release();
        std::wstring result = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"(null)";
        SysFreeString(text);
        return result;
    }

    HWND window = nullptr;
};

TEST_F(Win32Access, TheWindowAnswersWithItsElementNamedRigvoxWhoseValueIsThePanelLine) {
    // Only the root element's request is answered; others go to Windows.
    SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    EXPECT_TRUE(rec.returned.empty());
    EXPECT_EQ(askRoot(), 0x5150);
    ASSERT_EQ(rec.returned.size(), 1u);
    IRawElementProviderSimple* provider = rec.returned[0];
    ASSERT_NE(provider, nullptr);
    provider->AddRef();  // held as a client would, past the window's end

    EXPECT_EQ(textProperty(provider, platwin::kUiaNamePropertyId), L"Rigvox");
    VARIANT type;
    ASSERT_EQ(provider->GetPropertyValue(platwin::kUiaControlTypePropertyId, &type), S_OK);
    EXPECT_EQ(type.vt, VT_I4);
    EXPECT_EQ(type.lVal, platwin::kUiaWindowControlTypeId);
    // Position, frame and focus are Windows' own provider's for the window.
    IRawElementProviderSimple* host = nullptr;
    EXPECT_EQ(provider->get_HostRawElementProvider(&host), S_OK);
    EXPECT_EQ(rec.hosted, std::vector<HWND>{window});
    ProviderOptions options{};
    EXPECT_EQ(provider->get_ProviderOptions(&options), S_OK);
    EXPECT_TRUE(options & ProviderOptions_ServerSideProvider);

    // The value follows the panel line, UTF-8 made UTF-16; a new line replaces it.
    platAccessPanel("14.074 MHz USB, split, preamp on");
    EXPECT_EQ(patternValue(provider), L"14.074 MHz USB, split, preamp on");
    platAccessPanel("7.100 MHz LSB \xE2\x80\x93 tx on");
    EXPECT_EQ(patternValue(provider), L"7.100 MHz LSB \u2013 tx on");
    EXPECT_EQ(textProperty(provider, platwin::kUiaValueValuePropertyId), L"7.100 MHz LSB \u2013 tx on");

    // One element for the window, asked again.
    askRoot();
    ASSERT_EQ(rec.returned.size(), 2u);
    EXPECT_EQ(rec.returned[1], provider);

    // The window's end takes its element back from UI Automation; a client
    // still holding it is told it is gone.
    platWindowClose();
    ASSERT_EQ(rec.returned.size(), 3u);
    EXPECT_EQ(rec.returned[2], nullptr);
    VARIANT gone;
    EXPECT_EQ(provider->GetPropertyValue(platwin::kUiaNamePropertyId, &gone), platwin::kUiaElementNotAvailable);
    EXPECT_EQ(gone.vt, VT_EMPTY);
    host = reinterpret_cast<IRawElementProviderSimple*>(1);
    EXPECT_EQ(provider->get_HostRawElementProvider(&host), S_OK);
    EXPECT_EQ(host, nullptr);
    EXPECT_EQ(rec.hosted.size(), 1u);
    provider->Release();
}

TEST_F(Win32Access, EachReadoutIsOneNotificationReplacingTheOneBefore) {
    // Asked for neither: nothing is raised.
    EXPECT_FALSE(platAccessOpen(false, false));
    platAccessReadout("14.074 MHz USB");
    EXPECT_TRUE(rec.notifications.empty());

    for (const auto& [braille, screenReader] : {std::pair{true, false}, std::pair{false, true}}) {
        rec.notifications.clear();
        EXPECT_TRUE(platAccessOpen(braille, screenReader));
        platAccessReadout("14.074 MHz USB");
        platAccessReadout("");  // nothing to read
        platAccessReadout("S 9 plus 20");
        ASSERT_EQ(rec.notifications.size(), 2u) << braille;
        for (const auto& n : rec.notifications) {
            EXPECT_EQ(n.kind, platwin::kNotificationKindOther);
            EXPECT_EQ(n.processing, platwin::kNotificationProcessingMostRecent);
            EXPECT_EQ(n.activity, L"Rigvox.readout");
        }
        EXPECT_EQ(rec.notifications[0].text, L"14.074 MHz USB");
        EXPECT_EQ(rec.notifications[1].text, L"S 9 plus 20");
    }
    // Raised from the window's element, the one WM_GETOBJECT hands out.
    askRoot();
    ASSERT_EQ(rec.returned.size(), 1u);
    EXPECT_EQ(rec.notifications[0].provider, rec.returned[0]);

    // A refused notification loses that readout only.
    rec.notifications.clear();
    rec.raiseResult = E_FAIL;
    platAccessReadout("preamp on");
    rec.raiseResult = S_OK;
    platAccessReadout("SWR 1.5");
    ASSERT_EQ(rec.notifications.size(), 2u);
    EXPECT_EQ(rec.notifications[1].text, L"SWR 1.5");

    // Closed: no more.
    platAccessClose();
    platAccessReadout("tx on");
    EXPECT_EQ(rec.notifications.size(), 2u);
}

TEST_F(Win32Access, WithNoReaderListeningOrNoNotificationCallNothingIsRaisedAndOpenSaysSo) {
    // No reader listens: open says false, and nothing is raised ...
    rec.listening = FALSE;
    EXPECT_FALSE(platAccessOpen(false, true));
    platAccessReadout("14.074 MHz USB");
    EXPECT_TRUE(rec.notifications.empty());
    // ... until one starts: it gets the next readout.
    rec.listening = TRUE;
    platAccessReadout("preamp on");
    ASSERT_EQ(rec.notifications.size(), 1u);
    EXPECT_EQ(rec.notifications[0].text, L"preamp on");
    platAccessClose();

    // A system without the notification call (before Windows 10 1709, Wine):
    // open says false, readouts go nowhere, and the window still answers.
    platwin::AutomationCalls old = recordingCalls();
    old.raiseNotification = nullptr;
    platwin::useAutomationCalls(old);
    EXPECT_FALSE(platAccessOpen(true, true));
    platAccessReadout("14.074 MHz USB");
    EXPECT_EQ(rec.notifications.size(), 1u);
    EXPECT_EQ(askRoot(), 0x5150);

    // No window: nothing to raise from.
    platwin::useAutomationCalls(recordingCalls());
    platWindowClose();
    EXPECT_FALSE(platAccessOpen(true, true));
    platAccessReadout("14.074 MHz USB");
    EXPECT_EQ(rec.notifications.size(), 1u);
}

TEST_F(Win32Access, TheSystemsOwnUiAutomationAnswersTheWindowWithOrWithoutTheNotificationCall) {
    // The DLL of every Windows since 7 (and Wine's) has the provider's
    // calls; the notification call only from Windows 10 1709 on.
    const platwin::AutomationCalls real = platwin::loadedAutomationCalls();
    ASSERT_NE(real.returnProvider, nullptr);
    ASSERT_NE(real.hostProvider, nullptr);
    ASSERT_NE(real.clientsListening, nullptr);
    platwin::useAutomationCalls(real);
    platAccessPanel("14.074 MHz USB");
    const bool opened = platAccessOpen(true, true);
    if (real.raiseNotification == nullptr) {
        EXPECT_FALSE(opened);
    }
    // Readouts with or without it, and the window answered by UI Automation itself.
    platAccessReadout("14.074 MHz USB");
    platAccessReadout("preamp on");
    EXPECT_NE(askRoot(), 0);
    platWindowClose();
    std::printf("notification call %s, clients listening: %d\n",
                real.raiseNotification != nullptr ? "present" : "missing", real.clientsListening());
}

}  // namespace
