#include "win32/Win32UserInterface.h"

#include <commdlg.h>

#include <array>

#include "win32/Resources.h"

namespace quillon {

namespace {

// The longest database name a Tavlo database holds.
constexpr int kDatabaseNameLimit = 30;

struct NameRequest {
    std::string name;
};

INT_PTR CALLBACK databaseNameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            SendDlgItemMessageA(dialog, IDC_DATABASE_NAME, EM_LIMITTEXT, kDatabaseNameLimit, 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                std::array<char, kDatabaseNameLimit + 1> text{};
                GetDlgItemTextA(dialog, IDC_DATABASE_NAME, text.data(),
                                static_cast<int>(text.size()));
                reinterpret_cast<NameRequest*>(GetWindowLongPtrA(dialog, DWLP_USER))->name =
                    text.data();
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

std::string programTitle() {
    std::array<char, MAX_PATH> path{};
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
    std::string name(path.data(), length < MAX_PATH ? length : 0);
    const std::size_t separator = name.find_last_of("\\/:");
    if (separator != std::string::npos) {
        name.erase(0, separator + 1);
    }
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name.empty() ? std::string("Quillon") : name;
}

std::string openFileFilter(std::string_view filter) {
    std::string converted(filter);
    for (char& character : converted) {
        if (character == '|') {
            character = '\0';
        }
    }
    converted.push_back('\0');
    return converted;
}

void Win32UserInterface::showMessage(std::string_view text) {
    const std::string message(text);
    const std::string title = programTitle();
    MessageBoxA(owner_, message.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::optional<std::string> Win32UserInterface::askDatabaseName() {
    NameRequest request;
    if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DATABASE_NAME), owner_,
                        &databaseNameProc, reinterpret_cast<LPARAM>(&request)) != IDOK) {
        return std::nullopt;
    }
    return request.name;
}

bool Win32UserInterface::confirm(std::string_view question) {
    const std::string text(question);
    const std::string title = programTitle();
    return MessageBoxA(owner_, text.c_str(), title.c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

std::optional<std::string> Win32UserInterface::chooseFileToOpen(std::string_view filter) {
    const std::string filterText = openFileFilter(filter);
    std::array<char, MAX_PATH> path{};
    OPENFILENAMEA choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner_;
    choice.lpstrFilter = filterText.c_str();
    choice.nFilterIndex = 1;
    choice.lpstrFile = path.data();
    choice.nMaxFile = MAX_PATH;
    choice.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameA(&choice) == 0) {
        return std::nullopt;
    }
    return std::string(path.data());
}

}  // namespace quillon
