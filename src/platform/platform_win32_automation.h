// The Windows backend's UI Automation: the few declarations mingw-w64's
// headers lack (the Value pattern's interface, the notification call), the
// calls taken from uiautomationcore.dll, and the window's provider as tests
// reach it. The window procedure's hooks are in platform_win32.h.
#pragma once

#include "platform/platform_win32.h"

#include <ole2.h>
#include <uiautomationcore.h>

namespace platwin {

// The identifiers used, as UIAutomationClient.h and UIAutomationCoreApi.h
// number them (mingw-w64's uiautomationcoreapi.h is C only).
constexpr LONG kUiaRootObjectId = -25;
constexpr HRESULT kUiaElementNotAvailable = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kUiaInvalidOperation = static_cast<HRESULT>(0x80131509);
constexpr int kUiaValuePatternId = 10002;
constexpr int kUiaControlTypePropertyId = 30003;
constexpr int kUiaNamePropertyId = 30005;
constexpr int kUiaIsValuePatternAvailablePropertyId = 30043;
constexpr int kUiaValueValuePropertyId = 30045;
constexpr int kUiaValueIsReadOnlyPropertyId = 30046;
constexpr int kUiaWindowControlTypeId = 50032;
// NotificationKind_Other and NotificationProcessing_MostRecent: a readout
// is neither an item added nor an action's end alone, and a key's readout
// replaces the one before it.
constexpr int kNotificationKindOther = 4;
constexpr int kNotificationProcessingMostRecent = 3;

// IValueProvider as UIAutomationCore.idl declares it (read-only here).
struct ValueProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) = 0;
};
constexpr IID kIidValueProvider = {0xc7935180, 0x6fb3, 0x4201, {0xb1, 0x74, 0x7d, 0xf7, 0x3a, 0xdb, 0xf6, 0x4a}};
constexpr IID kIidRawElementProviderSimple = {0xd6dd68d1, 0x86fd, 0x4332, {0x86, 0x66, 0x9a, 0xbe, 0xde, 0xa2, 0xd2, 0x4c}};

// The UI Automation calls the access code makes. Taken by name from
// uiautomationcore.dll: the notification call exists from Windows 10 1709
// on (Wine lacks it), so a missing one is null and the rest goes on.
struct AutomationCalls {
    HRESULT(WINAPI* raiseNotification)(IRawElementProviderSimple* provider, int kind, int processing,
                                       BSTR text, BSTR activityId) = nullptr;
    BOOL(WINAPI* clientsListening)() = nullptr;
    LRESULT(WINAPI* returnProvider)(HWND window, WPARAM wParam, LPARAM lParam,
                                    IRawElementProviderSimple* provider) = nullptr;
    HRESULT(WINAPI* hostProvider)(HWND window, IRawElementProviderSimple** provider) = nullptr;
};

// The calls from uiautomationcore.dll in the system folder (loaded at the
// first use); all null where it cannot be loaded.
AutomationCalls loadedAutomationCalls();
// The calls the access code makes from now on, in place of the loaded ones
// (a test's recording calls). Without it, the loaded ones are used.
void useAutomationCalls(const AutomationCalls& calls);

}  // namespace platwin
