// The system list Keitou.txt: the system names, a field "!!", then the numbers
// that can be written, read as a sequence of text fields in the system's ANSI
// code page.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"

namespace plendra {

// The fields of a text, read the way the desktop's sequential-file input
// reads string fields:
// - Lines end at CRLF, LF or CR. A line that is empty or holds only blanks
//   (space, tab) gives no field, so a stray blank line makes no empty system.
// - Within a line, a comma ends a field; blanks before a field are skipped.
// - A field that begins with a double quote runs to the next double quote on
//   its line and is taken verbatim without the quotes (commas and blanks
//   included); anything between the closing quote and the next comma is
//   ignored. Without a closing quote it takes the rest of the line.
// - Any other field runs to the next comma or the line end and loses its
//   trailing blanks; a double quote inside it is an ordinary character.
// - Commas make fields: "a,,b" has an empty field between a and b, and a line
//   that begins with a comma an empty first field; a comma with nothing but
//   blanks after it on the line adds no field.
std::vector<std::u16string> ReadFields(std::u16string_view text);

struct KeitouList {
  std::vector<std::u16string> systems;
  std::vector<std::u16string> numbers;
  bool separator_found = false;
};

// The first field that is exactly "!!" separates the systems from the numbers
// and is not listed; every later field, a further "!!" included, is a number.
// A field reads as "!!" after the field rules above, so an unquoted " !! " and
// a quoted "!!" separate, while "!! x" or "!!!" do not. Without a separator
// every field is a system and there are no numbers.
KeitouList ParseKeitou(std::u16string_view text);

// Reads and decodes the file; nothing when it is missing or cannot be read.
std::optional<KeitouList> Keitou_Read(const std::filesystem::path& file, platform::TextCodec& codec);

}  // namespace plendra
