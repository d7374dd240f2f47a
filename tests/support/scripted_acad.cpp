#include "support/scripted_acad.h"

#include <cstring>

namespace plendra_test {

using platform::sim::WindowSpec;

ScriptedAcad::ScriptedAcad(platform::sim::Desktop& d, ScriptedAcadOptions options)
    : desktop(d), prompt(options.prompt) {
  process = d.NewProcessId();
  thread = d.NewThreadId();

  WindowSpec m{
      .class_name = options.main_class, .title = options.main_title, .thread = thread, .process = process};
  m.on_copy_data = [this](std::uintptr_t tag, std::span<const std::byte> data) -> std::intptr_t {
    if (refuse || tag != 1) return 0;
    const char* bytes = reinterpret_cast<const char*>(data.data());
    const std::size_t n = strnlen(bytes, data.size());
    received.push_back(desktop.Codec().FromAnsi(std::string_view(bytes, n)));
    if (on_input) on_input(received.back());
    return 1;
  };
  m.on_null = [this] { ++nulls_received; };
  main = d.CreateWindow(std::move(m));

  if (options.main_command) {
    WindowSpec mc{.class_name = u"AfxWnd42",
                  .title = u"Headlands Command Line",
                  .parent = main,
                  .thread = thread,
                  .process = process};
    main_command = d.CreateWindow(std::move(mc));
  }

  text = d.CreateWindow(WindowSpec{
      .class_name = options.text_class, .title = options.text_title, .thread = thread, .process = process});
  WindowSpec c{
      .class_name = u"Edit", .title = u"Headlands", .parent = text, .thread = thread, .process = process};
  c.text = [this] { return prompt; };
  command = d.CreateWindow(std::move(c));
  WindowSpec h{
      .class_name = u"Edit", .title = u"MountTam", .parent = text, .thread = thread, .process = process};
  h.text = [this] { return history_text; };
  history = d.CreateWindow(std::move(h));
}

std::u16string ScriptedAcad::Typed() const {
  std::u16string all;
  for (const auto& r : received) all += r;
  return all;
}

void ScriptedAcad::PromptAfter(std::uint64_t delay_ms, std::u16string new_prompt) {
  desktop.After(delay_ms, [this, p = std::move(new_prompt)] {
    prompt = p;
    if (announces && desktop.Get(command).alive) desktop.TextChanged(command);
  });
}

void ScriptedAcad::Quit() {
  desktop.DestroyWindow(main);
  desktop.DestroyWindow(text);
}

}  // namespace plendra_test
