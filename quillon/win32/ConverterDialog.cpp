#include "win32/ConverterDialog.h"

#include <array>

#include "convert/CsvToPdb.h"
#include "convert/PdbToCsv.h"
#include "ui/DialogActions.h"
#include "win32/Resources.h"

namespace quillon {

namespace {

// The conversions run on the dialog's thread; the wait cursor shows that it is busy.
class WaitCursor {
  public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR previous_;
};

HICON loadProgramIcon(int size) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void Win32ConverterDialog::run() {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, &dialogProc,
                    reinterpret_cast<LPARAM>(this));
    ui_.setOwner(nullptr);
    if (largeIcon_ != nullptr) {
        DestroyIcon(largeIcon_);
    }
    if (smallIcon_ != nullptr) {
        DestroyIcon(smallIcon_);
    }
}

INT_PTR CALLBACK Win32ConverterDialog::dialogProc(HWND dialog, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<Win32ConverterDialog*>(lParam)->window_ = dialog;
    }
    auto* self = reinterpret_cast<Win32ConverterDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    return self == nullptr ? FALSE : self->handle(message, wParam, lParam);
}

INT_PTR Win32ConverterDialog::handle(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
        case WM_INITDIALOG:
            initialise();
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_CONVERT_PDB_TO_CSV:
                    convertPdbToCsv();
                    return TRUE;
                case IDC_CONVERT_CSV_TO_PDB:
                    convertCsvToPdb();
                    return TRUE;
                case IDC_UPGRADE:
                    upgradeLegacyDatabase();
                    return TRUE;
                case IDOK:
                case IDCANCEL:  // the Escape key and the close box
                    EndDialog(window_, LOWORD(wParam));
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
                DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), window_,
                                &aboutProc, 0);
                return TRUE;
            }
            return FALSE;
        case WM_PAINT:
            if (IsIconic(window_) != 0) {
                paintMinimized();
                return TRUE;
            }
            return FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(largeIcon_);
        default:
            return FALSE;
    }
}

void Win32ConverterDialog::initialise() {
    ui_.setOwner(window_);
    // Command 16 is below the system's own commands (0xF000 and up), as the menu requires.
    const HMENU systemMenu = GetSystemMenu(window_, FALSE);
    std::array<char, 64> aboutText{};
    if (systemMenu != nullptr &&
        LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, aboutText.data(),
                    static_cast<int>(aboutText.size())) > 0) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText.data());
    }
    largeIcon_ = loadProgramIcon(GetSystemMetrics(SM_CXICON));
    smallIcon_ = loadProgramIcon(GetSystemMetrics(SM_CXSMICON));
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    CheckRadioButton(window_, IDC_COMMA, IDC_SEMICOLON, IDC_COMMA);
    CheckDlgButton(window_, IDC_USE_INFO_FILE, job_.useInfoFile ? BST_CHECKED : BST_UNCHECKED);
}

void Win32ConverterDialog::readControls() {
    job_.useInfoFile = IsDlgButtonChecked(window_, IDC_USE_INFO_FILE) == BST_CHECKED;
    job_.delimiter = IsDlgButtonChecked(window_, IDC_COMMA) == BST_CHECKED ? ',' : ';';
}

void Win32ConverterDialog::convertPdbToCsv() {
    readControls();
    if (!PrepareDatabaseToCsv(job_, ui_)) {
        return;
    }
    const WaitCursor busy;
    static_cast<void>(ConvertPdbToCsv(job_, ui_));
}

void Win32ConverterDialog::convertCsvToPdb() {
    readControls();
    if (!PrepareCsvToDatabase(job_, ui_)) {
        return;
    }
    const WaitCursor busy;
    static_cast<void>(ConvertCsvToPdb(job_, ui_));
}

void Win32ConverterDialog::upgradeLegacyDatabase() {
    const WaitCursor busy;
    upgrade_.run(job_, ui_);
}

void Win32ConverterDialog::paintMinimized() {
    PAINTSTRUCT paint{};
    const HDC context = BeginPaint(window_, &paint);
    SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    RECT client{};
    GetClientRect(window_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(context, x, y, largeIcon_);
    EndPaint(window_, &paint);
}

}  // namespace quillon
