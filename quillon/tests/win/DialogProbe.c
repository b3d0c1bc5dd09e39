/* dialog-probe: starts Quillon.exe (beside this program) without arguments, as a user would, and
 * checks its main dialog from outside: the title, the controls and their texts and first states,
 * the about box that system-menu command 16 opens, and that "Exit" ends the program. With a file
 * name, it also saves a picture of the dialog there (a BMP), which shows the caption's icon.
 * (Wine answers GetSystemMenu and WM_GETICON only inside the window's own process, so the menu
 * item and the icon are not looked up from here.)
 *
 *   dialog-probe [picture.bmp]
 *   dialog-probe --name ARGUMENTS NAME   batch mode that asks for the database name: answer NAME
 *   dialog-probe --cancel-name ARGUMENTS  the same request cancelled: Quillon.exe ends with 1
 *   dialog-probe --export-over PDB yes|no  button 1000 onto an existing CSV, the question answered
 *   dialog-probe --round-trip PDB CSV NAME   buttons 1000 then 1001 with the semicolon chosen
 *   dialog-probe --upgrade PDB               button 1006 (ferrand.exe and gostwick.exe in the
 *                                            current folder)
 *
 * Prints one line per fact, "ok ..." or "FAILED ...", and exits 1 when anything failed. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;

static void check(int passed, const char* what, const char* detail) {
    printf("%s %s%s%s\n", passed ? "ok" : "FAILED", what, detail[0] ? ": " : "", detail);
    fflush(stdout);
    failures += !passed;
}

static HWND waitForWindow(const char* title, DWORD milliseconds) {
    DWORD waited;
    for (waited = 0; waited < milliseconds; waited += 100) {
        HWND window = FindWindowA(NULL, title);
        if (window != NULL && IsWindowVisible(window)) {
            return window;
        }
        Sleep(100);
    }
    return NULL;
}

static int startQuillon(PROCESS_INFORMATION* process, const char* arguments) {
    char path[MAX_PATH];
    char commandLine[2 * MAX_PATH];
    STARTUPINFOA startup;
    char* lastSeparator;
    const DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || (lastSeparator = strrchr(path, '\\')) == NULL ||
        (size_t)(lastSeparator - path) + sizeof "\\Quillon.exe" > MAX_PATH) {
        return 0;
    }
    strcpy(lastSeparator, "\\Quillon.exe");
    snprintf(commandLine, sizeof commandLine, "\"%s\"%s", path, arguments);
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessA(path, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, process) !=
           0;
}

static void checkControl(HWND dialog, int id, const char* text) {
    char actual[128] = "";
    char what[160];
    HWND control = GetDlgItem(dialog, id);
    if (control != NULL) {
        GetWindowTextA(control, actual, sizeof actual);
    }
    snprintf(what, sizeof what, "control %d \"%s\"", id, text);
    check(control != NULL && strcmp(actual, text) == 0, what,
          control == NULL ? "missing" : (strcmp(actual, text) == 0 ? "" : actual));
}

/* The window's pixels as a 24-bit bottom-up BMP. */
static int savePicture(HWND window, const char* fileName) {
    RECT frame;
    HDC screen, memory;
    HBITMAP bitmap;
    BITMAPINFOHEADER info;
    BITMAPFILEHEADER header;
    int width, height, stride, ok = 0;
    unsigned char* pixels;
    FILE* out;
    GetWindowRect(window, &frame);
    width = frame.right - frame.left;
    height = frame.bottom - frame.top;
    stride = (width * 3 + 3) & ~3;
    screen = GetDC(NULL);
    memory = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, width, height);
    SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    memset(&info, 0, sizeof info);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    pixels = (unsigned char*)malloc((size_t)stride * (size_t)height);
    if (pixels != NULL &&
        GetDIBits(memory, bitmap, 0, (UINT)height, pixels, (BITMAPINFO*)&info, DIB_RGB_COLORS) ==
            height &&
        (out = fopen(fileName, "wb")) != NULL) {
        memset(&header, 0, sizeof header);
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof header + sizeof info;
        header.bfSize = header.bfOffBits + (DWORD)(stride * height);
        ok = fwrite(&header, sizeof header, 1, out) == 1 &&
             fwrite(&info, sizeof info, 1, out) == 1 &&
             fwrite(pixels, (size_t)stride * (size_t)height, 1, out) == 1;
        ok = fclose(out) == 0 && ok;
    }
    free(pixels);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

static int finishWith(PROCESS_INFORMATION* process, DWORD expectedCode, const char* what) {
    DWORD exitCode = STILL_ACTIVE;
    int ended = WaitForSingleObject(process->hProcess, 10000) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(process->hProcess, &exitCode);
    check(ended && exitCode == expectedCode, what, "");
    if (!ended) {
        TerminateProcess(process->hProcess, 1);
    }
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    return failures == 0 ? 0 : 1;
}

static int finish(PROCESS_INFORMATION* process, const char* what) {
    return finishWith(process, 0, what);
}

/* Batch mode 1 without a database name asks for one: the request is answered with `name`, or
 * cancelled when `name` is NULL (Quillon.exe then ends with exit code 1). */
static int answerNameRequest(const char* arguments, const char* name) {
    PROCESS_INFORMATION process;
    HWND request, edit;
    if (!startQuillon(&process, arguments)) {
        check(0, "Quillon.exe started", "");
        return 1;
    }
    request = waitForWindow("Dialog", 30000);
    check(request != NULL, "database-name request \"Dialog\" shown", "");
    if (request != NULL) {
        checkControl(request, IDOK, "OK");
        checkControl(request, IDCANCEL, "Cancel");
        edit = GetDlgItem(request, 1005);
        check(edit != NULL && SendMessageA(edit, EM_GETLIMITTEXT, 0, 0) == 30,
              "edit box 1005 takes at most 30 characters", "");
        SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)(name != NULL ? name : "Not Used"));
        /* IDCANCEL is also what the Escape key and the close box send. */
        PostMessageA(request, WM_COMMAND, name != NULL ? IDOK : IDCANCEL, 0);
    }
    if (name == NULL) {
        return finishWith(&process, 1, "cancelling ends Quillon.exe with exit code 1");
    }
    return finish(&process, "the conversion ends Quillon.exe with exit code 0");
}

/* Waits until the dialog's thread takes messages again, that is, until a handler has returned. */
static int waitUntilIdle(HWND window, UINT milliseconds) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &answer) != 0;
}

/* Answers the file-open dialog that `button` opens with `fileName`. */
static int chooseFile(HWND dialog, int button, const char* fileName) {
    HWND open, nameBox;
    PostMessageA(dialog, WM_COMMAND, (WPARAM)button, 0);
    open = waitForWindow("Open", 20000);
    if (open == NULL) {
        return 0;
    }
    /* The file-name box: a combo box (1148) in the Explorer-style dialog, an edit box (1152) in
     * the older one. */
    nameBox = GetDlgItem(open, 1148);
    if (nameBox == NULL) {
        nameBox = GetDlgItem(open, 1152);
    }
    if (nameBox == NULL) {
        return 0;
    }
    SendMessageA(nameBox, WM_SETTEXT, 0, (LPARAM)fileName);
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    return 1;
}

/* Waits for a message box of Quillon, prints what it says and closes it with the button `answer`
 * (IDOK, IDYES, IDNO); 0 when none came. */
static int answerMessageBox(DWORD milliseconds, WPARAM answer) {
    char text[512] = "";
    HWND box = NULL;
    HWND label;
    DWORD waited;
    for (waited = 0; box == NULL && waited < milliseconds; waited += 100) {
        box = FindWindowA("#32770", "Quillon");
        if (box == NULL) {
            Sleep(100);
        }
    }
    if (box == NULL) {
        return 0;
    }
    label = GetDlgItem(box, 0xFFFF);
    if (label != NULL) {
        GetWindowTextA(label, text, sizeof text);
    }
    printf("message box: %s\n", text);
    PostMessageA(box, WM_COMMAND, answer, 0);
    while (IsWindow(box) && waited < milliseconds + 5000) {
        Sleep(100);
        waited += 100;
    }
    return 1;
}

static int awaitMessageBox(DWORD milliseconds) {
    return answerMessageBox(milliseconds, IDOK);
}

/* Button 1000 onto a CSV that exists: the question comes first and is answered `yes` or not; No
 * runs no conversion, Yes converts. */
static int exportOverExistingFiles(const char* databaseFile, int yes) {
    PROCESS_INFORMATION process;
    HWND dialog;
    if (!startQuillon(&process, "")) {
        check(0, "Quillon.exe started", "");
        return 1;
    }
    dialog = waitForWindow("Tavlo Pro Converter 1.0e", 30000);
    check(dialog != NULL, "main dialog shown", "");
    if (dialog != NULL) {
        check(chooseFile(dialog, 1000, databaseFile), "button 1000 offers the file-open dialog",
              databaseFile);
        check(answerMessageBox(30000, yes ? IDYES : IDNO), "the question before replacing comes",
              yes ? "answered Yes" : "answered No");
        if (yes) {
            check(awaitMessageBox(30000), "the conversion to CSV reports its outcome", "");
        } else {
            check(!awaitMessageBox(3000), "No runs no conversion", "");
        }
        waitUntilIdle(dialog, 10000);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return finish(&process, "\"Exit\" ends Quillon.exe with exit code 0");
}

/* Database to CSV and back with the semicolon chosen, through the buttons and the file-open
 * dialog, answering the database-name request with `name`. */
static int roundTrip(const char* databaseFile, const char* csvFile, const char* name) {
    PROCESS_INFORMATION process;
    HWND dialog, request;
    if (!startQuillon(&process, "")) {
        check(0, "Quillon.exe started", "");
        return 1;
    }
    dialog = waitForWindow("Tavlo Pro Converter 1.0e", 30000);
    check(dialog != NULL, "main dialog shown", "");
    if (dialog != NULL) {
        SendMessageA(GetDlgItem(dialog, 1004), BM_CLICK, 0, 0);
        check(chooseFile(dialog, 1000, databaseFile), "button 1000 offers the file-open dialog",
              databaseFile);
        check(awaitMessageBox(30000), "the conversion to CSV reports its outcome", "");
        check(chooseFile(dialog, 1001, csvFile), "button 1001 offers the file-open dialog",
              csvFile);
        request = waitForWindow("Dialog", 20000);
        check(request != NULL, "the database name is asked for", "");
        if (request != NULL) {
            SendMessageA(GetDlgItem(request, 1005), WM_SETTEXT, 0, (LPARAM)name);
            PostMessageA(request, WM_COMMAND, IDOK, 0);
        }
        check(awaitMessageBox(30000), "the conversion to the database reports its outcome", "");
        waitUntilIdle(dialog, 10000);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return finish(&process, "\"Exit\" ends Quillon.exe with exit code 0");
}

/* Button 1006 with `databaseFile` chosen: the upgrade's closing message is printed. */
static int upgradeThroughButton(const char* databaseFile) {
    PROCESS_INFORMATION process;
    HWND dialog;
    if (!startQuillon(&process, "")) {
        check(0, "Quillon.exe started", "");
        return 1;
    }
    dialog = waitForWindow("Tavlo Pro Converter 1.0e", 30000);
    check(dialog != NULL, "main dialog shown", "");
    if (dialog != NULL) {
        check(chooseFile(dialog, 1006, databaseFile), "button 1006 offers the file-open dialog",
              databaseFile);
        check(awaitMessageBox(60000), "the upgrade reports its outcome", "");
        waitUntilIdle(dialog, 10000);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return finish(&process, "\"Exit\" ends Quillon.exe with exit code 0");
}

int main(int argc, char** argv) {
    PROCESS_INFORMATION process;
    HWND dialog, about;
    if (argc == 4 && strcmp(argv[1], "--name") == 0) {
        return answerNameRequest(argv[2], argv[3]);
    }
    if (argc == 3 && strcmp(argv[1], "--cancel-name") == 0) {
        return answerNameRequest(argv[2], NULL);
    }
    if (argc == 4 && strcmp(argv[1], "--export-over") == 0) {
        return exportOverExistingFiles(argv[2], strcmp(argv[3], "yes") == 0);
    }
    if (argc == 3 && strcmp(argv[1], "--upgrade") == 0) {
        return upgradeThroughButton(argv[2]);
    }
    if (argc == 5 && strcmp(argv[1], "--round-trip") == 0) {
        return roundTrip(argv[2], argv[3], argv[4]);
    }
    if (!startQuillon(&process, "")) {
        check(0, "Quillon.exe started", "");
        return 1;
    }
    dialog = waitForWindow("Tavlo Pro Converter 1.0e", 30000);
    check(dialog != NULL, "main dialog \"Tavlo Pro Converter 1.0e\" shown", "");
    if (dialog != NULL) {
        checkControl(dialog, 1000, "Convert Tavlo Pro .PDB to .CSV");
        checkControl(dialog, 1001, "Convert Tavlo Pro .CSV to .PDB");
        checkControl(dialog, 1002, "Use/Create Info file");
        checkControl(dialog, 1003, "Comma");
        checkControl(dialog, 1004, "Semicolon");
        checkControl(dialog, 1006, "Convert Tavlo .pdb file to Tavlo Pro .pdb file");
        checkControl(dialog, IDOK, "Exit");
        check(SendMessageA(GetDlgItem(dialog, 1002), BM_GETCHECK, 0, 0) == BST_CHECKED &&
                  SendMessageA(GetDlgItem(dialog, 1003), BM_GETCHECK, 0, 0) == BST_CHECKED,
              "information file ticked and comma chosen at the start", "");
        if (argc > 1) {
            Sleep(500); /* let the dialog finish painting */
            check(savePicture(dialog, argv[1]), "picture of the dialog saved", argv[1]);
        }
        PostMessageA(dialog, WM_SYSCOMMAND, 16, 0);
        about = waitForWindow("About Quillon", 10000);
        check(about != NULL, "system-menu command 16 opens \"About Quillon\"", "");
        if (about != NULL) {
            checkControl(about, IDOK, "OK");
            PostMessageA(about, WM_COMMAND, IDOK, 0);
            Sleep(500);
        }
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    return finish(&process, "\"Exit\" ends Quillon.exe with exit code 0");
}
