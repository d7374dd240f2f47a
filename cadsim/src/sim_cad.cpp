#include "cadsim/sim_cad.h"

namespace cadsim {

using platform::sim::WindowSpec;

SimCad::SimCad(platform::sim::Desktop& desktop, Drawing drawing, SimCadOptions options) : desktop_(desktop) {
  cad_ = std::make_unique<cadsim::Cad>(*this, options.release, std::move(drawing), options.drawing_path);
  cad_->BlockFolders() = options.block_folders;
  cad_->FolderMap() = options.folders;
  cad_->saveas_renames = options.saveas_renames;
  cad_->command_ms = options.command_ms;
  process = options.process ? options.process : desktop.NewProcessId();
  thread = desktop.NewThreadId();
  const ReleaseProfile& r = cad_->Release();

  WindowSpec m;
  m.class_name = r.MainClass();
  m.title = cad_->MainTitle();
  m.thread = thread, m.process = process;
  m.on_copy_data = [this](std::uintptr_t tag, std::span<const std::byte> data) -> std::intptr_t {
    return cad_->Receive(tag, data) ? 1 : 0;
  };
  m.on_null = [] {};
  main = desktop.CreateWindow(std::move(m));

  // The command line docked in the main window shows the same prompt.
  if (options.main_command_line) {
    WindowSpec mc;
    mc.class_name = u"AfxWnd42";
    mc.title = u"Headlands Command Line";
    mc.parent = main, mc.thread = thread, mc.process = process;
    mc.text = [this] { return cad_->Prompt(); };
    main_command = desktop.CreateWindow(std::move(mc));
  }

  WindowSpec t;
  t.class_name = r.TextClass();
  t.title = cad_->TextTitle();
  t.thread = thread, t.process = process;
  text = desktop.CreateWindow(std::move(t));

  // The command-line window's title is its internal name; its text (what
  // WM_GETTEXT answers) is the prompt line.
  WindowSpec c;
  c.class_name = u"Edit";
  c.title = u"Headlands";
  c.parent = text, c.thread = thread, c.process = process;
  c.text = [this] { return cad_->Prompt(); };
  command = desktop.CreateWindow(std::move(c));

  WindowSpec h;
  h.class_name = u"Edit";
  h.title = u"MountTam";
  h.parent = text, h.thread = thread, h.process = process;
  h.text = [this] { return cad_->History(); };
  history = desktop.CreateWindow(std::move(h));
}

SimCad::~SimCad() { Vanish(); }

void SimCad::HideCommandLine(bool hidden) {
  if (main_command) desktop_.SetVisible(main_command, !hidden);
}

void SimCad::Vanish() {
  if (dialog) desktop_.DestroyWindow(dialog);
  desktop_.DestroyWindow(main);
  desktop_.DestroyWindow(text);
}

void SimCad::Busy(std::uint32_t ms) {
  for (platform::Hwnd w : {main, main_command, text, command, history, dialog})
    if (w != 0 && desktop_.Get(w).alive) desktop_.BusyFor(w, ms);
}

void SimCad::After(std::uint32_t ms, std::function<void()> fn) { desktop_.After(ms, std::move(fn)); }

void SimCad::Changed() {
  // SAVEAS renames the drawing, and the titles follow.
  desktop_.Get(main).traits.title = cad_->MainTitle();
  desktop_.Get(text).traits.title = cad_->TextTitle();
  // A command line whose text changes says so, as a window does when its text
  // is set: a client waiting for a prompt reads it then.
  if (std::u16string prompt = cad_->Prompt(); prompt != shown_prompt_) {
    shown_prompt_ = std::move(prompt);
    for (platform::Hwnd w : {command, main_command})
      if (w != 0 && desktop_.Get(w).alive) desktop_.TextChanged(w);
  }
}

void SimCad::DialogShown(std::u16string_view title) {
  WindowSpec d;
  d.class_name = u"#32770";
  d.title = title;
  d.thread = thread;
  d.process = process;
  dialog = desktop_.CreateWindow(std::move(d), true);
  desktop_.Get(main).last_active_popup = dialog;
}

void SimCad::DialogClosed() {
  if (!dialog) return;
  desktop_.DestroyWindow(dialog);
  desktop_.Get(main).last_active_popup = 0;
  dialog = 0;
}

platform::sim::LaunchableProgram Launchable(platform::sim::Desktop& desktop, Drawing drawing,
                                            SimCadOptions options, std::uint64_t windows_after_ms,
                                            std::uint64_t idle_after_ms,
                                            std::shared_ptr<std::unique_ptr<SimCad>> running) {
  platform::sim::LaunchableProgram program;
  program.idle_after_ms = idle_after_ms;
  auto shared_drawing = std::make_shared<Drawing>(std::move(drawing));
  program.start = [&desktop, shared_drawing, options, windows_after_ms, running](std::uint32_t process_id) {
    desktop.After(windows_after_ms, [&desktop, shared_drawing, options, running, process_id] {
      SimCadOptions o = options;
      o.process = process_id;
      *running = std::make_unique<SimCad>(desktop, *shared_drawing, o);
    });
  };
  return program;
}

}  // namespace cadsim
