// The window manager operations the link library needs (user32, ANSI forms).
//
// Every text crossing this interface is already converted: titles, classes and
// window texts are read as ANSI bytes next to the -A call and handed over as
// UTF-16, so byte counts (buffer sizes, lengths) keep their user32 meaning.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/types.h"

namespace platform {

// Enumeration callbacks only collect or inspect; returning false stops the
// enumeration, which then reports failure (as EnumWindows does).
using EnumWindowsCallback = std::function<bool(Hwnd)>;

// How long a sent message waits for the receiver to answer. A receiver that is
// busy (AutoCAD writing a large DXF file) and one that hangs look alike from
// here, so the caller decides how long "no answer yet" may last; a send that
// times out never counts as an answer.
struct SendLimit {
  std::int32_t ms = 5000;     // negative: as long as the receiver takes
  bool* timed_out = nullptr;  // when set, told whether the bound passed unanswered
};

// Tells a waiting caller that a window's text may have changed, from the
// accessibility event a window raises when its name or value changes. It is a
// hint only: a change is still confirmed by reading the text, and a window that
// raises no event leaves every wait to its full length.
class TextWatch {
 public:
  virtual ~TextWatch() = default;
  // Forgets the changes seen so far; called just before the text is read, so
  // that any change after that read wakes the next Wait.
  virtual void Reset() = 0;
  // Waits at most ms (the clock runs as in Clock::Sleep), returning as soon as
  // a change has been seen since the last Reset. True when one was.
  virtual bool Wait(std::int32_t ms) = 0;
};

struct WindowSystem {
  virtual ~WindowSystem() = default;

  // Visits every top-level window in the desktop's enumeration (z-) order.
  // True when the enumeration completed.
  virtual bool EnumWindows(const EnumWindowsCallback& callback) = 0;
  // Visits every descendant of parent. False when the enumeration did not
  // complete (a callback stopped it, or parent is not a window).
  virtual bool EnumChildWindows(Hwnd parent, const EnumWindowsCallback& callback) = 0;

  // Title length in ANSI bytes; 0 for none.
  virtual int TitleLength(Hwnd window) = 0;
  // Reads the title into a buffer of buffer_bytes ANSI bytes (terminating NUL
  // included) and returns the text up to the first NUL. Empty when the call
  // copied nothing.
  virtual std::u16string Title(Hwnd window, int buffer_bytes) = 0;
  // The class name read into a buffer of buffer_bytes bytes; empty on failure.
  virtual std::u16string ClassName(Hwnd window, int buffer_bytes) = 0;
  // The creating thread (0 on failure); the process id goes to *process_id.
  virtual std::uint32_t GetWindowThreadProcessId(Hwnd window, std::uint32_t* process_id) = 0;
  virtual bool IsWindow(Hwnd window) = 0;
  virtual bool IsWindowVisible(Hwnd window) = 0;

  // WM_COPYDATA, sent synchronously: dwData = tag, cbData = cb_data,
  // lpData = buffer. cb_data may exceed the meaningful bytes (the receiver reads
  // up to the NUL) but never the buffer's size. Returns the receiver's result;
  // 0 when it refused the message, is gone or did not answer within limit.
  virtual std::intptr_t SendCopyData(Hwnd window, std::uintptr_t tag, std::span<const std::byte> buffer,
                                     std::uint32_t cb_data, const SendLimit& limit = {}) = 0;
  // WM_GETTEXTLENGTH: room enough for the window's text in ANSI bytes, 0 on
  // failure. As user32 documents, this may be more than the text needs.
  virtual std::intptr_t SendGetTextLength(Hwnd window, const SendLimit& limit = {}) = 0;
  // WM_GETTEXT with a buffer of buffer_bytes ANSI bytes. *copied receives the
  // message's result (bytes copied, 0 on failure); the text up to the first NUL
  // is returned.
  virtual std::u16string SendGetText(Hwnd window, int buffer_bytes, std::intptr_t* copied,
                                     const SendLimit& limit = {}) = 0;
  // PostMessage(WM_NULL, 0, 0). True when queued.
  virtual bool PostNull(Hwnd window) = 0;

  virtual Hwnd GetLastActivePopup(Hwnd window) = 0;
  virtual bool SetForegroundWindow(Hwnd window) = 0;

  // One non-blocking pass of the calling thread's message pump: handles what is
  // pending now and returns. Event handlers of the caller's own windows may run
  // here, and may call back into the library.
  virtual void PumpMessages() = 0;

  // Starts watching window's text for changes; null where changes cannot be
  // seen, and the caller then waits by the clock alone.
  virtual std::unique_ptr<TextWatch> WatchText(Hwnd /*window*/) { return nullptr; }
};

}  // namespace platform
