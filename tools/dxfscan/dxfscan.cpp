// dxfscan FILE SECTION TYPE CODES: the records of one type within one section
// of an ASCII DXF file, with the values of the listed group codes, through the
// scanner that PwControl::DxfScan uses.
//
// stdout (UTF-8, LF): the record count, then one line per record with the
// values in the order of CODES (joined by "|"), separated by TAB, exactly as
// in the file; TAB, CR and LF inside a value are written as \t, \r and \n.
// On failure nothing goes to stdout, the error number and its description go
// to stderr, and the exit status is 1. --encoding=CP names the file's code
// page (932 by default).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/dxf_file.h"
#include "link/dxf_scanner.h"
#include "platform/ansi_codec.h"
#include "platform/utf8.h"

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

#ifndef _WIN32
using platform::FromUtf8;
#endif

int Usage() {
  std::fputs("usage: dxfscan [--encoding=CODEPAGE] FILE SECTION TYPE CODES\n", stderr);
  return kExitUsage;
}

struct Arguments {
  std::filesystem::path file;
  std::u16string section, type, codes;
  unsigned code_page = 932;
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

bool Parse(int argc, char** argv, Arguments& a) {
  std::vector<std::u16string> positional;
  std::vector<std::size_t> positional_at;
  const std::vector<std::u16string> args = CommandLine(argc, argv);
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::u16string_view arg = args[i];
    if (arg.starts_with(u"--encoding")) {
      std::u16string_view value;
      if (arg.starts_with(u"--encoding="))
        value = arg.substr(11);
      else if (arg == u"--encoding" && i + 1 < args.size())
        value = args[++i];
      else
        return false;
      if (value.starts_with(u"cp") || value.starts_with(u"CP")) value.remove_prefix(2);
      if (value.empty() || value.size() > 5) return false;
      unsigned page = 0;
      for (char16_t c : value) {
        if (c < u'0' || c > u'9') return false;
        page = page * 10 + (c - u'0');
      }
      a.code_page = page;
    } else {
      positional.emplace_back(arg);
      positional_at.push_back(i + 1);
    }
  }
  if (positional.size() != 4) return false;
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

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  Arguments args;
  if (!Parse(argc, argv, args)) return Usage();

  std::unique_ptr<platform::TextCodec> codec;
  try {
    codec = platform::MakeAnsiCodec(args.code_page);
  } catch (const std::exception&) {
    std::fprintf(stderr, "dxfscan: code page %u is not supported here\n", args.code_page);
    return kExitUsage;
  }

  const std::unique_ptr<korvel::DxfFile> file = korvel::DxfFile::OpenPath(args.file);
  if (!file) return Fail(53, u"ファイルが見つかりません。");

  korvel::DxfScanner scanner(*codec);
  korvel::DxfTable table;
  korvel::DxfScanFailure failure;
  if (!scanner.Scan(*file, args.section, args.type, args.codes, table, failure))
    return Fail(failure.number, failure.description);

  // The codes as the table holds them: one spare position after the last.
  const std::int32_t count = table.UBound(2) - 1;
  const std::int32_t fields = table.UBound(1);
  std::string out;
  AppendText(out, table.At(0, 0), false);
  out += '\n';
  for (std::int32_t r = 1; r <= count; ++r) {
    for (std::int32_t k = 0; k < fields; ++k) {
      if (k > 0) out += '\t';
      AppendText(out, table.At(k, r), true);
    }
    out += '\n';
  }
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
    return kExitFailure;
  return 0;
}
