#include "report_command.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "app/app_error.h"
#include "app/file_bytes.h"
#include "app/number_text.h"
#include "app/report.h"
#include "platform/ansi_codec.h"
#include "platform/dxf_code_page.h"
#include "platform/utf8.h"

namespace plendra_report {
namespace {

using plendra::Finding;
using plendra::ReportDrawing;

constexpr char kUsage[] =
    "使い方: plendra-report check 図面.dxf [図面.dxf …] [--marume N] [--encoding CP] [--stats]\n"
    "        plendra-report takeoff 図面.dxf [図面.dxf …] [--out 集計表.csv] [--utf8] [--marume N]\n"
    "                       [--encoding CP] [--stats]\n"
    "        plendra-report renumber 図面.dxf 系統 [--encoding CP]\n"
    "        plendra-report --help\n";

constexpr char kHelp[] =
    "\n"
    "  check          部品表の重複・欠番・長さ違い・寸法なし・番号なし・寸法の表示値違いを\n"
    "                 一件一行で書き出します\n"
    "  takeoff        集計表 (CSV) を書き出します\n"
    "  renumber       系統の番号を 1 から振り直す計画 (旧番号, 新番号, 長さ, X, Y) を書き出します。\n"
    "                 図面は変えません\n"
    "  図面.dxf       複数の図面 (一つの建物の各階など) は番号を通して検査・集計します。\n"
    "                 フォルダーを指定すると、その中の *.dxf を名前の順に読みます\n"
    "  --marume N     部品表を書いたときの丸め: 0 1mm (既定), 1 5mm, 2 10mm, 3 50mm, 4 丸め無し\n"
    "  --encoding CP  図面のコード ページ (932, cp1252, 65001 など)。既定は図面のヘッダーから:\n"
    "                 AC1021 以降は UTF-8、それより前は $DWGCODEPAGE、どちらもなければ 932\n"
    "  --out FILE     集計表の書き込み先 (既定は標準出力)。図面そのものには書けません\n"
    "  --utf8         集計表を BOM 付きの UTF-8 で書きます (既定はコード ページ 932)\n"
    "  --stats        図面を読んだ時間と速さ (MB/s) を標準エラー出力に書きます\n"
    "  -h, --help     この説明を表示します\n"
    "\n"
    "終了コード: 0 見つかったものなし (takeoff は書き出した, renumber は振り直すものなし),\n"
    "            1 検査で見つかったものあり (renumber は振り直すものあり),\n"
    "            2 使い方の誤りか、読めない・書けないファイル, 3 部品表が一つも見つからない\n";

// One drawing of the command line, or of a folder named there.
struct Drawing {
  std::filesystem::path path;
  std::u16string shown;  // as the messages and a set's findings name it
};

struct Options {
  std::u16string command;
  std::u16string system;          // renumber: the system to renumber, exactly as written
  std::vector<Drawing> drawings;  // in the order given, a folder's in name order
  std::optional<std::filesystem::path> out;
  std::u16string out_shown;
  bool utf8 = false;
  bool marume_given = false;
  std::int32_t marume = 0;
  std::optional<unsigned> code_page;  // nothing: the drawing's header decides
  bool help = false;
  bool stats = false;
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
    if (name == u"--help" || name == u"-h") {
      o.help = true;
    } else if (name == u"--utf8") {
      o.utf8 = true;
    } else if (name == u"--stats") {
      o.stats = true;
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
      o.marume_given = true;
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
      if (v->text.empty()) {
        error = u"--out に集計表のファイル名がありません";
        return std::nullopt;
      }
      o.out = v->path;
      o.out_shown = v->text;
    } else if (name.starts_with(u"--")) {
      error = u"知らないオプションです: " + name;
      return std::nullopt;
    } else {
      positional.push_back(&args[i]);
    }
  }
  if (o.help) return o;
  if (positional.size() < 2) {
    error = positional.empty() ? u"コマンド (check, takeoff か renumber) と図面を指定してください"
                               : u"図面を一つ以上指定してください";
    return std::nullopt;
  }
  o.command = positional[0]->text;
  if (o.command != u"check" && o.command != u"takeoff" && o.command != u"renumber") {
    error = u"知らないコマンドです: " + o.command;
    return std::nullopt;
  }
  // The plan is of one drawing: the system follows it.
  const bool renumber = o.command == u"renumber";
  if (renumber && positional.size() != 3) {
    error = u"図面と系統を一つずつ指定してください";
    return std::nullopt;
  }
  for (std::size_t k = 1; k < (renumber ? 2 : positional.size()); ++k) {
    if (positional[k]->text.empty()) {
      error = u"図面のファイル名が空です";
      return std::nullopt;
    }
    o.drawings.push_back({positional[k]->path, positional[k]->text});
  }
  if (renumber) {
    o.system = positional[2]->text;
    if (o.system.empty()) {
      error = u"系統が空です";
      return std::nullopt;
    }
  }
  if (o.command != u"takeoff" && (o.out || o.utf8)) {
    error = u"--out と --utf8 は takeoff のオプションです";
    return std::nullopt;
  }
  // The plan reads numbers only; a rounding given for it is a mistake the
  // user should hear about rather than one silently ignored.
  if (renumber && o.marume_given) {
    error = u"--marume は check と takeoff のオプションです";
    return std::nullopt;
  }
  if (renumber && o.stats) {
    error = u"--stats は check と takeoff のオプションです";
    return std::nullopt;
  }
  return o;
}

// Why a write or a read failed, from errno, in the words the program speaks.
std::u16string Reason(int error) {
  switch (error) {
    case 0:
      return {};
    case ENOENT:
      return u"フォルダーがありません";
    case ENOTDIR:
      return u"途中にフォルダーでないものがあります";
    case EACCES:
    case EPERM:
      return u"書き込む権限がありません";
    case ENOSPC:
      return u"ディスクに空きがありません";
#ifdef EROFS
    case EROFS:
      return u"読み取り専用です";
#endif
    case EISDIR:
      return u"フォルダーです";
    case EPIPE:
      return u"書き込み先が閉じられています";
    case EFBIG:
      return u"ファイルが大きすぎます";
    default:
      return u"エラー番号 " + plendra::IntegerText(error);
  }
}

std::u16string WithReason(std::u16string text, int error) {
  const std::u16string reason = Reason(error);
  return reason.empty() ? text : text + u" (" + reason + u")";
}

// Flushes what went to the standard output and says so when it did not get
// there (a full disk, a closed pipe).
bool Flushed(std::ostream& out, std::ostream& err) {
  if (out) {
    errno = 0;
    out.flush();
  }
  if (out) return true;  // else errno is that of the write or the flush that failed
  Say(err, WithReason(u"標準出力に書き込めません", errno));
  return false;
}

// Warns that the drawing held no entry at all: the likeliest cause is that
// its texts were read in the wrong code page, so that no tag matched.
void SayNoEntries(const Options& o, const std::u16string& shown, unsigned code_page, std::ostream& err) {
  Say(err, shown + u": 部品表 (タグ「(1)系統」の属性) が一つも見つかりません。コード ページ " +
               plendra::IntegerText(code_page) + u" で読みました" +
               (o.code_page ? u"" : u" (図面のヘッダーから)") +
               u"。違うときは --encoding で指定してください");
}

// One drawing as read: its entries and dimensions, or why it could not be.
struct Sheet {
  std::optional<ReportDrawing> drawing;
  unsigned code_page = 0;
  std::u16string failure;  // the message, when the drawing is not there
  std::uint64_t bytes = 0;
};

// The drawings of a set, read and joined into one.
struct ReadSet {
  ReportDrawing joined;
  std::vector<std::u16string> names;  // a set's names; empty for one drawing, whose output stays as it was
  std::vector<std::size_t> without_entries;  // the drawings in which no entry was found
  std::vector<unsigned> code_pages;
};

// The drawings in which nothing was recognised, each said; a set whose other
// drawings hold entries is still checked and added up.
void SayNoEntries(const Options& o, const ReadSet& set, std::ostream& err) {
  for (std::size_t k : set.without_entries) SayNoEntries(o, o.drawings[k].shown, set.code_pages[k], err);
}

int Check(const Options& o, const ReadSet& set, std::ostream& out, std::ostream& err) {
  const ReportDrawing& drawing = set.joined;
  const std::vector<Finding> findings = plendra::CheckDrawing(drawing, o.marume);
  for (const Finding& f : findings)
    plendra::FindingLines(
        f, [&](std::u16string_view line) { out << platform::ToUtf8(line) << '\n'; }, set.names);
  // The same words for any count, for scripts that read them; the entries
  // read are counted so that a drawing in which nothing was recognised never
  // passes for a clean one.
  out << findings.size() << " findings in " << drawing.entries.size() << " entries\n";
  if (!Flushed(out, err)) return kExitTrouble;
  SayNoEntries(o, set, err);
  if (!findings.empty()) return kExitFindings;
  // A set in which one sheet read as nothing is not a clean one either.
  return set.without_entries.empty() ? kExitClean : kExitNoEntries;
}

// Writes bytes into a file that is no regular one (/dev/stdout, a pipe): it
// cannot be replaced, only written.
bool WriteInto(const std::filesystem::path& file, const std::string& bytes, int& error) {
  errno = 0;
  std::ofstream into(file, std::ios::binary);
  into.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  into.close();
  error = into ? 0 : errno;
  return static_cast<bool>(into);
}

// Writes the sheet to a new file beside `file` and renames it into place, so
// that a failed write leaves the older sheet as it was and never half a
// sheet. A link is followed, so that it still names the new sheet. On
// failure, the reason as errno gives it.
bool WriteSheet(std::filesystem::path file, const std::string& bytes, int& error) {
  std::error_code ec;
  if (std::filesystem::is_symlink(file, ec)) {
    const std::filesystem::path target = std::filesystem::weakly_canonical(file, ec);
    if (!ec) file = target;
  }
  const std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return WriteInto(file, bytes, error);
  return plendra::ReplaceFileBytes(file, bytes, &error);
}

// Refuses a sheet that would land on the drawing itself or on a folder,
// before anything is written.
std::optional<std::u16string> RefusedOutput(const Options& o) {
  std::error_code ec;
  for (const Drawing& d : o.drawings)
    if (std::filesystem::equivalent(d.path, *o.out, ec))
      return o.out_shown + u": 集計表の書き込み先が図面そのものです。別のファイル名を指定してください";
  if (std::filesystem::is_directory(*o.out, ec))
    return o.out_shown + u": 集計表の書き込み先がフォルダーです。ファイル名を指定してください";
  return std::nullopt;
}

int Takeoff(const Options& o, const ReadSet& set, std::ostream& out, std::ostream& err) {
  const ReportDrawing& drawing = set.joined;
  SayNoEntries(o, set, err);
  if (drawing.entries.empty()) {
    // An empty sheet helps nobody and would replace an older one.
    Say(err, u"集計表は書き出していません");
    return kExitNoEntries;
  }
  const std::u16string csv = plendra::CsvText(plendra::TakeoffRows(drawing, set.names));
  std::string bytes;
  if (o.utf8) {
    bytes = "\xEF\xBB\xBF" + platform::ToUtf8(csv);
  } else {
    // The sheet is for Excel on a Japanese Windows, which opens a CSV in the
    // ANSI code page: 932 whatever the drawing was written in.
    bytes = platform::MakeAnsiCodec(932)->ToAnsi(csv);
  }
  if (o.out) {
    int error = 0;
    if (!WriteSheet(*o.out, bytes, error)) {
      Say(err, WithReason(o.out_shown + u": 集計表を書き込めません", error));
      return kExitTrouble;
    }
  } else {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!Flushed(out, err)) return kExitTrouble;
  }
  Say(err, u"部品表 " + plendra::IntegerText(static_cast<std::int64_t>(drawing.entries.size())) +
               u" 件を集計しました");

  // The sheet shows the tables as written; say when they disagree with the
  // drawing, so that nobody orders pipe from an out-of-date table.
  std::int64_t stale = 0, printed = 0;
  for (const Finding& f : plendra::CheckDrawing(drawing, o.marume)) {
    if (f.type == plendra::FindingType::kStale || f.type == plendra::FindingType::kOrphan) ++stale;
    if (f.type == plendra::FindingType::kOverride) ++printed;
  }
  if (stale > 0)
    Say(err,
        u"注意: " + plendra::IntegerText(stale) +
            u" 件の部品表は長さが寸法と合わないか寸法がありません (plendra-report check で確かめてください)");
  // The sheet holds the measurements; the drawing shows those entries'
  // dimensions with other numbers, which whoever compares them will meet.
  if (printed > 0)
    Say(err, u"注意: " + plendra::IntegerText(printed) +
                 u" 件の部品表は寸法の表示値が測定値と違います (集計表は測定値です。plendra-report check "
                 u"で確かめてください)");
  const std::size_t without = plendra::EntriesWithoutLength(drawing).size();
  if (without > 0)
    Say(err, u"注意: " + plendra::IntegerText(static_cast<std::int64_t>(without)) +
                 u" 件の部品表は長さが数値でないため、合計の長さに含めていません");
  return kExitClean;
}

// Reads one drawing in the code page its own header names (a set may mix
// AutoCAD 2000 files in 932 with UTF-8 AutoCAD 2007 ones), unless
// --encoding names one for all of them.
Sheet ReadSheet(const Options& o, const Drawing& d) {
  Sheet sheet;
  const std::optional<std::string> bytes = plendra::ReadFileBytes(d.path);
  if (!bytes) {
    sheet.failure = d.shown + u": ファイルが見つからないか、読めません";
    return sheet;
  }
  sheet.bytes = bytes->size();
  // The drawing's own header names its code page (AutoCAD 2007 and later
  // write UTF-8); --encoding overrides it for a header that says nothing or
  // says it wrongly.
  sheet.code_page = o.code_page.value_or(
      platform::DxfHeaderCodePage(std::string_view(*bytes).substr(0, platform::kDxfHeaderBytes))
          .value_or(932));
  std::unique_ptr<platform::TextCodec> codec;
  try {
    codec = platform::MakeAnsiCodec(sheet.code_page);
  } catch (const std::exception&) {
    codec.reset();
  }
  // iconv refuses a code page it does not know; Windows' conversions accept
  // any number and then convert nothing, which a digit shows.
  if (!codec || codec->FromAnsi("0") != u"0") {
    sheet.failure = u"コード ページ " + plendra::IntegerText(sheet.code_page) + u" はここでは使えません" +
                    (o.code_page ? u"" : u" (図面のヘッダーが指定しています。--encoding で指定してください)");
    if (o.drawings.size() > 1) sheet.failure = d.shown + u": " + sheet.failure;
    return sheet;
  }
  plendra::ReportReadFailure failure;
  sheet.drawing = plendra::ReadReportDrawing(*bytes, *codec, failure);
  if (!sheet.drawing) sheet.failure = d.shown + u": " + failure.description;
  return sheet;
}

// Reads the drawings, several at a time where the machine has the cores: a
// building's sheets are read independently, each with its own codec.
std::vector<Sheet> ReadSheets(const Options& o) {
  std::vector<Sheet> sheets(o.drawings.size());
  const std::size_t workers =
      std::min<std::size_t>(o.drawings.size(), std::max(1u, std::thread::hardware_concurrency()));
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t k; (k = next++) < sheets.size();) sheets[k] = ReadSheet(o, o.drawings[k]);
  };
  if (workers <= 1) {
    work();
    return sheets;
  }
  std::vector<std::thread> threads;
  for (std::size_t w = 1; w < workers; ++w) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
  return sheets;
}

// The time the drawings took to read and the rate, for a set that seems slow.
void SayStats(std::size_t count, std::uint64_t bytes, double seconds, std::ostream& err) {
  char text[160];
  const double mb = static_cast<double>(bytes) / 1e6;
  std::snprintf(
      text, sizeof text, "%.1f MB を %.3f 秒で読みました (%.1f MB/s, 同時に %u 本)", mb, seconds,
      seconds > 0 ? mb / seconds : 0.0,
      static_cast<unsigned>(std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()))));
  Say(err, u"図面 " + plendra::IntegerText(static_cast<std::int64_t>(count)) + u" 枚、" +
               platform::FromUtf8(text));
}

// A file name for messages: on Linux the bytes as UTF-8, whatever they are.
std::u16string NameText(const std::filesystem::path& name) {
#ifdef _WIN32
  return name.u16string();
#else
  return platform::FromUtf8(name.native());
#endif
}

bool IsDxfName(const std::filesystem::path& file) {
  std::u16string ext = NameText(file.extension());
  for (char16_t& c : ext)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return ext == u".dxf";
}

// A folder named on the command line stands for its *.dxf files (the
// extension in any case, as Windows matches it), in the order of their names;
// a drawing named twice, directly or through a folder, is refused, since it
// would make every entry a duplicate.
bool ExpandFolders(Options& o, std::u16string& error) {
  std::vector<Drawing> drawings;
  for (const Drawing& d : o.drawings) {
    std::error_code ec;
    if (!std::filesystem::is_directory(d.path, ec)) {
      drawings.push_back(d);
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(d.path, ec), end; !ec && it != end; it.increment(ec))
      if (IsDxfName(it->path()) && it->is_regular_file(ec)) files.push_back(it->path());
    if (ec) {
      error = WithReason(d.shown + u": フォルダーを読めません", ec.value());
      return false;
    }
    if (files.empty()) {
      error = d.shown + u": フォルダーに DXF ファイル (*.dxf) がありません";
      return false;
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.filename().native() < b.filename().native(); });
    std::u16string prefix = d.shown;
    if (!prefix.ends_with(u'/') &&
        !prefix.ends_with(static_cast<char16_t>(std::filesystem::path::preferred_separator)))
      prefix += static_cast<char16_t>(std::filesystem::path::preferred_separator);
    for (const auto& f : files) drawings.push_back({f, prefix + NameText(f.filename())});
  }
  for (std::size_t a = 0; a < drawings.size(); ++a)
    for (std::size_t b = a + 1; b < drawings.size(); ++b) {
      std::error_code ec;
      if (std::filesystem::equivalent(drawings[a].path, drawings[b].path, ec)) {
        error = drawings[b].shown + u": 同じ図面が二度指定されています (" + drawings[a].shown + u")";
        return false;
      }
    }
  o.drawings = std::move(drawings);
  return true;
}

// Prints the plan: one line per entry whose number changes, in the order of
// the new numbers, then "N changes". Entries whose number is no decimal
// number are named on the standard error: they stay as written.
int Renumber(const Options& o, const ReadSet& set, std::ostream& out, std::ostream& err) {
  const ReportDrawing& drawing = set.joined;
  if (drawing.entries.empty()) {
    SayNoEntries(o, set, err);
    return kExitNoEntries;
  }
  const plendra::RenumberPlan plan = plendra::PlanRenumber(drawing, o.system);
  if (plan.Numbered() == 0 && plan.unnumbered.empty()) {
    // A mistyped system must not pass for one that needs nothing.
    Say(err, o.drawings.front().shown + u": " + plendra::MissingSystemText(drawing, o.system));
    return kExitTrouble;
  }
  for (const plendra::RenumberChange& c : plan.changes) {
    const plendra::ReportEntry& e = drawing.entries[c.entry];
    out << platform::ToUtf8(c.old_text + u"\t" + plendra::IntegerText(c.new_number) + u"\t" + e.Attribute(4) +
                            u"\t" + e.Attribute(1) + u"\t" + e.Attribute(2))
        << '\n';
  }
  out << plan.changes.size() << " changes\n";
  if (!Flushed(out, err)) return kExitTrouble;
  if (!plan.unnumbered.empty()) {
    std::u16string texts;
    for (const std::size_t i : plan.unnumbered) texts += u"「" + drawing.entries[i].number_text + u"」";
    Say(err, u"番号が数値でない部品表 " +
                 plendra::IntegerText(static_cast<std::int64_t>(plan.unnumbered.size())) +
                 u" 件はそのままにします: " + texts);
  }
  return plan.changes.empty() ? kExitClean : kExitFindings;
}

}  // namespace

int RunReportCommand(const std::vector<Argument>& args, std::ostream& out, std::ostream& err) {
  std::u16string error;
  std::optional<Options> o = Parse(args, error);
  if (!o) {
    Say(err, error);
    err << kUsage;
    return kExitTrouble;
  }
  if (o->help) {
    out << kUsage << kHelp;
    return Flushed(out, err) ? kExitClean : kExitTrouble;
  }
  if (!ExpandFolders(*o, error)) {
    Say(err, error);
    return kExitTrouble;
  }
  // A renumbering is typed into the one drawing AutoCAD has open.
  if (o->command == u"renumber" && o->drawings.size() != 1) {
    Say(err, o->drawings.front().shown +
                 u": renumber は図面を一つだけ読みます。フォルダーではなく図面を指定してください");
    return kExitTrouble;
  }
  if (o->out) {
    if (const std::optional<std::u16string> refused = RefusedOutput(*o)) {
      Say(err, *refused);
      return kExitTrouble;
    }
  }
  const auto start = std::chrono::steady_clock::now();
  std::vector<Sheet> sheets = ReadSheets(*o);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ReadSet set;
  std::vector<ReportDrawing> drawings;
  std::uint64_t bytes = 0;
  bool failed = false;
  for (std::size_t k = 0; k < sheets.size(); ++k) {
    bytes += sheets[k].bytes;
    if (!sheets[k].drawing) {
      Say(err, sheets[k].failure);
      failed = true;
      continue;
    }
    if (sheets[k].drawing->entries.empty()) set.without_entries.push_back(k);
    set.code_pages.push_back(sheets[k].code_page);
    drawings.push_back(std::move(*sheets[k].drawing));
  }
  if (o->stats) SayStats(sheets.size(), bytes, seconds, err);
  // A set checked without one of its sheets would show that sheet's numbers
  // as gaps: nothing is reported unless every drawing was read.
  if (failed) return kExitTrouble;
  if (o->drawings.size() > 1)
    for (const Drawing& d : o->drawings) set.names.push_back(d.shown);
  set.joined = plendra::JoinDrawings(std::move(drawings));
  if (o->command == u"renumber") return Renumber(*o, set, out, err);
  return o->command == u"check" ? Check(*o, set, out, err) : Takeoff(*o, set, out, err);
}

}  // namespace plendra_report
