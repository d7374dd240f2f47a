// Reading a DXF file as lines, for the scanner: blocks of a fixed size, line
// feeds found 64 bytes at a time, group codes parsed where they lie.
//
// Private to the scanner (link/src/dxf_scanner.cpp); a header of its own
// only to keep each file to one purpose.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "dxf/grammar.h"
#include "link/dxf_scanner.h"
#include "link/errors.h"
#include "link/messages.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvel::dxf_reading {

// The block is followed by a line feed that marks where its data ends, and by
// room for a 64-byte look for line feeds that starts at that mark.
constexpr std::size_t kPadding = 128;
// Group codes below this are looked up in a table; DXF's go up to 1071.
constexpr std::size_t kListedCodes = 2048;
// The smallest block that still holds a useful line.
constexpr std::size_t kMinBlockBytes = 16;

struct ScanAbort {
  std::int32_t number;
  std::u16string description;
};

inline std::u16string Decimal(std::uint64_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

[[noreturn]] inline void Abort(std::int32_t number, std::u16string_view detail) {
  throw ScanAbort{number, RuntimeErrorText(number) + u"(" + std::u16string(detail) + u")"};
}

// The value of a digit, 0 for a blank, 0x80 for any other byte.
inline constexpr std::array<std::uint8_t, 256> kDigitOrBlank = [] {
  std::array<std::uint8_t, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b)
    table[b] = b >= '0' && b <= '9' ? static_cast<std::uint8_t>(b - '0') : b == ' ' ? 0 : 0x80;
  return table;
}();

// For three-column codes: kLeadingPair[first | second << 8] is ten times the
// number the first two bytes make (blanks only in front), kLastDigit the
// third byte's digit; either is kNoCode or more when its bytes cannot begin
// (or end) a three-column code.
inline constexpr unsigned kNoCode = 0x4000;

inline constexpr std::array<std::uint16_t, 256> kLastDigit = [] {
  std::array<std::uint16_t, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b)
    table[b] = b >= '0' && b <= '9' ? static_cast<std::uint16_t>(b - '0') : kNoCode;
  return table;
}();

// Filled when the program starts, not by the compiler: clang's constant
// evaluation stops at its step limit long before 65536 rounds.
inline const std::array<std::uint16_t, 65536> kLeadingPair = [] {
  std::array<std::uint16_t, 65536> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const unsigned v0 = kDigitOrBlank[i & 0xFF], v1 = kDigitOrBlank[i >> 8];
    const bool blank_after_digit = (i >> 8) == ' ' && (i & 0xFF) != ' ';
    table[i] =
        (v0 | v1) & 0x80 || blank_after_digit ? kNoCode : static_cast<std::uint16_t>(100 * v0 + 10 * v1);
  }
  return table;
}();

// Any code line but the common forms, by the shared grammar; out of line, so
// that the scanning loop that holds the common forms stays small.
[[gnu::noinline, gnu::cold]] inline bool ParseOtherCodeLine(std::string_view line, std::int32_t* code) {
  const std::optional<std::int32_t> number = dxf_grammar::ParseCode(line);
  if (number) *code = *number;
  return number.has_value();
}

// A group-code line that lies whole in the block. AutoCAD writes the code
// right-aligned, blanks and then digits, and most codes in three columns;
// those are read without a loop, anything else takes the shared grammar's
// parse. Whatever the way, the answer is the grammar's.
inline bool ParseCodeLine(std::string_view line, std::int32_t* code) {
  if (line.size() == 3) {
    // Blanks only in front: "  0", " 10", "100". Two lookups, whatever the
    // bytes: a byte that does not fit makes the sum too large for a code.
    const unsigned pair =
        static_cast<unsigned char>(line[0]) | static_cast<unsigned>(static_cast<unsigned char>(line[1])) << 8;
    const unsigned value = kLeadingPair[pair] + kLastDigit[static_cast<unsigned char>(line[2])];
    if (value < kNoCode) {
      *code = static_cast<std::int32_t>(value);
      return true;
    }
  }
  const char* p = line.data();
  const char* const end = p + line.size();
  while (p < end && *p == ' ') ++p;
  if (p < end && end - p <= 9) {
    std::int32_t value = 0;
    const char* q = p;
    for (; q < end; ++q) {
      const unsigned digit = static_cast<unsigned char>(*q) - unsigned{'0'};
      if (digit > 9) break;
      value = value * 10 + static_cast<std::int32_t>(digit);
    }
    if (q == end) {
      *code = value;
      return true;
    }
  }
  return ParseOtherCodeLine(line, code);
}

class LineReader {
 public:
  LineReader(DxfSource& source, char* block, std::size_t block_bytes)
      : source_(&source), block_(block), begin_(block), capacity_(block_bytes), pos_(block), end_(block) {
    const std::string_view whole = source.Whole();
    if (whole.size() > kMappedTail) {
      // The block moves over the source's own memory; the end marker takes
      // the place of the byte after it, which is put back before moving on.
      begin_ = const_cast<char*>(whole.data());
      pos_ = end_ = begin_;
      whole_begin_ = begin_;
      whole_end_ = begin_ + whole.size();
      in_place_limit_ = begin_ + whole.size() - kMappedTail;
      saved_ = *end_;
    }
    *end_ = '\n';
  }

  std::uint64_t LinesRead() const { return lines_; }

  // True when no byte is left.
  bool AtEnd() {
    if (pos_ < end_) return false;
    Refill();
    return pos_ == end_;
  }

  // The next group, when both its lines lie whole in the block: the code line
  // and the value line, each without its line end. False (nothing read)
  // otherwise; the caller then reads the lines one by one.
  //
  // Most groups are a dozen bytes, so the line feeds of 64 bytes are found
  // at once and handed out one by one from a bit mask.
  bool NextPair(std::string_view* code_line, std::string_view* value_line) {
    if (!mask_valid_) {
      mask_base_ = pos_;
      mask_ = LineFeedMask(pos_);
      mask_valid_ = true;
    }
    // The end marker is a line feed, so the first line feed found is at or
    // before it; bytes after the marker may hold old line feeds.
    const char* const lf1 = NextMaskedLineFeed();
    if (lf1 >= end_) return mask_valid_ = false;
    const char* const lf2 = NextMaskedLineFeed();
    if (lf2 >= end_) return mask_valid_ = false;
    *code_line = WithoutCr(pos_, lf1);
    *value_line = WithoutCr(lf1 + 1, lf2);
    pos_ = lf2 + 1;
    lines_ += 2;
    return true;
  }

  enum class Skipped { kStopped, kNotACode, kAcrossBlock };

  // Passes over groups for as long as they lie whole in the block: the loop
  // that most of a drawing goes through, with its state in locals. Stops
  // after a group 0 or a group whose code below kListedCodes is marked in
  // `listed` (null: none), with its code and value; at a code line that is
  // no number (counted in LinesRead); or before a group that runs past the
  // block.
  Skipped SkipUntil(const bool* listed, std::int32_t* code_out, std::string_view* value_line) {
    if (!mask_valid_) {
      mask_base_ = pos_;
      mask_ = LineFeedMask(pos_);
      mask_valid_ = true;
    }
    const char* pos = pos_;
    const char* base = mask_base_;
    std::uint64_t mask = mask_;
    std::uint64_t lines = lines_;
    const char* const end = end_;
    const auto next = [&] {
      while (mask == 0) {
        base += 64;
        mask = LineFeedMask(base);
      }
      const char* lf = base + __builtin_ctzll(mask);
      mask &= mask - 1;
      return lf;
    };
    Skipped result;
    for (;;) {
      const char* const lf1 = next();
      if (lf1 >= end) {
        result = Skipped::kAcrossBlock;
        break;
      }
      const char* const lf2 = next();
      if (lf2 >= end) {
        result = Skipped::kAcrossBlock;
        break;
      }
      std::int32_t code;
      if (!ParseCodeLine(WithoutCr(pos, lf1), &code)) [[unlikely]] {
        ++lines;
        result = Skipped::kNotACode;
        break;
      }
      lines += 2;
      if (code == 0 || (listed != nullptr &&
                        (code < 0 || code >= static_cast<std::int32_t>(kListedCodes) || listed[code]))) {
        *code_out = code;
        *value_line = WithoutCr(lf1 + 1, lf2);
        pos = lf2 + 1;
        result = Skipped::kStopped;
        break;
      }
      pos = lf2 + 1;
    }
    pos_ = pos;
    mask_base_ = base;
    mask_ = mask;
    lines_ = lines;
    if (result == Skipped::kAcrossBlock) mask_valid_ = false;
    return result;
  }

  enum class CodeLine { kCode, kNotACode, kBlankLast };

  // Reads the next line as a group code, by the shared grammar: kNotACode
  // when it holds none, kBlankLast for a blank last line of the file (which
  // ends the file without damage). The caller has made sure that a line
  // follows.
  CodeLine ReadCode(std::int32_t* code) {
    mask_valid_ = false;
    ++lines_;
    const char* p = pos_;
    dxf_grammar::CodeLineParser<char> parser;
    // A CR belongs to the line end when the line feed (or the file's end)
    // follows it, and to the line otherwise, where no code has one.
    bool cr = false;
    for (;;) {
      const char c = *p;
      if (c == '\n') {
        if (p != end_) [[likely]] {
          ++p;
          break;
        }
        pos_ = end_;  // the parser holds the line so far; nothing to keep
        const bool more = Refill();
        p = pos_;
        if (!more) break;
        continue;
      }
      ++p;
      if (cr) return CodeLine::kNotACode;
      cr = c == '\r';
      if (!cr && !parser.Add(c)) return CodeLine::kNotACode;
    }
    pos_ = p;
    if (const std::optional<std::int32_t> value = parser.Code()) {
      *code = *value;
      return CodeLine::kCode;
    }
    return parser.BlankSoFar() && AtEnd() ? CodeLine::kBlankLast : CodeLine::kNotACode;
  }

  // Passes over a byte-order mark in front of the first line.
  void SkipByteOrderMark() {
    constexpr std::string_view kMark = dxf_grammar::kByteOrderMark;
    while (static_cast<std::size_t>(end_ - pos_) < kMark.size() && Refill()) {
    }
    if (std::string_view(pos_, static_cast<std::size_t>(end_ - pos_)).starts_with(kMark))
      pos_ += kMark.size();
  }

  // Reads the next line without its line end. Lines longer than the block are
  // kept up to `keep` bytes (*whole is false when more were dropped). False
  // when no line is left. The view lasts until the next read.
  bool ReadLine(std::string_view* line, std::size_t keep, bool* whole) {
    mask_valid_ = false;
    ++lines_;
    const char* lf = FindLineFeed(pos_);
    if (lf != end_) [[likely]] {
      *line = WithoutCr(pos_, lf);
      *whole = true;
      pos_ = lf + 1;
      return true;
    }
    return ReadLineAcrossBlocks(line, keep, whole);
  }

  // Passes over the next line. False when no line is left.
  bool SkipLine() {
    mask_valid_ = false;
    ++lines_;
    const char* lf = FindLineFeed(pos_);
    if (lf != end_) [[likely]] {
      pos_ = lf + 1;
      return true;
    }
    bool any = pos_ < end_;
    for (;;) {
      pos_ = end_;
      if (!Refill()) return any;
      any = true;
      lf = FindLineFeed(pos_);
      if (lf != end_) {
        pos_ = lf + 1;
        return true;
      }
    }
  }

 private:
  // Bit i set when p[i] is a line feed, for the 64 bytes from p. The block's
  // padding lets p lie anywhere up to the end marker.
  static std::uint64_t LineFeedMask(const char* p) {
#if defined(__SSE2__)
    // Written out: a loop here is not unrolled, and its shifts by a count in
    // a register cost as much as the rest.
    const __m128i lf = _mm_set1_epi8('\n');
    const auto piece = [&](int i) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
      return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf))));
    };
    return piece(0) | piece(1) << 16 | piece(2) << 32 | piece(3) << 48;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i) mask |= static_cast<std::uint64_t>(p[i] == '\n') << i;
    return mask;
#endif
  }

  // The next line feed of the mask, moving on by 64 bytes while it is empty.
  // The end marker stops this before the padding ends.
  const char* NextMaskedLineFeed() {
    while (mask_ == 0) {
      mask_base_ += 64;
      mask_ = LineFeedMask(mask_base_);
    }
    const char* lf = mask_base_ + __builtin_ctzll(mask_);
    mask_ &= mask_ - 1;
    return lf;
  }

  // The first line feed at or after p; end_ when the block has none (the end
  // marker stops the search).
  const char* FindLineFeed(const char* p) const {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    for (;; p += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
      if (mask != 0) return p + __builtin_ctz(mask);
    }
#else
    return static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end_ - p) + 1));
#endif
  }

  static std::string_view WithoutCr(const char* from, const char* to) {
    if (to > from && to[-1] == '\r') --to;
    return std::string_view(from, static_cast<std::size_t>(to - from));
  }

  // Moves the unread bytes [pos_, end_) to the front of the block and reads
  // more behind them. False when nothing more could be read.
  bool Refill() {
    mask_valid_ = false;
    if (in_place_limit_ != nullptr) {
      *end_ = saved_;
      if (end_ < in_place_limit_) {
        // The unread bytes stay where they are, and the block moves on.
        source_->Passed(static_cast<std::size_t>(pos_ - whole_begin_));
        begin_ = const_cast<char*>(pos_);
        char* const new_end =
            begin_ + std::min(capacity_, static_cast<std::size_t>(in_place_limit_ - begin_));
        const bool more = new_end > end_;
        end_ = new_end;
        saved_ = *end_;
        *end_ = '\n';
        return more;
      }
      // The last bytes go through the block like any other source's, so that
      // the end marker and the look past it stay in memory of the reader's own.
      tail_.emplace(std::string_view(pos_, static_cast<std::size_t>(whole_end_ - pos_)));
      source_ = &*tail_;
      in_place_limit_ = nullptr;
      begin_ = block_;
      pos_ = end_ = block_;
    }
    const std::size_t kept = static_cast<std::size_t>(end_ - pos_);
    if (pos_ != begin_) std::memmove(begin_, pos_, kept);
    pos_ = begin_;
    end_ = begin_ + kept;
    std::size_t got = 0;
    if (!ended_ && kept < capacity_) {
      got = source_->Read(end_, capacity_ - kept);
      if (got == 0) {
        ended_ = true;
        if (source_->Failed()) Abort(kErrFileNotFound, u"DXF ファイルを読み込めませんでした");
      }
    }
    end_ += got;
    *end_ = '\n';
    return got > 0;
  }

  bool ReadLineAcrossBlocks(std::string_view* line, std::size_t keep, bool* whole) {
    bool spilled = false;
    bool any = pos_ < end_;
    *whole = true;
    spill_.clear();
    for (;;) {
      if (static_cast<std::size_t>(end_ - pos_) == capacity_) {
        // The line fills the whole block: it goes on in spill_.
        Spill(pos_, end_, keep, whole);
        spilled = true;
        pos_ = end_;
      }
      if (!Refill()) {
        // The file ends inside this line: it is its last line, without a line end.
        if (!any) return false;
        const char* from = pos_;
        pos_ = end_;
        if (!spilled) {
          *line = WithoutCr(from, end_);
          return true;
        }
        Spill(from, end_, keep, whole);
        *line = WithoutCr(spill_.data(), spill_.data() + spill_.size());
        return true;
      }
      any = true;
      const char* lf = FindLineFeed(pos_);
      if (lf != end_) {
        const char* from = pos_;
        pos_ = lf + 1;
        if (!spilled) {
          *line = WithoutCr(from, lf);
          return true;
        }
        Spill(from, lf, keep, whole);
        *line = WithoutCr(spill_.data(), spill_.data() + spill_.size());
        return true;
      }
    }
  }

  void Spill(const char* from, const char* to, std::size_t keep, bool* whole) {
    const std::size_t n = static_cast<std::size_t>(to - from);
    const std::size_t room = keep > spill_.size() ? keep - spill_.size() : 0;
    if (n > room) *whole = false;
    spill_.append(from, std::min(n, room));
  }

  // Bytes at the end of a source read in place that still go through the
  // block: room for the look past the end marker.
  static constexpr std::size_t kMappedTail = 4096;

  DxfSource* source_;
  char* block_;  // the reader's own block
  // Reading a source's whole bytes in place: the block may not reach past
  // in_place_limit_, and saved_ is the byte the end marker covers. Null
  // once the tail is read through the block (tail_ is then the source).
  char* in_place_limit_ = nullptr;
  const char* whole_begin_ = nullptr;
  const char* whole_end_ = nullptr;
  char saved_ = 0;
  std::optional<DxfMemorySource> tail_;
  char* begin_;
  std::size_t capacity_;
  const char* pos_;
  char* end_;
  bool ended_ = false;
  std::uint64_t lines_ = 0;
  std::string spill_;
  // The line feeds not yet handed out by NextPair: bit i stands for
  // mask_base_[i]. Any other read moves pos_ and makes it stale.
  bool mask_valid_ = false;
  const char* mask_base_ = nullptr;
  std::uint64_t mask_ = 0;
};

}  // namespace korvel::dxf_reading
