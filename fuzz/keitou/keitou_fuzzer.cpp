// libFuzzer target for the system list Keitou.txt.
//
// The input is the file's bytes in code page 932. Whatever they hold: no
// field spans a line; the systems are the fields before the first "!!" and
// the numbers all fields after it; and the fields, written back one a line
// (quoted unless they hold a quote themselves), read back as the same fields
// and the same list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/keitou_file.h"
#include "platform/ansi_codec.h"

namespace {

platform::TextCodec& Codec() {
  static const std::unique_ptr<platform::TextCodec> codec = platform::MakeAnsiCodec(932);
  return *codec;
}

// A field that holds a quote came unquoted, so it has no comma and no blank at
// either end, and reads back as written; any other field reads back quoted.
std::u16string WriteBack(const std::vector<std::u16string>& fields) {
  std::u16string text;
  for (const std::u16string& field : fields) {
    if (field.find(u'"') == std::u16string::npos)
      text += u"\"" + field + u"\"";
    else
      text += field;
    text += u"\r\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = Codec().FromAnsi(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::vector<std::u16string> fields = plendra::ReadFields(text);
  const plendra::KeitouList list = plendra::ParseKeitou(text);

  for (const std::u16string& field : fields)
    if (field.find_first_of(u"\r\n") != std::u16string::npos) std::abort();
  std::size_t i = 0;
  for (const std::u16string& system : list.systems)
    if (system == u"!!" || fields.at(i++) != system) std::abort();
  if (list.separator_found) {
    if (fields.at(i++) != u"!!") std::abort();
  } else if (!list.numbers.empty()) {
    std::abort();
  }
  for (const std::u16string& number : list.numbers)
    if (fields.at(i++) != number) std::abort();
  if (i != fields.size()) std::abort();

  const std::u16string again = WriteBack(fields);
  if (plendra::ReadFields(again) != fields) std::abort();
  const plendra::KeitouList reread = plendra::ParseKeitou(again);
  if (reread.systems != list.systems || reread.numbers != list.numbers ||
      reread.separator_found != list.separator_found)
    std::abort();
  return 0;
}
