#include "report_command.h"

#include <fstream>
#include <memory>
#include <optional>

#include "app/app_error.h"
#include "app/number_text.h"
#include "app/report.h"
#include "platform/ansi_codec.h"
#include "platform/utf8.h"

namespace plendra_report {
namespace {

using plendra::Finding;
using plendra::ReportDrawing;

constexpr char kUsage[] =
    "usage: plendra-report check DRAWING.dxf [--marume N] [--encoding CP]\n"
    "       plendra-report takeoff DRAWING.dxf [--out FILE.csv] [--utf8] [--marume N] [--encoding CP]\n";

struct Options {
  std::u16string command;
  std::filesystem::path drawing;
  std::u16string drawing_shown;
  std::optional<std::filesystem::path> out;
  std::u16string out_shown;
  bool utf8 = false;
  std::int32_t marume = 0;
  unsigned code_page = 932;
};

void Say(std::ostream& err, std::u16string_view text) {
  err << "plendra-report: " << platform::ToUtf8(text) << "\n";
}

// A whole decimal number within [low, high]; nothing otherwise.
std::optional<std::int64_t> Whole(std::u16string_view text, std::int64_t low, std::int64_t high) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

// Parses the arguments; on a mistake, nothing and the reason in `error`.
std::optional<Options> Parse(const std::vector<Argument>& args, std::u16string& error) {
  Options o;
  std::vector<const Argument*> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::u16string name = args[i].text;
    std::optional<Argument> value;
    if (const std::size_t eq = name.find(u'='); name.starts_with(u"--") && eq != std::u16string::npos) {
      value = Argument{name.substr(eq + 1), std::filesystem::path(name.substr(eq + 1))};
      name.resize(eq);
    }
    const auto take = [&]() -> const Argument* {
      if (value) return &*value;
      if (i + 1 < args.size()) return &args[++i];
      error = name + u" の後に値がありません";
      return nullptr;
    };
    if (name == u"--utf8") {
      o.utf8 = true;
    } else if (name == u"--marume") {
      const Argument* v = take();
      if (!v) return std::nullopt;
      const auto index = Whole(v->text, 0, 4);
      if (!index) {
        error =
            u"--marume は 0 から 4 の丸めの番号です (0 1mm, 1 5mm, 2 10mm, 3 50mm, 4 丸め無し): " + v->text;
        return std::nullopt;
      }
      o.marume = static_cast<std::int32_t>(*index);
    } else if (name == u"--encoding") {
      const Argument* v = take();
      if (!v) return std::nullopt;
      std::u16string_view page = v->text;
      if (page.starts_with(u"cp") || page.starts_with(u"CP")) page.remove_prefix(2);
      const auto number = Whole(page, 1, 65535);
      if (!number) {
        error = u"--encoding はコード ページの番号です (932 など): " + v->text;
        return std::nullopt;
      }
      o.code_page = static_cast<unsigned>(*number);
    } else if (name == u"--out") {
      const Argument* v = take();
      if (!v) return std::nullopt;
      o.out = v->path;
      o.out_shown = v->text;
    } else if (name.starts_with(u"--")) {
      error = u"知らないオプションです: " + name;
      return std::nullopt;
    } else {
      positional.push_back(&args[i]);
    }
  }
  if (positional.size() != 2) {
    error = positional.empty() ? u"コマンド (check か takeoff) と図面を指定してください"
                               : u"図面を一つ指定してください";
    return std::nullopt;
  }
  o.command = positional[0]->text;
  o.drawing = positional[1]->path;
  o.drawing_shown = positional[1]->text;
  if (o.command != u"check" && o.command != u"takeoff") {
    error = u"知らないコマンドです: " + o.command;
    return std::nullopt;
  }
  if (o.command == u"check" && (o.out || o.utf8)) {
    error = u"--out と --utf8 は takeoff のオプションです";
    return std::nullopt;
  }
  return o;
}

int Check(const Options& o, const ReportDrawing& drawing, std::ostream& out) {
  const std::vector<Finding> findings = plendra::CheckDrawing(drawing, o.marume);
  for (const Finding& f : findings)
    plendra::FindingLines(f, [&](std::u16string_view line) { out << platform::ToUtf8(line) << '\n'; });
  const std::int64_t count = plendra::FindingLineCount(findings);
  out << count << " findings\n";  // the same word for any count, for scripts that read it
  out.flush();
  return count == 0 ? kExitClean : kExitFindings;
}

int Takeoff(const Options& o, const ReportDrawing& drawing, std::ostream& out, std::ostream& err) {
  const std::u16string csv = plendra::CsvText(plendra::TakeoffRows(drawing));
  std::string bytes;
  if (o.utf8) {
    bytes = "\xEF\xBB\xBF" + platform::ToUtf8(csv);
  } else {
    // The sheet is for Excel on a Japanese Windows, which opens a CSV in the
    // ANSI code page: 932 whatever the drawing was written in.
    bytes = platform::MakeAnsiCodec(932)->ToAnsi(csv);
  }
  if (o.out) {
    std::ofstream file(*o.out, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      Say(err, o.out_shown + u": 集計表を書き込めません");
      return kExitTrouble;
    }
  } else {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
  }

  // The sheet shows the tables as written; say when they disagree with the
  // drawing, so that nobody orders pipe from an out-of-date table.
  std::int64_t stale = 0;
  for (const Finding& f : plendra::CheckDrawing(drawing, o.marume))
    if (f.type == plendra::FindingType::kStale || f.type == plendra::FindingType::kOrphan) ++stale;
  if (stale > 0)
    Say(err,
        u"注意: " + plendra::IntegerText(stale) +
            u" 件の部品表は長さが寸法と合わないか寸法がありません (plendra-report check で確かめてください)");
  const std::size_t without = plendra::EntriesWithoutLength(drawing).size();
  if (without > 0)
    Say(err, u"注意: " + plendra::IntegerText(static_cast<std::int64_t>(without)) +
                 u" 件の部品表は長さが数値でないため、合計の長さに含めていません");
  return kExitClean;
}

}  // namespace

int RunReportCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err) {
  std::u16string error;
  const std::optional<Options> o = Parse(args, error);
  if (!o) {
    Say(err, error);
    err << kUsage;
    return kExitTrouble;
  }
  std::unique_ptr<platform::TextCodec> codec;
  try {
    codec = platform::MakeAnsiCodec(o->code_page);
  } catch (const std::exception&) {
    codec.reset();
  }
  // iconv refuses a code page it does not know; Windows' conversions accept
  // any number and then convert nothing, which a digit shows.
  if (!codec || codec->FromAnsi("0") != u"0") {
    Say(err, u"コード ページ " + plendra::IntegerText(o->code_page) + u" はここでは使えません");
    return kExitTrouble;
  }
  plendra::ReportReadFailure failure;
  const std::optional<ReportDrawing> drawing = plendra::ReadReportFile(o->drawing, *codec, failure);
  if (!drawing) {
    Say(err, o->drawing_shown + u": " + failure.description);
    return kExitTrouble;
  }
  return o->command == u"check" ? Check(*o, *drawing, out) : Takeoff(*o, *drawing, out, err);
}

}  // namespace plendra_report
