#include "arguments.h"

#include <string_view>

namespace pwscript {
namespace {

// A release row is written as its digit, nothing else: "8.0" or "1e0" are
// not how anyone names a row, and reading them as numbers hid a mistyped
// option.
std::optional<int> ReleaseRow(std::u16string_view text) {
  if (text.size() != 1 || text[0] < u'0' || text[0] > u'8') return std::nullopt;
  return text[0] - u'0';
}

std::optional<int> ParseAnswer(std::u16string_view text) {
  if (text == u"OK") return 1;
  if (text == u"CANCEL") return 2;
  if (text == u"YES") return 6;
  if (text == u"NO") return 7;
  return std::nullopt;
}

}  // namespace

const char16_t kUsage[] =
    u"使い方: pwscript [オプション] スクリプト [値0 [値1 ... 値9]]\n"
    u"  起動中の AutoCAD に対してスクリプトを実行し、%USER0%～%USER9% を表示します。\n"
    u"シミュレーション (Linux 版) のオプション:\n"
    u"  --drawing 図面.dxf   --release 0～8   --picks 1000:at:X;Y[;Z],...   --answer OK|CANCEL|YES|NO\n"
    u"  --set 変数名=値\n"
    u"  -h, --help   この説明を表示します。\n";

std::optional<Arguments> ParseArguments(const std::vector<std::u16string>& args, std::u16string* error) {
  Arguments a;
  bool script_seen = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& arg = args[i];
    if (!script_seen && (arg == u"--help" || arg == u"-h")) {
      a.help = true;
      return a;
    }
    const bool is_option = script_seen ? false : arg.size() > 2 && arg.substr(0, 2) == u"--";
    if (!is_option) {
      if (!script_seen) {
        a.script = arg;
        script_seen = true;
      } else if (a.values.size() < 10) {
        a.values.push_back(arg);
      } else {
        *error = u"ユーザー変数は10個までです。";
        return std::nullopt;
      }
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = arg + u" に値がありません。";
      return std::nullopt;
    }
    const std::u16string& value = args[++i];
    a.simulated_options = true;
    if (arg == u"--drawing") {
      a.drawing = value;
    } else if (arg == u"--release") {
      const std::optional<int> n = ReleaseRow(value);
      if (!n) {
        *error = u"--release は 0 から 8 の数字一つです: " + value;
        return std::nullopt;
      }
      a.release = *n;
    } else if (arg == u"--picks") {
      a.picks = value;  // read by the simulated world, which knows the format
    } else if (arg == u"--answer") {
      const std::optional<int> answer = ParseAnswer(value);
      if (!answer) {
        *error = u"--answer は OK, CANCEL, YES, NO のどれかです: " + value;
        return std::nullopt;
      }
      a.answers.push_back(*answer);
    } else if (arg == u"--set") {
      const std::size_t equals = value.find(u'=');
      if (equals == std::u16string::npos || equals == 0) {
        *error = u"--set は 変数名=値 です: " + value;
        return std::nullopt;
      }
      a.set.emplace_back(value.substr(0, equals), value.substr(equals + 1));
    } else {
      *error = u"不明なオプションです: " + arg;
      return std::nullopt;
    }
  }
  if (!script_seen) {
    *error = u"スクリプトファイルを指定して下さい。";
    return std::nullopt;
  }
  return a;
}

}  // namespace pwscript
