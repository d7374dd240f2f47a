// uidrive: a small UI-automation driver for Plendra's windows under Wine (and
// on Windows), one action per run (or a few in turn), for tests written in any
// language:
//
//   uidrive [--desktop NAME] [--clock] VERB ARGS... [--then VERB ARGS...]...
//
// Actions joined by --then run in turn in the one process, each as soon as
// the one before succeeded; the first that fails ends the run. --clock prints
// "clock: MS" after each action that succeeded: the performance counter in
// milliseconds, one clock for every process of the machine (a bench measures
// from one action's end to the next's without a process start between).
//
//   wait-window TITLE MS          a visible window with this title appears
//   wait-gone TITLE MS            no visible window has this title any more
//   click TITLE TEXT [MS]         presses the button (or check box, option)
//                                 labelled TEXT once it is enabled
//   menu TITLE ITEM [MS]          picks a menu item by its text once it is
//                                 enabled, or "#ID" (the only way under Wine,
//                                 where menus cannot be read from outside)
//   select-combo TITLE LABEL ITEM chooses ITEM in the list next to LABEL
//   set-combo TITLE LABEL TEXT    types TEXT into the box next to LABEL
//   scroll TITLE LABEL VALUE      drops the thumb of the scroll bar next to
//                                 LABEL at VALUE
//   scroll TITLE LABEL left|right [N]   clicks its arrow N times
//   get TITLE CONTROL             prints the text of CONTROL: "status" (the
//                                 status bar), "#ID" (that control), a LABEL
//                                 (the control next to it; a scroll bar's
//                                 value and value label) or a button's text
//                                 (its check state)
//   wait-text TITLE CONTROL TEXT MS   waits until get would print TEXT
//   rows TITLE CONTROL            prints a list view's column captions and
//                                 then its rows, the cells TAB-separated
//   type TITLE TEXT               hands TEXT to the window as AutoCAD's
//                                 command line takes typed input from another
//                                 program (a copy-data message of id 1 in the
//                                 ANSI code page; ^M Enter, ^C Esc, ^J line
//                                 feed, as the link library writes them)
//   answer-box MS BUTTON [TEXT]   waits for a message box, prints its title
//                                 and text, checks TEXT if given, presses
//                                 BUTTON (OK, Cancel, Yes, No, Retry, ...)
//   wait-box MS [TEXT]            waits for a message box and leaves it up
//   no-box MS                     checks that no message box is up for MS
//   close TITLE                   asks the window to close (WM_CLOSE)
//   move TITLE X Y                moves the window to pixel X,Y
//   screenshot FILE.bmp [TITLE]   the screen, or that window's rectangle
//
// A TITLE ending in "*" matches titles that begin with the rest, and so does
// a box's TEXT (for a text that names a folder of the machine). A window
// that is a message box never matches a TITLE outside answer-box. Every wait
// polls its condition and ends at its time-out; the exit status is 0 for
// success, 1 for a failed action or a time-out, 2 for a bad command line.
// Output is UTF-8, one line per thing seen.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 50;
// Bounds only a failure: a loaded machine makes the other program answer
// late, and a late answer must not fail the step.
constexpr DWORD kDefaultEnableWaitMs = 90000;

void Print(const std::wstring& line) {
  const std::wstring text = line + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                      nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int Fail(const std::wstring& why) {
  Print(L"failed: " + why);
  return 1;
}

// Waits for the condition, polling; false when the time-out passed first.
// Unsigned subtraction stays right across the tick counter's wrap.
bool WaitFor(DWORD timeout_ms, const std::function<bool()>& condition) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeout_ms) return condition();
    Sleep(kPollMs);
  }
}

std::wstring Text(HWND window) {
  wchar_t buffer[1024] = {};
  // WM_GETTEXT crosses processes (GetWindowText does not for controls).
  const LRESULT n = SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                                        SMTO_ABORTIFHUNG, 5000, nullptr);
  return n != 0 ? std::wstring(buffer) : std::wstring();
}

// A message box's texts. A box's program waits in the box's message loop, so
// it answers; SMTO_ABORTIFHUNG would not wait for it: Wine takes a program
// that has not looked at its messages for 5 s as hung, which a loaded machine
// makes of any program, and the texts then read as empty.
std::wstring BoxText(HWND window) {
  wchar_t buffer[1024] = {};
  DWORD_PTR length = 0;
  const LRESULT sent = SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                                           SMTO_NORMAL, kDefaultEnableWaitMs, &length);
  return sent != 0 ? std::wstring(buffer) : std::wstring();
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return buffer;
}

// A control's text as the user reads it: without the "&" of the access key.
std::wstring Plain(std::wstring text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

bool TitleMatches(const std::wstring& title, const std::wstring& pattern) {
  if (!pattern.empty() && pattern.back() == L'*')
    return title.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0;
  return title == pattern;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) noexcept CALLBACK -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> TopLevel() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND w, LPARAM p) noexcept CALLBACK -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// A message box: a dialog whose message text is the static control 0xFFFF.
HWND MessageText(HWND box) {
  if (ClassOf(box) != L"#32770") return nullptr;
  for (HWND child : Children(box))
    if (LOWORD(GetDlgCtrlID(child)) == 0xFFFF && ClassOf(child) == L"Static") return child;
  return nullptr;
}

HWND FindWindowTitled(const std::wstring& pattern) {
  for (HWND w : TopLevel())
    if (IsWindowVisible(w) && TitleMatches(Text(w), pattern) && MessageText(w) == nullptr) return w;
  return nullptr;
}

HWND FindMessageBox() {
  for (HWND w : TopLevel())
    if (IsWindowVisible(w) && MessageText(w) != nullptr) return w;
  return nullptr;
}

HWND WaitWindow(const std::wstring& title, DWORD timeout_ms) {
  HWND found = nullptr;
  WaitFor(timeout_ms, [&] { return (found = FindWindowTitled(title)) != nullptr; });
  return found;
}

// The control labelled by the text: "#ID" the control with that identifier,
// a button whose own text it is, else the control that follows the label
// among the window's children.
HWND FindControl(HWND window, const std::wstring& text) {
  if (text.size() > 1 && text[0] == L'#') return GetDlgItem(window, _wtoi(text.c_str() + 1));
  const std::vector<HWND> children = Children(window);
  for (HWND c : children)
    if (ClassOf(c) == L"Button" && Plain(Text(c)) == text) return c;
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (ClassOf(children[i]) == L"Static" && Plain(Text(children[i])) == text) {
      for (std::size_t j = i + 1; j < children.size(); ++j)
        if (GetParent(children[j]) == window) return children[j];
    }
  }
  return nullptr;
}

HWND StatusBar(HWND window) {
  for (HWND c : Children(window))
    if (ClassOf(c) == L"msctls_statusbar32") return c;
  return nullptr;
}

std::wstring ReadControl(HWND window, const std::wstring& name) {
  if (name == L"status") {
    const HWND bar = StatusBar(window);
    return bar ? Text(bar) : std::wstring();
  }
  const HWND control = FindControl(window, name);
  if (control == nullptr) return L"(no control " + name + L")";
  if (ClassOf(control) == L"Button" && Plain(Text(control)) == name) {
    const LRESULT state = SendMessageW(control, BM_GETCHECK, 0, 0);
    return state == BST_CHECKED ? L"checked" : L"unchecked";
  }
  if (ClassOf(control) == L"ScrollBar") {
    // The scroll bar's value, and the value label that follows it if any.
    std::wstring text = std::to_wstring(GetScrollPos(control, SB_CTL));
    const HWND next = GetWindow(control, GW_HWNDNEXT);
    if (next != nullptr && ClassOf(next) == L"Static") text += L" [" + Text(next) + L"]";
    return text;
  }
  return Text(control);
}

int ToInt(const std::wstring& text, bool* ok) {
  wchar_t* end = nullptr;
  const long v = wcstol(text.c_str(), &end, 10);
  *ok = !text.empty() && end != nullptr && *end == L'\0';
  return static_cast<int>(v);
}

DWORD Milliseconds(const std::vector<std::wstring>& a, std::size_t i, DWORD fallback) {
  if (i >= a.size()) return fallback;
  bool ok = false;
  const int v = ToInt(a[i], &ok);
  return ok && v >= 0 ? static_cast<DWORD>(v) : fallback;
}

// --- Verbs -------------------------------------------------------------------

int Click(const std::vector<std::wstring>& a) {
  const DWORD timeout = Milliseconds(a, 2, kDefaultEnableWaitMs);
  const HWND window = WaitWindow(a[0], timeout);
  if (window == nullptr) return Fail(L"no window " + a[0]);
  HWND button = nullptr;
  if (!WaitFor(timeout, [&] {
        button = FindControl(window, a[1]);
        return button != nullptr && ClassOf(button) == L"Button" && IsWindowEnabled(button) &&
               IsWindowVisible(button);
      }))
    return Fail(L"no enabled button " + a[1] + L" in " + a[0]);
  // Posted: the click's handler may run for long (a whole numbering run).
  PostMessageW(button, BM_CLICK, 0, 0);
  Print(L"clicked: " + a[1]);
  return 0;
}

struct MenuHit {
  UINT id = 0;
  bool enabled = false;
  bool found = false;
};

void FindMenuItem(HMENU menu, const std::wstring& text, MenuHit& hit) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count && !hit.found; ++i) {
    wchar_t buffer[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = 256;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.hSubMenu != nullptr) {
      FindMenuItem(info.hSubMenu, text, hit);
    } else if (Plain(buffer) == text) {
      hit = {info.wID, (info.fState & MFS_DISABLED) == 0, true};
    }
  }
}

int Menu(const std::vector<std::wstring>& a) {
  const DWORD timeout = Milliseconds(a, 2, kDefaultEnableWaitMs);
  const HWND window = WaitWindow(a[0], timeout);
  if (window == nullptr) return Fail(L"no window " + a[0]);
  UINT id = 0;
  if (a[1].size() > 1 && a[1][0] == L'#') {
    bool ok = false;
    id = static_cast<UINT>(ToInt(a[1].substr(1), &ok));
    if (!ok) return Fail(L"bad menu identifier " + a[1]);
  } else {
    // Wine keeps a program's menus in that program: another one cannot read
    // them (GetMenuItemCount fails), so there the item is named by "#ID".
    if (GetMenuItemCount(GetMenu(window)) < 0)
      return Fail(L"cannot read the menu of " + a[0] + L"; name the item by #ID");
    MenuHit hit;
    if (!WaitFor(timeout, [&] {
          hit = {};
          FindMenuItem(GetMenu(window), a[1], hit);
          return hit.found && hit.enabled;
        }))
      return Fail(hit.found ? L"menu item disabled: " + a[1] : L"no menu item " + a[1]);
    id = hit.id;
  }
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  Print(L"menu: " + a[1]);
  return 0;
}

int Combo(const std::vector<std::wstring>& a, bool select) {
  const HWND window = WaitWindow(a[0], kDefaultEnableWaitMs);
  if (window == nullptr) return Fail(L"no window " + a[0]);
  const HWND box = FindControl(window, a[1]);
  if (box == nullptr || ClassOf(box) != L"ComboBox") return Fail(L"no list next to " + a[1]);
  if (!IsWindowEnabled(box)) return Fail(L"list disabled: " + a[1]);
  const int id = GetDlgCtrlID(box);
  if (select) {
    const LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(a[2].c_str()));
    if (index == CB_ERR) return Fail(L"no item " + a[2] + L" in " + a[1]);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
  } else {
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[2].c_str()));
    PostMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(box));
  }
  Print(L"combo " + a[1] + L": " + a[2]);
  return 0;
}

int Scroll(const std::vector<std::wstring>& a) {
  const HWND window = WaitWindow(a[0], kDefaultEnableWaitMs);
  if (window == nullptr) return Fail(L"no window " + a[0]);
  const HWND bar = FindControl(window, a[1]);
  if (bar == nullptr || ClassOf(bar) != L"ScrollBar") return Fail(L"no scroll bar next to " + a[1]);
  const HWND parent = GetParent(bar);
  if (a[2] == L"left" || a[2] == L"right") {
    const int times = static_cast<int>(Milliseconds(a, 3, 1));
    for (int i = 0; i < times; ++i)
      SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(a[2] == L"left" ? SB_LINELEFT : SB_LINERIGHT, 0),
                   reinterpret_cast<LPARAM>(bar));
  } else {
    bool ok = false;
    const int value = ToInt(a[2], &ok);
    if (!ok) return Fail(L"bad scroll value " + a[2]);
    SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(value)),
                 reinterpret_cast<LPARAM>(bar));
    SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(value)),
                 reinterpret_cast<LPARAM>(bar));
  }
  SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(bar));
  Print(L"scroll " + a[1] + L": " + std::to_wstring(GetScrollPos(bar, SB_CTL)));
  return 0;
}

int Get(const std::vector<std::wstring>& a) {
  const HWND window = WaitWindow(a[0], kDefaultEnableWaitMs);
  if (window == nullptr) return Fail(L"no window " + a[0]);
  Print(a[1] + L": " + ReadControl(window, a[1]));
  return 0;
}

int WaitText(const std::vector<std::wstring>& a) {
  const DWORD timeout = Milliseconds(a, 3, 0);
  std::wstring seen;
  const bool got = WaitFor(timeout, [&] {
    const HWND window = FindWindowTitled(a[0]);
    seen = window ? ReadControl(window, a[1]) : L"(no window " + a[0] + L")";
    return seen == a[2];
  });
  Print(a[1] + L": " + seen);
  return got ? 0 : Fail(L"waited for " + a[1] + L" to read " + a[2]);
}

// Memory in another window's process: a list view reads and fills the
// structures of LVM_GETITEMTEXTW and LVM_GETCOLUMNW in its own address space.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, SIZE_T bytes) : bytes_(bytes) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_ != nullptr)
      base_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
  }
  ~RemoteMemory() {
    if (base_ != nullptr) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool Ok() const { return base_ != nullptr; }
  char* At(SIZE_T offset) const { return base_ + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) {
    SIZE_T done = 0;
    return offset + size <= bytes_ && WriteProcessMemory(process_, base_ + offset, data, size, &done) &&
           done == size;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) {
    SIZE_T done = 0;
    return offset + size <= bytes_ && ReadProcessMemory(process_, base_ + offset, data, size, &done) &&
           done == size;
  }

 private:
  SIZE_T bytes_;
  HANDLE process_ = nullptr;
  char* base_ = nullptr;
};

int Rows(const std::vector<std::wstring>& a) {
  const HWND window = WaitWindow(a[0], kDefaultEnableWaitMs);
  if (window == nullptr) return Fail(L"no window " + a[0]);
  const HWND list = FindControl(window, a[1]);
  if (list == nullptr || ClassOf(list) != WC_LISTVIEWW) return Fail(L"no list view " + a[1] + L" in " + a[0]);
  // The structure first, its text buffer after it.
  constexpr SIZE_T kChars = 512;
  constexpr SIZE_T kText = (std::max(sizeof(LVITEMW), sizeof(LVCOLUMNW)) + 15) & ~SIZE_T{15};
  RemoteMemory remote(list, kText + kChars * sizeof(wchar_t));
  if (!remote.Ok()) return Fail(L"cannot reach the memory of the list's program");
  // Sends the message with the structure in the list's process and reads
  // back the text it wrote; nullopt when the list did not answer.
  auto ask = [&](UINT message, WPARAM index, const auto& structure) -> std::optional<std::wstring> {
    const wchar_t nothing = L'\0';
    DWORD_PTR answer = 0;
    if (!remote.Write(0, &structure, sizeof structure) || !remote.Write(kText, &nothing, sizeof nothing) ||
        SendMessageTimeoutW(list, message, index, reinterpret_cast<LPARAM>(remote.At(0)), SMTO_ABORTIFHUNG,
                            5000, &answer) == 0)
      return std::nullopt;
    std::wstring text(kChars, L'\0');
    if (!remote.Read(kText, text.data(), kChars * sizeof(wchar_t))) return std::nullopt;
    text.resize(wcsnlen(text.c_str(), kChars));
    return text;
  };
  const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const LRESULT columns = header != nullptr ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
  if (columns <= 0) return Fail(L"the list " + a[1] + L" has no columns");
  std::wstring captions;
  for (int c = 0; c < columns; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = reinterpret_cast<wchar_t*>(remote.At(kText));
    column.cchTextMax = static_cast<int>(kChars);
    const auto caption = ask(LVM_GETCOLUMNW, static_cast<WPARAM>(c), column);
    if (!caption) return Fail(L"the list did not give its column " + std::to_wstring(c));
    captions += (c > 0 ? L"\t" : L"") + *caption;
  }
  Print(L"columns: " + captions);
  const LRESULT count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT r = 0; r < count; ++r) {
    std::wstring row;
    for (int c = 0; c < columns; ++c) {
      LVITEMW item{};
      item.iSubItem = c;
      item.pszText = reinterpret_cast<wchar_t*>(remote.At(kText));
      item.cchTextMax = static_cast<int>(kChars);
      const auto cell = ask(LVM_GETITEMTEXTW, static_cast<WPARAM>(r), item);
      if (!cell) return Fail(L"the list did not give row " + std::to_wstring(r));
      row += (c > 0 ? L"\t" : L"") + *cell;
    }
    Print(L"row: " + row);
  }
  Print(L"rows: " + std::to_wstring(count));
  return 0;
}

// The link library's notation for control characters: ^M Enter, ^C Esc
// (AutoCAD's cancel), ^J line feed.
std::wstring ControlCodes(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'^' && i + 1 < text.size()) {
      const wchar_t code = text[i + 1] == L'M'   ? L'\r'
                           : text[i + 1] == L'C' ? L'\x03'
                           : text[i + 1] == L'J' ? L'\n'
                                                 : 0;
      if (code != 0) {
        out += code;
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

int TypeInto(const std::vector<std::wstring>& a) {
  const HWND window = WaitWindow(a[0], kDefaultEnableWaitMs);
  if (window == nullptr) return Fail(L"no window " + a[0]);
  const std::wstring text = ControlCodes(a[1]);
  // AutoCAD is an ANSI program: the bytes of the system's code page, ended by a NUL.
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), bytes, nullptr, nullptr);
  COPYDATASTRUCT record{1, static_cast<DWORD>(ansi.size()), ansi.data()};
  DWORD_PTR taken = 0;
  // Sent, not posted: the window has taken the text when the send returns.
  if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_NORMAL,
                          kDefaultEnableWaitMs, &taken) == 0 ||
      taken == FALSE)
    return Fail(L"the window did not take the text " + a[1]);
  Print(L"typed: " + a[1]);
  return 0;
}

int AnswerBox(const std::vector<std::wstring>& a) {
  struct Answer {
    const wchar_t* name;
    int id;
  };
  const Answer answers[] = {{L"OK", IDOK},       {L"Cancel", IDCANCEL}, {L"Abort", IDABORT},
                            {L"Retry", IDRETRY}, {L"Ignore", IDIGNORE}, {L"Yes", IDYES},
                            {L"No", IDNO}};
  int id = 0;
  for (const Answer& answer : answers)
    if (a[1] == answer.name) id = answer.id;
  if (id == 0) return Fail(L"unknown button " + a[1]);
  HWND box = nullptr;
  if (!WaitFor(Milliseconds(a, 0, 0), [&] { return (box = FindMessageBox()) != nullptr; }))
    return Fail(L"no message box");
  const std::wstring text = BoxText(MessageText(box));
  Print(L"box: [" + BoxText(box) + L"] " + text);
  if (a.size() > 2 && !TitleMatches(text, a[2])) return Fail(L"expected the box to say " + a[2]);
  const HWND button = GetDlgItem(box, id);
  if (button == nullptr) return Fail(L"the box has no button " + a[1]);
  PostMessageW(button, BM_CLICK, 0, 0);
  if (!WaitFor(kDefaultEnableWaitMs, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
    return Fail(L"the box stayed up");
  Print(L"answered: " + a[1]);
  return 0;
}

int WaitBox(const std::vector<std::wstring>& a) {
  HWND box = nullptr;
  if (!WaitFor(Milliseconds(a, 0, 0), [&] { return (box = FindMessageBox()) != nullptr; }))
    return Fail(L"no message box");
  const std::wstring text = BoxText(MessageText(box));
  Print(L"box: [" + BoxText(box) + L"] " + text);
  if (a.size() > 1 && !TitleMatches(text, a[1])) return Fail(L"expected the box to say " + a[1]);
  return 0;
}

int NoBox(const std::vector<std::wstring>& a) {
  HWND box = nullptr;
  if (WaitFor(Milliseconds(a, 0, 0), [&] { return (box = FindMessageBox()) != nullptr; }) && box != nullptr)
    return Fail(L"a message box is up: [" + Text(box) + L"] " + Text(MessageText(box)));
  Print(L"no box");
  return 0;
}

bool WriteBitmap(const std::wstring& file, HDC source, const RECT& r) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  const HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) {
    DeleteDC(memory);
    return false;
  }
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD image = row * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + image;
  bool ok = false;
  const HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ok = WriteFile(out, &header, sizeof header, &written, nullptr) &&
         WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
         WriteFile(out, bits, image, &written, nullptr);
    CloseHandle(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return ok;
}

int Screenshot(const std::vector<std::wstring>& a) {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (a.size() > 1) {
    const HWND window = WaitWindow(a[1], kDefaultEnableWaitMs);
    if (window == nullptr) return Fail(L"no window " + a[1]);
    GetWindowRect(window, &r);
  }
  const HDC screen = GetDC(nullptr);
  const bool ok = WriteBitmap(a[0], screen, r);
  ReleaseDC(nullptr, screen);
  if (!ok) return Fail(L"cannot write " + a[0]);
  Print(L"screenshot: " + a[0] + L" " + std::to_wstring(r.right - r.left) + L"x" +
        std::to_wstring(r.bottom - r.top));
  return 0;
}

int Run(const std::vector<std::wstring>& a) {
  if (a.empty()) return 2;
  const std::wstring& verb = a[0];
  const std::vector<std::wstring> args(a.begin() + 1, a.end());
  auto need = [&](std::size_t n) { return args.size() >= n; };
  if (verb == L"wait-window" && need(2)) {
    const HWND w = WaitWindow(args[0], Milliseconds(args, 1, 0));
    if (w == nullptr) return Fail(L"no window " + args[0]);
    wchar_t style[64];
    wsprintfW(style, L" style %08X ex-style %08X", static_cast<unsigned>(GetWindowLongW(w, GWL_STYLE)),
              static_cast<unsigned>(GetWindowLongW(w, GWL_EXSTYLE)));
    Print(L"window: " + Text(w) + L" [" + ClassOf(w) + L"]" + style);
    return 0;
  }
  if (verb == L"wait-gone" && need(2)) {
    if (!WaitFor(Milliseconds(args, 1, 0), [&] { return FindWindowTitled(args[0]) == nullptr; }))
      return Fail(L"still there: " + args[0]);
    Print(L"gone: " + args[0]);
    return 0;
  }
  if (verb == L"click" && need(2)) return Click(args);
  if (verb == L"menu" && need(2)) return Menu(args);
  if (verb == L"select-combo" && need(3)) return Combo(args, true);
  if (verb == L"set-combo" && need(3)) return Combo(args, false);
  if (verb == L"scroll" && need(3)) return Scroll(args);
  if (verb == L"get" && need(2)) return Get(args);
  if (verb == L"wait-text" && need(4)) return WaitText(args);
  if (verb == L"rows" && need(2)) return Rows(args);
  if (verb == L"type" && need(2)) return TypeInto(args);
  if (verb == L"answer-box" && need(2)) return AnswerBox(args);
  if (verb == L"wait-box" && need(1)) return WaitBox(args);
  if (verb == L"no-box" && need(1)) return NoBox(args);
  if (verb == L"close" && need(1)) {
    const HWND w = WaitWindow(args[0], kDefaultEnableWaitMs);
    if (w == nullptr) return Fail(L"no window " + args[0]);
    PostMessageW(w, WM_CLOSE, 0, 0);
    Print(L"close: " + args[0]);
    return 0;
  }
  if (verb == L"move" && need(3)) {
    const HWND w = WaitWindow(args[0], kDefaultEnableWaitMs);
    bool ok_x = false, ok_y = false;
    const int x = ToInt(args[1], &ok_x);
    const int y = ToInt(args[2], &ok_y);
    if (w == nullptr || !ok_x || !ok_y) return Fail(L"cannot move " + args[0]);
    SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r{};
    GetWindowRect(w, &r);
    Print(L"moved: " + std::to_wstring(r.left) + L"," + std::to_wstring(r.top));
    return 0;
  }
  if (verb == L"screenshot" && need(1)) return Screenshot(args);
  return 2;
}

void PrintClock() {
  LARGE_INTEGER frequency{}, now{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  wchar_t text[64];
  swprintf(text, 64, L"clock: %.3f",
           static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart));
  Print(text);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  if (args.size() >= 2 && args[0] == L"--desktop") {
    // Windows on another desktop are not among this one's: work on that one.
    const HDESK desktop = OpenDesktopW(args[1].c_str(), 0, FALSE, GENERIC_ALL);
    if (desktop == nullptr || !SetThreadDesktop(desktop)) return Fail(L"cannot use desktop " + args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  const bool clock = !args.empty() && args[0] == L"--clock";
  if (clock) args.erase(args.begin());
  std::vector<std::vector<std::wstring>> actions(1);
  for (const std::wstring& arg : args) {
    if (arg == L"--then")
      actions.emplace_back();
    else
      actions.back().push_back(arg);
  }
  int status = 0;
  for (const std::vector<std::wstring>& action : actions) {
    status = Run(action);
    if (status != 0) break;
    if (clock) PrintClock();
  }
  if (status == 2)
    Print(
        L"usage: uidrive [--desktop NAME] [--clock] VERB ARGS... [--then VERB ARGS...]... (see the top of "
        L"uidrive.cpp)");
  return status;
}
