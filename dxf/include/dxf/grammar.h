// The grammar of an ASCII DXF file's groups, shared by every reader of DXF
// files in the tree.
//
// A file is lines, each ended by a line feed; a carriage return right before
// the line feed (or at the very end of the file) belongs to the line end. A
// UTF-8 byte-order mark before the first line belongs to no line. Lines come in
// pairs: a group code and its value. A group code is a whole number with
// optional blanks (spaces, tabs) around it and an optional sign in front of
// its digits; AutoCAD right-aligns codes in three columns ("  0", " 10"), other
// writers do not. Codes beyond 32 bits are no codes. Group 999 is a comment
// that belongs to no record. A blank last line (a file that ends in two line
// ends) is no damage.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dxf_grammar {

inline constexpr std::int32_t kCommentCode = 999;
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

template <typename Char>
constexpr bool IsBlank(Char c) {
  return c == Char{' '} || c == Char{'\t'};
}

// Reads a group-code line one character at a time, for a reader that meets
// the line in pieces (across the blocks of a stream). The characters are the
// line's without its line end.
template <typename Char>
class CodeLineParser {
 public:
  // False once the characters so far can begin no code; the line's later
  // characters do not matter then.
  constexpr bool Add(Char c) {
    if (c >= Char{'0'} && c <= Char{'9'}) {
      if (phase_ == Phase::kTrailing || phase_ == Phase::kBad) return Fail();
      phase_ = Phase::kDigits;
      magnitude_ = magnitude_ * 10 + static_cast<std::int64_t>(c - Char{'0'});
      return magnitude_ <= INT32_MAX || Fail();
    }
    if (IsBlank(c)) {
      if (phase_ == Phase::kSign || phase_ == Phase::kBad) return Fail();
      if (phase_ == Phase::kDigits) phase_ = Phase::kTrailing;
      return true;
    }
    if ((c == Char{'+'} || c == Char{'-'}) && phase_ == Phase::kLeading) {
      phase_ = Phase::kSign;
      negative_ = c == Char{'-'};
      return true;
    }
    return Fail();
  }

  // The code, when the characters added make one.
  constexpr std::optional<std::int32_t> Code() const {
    if (phase_ != Phase::kDigits && phase_ != Phase::kTrailing) return std::nullopt;
    return static_cast<std::int32_t>(negative_ ? -magnitude_ : magnitude_);
  }

  // True while nothing but blanks was added.
  constexpr bool BlankSoFar() const { return phase_ == Phase::kLeading; }

 private:
  enum class Phase : std::uint8_t { kLeading, kSign, kDigits, kTrailing, kBad };

  constexpr bool Fail() {
    phase_ = Phase::kBad;
    return false;
  }

  Phase phase_ = Phase::kLeading;
  bool negative_ = false;
  std::int64_t magnitude_ = 0;
};

// The code a group-code line (without its line end) holds, if any.
template <typename Char>
constexpr std::optional<std::int32_t> ParseCode(std::basic_string_view<Char> line) {
  CodeLineParser<Char> parser;
  for (Char c : line)
    if (!parser.Add(c)) return std::nullopt;
  return parser.Code();
}
constexpr std::optional<std::int32_t> ParseCode(std::string_view line) { return ParseCode<char>(line); }
constexpr std::optional<std::int32_t> ParseCode(std::u16string_view line) {
  return ParseCode<char16_t>(line);
}

// True for a line of blanks only (or none).
constexpr bool IsBlankLine(std::string_view line) {
  for (char c : line)
    if (!IsBlank(c)) return false;
  return true;
}

// The bytes without a byte-order mark in front.
constexpr std::string_view WithoutByteOrderMark(std::string_view bytes) {
  return bytes.starts_with(kByteOrderMark) ? bytes.substr(kByteOrderMark.size()) : bytes;
}

// The next line of `bytes` from `*at` without its line end; moves `*at` past
// the line end. False when no line is left.
constexpr bool NextLine(std::string_view bytes, std::size_t* at, std::string_view* line) {
  if (*at >= bytes.size()) return false;
  const std::size_t lf = bytes.find('\n', *at);
  const std::size_t stop = lf == std::string_view::npos ? bytes.size() : lf;
  *line = bytes.substr(*at, stop - *at);
  if (line->ends_with('\r')) line->remove_suffix(1);
  *at = lf == std::string_view::npos ? bytes.size() : lf + 1;
  return true;
}

struct Group {
  std::int32_t code = 0;
  std::string_view value;  // the value line's bytes without its line end
  std::int64_t line = 0;   // the line of the group code, counted from 1
};

enum class GroupErrorKind {
  kNotACode,  // the code line holds no group code
  kNoValue,   // the file ends after a group code
};

// A damaged file, as the group reader finds it.
struct GroupError {
  GroupErrorKind kind;
  std::int64_t line;           // the code line concerned, counted from 1
  std::string_view code_line;  // its text (kNotACode)
  std::int32_t code = 0;       // its code (kNoValue)
};

// The groups of a file in memory, in order, comments left out.
class GroupReader {
 public:
  explicit GroupReader(std::string_view bytes);

  // The next group that is no comment; false at the end of the bytes. Throws
  // GroupError for a code line that holds no code and for a file that ends
  // after a group code.
  bool Next(Group& group);

  // The number of lines read so far.
  std::int64_t LinesRead() const { return lines_; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
  std::int64_t lines_ = 0;
};

}  // namespace dxf_grammar
