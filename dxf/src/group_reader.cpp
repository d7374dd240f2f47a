#include "dxf/grammar.h"

namespace dxf_grammar {

GroupReader::GroupReader(std::string_view bytes) : bytes_(WithoutByteOrderMark(bytes)) {}

bool GroupReader::Next(Group& group) {
  for (;;) {
    std::string_view code_line;
    if (!NextLine(bytes_, &at_, &code_line)) return false;
    const std::int64_t line = ++lines_;
    const std::optional<std::int32_t> code = ParseCode(code_line);
    if (!code) {
      if (at_ >= bytes_.size() && IsBlankLine(code_line)) return false;
      throw GroupError{GroupErrorKind::kNotACode, line, code_line};
    }
    if (!NextLine(bytes_, &at_, &group.value))
      throw GroupError{GroupErrorKind::kNoValue, line, code_line, *code};
    ++lines_;
    group.code = *code;
    group.line = line;
    if (group.code != kCommentCode) return true;
  }
}

}  // namespace dxf_grammar
