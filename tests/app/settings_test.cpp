#include "app/settings.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>

#include "app_test_support.h"
#include "platform/sim/desktop.h"

namespace plendra {
namespace {

namespace fs = std::filesystem;

// The lines of the example file, as the application writes it.
const std::u16string_view kExample[14] = {u"-2", u"3", u"False", u"False", u"True", u"False", u"1",
                                          u"0",  u"1", u"200",   u"1000",  u"1000", u"0",     u"1"};

std::u16string Join(const std::vector<std::u16string>& lines, std::u16string_view end = u"\r\n") {
  std::u16string text;
  for (const std::u16string& line : lines) text += line + std::u16string(end);
  return text;
}

std::vector<std::u16string> ExampleWith(int line, std::u16string_view value) {
  std::vector<std::u16string> lines(std::begin(kExample), std::end(kExample));
  lines[static_cast<std::size_t>(line) - 1] = value;
  return lines;
}

// The setting of a line as text, the window position as its decimal text.
std::u16string Field(const Settings& s, int line) {
  const std::u16string* texts[] = {&s.Okisa, &s.Hanare,  &s.Mae,          &s.Usiro,        &s.Ue,
                                   &s.Sita,  &s.Renzoku, &s.Marume,       &s.Temae_Hyouji, &s.Toumei,
                                   nullptr,  nullptr,    &s.Keitou_Layer, &s.Keitou_Check};
  if (line == 11 || line == 12) {
    const std::string digits = std::to_string(line == 11 ? s.Form_Top : s.Form_Left);
    return std::u16string(digits.begin(), digits.end());
  }
  return *texts[line - 1];
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether a save left its new content beside `file` under a scratch name.
bool ScratchLeft(const fs::path& file) {
  const std::string prefix = file.filename().string() + ".~";
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(file.parent_path(), ec))
    if (e.path().filename().string().starts_with(prefix)) return true;
  return false;
}

TEST(ParseSettings, KeepsWhatTheApplicationWroteAndWritesItBackUnchanged) {
  const std::vector<std::vector<std::u16string>> files = {
      {std::begin(kExample), std::end(kExample)},
      {u"0", u"0", u"False", u"False", u"False", u"False", u"0", u"4", u"0", u"55", u"-120", u"0", u"1",
       u"0"},
      {u"-6", u"6", u"True", u"False", u"False", u"True", u"1", u"2", u"1", u"255", u"15", u"30000", u"1",
       u"1"},
      {u"-2", u"3", u"true", u"FALSE", u"0", u"-1", u"1", u"0", u"1", u"200", u"1000", u"1000", u"0", u"1"},
  };
  for (const auto& lines : files) {
    const std::u16string text = Join(lines);
    const SettingsRead read = ParseSettings(text);
    EXPECT_TRUE(read.fallen_back.empty()) << read.fallen_back.size();
    for (int line = 1; line <= 14; ++line) EXPECT_EQ(Field(read.settings, line), lines[line - 1]) << line;
    EXPECT_EQ(FormatSettings(read.settings, static_cast<float>(read.settings.Form_Top),
                             static_cast<float>(read.settings.Form_Left)),
              text);
  }
}

TEST(ParseSettings, GivesAnInvalidLineItsDefaultAndKeepsTheOthers) {
  struct Case {
    int line;
    std::u16string_view value;
    std::optional<std::u16string_view> stored;  // nothing: the default, listed as fallen back
  } cases[] = {
      {1, u"-6", u"-6"},
      {1, u"-7", {}},
      {1, u"1", {}},
      {1, u" -3 ", u"-3"},
      {1, u"-3.0", u"-3"},
      {1, u"-2.5", {}},
      {1, u"abc", {}},
      {1, u"", {}},
      {1, u"-0", u"0"},
      {2, u"+6", u"6"},
      {2, u"7", {}},
      {2, u"1E400", {}},
      {3, u"true", u"true"},
      {3, u" 5 ", u" 5 "},
      {3, u"Yes", {}},
      {6, u"", {}},
      {7, u"0", u"0"},
      {7, u"2", {}},
      {7, u" 1", u"1"},
      {8, u"4", u"4"},
      {8, u"5", {}},
      {8, u"-1", {}},
      {9, u"1.0", u"1"},
      {9, u"True", {}},
      {10, u"55", u"55"},
      {10, u"54", {}},
      {10, u"256", {}},
      {10, u"255", u"255"},
      {11, u"1000.5", u"1000"},
      {11, u"1001.5", u"1002"},
      {11, u"-15", u"-15"},
      {11, u"1.5E+3", u"1500"},
      {11, u"abc", {}},
      {11, u"3E9", {}},
      {12, u"", {}},
      {12, u" 20 ", u"20"},
      {13, u"1", u"1"},
      {13, u"01", u"1"},
      {13, u"-1", {}},
      {14, u"0", u"0"},
      {14, u"x", {}},
  };
  const SettingsRead defaults = ParseSettings(Join({std::begin(kExample), std::end(kExample)}));
  for (const Case& c : cases) {
    const SettingsRead read = ParseSettings(Join(ExampleWith(c.line, c.value)));
    const std::string shown =
        "line " + std::to_string(c.line) + " " + std::string(c.value.begin(), c.value.end());
    EXPECT_EQ(read.fallen_back, c.stored ? std::vector<int>{} : std::vector<int>{c.line}) << shown;
    EXPECT_EQ(Field(read.settings, c.line), c.stored ? *c.stored : Field(defaults.settings, c.line)) << shown;
    for (int other = 1; other <= 14; ++other)
      if (other != c.line) {
        EXPECT_EQ(Field(read.settings, other), kExample[other - 1]) << shown;
      }
  }
}

TEST(ParseSettings, DefaultsTheLinesAShortFileLacks) {
  const std::u16string text = u"-4\r\n1\r\nFalse\r\nTrue\r\nFalse";  // no final line end either
  const SettingsRead read = ParseSettings(text);
  EXPECT_EQ(read.fallen_back, (std::vector<int>{6, 7, 8, 9, 10, 11, 12, 13, 14}));
  EXPECT_EQ(read.settings.Okisa, u"-4");
  EXPECT_EQ(read.settings.Usiro, u"True");
  EXPECT_EQ(read.settings.Ue, u"False");
  EXPECT_EQ(read.settings.Sita, u"False");
  EXPECT_EQ(read.settings.Toumei, u"200");
  EXPECT_EQ(read.settings.Form_Top, 1000);

  const SettingsRead empty = ParseSettings(u"");
  EXPECT_EQ(empty.fallen_back.size(), 14u);
  EXPECT_EQ(empty.settings, Settings{});
  EXPECT_TRUE(empty.file_found);
}

TEST(ParseSettings, SplitsLinesAtCrLfLfOrCrAndIgnoresLinesAfterTheFourteenth) {
  std::vector<std::u16string> lines = ExampleWith(1, u"-5");
  lines[10] = u"640";
  for (std::u16string_view end : {u"\r\n", u"\n", u"\r"}) {
    const SettingsRead read = ParseSettings(Join(lines, end));
    EXPECT_TRUE(read.fallen_back.empty());
    EXPECT_EQ(read.settings.Okisa, u"-5");
    EXPECT_EQ(read.settings.Form_Top, 640);
    EXPECT_EQ(read.settings.Keitou_Check, u"1");
  }
  // A blank line in a CR-only file is a line, not part of a CRLF.
  const SettingsRead shifted = ParseSettings(u"-5\r\r3\rx");
  EXPECT_EQ(shifted.settings.Okisa, u"-5");
  EXPECT_EQ(shifted.settings.Hanare, u"3");  // line 2 was empty: the default
  EXPECT_EQ(shifted.settings.Mae, u"3");     // a number reads as a Boolean
  EXPECT_EQ(shifted.settings.Usiro, u"False");
  EXPECT_EQ(shifted.fallen_back.front(), 2);
  EXPECT_EQ(shifted.fallen_back[1], 4);  // "x" is no Boolean

  lines.push_back(u"garbage");
  lines.push_back(u"-99");
  const SettingsRead longer = ParseSettings(Join(lines));
  EXPECT_TRUE(longer.fallen_back.empty());
  EXPECT_EQ(longer.settings.Keitou_Check, u"1");
}

class SettingsFile : public ::testing::Test {
 protected:
  platform::sim::Desktop desktop;
  platform::TextCodec& codec = desktop.Codec();
  fs::path file = desktop.TempFolder() / "plendra.ini";
};

TEST_F(SettingsFile, TheShippedFileReadsAsTheDefaults) {
  const SettingsRead read = Settei_Load(SourceDir() / "data" / "plendra.ini", codec);
  EXPECT_TRUE(read.file_found);
  EXPECT_TRUE(read.fallen_back.empty());
  EXPECT_EQ(read.settings, Settings{});
}

TEST_F(SettingsFile, AMissingFileGivesEveryDefault) {
  for (const fs::path& path : {file, desktop.TempFolder()}) {  // nothing there; a folder
    const SettingsRead read = Settei_Load(path, codec);
    EXPECT_FALSE(read.file_found);
    EXPECT_EQ(read.fallen_back.size(), 14u);
    EXPECT_EQ(read.settings, Settings{});
  }
}

TEST_F(SettingsFile, WritesFourteenCrLfLinesAndReadsThemBack) {
  Settings s;
  s.Okisa = u"-6";
  s.Mae = u"True";
  s.Ue = u"False";
  s.Marume = u"4";
  s.Form_Top = 5;  // not written: the window's position at saving is
  ASSERT_TRUE(Settei_Save(file, s, 1234.5f, -20, codec));
  EXPECT_EQ(ReadBytes(file),
            "-6\r\n3\r\nTrue\r\nFalse\r\nFalse\r\nFalse\r\n1\r\n4\r\n1\r\n200\r\n"
            "1234.5\r\n-20\r\n0\r\n1\r\n");
  const SettingsRead read = Settei_Load(file, codec);
  EXPECT_TRUE(read.file_found);
  EXPECT_TRUE(read.fallen_back.empty());
  EXPECT_EQ(read.settings.Form_Top, 1234);  // 1234.5 rounds to the even neighbour
  EXPECT_EQ(read.settings.Form_Left, -20);
  EXPECT_EQ(read.settings.Mae, u"True");

  // A position of eight digits is written in exponent form and still reads back.
  ASSERT_TRUE(Settei_Save(file, s, 12345678, 0, codec));
  EXPECT_EQ(Settei_Load(file, codec).settings.Form_Top, 12345680);
  EXPECT_FALSE(ScratchLeft(file));
}

TEST_F(SettingsFile, ASaveLeavesTheUsersOtherFilesAlone) {
  // Files beside plendra.ini whose names a save could have chosen for its
  // new content: they are the user's, and stay as they are.
  const fs::path file = desktop.TempFolder() / "plendra.ini";
  std::ofstream(desktop.TempFolder() / "plendra.ini.new", std::ios::binary) << "mine";
  std::ofstream(desktop.TempFolder() / "plendra.ini.~0.tmp", std::ios::binary) << "mine too";
  ASSERT_TRUE(Settei_Save(file, Settings{}, 0, 0, codec));
  EXPECT_EQ(ReadBytes(desktop.TempFolder() / "plendra.ini.new"), "mine");
  EXPECT_EQ(ReadBytes(desktop.TempFolder() / "plendra.ini.~0.tmp"), "mine too");
  EXPECT_EQ(Settei_Load(file, codec).settings.Form_Top, 0);
  EXPECT_FALSE(fs::exists(desktop.TempFolder() / "plendra.ini.~1.tmp"));
}

TEST_F(SettingsFile, AFailedSaveLeavesTheOldFile) {
  const Settings s;
  // The folder does not exist.
  EXPECT_FALSE(Settei_Save(desktop.TempFolder() / "gone" / "plendra.ini", s, 0, 0, codec));
  EXPECT_FALSE(fs::exists(desktop.TempFolder() / "gone"));

  // A folder stands where the file should be: the rename fails.
  const fs::path folder = desktop.TempFolder() / "folder.ini";
  fs::create_directory(folder);
  EXPECT_FALSE(Settei_Save(folder, s, 0, 0, codec));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_FALSE(ScratchLeft(folder));
}

#ifndef _WIN32
// A folder of a user without rights (Program Files): the save runs in a
// child process as an unprivileged user, also when the tests run as root,
// whom no permission stops. Returns the save's result and errno reason, or
// nothing when the child could not be made.
struct LockedSave {
  bool saved = false;
  int error = 0;
};
std::optional<LockedSave> SaveAsUnprivileged(const fs::path& file, platform::TextCodec& codec) {
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
    int error = 0;
    const bool saved = Settei_Save(file, Settings{}, 0, 0, codec, &error);
    _exit(saved ? 0 : 1 + std::min(error, 200));
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
    return std::nullopt;
  const int code = WEXITSTATUS(status);
  return LockedSave{code == 0, code == 0 ? 0 : code - 1};
}

// A folder open to everyone for reading only, holding plendra.ini with the
// given permissions, the way the setup leaves Program Files\Plendra.
class LockedFolder {
 public:
  explicit LockedFolder(fs::perms file_perms) {
    char pattern[] = "/tmp/plendra-locked-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    folder_ = pattern;
    std::ofstream(File(), std::ios::binary) << "old";
    fs::permissions(File(), file_perms);
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  }
  ~LockedFolder() {
    std::error_code ec;
    fs::permissions(folder_, fs::perms::owner_all, ec);
    fs::remove_all(folder_, ec);
  }
  fs::path File() const { return folder_ / "plendra.ini"; }

 private:
  fs::path folder_;
};

TEST_F(SettingsFile, AFileTheUserMayWriteInAFolderTheyMayNotIsRewrittenInPlace) {
  const fs::perms everyone_writes = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                    fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;
  LockedFolder locked(everyone_writes);
  const std::optional<LockedSave> result = SaveAsUnprivileged(locked.File(), codec);
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(result->saved) << "errno " << result->error;
  EXPECT_EQ(ReadBytes(locked.File()), codec.ToAnsi(FormatSettings(Settings{}, 0, 0)));
  EXPECT_FALSE(ScratchLeft(locked.File()));
}

TEST_F(SettingsFile, AFileNobodyMayWriteInAFolderTheyMayNotFailsWithAccessDenied) {
  LockedFolder locked(fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::optional<LockedSave> result = SaveAsUnprivileged(locked.File(), codec);
  ASSERT_TRUE(result.has_value());
  EXPECT_FALSE(result->saved);
  EXPECT_EQ(result->error, EACCES);
  EXPECT_EQ(ReadBytes(locked.File()), "old");
  EXPECT_FALSE(ScratchLeft(locked.File()));
}
#endif

}  // namespace
}  // namespace plendra
