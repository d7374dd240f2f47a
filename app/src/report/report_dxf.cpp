#include "report_dxf.h"

#include <string>

namespace plendra {

std::u16string LineText(std::int64_t line) {
  const std::string text = std::to_string(line);
  return std::u16string(text.begin(), text.end());
}

bool DxfGroupReader::Next(DxfGroup& group) {
  try {
    return reader_.Next(group);
  } catch (const dxf_grammar::GroupError& e) {
    switch (e.kind) {
      case dxf_grammar::GroupErrorKind::kNotACode:
        throw DxfGroupError{e.line, LineText(e.line) + u" 行目がグループ コードではありません"};
      case dxf_grammar::GroupErrorKind::kNoValue:
        break;
    }
    throw DxfGroupError{e.line,
                        u"ファイルが " + LineText(e.line) + u" 行目のグループ コードの後で終わっています"};
  }
}

}  // namespace plendra
