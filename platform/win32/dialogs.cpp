// Dialogs over user32's MessageBoxA.
#include <windows.h>

#include <string>

#include "win32_platform.h"

namespace platform::win32 {
namespace {

class Win32Dialogs final : public Dialogs {
 public:
  explicit Win32Dialogs(TextCodec& codec) : codec_(codec) {}

  std::int32_t ShowBox(Hwnd owner, std::u16string_view text, std::u16string_view caption,
                       std::uint32_t style) override {
    const std::string text_bytes = codec_.ToAnsi(text);
    const std::string caption_bytes = codec_.ToAnsi(caption);
    return MessageBoxA(reinterpret_cast<HWND>(static_cast<INT_PTR>(owner)), text_bytes.c_str(),
                       caption_bytes.c_str(), style);
  }

 private:
  TextCodec& codec_;
};

}  // namespace

std::unique_ptr<Dialogs> MakeDialogs(TextCodec& codec) { return std::make_unique<Win32Dialogs>(codec); }

}  // namespace platform::win32
