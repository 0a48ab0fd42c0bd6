// uidriver: drives another program's windows for the GUI tests and the demo. It reads one
// command per line on standard input (UTF-8, fields separated by tabs) and answers each with
// one line "ok<TAB>fields..." or "fail<TAB>reason"; `watch` first prints "progress" lines.
// Texts in answers are UTF-8 with backslash, tab, CR and LF written as \\, \t, \r and \n.
//
//   launch PROGRAM [NAME=VALUE...]     start PROGRAM (a Windows path) with these variables
//                                      added to the environment; it becomes the launched
//                                      process the other commands mean  -> ok PID
//   launch-hidden PROGRAM [NAME=VALUE...]
//                                      launch, in a window station of the driver's own that
//                                      is not visible (as a service's or a deployment agent's
//                                      child is): nothing it shows can be seen or answered
//   use PID                            make an earlier launched process the current one again
//   window CAPTION TIMEOUT_MS [+ID|-ID...]
//                                      a visible top-level window of the launched process
//                                      (of any process if none) with exactly this title,
//                                      having control +ID and lacking -ID  -> ok HWND
//   gone HWND TIMEOUT_MS               wait until the window no longer exists
//   text HWND [ID]                     title of a window, or text of its control ID
//   bar HWND ID                        a progress bar                  -> ok POS LOW HIGH
//   name HWND ID                       a control's accessible name through oleacc, or its
//                                      window text where oleacc serves no object
//                                                                      -> ok NAME oleacc|text
//   rect HWND ID [N]                   the N+1st control ID (default the first): its place
//                                      and size in the dialog's client area, and that area's
//                                      size                            -> ok X Y W H CW CH
//   bitmap ID                          the size of bitmap resource ID of the program
//                                      launched last                   -> ok W H
//   box HWND                           a message box                   -> ok TEXT ICON BUTTONS
//                                      ICON: question|exclamation|information|error|none|
//                                      unknown; BUTTONS: id=text,... of the visible buttons
//   click HWND ID                      press a button (BM_CLICK)
//   key HWND KEY                       type KEY at the window: enter, escape, alt+f4,
//                                      alt+space, up, down or a letter -> ok input|posted
//   post HWND MESSAGE WPARAM LPARAM    PostMessage (numbers: decimal or 0x hex)
//   watch HWND TIMEOUT_MS              until the window shows a message box of its own or
//                                      vanishes, print "progress STEP FILE LABEL" whenever
//                                      bars 1000/1001 or label 1002 change -> ok BOXHWND|gone
//   foreground                         the foreground window           -> ok HWND TITLE
//   regset KEY NAME DATA               HKLM\KEY value NAME := DATA (REG_SZ), key created
//   regdel KEY                         delete HKLM\KEY with everything under it
//   exit TIMEOUT_MS                    wait for the launched process   -> ok EXITCODE
//   kill                               end the launched process
//   quit
// Takes no screenshots: the tests take them with ImageMagick. The driver declares itself
// DPI-aware, so that it reads the windows of an aware program in their own pixels.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <utility>
#include <vector>

namespace {

HANDLE g_process = nullptr;
DWORD g_processId = 0;
// Every process launched before the current one, kept open for `use`.
std::vector<std::pair<DWORD, HANDLE>> g_earlier;
std::wstring g_program; // the program launched last

std::wstring Widen(const std::string& text) {
    if (text.empty())
        return std::wstring();
    int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                        nullptr, nullptr);
    return text;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void Reply(const std::string& line) {
    fputs(line.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

void Ok(const std::string& fields = std::string()) {
    Reply(fields.empty() ? "ok" : "ok\t" + fields);
}

void Fail(const std::string& reason) {
    Reply("fail\t" + reason);
}

std::string Hex(const void* handle) {
    char text[32];
    snprintf(text, sizeof text, "0x%llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    return text;
}

long long Number(const std::string& text) {
    return strtoll(text.c_str(), nullptr, 0);
}

HWND Window(const std::string& text) {
    return reinterpret_cast<HWND>(Number(text));
}

std::string WindowText(HWND hwnd) {
    wchar_t buffer[4096];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, sizeof buffer / sizeof buffer[0],
                             reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    buffer[sizeof buffer / sizeof buffer[0] - 1] = L'\0';
    return Narrow(buffer);
}

std::string ClassName(HWND hwnd) {
    wchar_t name[256] = L"";
    GetClassNameW(hwnd, name, 256);
    return Narrow(name);
}

struct FindRequest {
    std::wstring caption;
    std::vector<int> with;
    std::vector<int> without;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    FindRequest* request = reinterpret_cast<FindRequest*>(param);
    if (!IsWindowVisible(hwnd))
        return TRUE;
    if (g_processId) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != g_processId)
            return TRUE;
    }
    wchar_t title[1024] = L"";
    GetWindowTextW(hwnd, title, 1024);
    if (request->caption != title)
        return TRUE;
    for (int id : request->with)
        if (!GetDlgItem(hwnd, id))
            return TRUE;
    for (int id : request->without)
        if (GetDlgItem(hwnd, id))
            return TRUE;
    request->found = hwnd;
    return FALSE;
}

// Polls until `ready` holds or the time is up.
template <typename Predicate> bool WaitFor(DWORD timeoutMs, Predicate ready) {
    DWORD start = GetTickCount();
    for (;;) {
        if (ready())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

// "station\\Default" of a window station made once, without WSF_VISIBLE; empty on failure.
std::wstring HiddenDesktop() {
    static std::wstring desktop;
    if (!desktop.empty())
        return desktop;
    HWINSTA visible = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationW(L"VarnockHidden", 0, WINSTA_ALL_ACCESS, nullptr);
    if (!station || !SetProcessWindowStation(station))
        return desktop;
    HDESK made = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(visible);
    if (made)
        desktop = L"VarnockHidden\\Default";
    return desktop;
}

void CommandLaunch(const std::vector<std::string>& args, bool hidden) {
    if (args.size() < 2)
        return Fail("usage: launch PROGRAM [NAME=VALUE...]");
    std::wstring desktop = hidden ? HiddenDesktop() : std::wstring();
    if (hidden && desktop.empty())
        return Fail("no hidden window station: error " + std::to_string(GetLastError()));
    if (g_process) {
        g_earlier.push_back(std::make_pair(g_processId, g_process));
        g_process = nullptr;
        g_processId = 0;
    }
    for (size_t i = 2; i < args.size(); ++i) {
        std::wstring assignment = Widen(args[i]);
        size_t equals = assignment.find(L'=');
        if (equals == std::wstring::npos)
            return Fail("not NAME=VALUE: " + args[i]);
        SetEnvironmentVariableW(assignment.substr(0, equals).c_str(),
                                assignment.substr(equals + 1).c_str());
    }
    std::wstring program = Widen(args[1]);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (hidden)
        startup.lpDesktop = &desktop[0];
    PROCESS_INFORMATION info;
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return Fail("CreateProcess error " + std::to_string(GetLastError()));
    CloseHandle(info.hThread);
    g_program = program;
    g_process = info.hProcess;
    g_processId = info.dwProcessId;
    Ok(std::to_string(info.dwProcessId));
}

void CommandUse(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return Fail("usage: use PID");
    DWORD id = static_cast<DWORD>(Number(args[1]));
    for (auto& earlier : g_earlier) {
        if (earlier.first != id)
            continue;
        std::swap(earlier.first, g_processId);
        std::swap(earlier.second, g_process);
        return Ok();
    }
    Fail("not launched: " + args[1]);
}

void CommandWindow(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return Fail("usage: window CAPTION TIMEOUT_MS [+ID|-ID...]");
    FindRequest request;
    request.caption = Widen(args[1]);
    request.found = nullptr;
    for (size_t i = 3; i < args.size(); ++i) {
        int id = static_cast<int>(Number(args[i].substr(1)));
        (args[i][0] == '-' ? request.without : request.with).push_back(id);
    }
    bool found = WaitFor(static_cast<DWORD>(Number(args[2])), [&] {
        request.found = nullptr;
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
        return request.found != nullptr;
    });
    if (!found)
        return Fail("no window \"" + args[1] + "\"");
    Ok(Hex(request.found));
}

void CommandGone(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return Fail("usage: gone HWND TIMEOUT_MS");
    HWND hwnd = Window(args[1]);
    if (!WaitFor(static_cast<DWORD>(Number(args[2])), [&] { return !IsWindow(hwnd); }))
        return Fail("still there");
    Ok();
}

void CommandText(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return Fail("usage: text HWND [ID]");
    HWND hwnd = Window(args[1]);
    if (args.size() > 2)
        hwnd = GetDlgItem(hwnd, static_cast<int>(Number(args[2])));
    if (!hwnd || !IsWindow(hwnd))
        return Fail("no such window");
    Ok(Escape(WindowText(hwnd)));
}

// A hidden copy of dialog template `id` of the program launched last, made in this process: its
// controls have the fonts that the dialog manager made for the program's own dialog (a font
// handle of another process cannot be used here). Destroyed with the object.
class DialogCopy {
public:
    explicit DialogCopy(WORD id) {
        m_module = LoadLibraryExW(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC info =
            m_module ? FindResourceW(m_module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)) : nullptr;
        HGLOBAL loaded = info ? LoadResource(m_module, info) : nullptr;
        const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
        DWORD size = info ? SizeofResource(m_module, info) : 0;
        if (!data || size < 16)
            return;
        std::vector<BYTE> copy(data, data + size);
        // The style is at offset 12 of a DLGTEMPLATEEX (it starts 1, 0xFFFF), else at 0.
        size_t style = copy[0] == 1 && copy[2] == 0xFF && copy[3] == 0xFF ? 12 : 0;
        copy[style + 3] &= ~(WS_VISIBLE >> 24);
        m_dialog = CreateDialogIndirectParamW(
            m_module, reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    }
    ~DialogCopy() {
        if (m_dialog)
            DestroyWindow(m_dialog);
        if (m_module)
            FreeLibrary(m_module);
    }
    HWND Get() const { return m_dialog; }

private:
    DialogCopy(const DialogCopy&) = delete;
    DialogCopy& operator=(const DialogCopy&) = delete;
    HMODULE m_module = nullptr;
    HWND m_dialog = nullptr;
};

// The `skip`+1st child of `parent` (in template order) with control identifier `id`: several
// statics share the identifier -1.
HWND NthChild(HWND parent, int id, long long skip) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id && skip-- == 0)
            return child;
    }
    return nullptr;
}

// fit HWND TEMPLATE ID [N]: for the N+1st control ID (default the first) of dialog HWND, made
// from dialog template TEMPLATE of the program launched last, the width in pixels of the
// control's current text drawn in the control's font, the width of its client area and the
// font's face name.
void CommandFit(const std::vector<std::string>& args) {
    if (args.size() < 4)
        return Fail("usage: fit HWND TEMPLATE ID [N]");
    int id = static_cast<int>(Number(args[3]));
    long long skip = args.size() > 4 ? Number(args[4]) : 0;
    HWND control = NthChild(Window(args[1]), id, skip);
    if (!control)
        return Fail("no such control");
    DialogCopy dialog(static_cast<WORD>(Number(args[2])));
    HWND twin = dialog.Get() ? NthChild(dialog.Get(), id, skip) : nullptr;
    HFONT font = twin ? reinterpret_cast<HFONT>(SendMessageW(twin, WM_GETFONT, 0, 0)) : nullptr;
    if (!font)
        return Fail("the dialog template or its font cannot be made here");
    HDC dc = GetDC(twin);
    HGDIOBJ previous = SelectObject(dc, font);
    std::wstring text = Widen(WindowText(control));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, previous);
    ReleaseDC(twin, dc);
    RECT client = {};
    GetClientRect(control, &client);
    Ok(std::to_string(extent.cx) + "\t" + std::to_string(client.right - client.left) + "\t" +
       Narrow(face));
}

bool ReadBar(HWND bar, long long* pos, long long* low, long long* high) {
    DWORD_PTR value = 0;
    if (!bar || !SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &value))
        return false;
    *pos = static_cast<int>(value);
    SendMessageTimeoutW(bar, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &value);
    *low = static_cast<int>(value);
    SendMessageTimeoutW(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &value);
    *high = static_cast<int>(value);
    return true;
}

void CommandBar(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return Fail("usage: bar HWND ID");
    long long pos, low, high;
    if (!ReadBar(GetDlgItem(Window(args[1]), static_cast<int>(Number(args[2]))), &pos, &low, &high))
        return Fail("no progress bar");
    Ok(std::to_string(pos) + "\t" + std::to_string(low) + "\t" + std::to_string(high));
}

// The accessible name oleacc serves for `control`'s client object; false when it serves none.
bool AccessibleName(HWND control, std::string* name) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))) ||
        !object)
        return false;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    HRESULT result = object->get_accName(self, &text);
    object->Release();
    bool found = result == S_OK && text;
    if (found)
        *name = Narrow(text);
    SysFreeString(text);
    return found;
}

void CommandName(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return Fail("usage: name HWND ID");
    HWND control = GetDlgItem(Window(args[1]), static_cast<int>(Number(args[2])));
    if (!control)
        return Fail("no such control");
    std::string name;
    if (AccessibleName(control, &name))
        return Ok(Escape(name) + "\toleacc");
    Ok(Escape(WindowText(control)) + "\ttext");
}

void CommandRect(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return Fail("usage: rect HWND ID [N]");
    HWND dialog = Window(args[1]);
    HWND control =
        NthChild(dialog, static_cast<int>(Number(args[2])), args.size() > 3 ? Number(args[3]) : 0);
    RECT place, client;
    if (!control || !GetWindowRect(control, &place) || !GetClientRect(dialog, &client))
        return Fail("no such control");
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    Ok(std::to_string(place.left) + "\t" + std::to_string(place.top) + "\t" +
       std::to_string(place.right - place.left) + "\t" + std::to_string(place.bottom - place.top) +
       "\t" + std::to_string(client.right) + "\t" + std::to_string(client.bottom));
}

void CommandBitmap(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return Fail("usage: bitmap ID");
    HMODULE module = LoadLibraryExW(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HANDLE image = module ? LoadImageW(module, MAKEINTRESOURCEW(Number(args[1])), IMAGE_BITMAP, 0,
                                       0, LR_DEFAULTCOLOR)
                          : nullptr;
    BITMAP size = {};
    bool read = image && GetObjectW(image, sizeof size, &size);
    if (image)
        DeleteObject(image);
    if (module)
        FreeLibrary(module);
    if (!read)
        return Fail("no such bitmap");
    Ok(std::to_string(size.bmWidth) + "\t" + std::to_string(size.bmHeight));
}

// Which standard icon a message box shows: its icon control's pixels on screen against each
// standard icon drawn here on the same background. The icons are the system's own, the same
// in every process of the prefix.
std::string IdentifyIcon(HWND iconControl) {
    RECT rect;
    if (!GetWindowRect(iconControl, &rect))
        return "none";
    int size = GetSystemMetrics(SM_CXICON);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, size, size, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> seen(static_cast<const DWORD*>(bits),
                            static_cast<const DWORD*>(bits) + size * size);
    DWORD background = seen[0];

    struct Candidate {
        WORD id; // IDI_QUESTION and so on
        const char* name;
    };
    const Candidate candidates[] = {
        {32514, "question"}, {32515, "exclamation"}, {32516, "information"}, {32513, "error"}};
    std::string best = "unknown";
    int bestMatches = 0;
    int blank = 0;
    for (DWORD pixel : seen)
        blank += (pixel & 0xFFFFFF) == (background & 0xFFFFFF);
    for (const Candidate& candidate : candidates) {
        HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(candidate.id));
        HBRUSH brush = CreateSolidBrush(
            RGB(GetBValue(background), GetGValue(background), GetRValue(background)));
        RECT all = {0, 0, size, size};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        const DWORD* drawn = static_cast<const DWORD*>(bits);
        int matches = 0;
        for (int i = 0; i < size * size; ++i)
            matches += (drawn[i] & 0xFFFFFF) == (seen[i] & 0xFFFFFF);
        if (matches > bestMatches) {
            bestMatches = matches;
            best = candidate.name;
        }
    }
    SelectObject(memory, old);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (blank == size * size)
        return "none";
    return bestMatches * 10 >= size * size * 9 ? best : "unknown";
}

struct BoxParts {
    HWND icon;
    HWND text;
    std::string buttons;
};

BOOL CALLBACK CollectBoxPart(HWND child, LPARAM param) {
    BoxParts* parts = reinterpret_cast<BoxParts*>(param);
    std::string cls = ClassName(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_stricmp(cls.c_str(), "Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON)
            parts->icon = child;
        else if (!parts->text && !WindowText(child).empty())
            parts->text = child;
    } else if (_stricmp(cls.c_str(), "Button") == 0 && IsWindowVisible(child)) {
        if (!parts->buttons.empty())
            parts->buttons += ",";
        parts->buttons += std::to_string(GetDlgCtrlID(child)) + "=" + WindowText(child);
    }
    return TRUE;
}

void CommandBox(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return Fail("usage: box HWND");
    HWND box = Window(args[1]);
    if (!IsWindow(box))
        return Fail("no such window");
    BoxParts parts = {nullptr, nullptr, std::string()};
    EnumChildWindows(box, CollectBoxPart, reinterpret_cast<LPARAM>(&parts));
    std::string icon = "none";
    if (parts.icon) {
        // Give the box time to paint itself.
        WaitFor(2000, [&] {
            icon = IdentifyIcon(parts.icon);
            return icon != "unknown" && icon != "none";
        });
    }
    Ok(Escape(parts.text ? WindowText(parts.text) : std::string()) + "\t" + icon + "\t" +
       Escape(parts.buttons));
}

void CommandClick(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return Fail("usage: click HWND ID");
    HWND button = GetDlgItem(Window(args[1]), static_cast<int>(Number(args[2])));
    if (!button)
        return Fail("no such button");
    PostMessageW(button, BM_CLICK, 0, 0);
    Ok();
}

bool SendKeys(const std::vector<WORD>& down) {
    std::vector<INPUT> inputs;
    for (WORD key : down) {
        INPUT input;
        ZeroMemory(&input, sizeof input);
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (size_t i = down.size(); i-- > 0;) {
        INPUT input;
        ZeroMemory(&input, sizeof input);
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = down[i];
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

void CommandKey(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return Fail("usage: key HWND KEY");
    HWND hwnd = Window(args[1]);
    const std::string& name = args[2];
    std::vector<WORD> keys;
    if (name == "enter")
        keys = {VK_RETURN};
    else if (name == "escape")
        keys = {VK_ESCAPE};
    else if (name == "alt+f4")
        keys = {VK_MENU, VK_F4};
    else if (name == "alt+space")
        keys = {VK_MENU, VK_SPACE};
    else if (name == "up")
        keys = {VK_UP};
    else if (name == "down")
        keys = {VK_DOWN};
    else if (name.size() == 1 && isalnum(static_cast<unsigned char>(name[0])))
        keys = {static_cast<WORD>(toupper(static_cast<unsigned char>(name[0])))};
    else
        return Fail("unknown key " + name);

    // Real keyboard input, to the window made the foreground one.
    SetForegroundWindow(hwnd);
    bool foreground = WaitFor(1000, [&] {
        HWND active = GetForegroundWindow();
        return active == hwnd || GetAncestor(active, GA_ROOTOWNER) == hwnd;
    });
    if (foreground && SendKeys(keys)) {
        Sleep(100);
        return Ok("input");
    }
    // Otherwise the messages the keys would produce, posted.
    bool alt = keys.size() > 1;
    WORD key = keys.back();
    UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    LPARAM lParam = 1 | (static_cast<LPARAM>(scan) << 16) | (alt ? (1 << 29) : 0);
    PostMessageW(hwnd, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, lParam);
    PostMessageW(hwnd, alt ? WM_SYSKEYUP : WM_KEYUP, key, lParam | (static_cast<LPARAM>(3) << 30));
    Sleep(100);
    Ok("posted");
}

void CommandPost(const std::vector<std::string>& args) {
    if (args.size() < 5)
        return Fail("usage: post HWND MESSAGE WPARAM LPARAM");
    if (!PostMessageW(Window(args[1]), static_cast<UINT>(Number(args[2])),
                      static_cast<WPARAM>(Number(args[3])), static_cast<LPARAM>(Number(args[4]))))
        return Fail("PostMessage error " + std::to_string(GetLastError()));
    Ok();
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND hwnd, LPARAM param) {
    OwnedSearch* search = reinterpret_cast<OwnedSearch*>(param);
    if (IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == search->owner &&
        ClassName(hwnd) == "#32770" && !GetDlgItem(hwnd, 1000)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CommandWatch(const std::vector<std::string>& args) {
    if (args.size() < 3)
        return Fail("usage: watch HWND TIMEOUT_MS");
    HWND dialog = Window(args[1]);
    std::string last;
    std::string result;
    bool ended = WaitFor(static_cast<DWORD>(Number(args[2])), [&] {
        if (!IsWindow(dialog)) {
            result = "gone";
            return true;
        }
        // Look for the final message box first: once it is there the bars hold their last
        // positions, and the sample below reports them.
        OwnedSearch search = {dialog, nullptr};
        EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&search));
        bool boxShown = search.found && !WindowText(search.found).empty() &&
                        _stricmp(ClassName(search.found).c_str(), "#32770") == 0 &&
                        WindowText(search.found) == WindowText(dialog); // not the About box
        long long step = -1, file = -1, low, high;
        ReadBar(GetDlgItem(dialog, 1000), &step, &low, &high);
        ReadBar(GetDlgItem(dialog, 1001), &file, &low, &high);
        HWND label = GetDlgItem(dialog, 1002);
        std::string line = "progress\t" + std::to_string(step) + "\t" + std::to_string(file) +
                           "\t" + Escape(label ? WindowText(label) : std::string());
        if (line != last) {
            Reply(line);
            last = line;
        }
        if (boxShown) {
            result = Hex(search.found);
            return true;
        }
        return false;
    });
    if (!ended)
        return Fail("timeout");
    Ok(result);
}

void CommandForeground() {
    HWND hwnd = GetForegroundWindow();
    Ok(Hex(hwnd) + "\t" + Escape(hwnd ? WindowText(hwnd) : std::string()));
}

void CommandRegSet(const std::vector<std::string>& args) {
    if (args.size() < 4)
        return Fail("usage: regset KEY NAME DATA");
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, Widen(args[1]).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return Fail("RegCreateKeyEx error " + std::to_string(status));
    std::wstring data = Widen(args[3]);
    status = RegSetValueExW(key, Widen(args[2]).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return Fail("RegSetValueEx error " + std::to_string(status));
    Ok();
}

void CommandRegDel(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return Fail("usage: regdel KEY");
    LONG status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, Widen(args[1]).c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, Widen(args[1]).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return Fail("RegDeleteTree error " + std::to_string(status));
    Ok();
}

void CommandExit(const std::vector<std::string>& args) {
    if (!g_process)
        return Fail("nothing launched");
    DWORD timeout = args.size() > 1 ? static_cast<DWORD>(Number(args[1])) : INFINITE;
    if (WaitForSingleObject(g_process, timeout) != WAIT_OBJECT_0)
        return Fail("still running");
    DWORD code = 0;
    GetExitCodeProcess(g_process, &code);
    Ok(std::to_string(code));
}

void CommandKill() {
    if (!g_process)
        return Fail("nothing launched");
    TerminateProcess(g_process, 999);
    WaitForSingleObject(g_process, 5000);
    Ok();
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    return fields;
}

} // namespace

int main() {
    SetProcessDPIAware();
    CoInitialize(nullptr);
    std::string line;
    int c;
    for (;;) {
        line.clear();
        while ((c = fgetc(stdin)) != EOF && c != '\n')
            if (c != '\r')
                line += static_cast<char>(c);
        if (line.empty() && c == EOF)
            break;
        std::vector<std::string> args = Split(line);
        const std::string& command = args[0];
        if (command == "launch" || command == "launch-hidden")
            CommandLaunch(args, command == "launch-hidden");
        else if (command == "use")
            CommandUse(args);
        else if (command == "window")
            CommandWindow(args);
        else if (command == "gone")
            CommandGone(args);
        else if (command == "text")
            CommandText(args);
        else if (command == "bar")
            CommandBar(args);
        else if (command == "fit")
            CommandFit(args);
        else if (command == "name")
            CommandName(args);
        else if (command == "rect")
            CommandRect(args);
        else if (command == "bitmap")
            CommandBitmap(args);
        else if (command == "box")
            CommandBox(args);
        else if (command == "click")
            CommandClick(args);
        else if (command == "key")
            CommandKey(args);
        else if (command == "post")
            CommandPost(args);
        else if (command == "watch")
            CommandWatch(args);
        else if (command == "foreground")
            CommandForeground();
        else if (command == "regset")
            CommandRegSet(args);
        else if (command == "regdel")
            CommandRegDel(args);
        else if (command == "exit")
            CommandExit(args);
        else if (command == "kill")
            CommandKill();
        else if (command == "quit")
            break;
        else
            Fail("unknown command " + command);
    }
    if (g_process)
        CloseHandle(g_process);
    for (auto& earlier : g_earlier)
        CloseHandle(earlier.second);
    return 0;
}
