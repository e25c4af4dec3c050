// orvctl: drives a running Orv.exe from tests and scripts.
//   orvctl exit             ask the program to end (command 1029)
//   orvctl command ID       send the main window the menu command ID
//   orvctl notice TEXT      show a pop-up notice with TEXT as its summary
//   orvctl forged TEXT      the same request without this build's key (Orv ignores it)
//   orvctl wait SECONDS     wait until the program's main window exists
//   orvctl type TEXT        type TEXT (any Unicode) into the window that has the focus
// Exit code 0 when the main window was found and the request delivered, 1 otherwise.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {
// The main window is the one window of class "ORV" without an owner (the pop-up
// notices share the class and are owned by it).
BOOL CALLBACK FindMain(HWND window, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (std::wcscmp(cls, L"ORV") == 0 && !GetWindow(window, GW_OWNER)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND MainWindow() {
    HWND found = nullptr;
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
    return found;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: orvctl exit | command ID | notice TEXT | wait SECONDS | type TEXT\n");
        return 2;
    }
    const std::wstring verb = argv[1];
    if (verb == L"wait") {
        const int seconds = argc > 2 ? _wtoi(argv[2]) : 10;
        for (int i = 0; i < seconds * 10; ++i) {
            if (MainWindow()) return 0;
            Sleep(100);
        }
        std::fwprintf(stderr, L"orvctl: no Orv main window within %d seconds\n", seconds);
        return 1;
    }
    if (verb == L"type" && argc > 2) {
        // Unicode key events reach whatever has the focus, as typed characters do.
        const std::wstring text = argv[2];
        for (wchar_t unit : text) {
            INPUT key[2] = {};
            for (INPUT& k : key) {
                k.type = INPUT_KEYBOARD;
                k.ki.wScan = unit;
                k.ki.dwFlags = KEYEVENTF_UNICODE;
            }
            key[1].ki.dwFlags |= KEYEVENTF_KEYUP;
            if (SendInput(2, key, sizeof(INPUT)) != 2) {
                std::fwprintf(stderr, L"orvctl: typing failed (error %lu)\n", GetLastError());
                return 1;
            }
            Sleep(10);
        }
        return 0;
    }
    HWND main = MainWindow();
    if (!main) {
        std::fwprintf(stderr, L"orvctl: no Orv main window\n");
        return 1;
    }
    // Every failure says why on stderr: a test that sees only the exit code cannot tell
    // a missing window from a refused message.
    auto post = [main](WPARAM command) {
        if (PostMessageW(main, WM_COMMAND, command, 0)) return 0;
        std::fwprintf(stderr, L"orvctl: posting command %u failed (error %lu)\n", static_cast<unsigned>(command),
                      GetLastError());
        return 1;
    };
    if (verb == L"exit") return post(1029);
    if (verb == L"command" && argc > 2) return post(LOWORD(_wtoi(argv[2])));
    if ((verb == L"notice" || verb == L"forged") && argc > 2) {
        // The request starts with the key of this build; Orv.exe of another build, or
        // any other sender, is refused.
        const std::wstring text = (verb == L"notice" ? std::wstring(L"" ORV_CONTROL_KEY) : std::wstring()) + argv[2];
        COPYDATASTRUCT data = {};
        data.dwData = 0x4F525650;  // 'ORVP'
        data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        data.lpData = const_cast<wchar_t*>(text.c_str());
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                                &result))
            return 0;
        std::fwprintf(stderr, L"orvctl: the notice request was not delivered (error %lu)\n", GetLastError());
        return 1;
    }
    std::fwprintf(stderr, L"orvctl: unknown request\n");
    return 2;
}
