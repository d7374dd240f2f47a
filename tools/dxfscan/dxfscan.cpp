// dxfscan FILE SECTION TYPE CODES: the records of one type within one section
// of an ASCII DXF file, with the values of the listed group codes, through the
// scanner that PwControl::DxfScan uses.
//
// stdout (UTF-8, LF): the record count, then one line per record with the
// values in the order of CODES (joined by "|"), separated by TAB, exactly as
// in the file; TAB, CR and LF inside a value are written as \t, \r and \n.
// On failure nothing goes to stdout, the error number and its description go
// to stderr, and the exit status is 1. --encoding=CP names the file's code
// page by number or name (932, 65001, utf-8, cp932, shift_jis); without it the
// file's header decides ($ACADVER from AC1021 means UTF-8, else
// $DWGCODEPAGE), and 932 when the header says nothing.
//
// The scanner reads to the end of the file when the section never ends, and
// finds nothing in an empty file; both succeed there. Here the records found
// are still written, but a warning goes to stderr and the exit status is 3,
// so that a drawing cut short (a copy broken off, a full disk) or a section
// name mistyped never passes for a whole answer. Messages are Japanese.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/dxf_file.h"
#include "link/dxf_scanner.h"
#include "platform/ansi_codec.h"
#include "platform/dxf_code_page.h"
#include "platform/utf8.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>
#endif

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitIncomplete = 3;

constexpr char kUsage[] =
    "使い方: dxfscan [--encoding=CP] ファイル セクション 種類 グループコード\n"
    "        dxfscan --help\n";

constexpr char kHelp[] =
    "\n"
    "DXF ファイルのセクション (ENTITIES など) の中の、種類 (INSERT など) のレコードごとに、\n"
    "グループコード (\"2|10|20\" のように | で区切る) の値を書き出します。\n"
    "標準出力 (UTF-8): 一行目にレコードの数、続いて一レコード一行、値はタブ区切り。\n"
    "\n"
    "  --encoding=CP  ファイルのコード ページ (932, 65001, utf-8, cp932, shift_jis など)。\n"
    "                 既定はヘッダーから: AC1021 以降は UTF-8、それより前は $DWGCODEPAGE、\n"
    "                 どちらもなければ 932\n"
    "  -h, --help     この説明を表示します\n"
    "\n"
    "終了コード: 0 読めた, 1 読めない (エラー番号と説明を標準エラーに), 2 使い方の誤り,\n"
    "            3 見つかったレコードは書き出したが、ファイルが空か、セクションがないか、\n"
    "              セクションが終わらずにファイルが終わっている (途中で切れたファイル)\n";

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD. With escape, TAB, CR and
// LF become two characters each, so that one record stays on one line.
void AppendText(std::string& out, std::u16string_view text, bool escape) {
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = platform::NextCodePoint(text, i);
    if (escape && (c == u'\t' || c == u'\r' || c == u'\n'))
      out += c == u'\t' ? "\\t" : c == u'\r' ? "\\r" : "\\n";
    else
      platform::AppendUtf8(out, c);
  }
}

// A value as UTF-8, escaped as AppendText does. ASCII bytes are their own
// UTF-8, so most values of a drawing are copied as they are.
void AppendValue(std::string& out, std::string_view bytes, platform::TextCodec& codec) {
  bool plain = true;
  bool ascii = true;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    plain &= b >= 0x20;
    ascii &= b < 0x80;
  }
  if (plain && ascii)
    out.append(bytes);
  else if (ascii)
    AppendText(out, std::u16string(bytes.begin(), bytes.end()), true);
  else
    AppendText(out, codec.FromAnsi(bytes), true);
}

#ifndef _WIN32
using platform::FromUtf8;
#endif

void Say(std::u16string_view text) {
  std::string line = "dxfscan: ";
  AppendText(line, text, false);
  line += "\n";
  std::fputs(line.c_str(), stderr);
}

int Usage(std::u16string_view error) {
  Say(error);
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// Flushes and closes the standard output; false with errno when what was
// written did not get there. The descriptor is closed rather than the
// stream, which the C++ library flushes again at exit.
bool OutputClosed() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) return false;
#ifdef _WIN32
  return _close(_fileno(stdout)) == 0 || errno == EBADF;
#else
  return close(fileno(stdout)) == 0 || errno == EBADF;
#endif
}

int OutputFailed() {
  const int error = errno;
  Say(error == ENOSPC  ? u"標準出力に書き込めません (ディスクに空きがありません)"
      : error == EPIPE ? u"標準出力に書き込めません (書き込み先が閉じられています)"
                       : u"標準出力に書き込めません");
  return kExitFailure;
}

struct Arguments {
  std::filesystem::path file;
  std::u16string section, type, codes;
  std::optional<std::string> encoding;  // as given, UTF-8
  bool help = false;
};

// The arguments as the program's text: UTF-8 bytes on Linux, the wide command
// line on Windows (so that a file name outside the code page still opens).
std::vector<std::u16string> CommandLine(int argc, char** argv) {
  std::vector<std::u16string> args;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int n = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n);
  for (int i = 1; wide != nullptr && i < n; ++i)
    args.emplace_back(reinterpret_cast<const char16_t*>(wide[i]));
  LocalFree(wide);
#else
  for (int i = 1; i < argc; ++i) args.push_back(FromUtf8(argv[i]));
#endif
  return args;
}

// Reads the arguments; on a mistake, false and the reason in `error`.
bool Parse(int argc, char** argv, Arguments& a, std::u16string& error) {
  std::vector<std::u16string> positional;
  std::vector<std::size_t> positional_at;
  const std::vector<std::u16string> args = CommandLine(argc, argv);
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::u16string_view arg = args[i];
    if (arg == u"--help" || arg == u"-h") {
      a.help = true;
    } else if (arg == u"--encoding" || arg.starts_with(u"--encoding=")) {
      std::u16string_view value;
      if (arg.starts_with(u"--encoding=")) {
        value = arg.substr(11);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        error = u"--encoding の後にコード ページがありません";
        return false;
      }
      a.encoding = platform::ToUtf8(value);
    } else if (arg.starts_with(u"--")) {
      error = u"知らないオプションです: " + std::u16string(arg);
      return false;
    } else {
      positional.emplace_back(arg);
      positional_at.push_back(i + 1);
    }
  }
  if (a.help) return true;
  if (positional.size() != 4) {
    error = u"ファイル、セクション、種類、グループコードの四つを指定してください";
    return false;
  }
#ifdef _WIN32
  a.file = std::filesystem::path(positional[0]);
#else
  (void)argc;
  a.file = std::filesystem::path(argv[positional_at[0]]);  // the bytes as given, whatever their encoding
#endif
  a.section = positional[1];
  a.type = positional[2];
  a.codes = positional[3];
  return true;
}

int Fail(std::int32_t number, std::u16string_view description) {
  std::string text = "dxfscan: " + std::to_string(number) + " ";
  AppendText(text, description, false);
  text += "\n";
  std::fputs(text.c_str(), stderr);
  return kExitFailure;
}

// The file's first bytes, read once to find its code page, then handed to the
// scanner ahead of the rest.
class FrontFirst final : public korvel::DxfSource {
 public:
  explicit FrontFirst(korvel::DxfFile& file) : file_(file), front_(platform::kDxfHeaderBytes, '\0') {
    std::size_t got = 0;
    while (got < front_.size()) {
      const std::size_t n = file_.Read(front_.data() + got, front_.size() - got);
      if (n == 0) break;
      got += n;
    }
    front_.resize(got);
  }
  std::string_view Front() const { return front_; }
  std::size_t Read(char* buffer, std::size_t size) override {
    if (given_ < front_.size()) {
      const std::size_t n = std::min(size, front_.size() - given_);
      std::memcpy(buffer, front_.data() + given_, n);
      given_ += n;
      return n;
    }
    return file_.Read(buffer, size);
  }
  bool Failed() const override { return file_.Failed(); }
  // A mapped file holds its front too.
  std::string_view Whole() override { return file_.Whole(); }
  void Passed(std::size_t bytes) override { file_.Passed(bytes); }

 private:
  korvel::DxfFile& file_;
  std::string front_;
  std::size_t given_ = 0;
};

// The records as output lines, held until the scan has succeeded (a failure
// writes nothing to stdout), in pieces of about a megabyte so that growing
// never copies what is already there.
class Lines final : public korvel::DxfRecordSink {
 public:
  explicit Lines(platform::TextCodec& codec) : codec_(codec) {}

  void Record(const std::vector<std::string_view>& values) override {
    ++count_;
    if (pieces_.empty() || pieces_.back().size() >= kPiece) {
      pieces_.emplace_back();
      pieces_.back().reserve(kPiece + 4096);
    }
    std::string& out = pieces_.back();
    for (std::size_t k = 0; k < values.size(); ++k) {
      if (k > 0) out += '\t';
      Append(out, values[k]);
    }
    out += '\n';
  }
  void SectionBegun() override { begun_ = true; }
  void SectionEnded() override { ended_ = true; }
  bool Begun() const { return begun_; }
  bool Ended() const { return ended_; }

  bool WriteAll() const {
    const std::string head = std::to_string(count_) + "\n";
    if (!Write(head)) return false;
    for (const std::string& piece : pieces_)
      if (!Write(piece)) return false;
    return true;
  }

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 20;

  // A drawing repeats its texts (system names, layer names, tags): a text
  // that is not ASCII is decoded once and its UTF-8 taken from here after.
  void Append(std::string& out, std::string_view bytes) {
    bool ascii = true;
    for (char c : bytes) ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii || bytes.size() > kRememberedLength) {
      AppendValue(out, bytes, codec_);
      return;
    }
    const auto found = remembered_.find(bytes);
    if (found != remembered_.end()) {
      out += found->second;
      return;
    }
    std::string text;
    AppendValue(text, bytes, codec_);
    out += text;
    if (remembered_.size() < kRemembered) remembered_.emplace(std::string(bytes), std::move(text));
  }

  static constexpr std::size_t kRemembered = 4096;
  static constexpr std::size_t kRememberedLength = 64;

  static bool Write(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  }

  platform::TextCodec& codec_;
  std::uint64_t count_ = 0;
  std::vector<std::string> pieces_;
  bool begun_ = false, ended_ = false;
  std::map<std::string, std::string, std::less<>> remembered_;  // bytes -> UTF-8 as written
};

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  Arguments args;
  std::u16string error;
  if (!Parse(argc, argv, args, error)) return Usage(error);
  if (args.help) {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return OutputClosed() ? 0 : OutputFailed();
  }
  std::optional<unsigned> code_page;
  if (args.encoding) {
    code_page = platform::CodePageByName(*args.encoding);
    if (!code_page)
      return Usage(
          u"「" + platform::FromUtf8(*args.encoding) +
          u"」はコード ページではありません。番号 (932, 65001, 1252) か名前 (utf-8, cp932, shift_jis) "
          u"で指定してください");
  }

  const std::unique_ptr<korvel::DxfFile> file = korvel::DxfFile::MapPath(args.file);
  if (!file) return Fail(53, u"ファイルが見つかりません。");
  FrontFirst source(*file);
  if (!code_page) code_page = platform::DxfHeaderCodePage(source.Front()).value_or(932);

  std::unique_ptr<platform::TextCodec> codec;
  try {
    codec = platform::MakeAnsiCodec(*code_page);
  } catch (const std::exception&) {
    Say(u"コード ページ " + platform::FromUtf8(std::to_string(*code_page)) + u" はここでは使えません");
    return kExitUsage;
  }

  korvel::DxfScanner scanner(*codec);
  Lines lines(*codec);
  korvel::DxfScanFailure failure;
  if (!scanner.Scan(source, args.section, args.type, args.codes, lines, failure))
    return Fail(failure.number, failure.description);
  if (!lines.WriteAll() || !OutputClosed()) return OutputFailed();
  // What was found is written; say when it cannot be the whole section.
  if (source.Front().empty() && !source.Failed()) {
    Say(u"注意: ファイルが空です");
    return kExitIncomplete;
  }
  if (!lines.Begun()) {
    Say(u"注意: セクション " + args.section + u" がありません");
    return kExitIncomplete;
  }
  if (!lines.Ended()) {
    Say(u"注意: セクション " + args.section +
        u" が ENDSEC で終わらずにファイルが終わっています (途中で切れたファイルかもしれません)");
    return kExitIncomplete;
  }
  return 0;
}
