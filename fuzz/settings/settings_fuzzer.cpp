// libFuzzer target for the settings file plendra.ini.
//
// The input is the file's bytes in code page 932. Whatever they hold, reading
// gives fourteen valid settings and names the lines that fell back, and the
// settings written back and read again are the same settings: nothing the
// reader accepts is something the writer cannot reproduce. The window
// position is the exception where a Single cannot hold it: beyond seven
// digits it is written rounded, and from then on it stays put.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "app/settings.h"
#include "platform/ansi_codec.h"

namespace {

using plendra::Settings;
using plendra::SettingsRead;

platform::TextCodec& Codec() {
  static const std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
  return *codec;
}

// Writes the settings with their own window position and reads the bytes back.
SettingsRead RoundTrip(const Settings& s) {
  const std::string bytes = Codec().ToAnsi(
      plendra::FormatSettings(s, static_cast<float>(s.Form_Top), static_cast<float>(s.Form_Left)));
  return plendra::ParseSettings(Codec().FromAnsi(bytes));
}

bool Exact(std::int32_t position) { return position >= -9'999'999 && position <= 9'999'999; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const SettingsRead first = plendra::ParseSettings(Codec().FromAnsi(bytes));
  int previous = 0;
  for (int line : first.fallen_back) {
    if (line <= previous || line > 14) std::abort();
    previous = line;
  }

  const SettingsRead second = RoundTrip(first.settings);
  Settings expected = first.settings;
  if (!Exact(expected.Form_Top)) expected.Form_Top = second.settings.Form_Top;
  if (!Exact(expected.Form_Left)) expected.Form_Left = second.settings.Form_Left;
  if (second.settings != expected) std::abort();
  for (int line : second.fallen_back)
    if ((line != 11 || Exact(first.settings.Form_Top)) && (line != 12 || Exact(first.settings.Form_Left)))
      std::abort();

  const SettingsRead third = RoundTrip(second.settings);
  if (third.settings != second.settings || !third.fallen_back.empty()) std::abort();
  return 0;
}
