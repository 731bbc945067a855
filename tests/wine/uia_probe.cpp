// Reads the program's window as a screen reader does, from another process:
// WM_GETOBJECT for UI Automation's root element, then the element's name
// and value through uiautomationcore.dll. Prints
//   answer=<the message's answer, in hexadecimal>
//   name=<UTF-8>
//   value=<UTF-8>
// a property that cannot be read as <label>-status=<the call's result, in
// hexadecimal> instead (Wine's UI Automation client reads no value), and
// returns 0 when the window was found.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>

namespace {

constexpr LONG kUiaRootObjectId = -25;
constexpr int kUiaNamePropertyId = 30005;
constexpr int kUiaValueValuePropertyId = 30045;

using NodeFromHandle = HRESULT(WINAPI*)(HWND, HANDLE*);
using GetPropertyValue = HRESULT(WINAPI*)(HANDLE, int, VARIANT*);
using NodeRelease = BOOL(WINAPI*)(HANDLE);

std::string utf8(const wchar_t* text, int length) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

void printProperty(GetPropertyValue get, HANDLE node, int property, const char* label) {
    VARIANT value;
    VariantInit(&value);
    const HRESULT result = get(node, property, &value);
    if (SUCCEEDED(result) && value.vt == VT_BSTR)
        std::printf("%s=%s\n", label, utf8(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal))).c_str());
    else
        std::printf("%s-status=%lx\n", label, static_cast<unsigned long>(result));
    VariantClear(&value);
}

}  // namespace

int main() {
    HWND window = FindWindowW(L"RigvoxFrontPanel", nullptr);
    if (window == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(kUiaRootObjectId), SMTO_ABORTIFHUNG,
                        5000, &answer);
    std::printf("answer=%llx\n", static_cast<unsigned long long>(answer));
    // A client's apartment, as a screen reader's.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    HMODULE uia = LoadLibraryW(L"uiautomationcore.dll");
    const auto fromHandle = reinterpret_cast<NodeFromHandle>(
        reinterpret_cast<void*>(GetProcAddress(uia, "UiaNodeFromHandle")));
    const auto get = reinterpret_cast<GetPropertyValue>(
        reinterpret_cast<void*>(GetProcAddress(uia, "UiaGetPropertyValue")));
    const auto release = reinterpret_cast<NodeRelease>(reinterpret_cast<void*>(GetProcAddress(uia, "UiaNodeRelease")));
    HANDLE node = nullptr;
    if (fromHandle != nullptr && get != nullptr && SUCCEEDED(fromHandle(window, &node)) && node != nullptr) {
        printProperty(get, node, kUiaNamePropertyId, "name");
        printProperty(get, node, kUiaValueValuePropertyId, "value");
        if (release != nullptr) release(node);
    }
    std::fflush(stdout);
    CoUninitialize();
    return 0;
}
