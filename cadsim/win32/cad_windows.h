// cadsim's windows on a real desktop: AutoCAD's main window with its docked
// command line, and the separate text window with the command-line window
// ("Headlands") and the history ("MountTam").
//
// They are ANSI windows, as AutoCAD's are: another process's SendMessageA
// with WM_GETTEXT then receives code-page bytes with no conversion between,
// and WM_GETTEXTLENGTH counts bytes, not characters.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cadsim/cad.h"
#include "cadsim/scene.h"

namespace cadsim_win {

class CadWindows final : public cadsim::Host {
 public:
  CadWindows(int release, cadsim::Drawing drawing, std::u16string drawing_path);
  ~CadWindows() override;
  CadWindows(const CadWindows&) = delete;
  CadWindows& operator=(const CadWindows&) = delete;

  // Registers the classes and shows the windows; false if that failed.
  bool Create(HINSTANCE instance, bool hide_command_line);
  cadsim::Cad& Cad() { return *cad_; }
  // Paints the drawing as the main window shows it into a 24-bit BMP file.
  bool Snapshot(const std::wstring& path, int width, int height);

  // --log: every command line typed, with when it came (ms since cadsim
  // started), how many commands had finished by then and how many times the
  // command line had been read (WM_GETTEXT of the text window's command
  // line) and how long cadsim had waited for its client by then (no command
  // working, no message in hand: the time the client took, Wine's passing of
  // the messages included): a benchmark of a client's working cycle reads its
  // figures here.
  struct Typed {
    double ms = 0, waited_ms = 0;
    std::uint64_t finished = 0, reads = 0;
    std::string bytes;
  };
  const std::vector<Typed>& TypedLog() const { return typed_; }

  // Host.
  void After(std::uint32_t ms, std::function<void()> fn) override;
  platform::TextCodec& Codec() override { return *codec_; }
  void Changed() override;
  void Vanish() override;
  void Busy(std::uint32_t ms) override;

 private:
  static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  static LRESULT CALLBACK TextProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  static LRESULT CALLBACK LineProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  static LRESULT CALLBACK HistoryProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

  LRESULT OnMain(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // Milliseconds since cadsim started.
  double Now() const;
  // Spans one window message; the time between two outermost ones in which
  // no command worked counts as waited for the client.
  class MessageSpell;
  LRESULT AnswerText(const std::u16string& text, UINT message, WPARAM wparam, LPARAM lparam);
  void Layout();
  void PaintDrawing(HDC dc, const RECT& area);
  void PaintLines(HDC dc, const RECT& area, int last_lines, bool with_prompt);
  void OnClick(int x, int y);
  void OnKey(wchar_t c);
  std::string Ansi(std::u16string_view text) { return codec_->ToAnsi(text); }

  std::unique_ptr<platform::TextCodec> codec_;
  std::unique_ptr<cadsim::Cad> cad_;
  HWND main_ = nullptr, main_command_ = nullptr, text_ = nullptr, command_ = nullptr, history_ = nullptr;
  std::map<UINT_PTR, std::function<void()>> timers_;
  UINT_PTR next_timer_ = 1;
  bool vanished_ = false;
  // What the windows last showed: a title is set and the command line's change
  // announced only when they differ.
  std::u16string main_title_, text_title_, prompt_;
  // Cad::DrawingChanges when the drawing was last asked to be drawn.
  std::uint64_t drawn_ = ~std::uint64_t{0};
  std::vector<Typed> typed_;
  std::uint64_t prompt_reads_ = 0;
  LARGE_INTEGER started_{}, frequency_{};
  double waited_ms_ = 0, last_message_end_ = 0;
  bool working_after_last_message_ = false;
  int message_depth_ = 0;
  std::string key_bytes_;  // a lead byte typed, waiting for its trail byte
  // The last drawing transform: client = (world - low) * scale, y downwards.
  cadsim::Point view_low_, view_high_;
  double view_scale_ = 1;
  RECT view_area_{};
};

}  // namespace cadsim_win
