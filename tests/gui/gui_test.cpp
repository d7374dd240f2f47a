// Plendra.exe under Wine, driven through its windows as a user drives it:
// a numbering run against cadsim.exe showing the sample drawing, the
// settings dialog, 番号の振り直し from its plan to one U in AutoCAD, and the
// start without AutoCAD or without korvel.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "cadsim/dxf.h"
#include "gui_run.h"
#include "platform/ansi_codec.h"
#include "resource.h"

namespace {

using gui_test::Drive;
using gui_test::Driven;
using gui_test::kPatienceMs;
using gui_test::ProgramFolder;
using gui_test::ReadLines932;
using gui_test::SourceDir;
using gui_test::Utf8;
using gui_test::WinePath;

const std::wstring kPatience = std::to_wstring(kPatienceMs);
const std::wstring kButton = L"#" + std::to_wstring(IDC_KAISI_BUTTON);
// Wine lets no other program read a menu: the item 設定 by its identifier.
const std::wstring kMenuSettei = L"#" + std::to_wstring(IDM_SETTEI);

std::filesystem::path Data() { return SourceDir() / "data"; }

std::wstring W(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

cadsim::Drawing ReadDrawing(const std::filesystem::path& file) {
  return cadsim::ReadDxfFile(file, *platform::MakeAnsiCodec(932));
}

// The number of an entry of the system: the attribute right after the one
// tagged "(1)系統" that holds the system's name; none when it is no decimal
// number ("A1").
std::optional<int> EntryNumber(const cadsim::Insert& insert, std::u16string_view system) {
  for (std::size_t i = 0; i + 1 < insert.attributes.size(); ++i)
    if (insert.attributes[i].tag == u"(1)系統" && insert.attributes[i].value == system) {
      const std::u16string& text = insert.attributes[i + 1].value;
      if (text.empty() || text.find_first_not_of(u"0123456789") != std::u16string::npos) return std::nullopt;
      return std::stoi(Utf8(W(text)));
    }
  return std::nullopt;
}

int HighestNumber(const cadsim::Drawing& d, std::u16string_view system) {
  int highest = 0;
  for (const cadsim::Entity& e : d.entities)
    if (const auto* insert = std::get_if<cadsim::Insert>(&e))
      if (const auto n = EntryNumber(*insert, system)) highest = std::max(highest, *n);
  return highest;
}

const cadsim::Dimension* DimensionWithHandle(const cadsim::Drawing& d, cadsim::Handle handle) {
  for (const cadsim::Entity& e : d.entities)
    if (const auto* dim = std::get_if<cadsim::Dimension>(&e); dim && dim->handle == handle) return dim;
  return nullptr;
}

double Number(const std::u16string& text) { return std::stod(Utf8(W(text))); }

class PlendraGui : public ::testing::Test {
 protected:
  void SetUp() override {
    gui_test::UseVirtualDesktop(true);
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = ProgramFolder() / "gui-runs" / name;
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(ProgramFolder() / "Plendra.exe", folder_ / "Plendra.exe");
    for (const char* file : {"Keitou.txt", "plendra.ini"})
      std::filesystem::copy_file(Data() / file, folder_ / file);
    shots_ = ProgramFolder() / "gui-screenshots";
    std::filesystem::create_directories(shots_);
  }

  void TearDown() override {
    // A failed test may leave a box or a window up; the processes end with the fixture.
    for (gui_test::Process* p : {&second_, &plendra_, &cad_})
      if (p->Running()) Drive({L"close", p == &cad_ ? L"AutoCAD 2006*" : L"Plendra"});
  }

  // uidrive with these arguments must succeed; returns what it printed.
  std::string Do(const std::vector<std::wstring>& args) {
    const Driven d = Drive(args);
    EXPECT_EQ(d.status, 0) << Utf8(args.empty() ? L"" : args[0]) << ":\n" << d.output;
    return d.output;
  }

  // AutoCAD 2006 showing the drawing (the sample by default), with a user
  // who acts as `picks` says; it writes the drawing it holds into out.dxf
  // and the command lines typed into it into typed.log when it ends.
  void StartCad(const std::wstring& picks, const std::filesystem::path& drawing = Data() / "sample.dxf") {
    std::wstring line = L"\"" + (ProgramFolder() / L"cadsim.exe").wstring() + L"\" --release 8 --drawing \"" +
                        WinePath(drawing) + L"\" --blocks \"" + WinePath(Data()) + L"\" --out \"" +
                        (folder_ / L"out.dxf").wstring() + L"\" --log \"" +
                        (folder_ / L"typed.log").wstring() + L"\"";
    if (!picks.empty()) line += L" --picks " + picks;
    ASSERT_TRUE(cad_.Start(line, folder_));
    Do({L"wait-window", L"AutoCAD 2006*", kPatience});
  }

  void StartPlendra(gui_test::Process& process) {
    ASSERT_TRUE(process.Start(L"\"" + (folder_ / L"Plendra.exe").wstring() + L"\"", folder_));
  }

  // Like AutoCAD, cadsim makes the file SAVEAS wrote the current drawing, so
  // the lookup at start-up leaves the user's drawing named as the scratch
  // file in the temporary folder; Plendra says so once, before its status.
  void AnswerRenamedDrawing() { Do({L"answer-box", kPatience, L"OK", std::wstring(kRenamedDrawing) + L"*"}); }

  void ClosePlendra() {
    Do({L"close", L"Plendra"});
    ASSERT_TRUE(plendra_.WaitEnd(kPatienceMs)) << "Plendra did not end";
  }

  // Closes AutoCAD, which writes the drawing it holds.
  cadsim::Drawing CloseCad() {
    Do({L"close", L"AutoCAD 2006*"});
    EXPECT_TRUE(cad_.WaitEnd(kPatienceMs)) << "cadsim did not end";
    return ReadDrawing(folder_ / "out.dxf");
  }

  // The status the lookup at start-up shows for 給水: the number after the
  // highest the sample drawing already holds.
  static constexpr const wchar_t* kRenamedDrawing =
      L"AutoCAD で開いている図面が、書き出しに使った一時ファイル ";

  static std::wstring FirstNumberStatus(const std::filesystem::path& drawing = Data() / "sample.dxf") {
    return std::to_wstring(HighestNumber(ReadDrawing(drawing), u"給水") + 1) + L"番から書き込みます";
  }

  void Screenshot(const wchar_t* name) { Do({L"screenshot", (shots_ / name).wstring()}); }

  std::filesystem::path folder_, shots_;
  gui_test::Process cad_, plendra_, second_;
};

// The user's picks in AutoCAD during one continuous run, in order: a
// dimension is written; anything else gets Plendra's box, which the user
// answers with OK.
struct Pick {
  const wchar_t* handle;
  const wchar_t* box;
};
constexpr Pick kPicks[] = {
    {L"C8", nullptr},                  // a vertical dimension
    {L"A8", L"寸法を選んでください"},  // a text
    {L"144", L"平行寸法です。"},       // an aligned dimension
    {L"125", nullptr},                 // horizontal dimensions
    {L"115", nullptr},
};

TEST_F(PlendraGui, NumberingRunWritesEntriesBesideTheDimensions) {
  // The main window must stay in the screenshots while AutoCAD is in front.
  gui_test::UseVirtualDesktop(false);
  std::wstring picks;
  for (const Pick& p : kPicks) picks += std::wstring(L"1000:pick:") + p.handle + L",";
  picks += L"1000:esc";
  ASSERT_NO_FATAL_FAILURE(StartCad(picks));
  ASSERT_NO_FATAL_FAILURE(StartPlendra(plendra_));
  AnswerRenamedDrawing();

  const cadsim::Drawing sample = ReadDrawing(Data() / "sample.dxf");
  const int first = HighestNumber(sample, u"給水") + 1;
  ASSERT_GT(first, 1) << "the sample has entries of 給水";
  // The lookup at the first activation continues after the drawing's entries.
  Do({L"wait-text", L"Plendra", L"status", std::to_wstring(first) + L"番から書き込みます", kPatience});
  Do({L"wait-text", L"Plendra", L"番号", std::to_wstring(first), kPatience});
  Do({L"move", L"Plendra", L"200", L"150"});

  // A fresh installation has no parts-table block yet, only its script: the
  // first press offers to make it through AutoCAD, and the pick goes on after.
  std::filesystem::copy_file(Data() / "Plendra1.scr", folder_ / "Plendra1.scr");
  ASSERT_FALSE(std::filesystem::exists(folder_ / "Plendra1.dwg"));
  Do({L"click", L"Plendra", L"開始"});
  Do({L"answer-box", kPatience, L"Yes",
      L"部品表のブロック Plendra1.dwg が Plendra のフォルダにありません。いま開いている AutoCAD "
      L"で作成しますか? "
      L"(Plendra1.scr のコマンドを AutoCAD に送ります。作図した図形は図面に残りません)"});
  Do({L"wait-text", L"Plendra", kButton, L"停止", kPatience});
  bool shot = false;
  for (const Pick& p : kPicks) {
    if (p.box == nullptr) continue;
    if (!shot) {
      // The main window during the run, with the first box up.
      Do({L"wait-box", kPatience, p.box});
      Screenshot(L"plendra-run.bmp");
      shot = true;
    }
    Do({L"answer-box", kPatience, L"OK", p.box});
  }
  // Esc in AutoCAD ends the run; the number has moved on past the entries.
  const int written = 3;
  Do({L"wait-text", L"Plendra", kButton, L"開始", kPatience});
  Do({L"wait-text", L"Plendra", L"番号", std::to_wstring(first + written), kPatience});
  Screenshot(L"plendra-after-run.bmp");
  const cadsim::Dimension* last = DimensionWithHandle(sample, 0x115);
  ASSERT_NE(last, nullptr);
  Do({L"wait-text", L"Plendra", L"status",
      L"給水-" + std::to_wstring(first + written - 1) + L">" +
          std::to_wstring(std::lround(last->measurement)) + L"mmを書き込みました",
      L"5000"});
  Do({L"no-box", L"1000"});

  ASSERT_NO_FATAL_FAILURE(ClosePlendra());
  // AutoCAD wrote the block where Plendra inserts it from.
  EXPECT_TRUE(std::filesystem::is_regular_file(folder_ / "Plendra1.dwg"));
  // The settings file keeps the position the window was moved to, in twips.
  const HDC screen = GetDC(nullptr);
  const int ppi_x = GetDeviceCaps(screen, LOGPIXELSX);
  const int ppi_y = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const std::vector<std::u16string> ini = ReadLines932(folder_ / "plendra.ini");
  const std::vector<std::u16string> shipped = ReadLines932(Data() / "plendra.ini");
  ASSERT_EQ(ini.size(), 14u);
  EXPECT_EQ(Number(ini[10]), 150.0 * 1440 / ppi_y);
  EXPECT_EQ(Number(ini[11]), 200.0 * 1440 / ppi_x);
  for (std::size_t line : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13})
    EXPECT_EQ(ini[line], shipped[line]) << "line " << line + 1;

  const cadsim::Drawing out = CloseCad();
  int number = first;
  for (const Pick& p : kPicks) {
    if (p.box != nullptr) continue;
    const cadsim::Dimension* dim = DimensionWithHandle(sample, std::wcstoul(p.handle, nullptr, 16));
    ASSERT_NE(dim, nullptr) << Utf8(p.handle);
    const cadsim::Insert* entry = nullptr;
    for (const cadsim::Entity& e : out.entities)
      if (const auto* insert = std::get_if<cadsim::Insert>(&e);
          insert && EntryNumber(*insert, u"給水") == number)
        entry = insert;
    ASSERT_NE(entry, nullptr) << "no entry 給水 " << number;
    ASSERT_EQ(entry->attributes.size(), 8u);
    SCOPED_TRACE("entry " + std::to_string(number) + " for dimension " + Utf8(p.handle));
    // The dimension text's point, the length rounded to the millimetre
    // (the shipped settings round to 1mm), the system and the number.
    EXPECT_NEAR(Number(entry->attributes[0].value), dim->text_mid.x,
                1e-3 * std::fabs(dim->text_mid.x) + 1e-3);
    EXPECT_NEAR(Number(entry->attributes[1].value), dim->text_mid.y,
                1e-3 * std::fabs(dim->text_mid.y) + 1e-3);
    EXPECT_EQ(Number(entry->attributes[3].value), std::round(dim->measurement));
    EXPECT_EQ(entry->attributes[6].tag, u"(1)系統");
    EXPECT_EQ(entry->attributes[6].value, u"給水");
    EXPECT_EQ(Utf8(W(entry->attributes[7].value)), std::to_string(number));
    // Above the text (the shipped setting 上): beside it across the line,
    // turned with the dimension.
    const bool upright = std::lround(dim->angle) == 90;
    EXPECT_EQ(std::lround(entry->rotation), upright ? 90 : 0);
    if (upright) {
      EXPECT_NEAR(entry->position.y, dim->text_mid.y, 1e-2);
      EXPECT_LT(entry->position.x, dim->text_mid.x);
    } else {
      EXPECT_NEAR(entry->position.x, dim->text_mid.x, 1e-2);
      EXPECT_GT(entry->position.y, dim->text_mid.y);
    }
    ++number;
  }
  EXPECT_EQ(number, first + written);
}

}  // namespace

namespace {

// What the user changes in the settings dialog, and the line of plendra.ini
// that OK writes for it. The shipped file reads -2 3 False False True False
// 1 0 1 200: each change moves a value by the control's own step or choice.
struct SettingChange {
  std::vector<std::wstring> action;
  std::vector<std::pair<int, std::u16string>> lines;  // 1-based line, text written
};

const std::vector<SettingChange>& Changes() {
  static const std::vector<SettingChange> changes = {
      {{L"scroll", L"設定", L"大きさ→大", L"left"}, {{1, u"-4"}}},  // small step 2
      {{L"scroll", L"設定", L"離れ → 大", L"5"}, {{2, u"5"}}},      // the thumb dropped at 5
      {{L"click", L"設定", L"下"}, {{5, u"False"}, {6, u"True"}}},  // 上 was selected
      {{L"click", L"設定", L"連続して書き込む"}, {{7, u"0"}}},
      {{L"select-combo", L"設定", L"丸め", L"10mm"}, {{8, u"2"}}},
      {{L"click", L"設定", L"常に手前に表示"}, {{9, u"0"}}},
      {{L"scroll", L"設定", L"透明度 → 不透明", L"right", L"2"}, {{10, u"250"}}},  // small step 25
      {{L"click", L"設定", L"系統名のレイヤに制作"}, {{13, u"1"}}},
  };
  return changes;
}

TEST_F(PlendraGui, SettingsDialogSavesOnOkAndKeepsTheFileOnCancel) {
  ASSERT_NO_FATAL_FAILURE(StartCad(L""));
  ASSERT_NO_FATAL_FAILURE(StartPlendra(plendra_));
  AnswerRenamedDrawing();
  Do({L"wait-text", L"Plendra", L"status", FirstNumberStatus(), kPatience});

  // The about box shows the version the build gave the program's file properties.
  Do({L"menu", L"Plendra", L"#" + std::to_wstring(IDM_VER)});
  Do({L"wait-window", L"Plendra のバージョン情報", kPatience});
  Do({L"wait-text", L"Plendra のバージョン情報", L"#" + std::to_wstring(IDC_ABOUT_VERSION),
      L"ﾊﾞｰｼﾞｮﾝ " PLENDRA_PROJECT_VERSION, kPatience});
  Do({L"click", L"Plendra のバージョン情報", L"OK"});
  Do({L"wait-gone", L"Plendra のバージョン情報", kPatience});

  Do({L"menu", L"Plendra", kMenuSettei});
  Do({L"wait-window", L"設定", kPatience});
  // The dialog shows the shipped settings.
  Do({L"wait-text", L"設定", L"離れ → 大", L"3 [3]", L"5000"});
  Do({L"wait-text", L"設定", L"上", L"checked", L"5000"});
  Screenshot(L"settei.bmp");
  std::vector<std::u16string> expected = ReadLines932(Data() / "plendra.ini");
  ASSERT_EQ(expected.size(), 14u);
  for (const SettingChange& change : Changes()) {
    Do(change.action);
    for (const auto& [line, text] : change.lines) expected[static_cast<std::size_t>(line - 1)] = text;
  }
  // Moving a scroll bar shows its value beside it at once.
  Do({L"wait-text", L"設定", L"離れ → 大", L"5 [5]", L"5000"});
  Do({L"wait-text", L"設定", L"大きさ→大", L"-4 [-4]", L"5000"});
  Do({L"click", L"設定", L"OK"});
  Do({L"wait-gone", L"設定", kPatience});
  // The window did not move: its position reads back as the file gave it.
  EXPECT_EQ(ReadLines932(folder_ / "plendra.ini"), expected);
  const std::string after_ok = Bytes(folder_ / "plendra.ini");

  // Cancel leaves the file alone, but the dialog keeps showing the edit.
  Do({L"menu", L"Plendra", kMenuSettei});
  Do({L"wait-window", L"設定", kPatience});
  Do({L"scroll", L"設定", L"大きさ→大", L"-6"});
  Do({L"click", L"設定", L"キャンセル"});
  Do({L"wait-gone", L"設定", kPatience});
  EXPECT_EQ(Bytes(folder_ / "plendra.ini"), after_ok);
  Do({L"menu", L"Plendra", kMenuSettei});
  Do({L"wait-text", L"設定", L"大きさ→大", L"-6 [-6]", kPatience});
  Do({L"click", L"設定", L"キャンセル"});
  Do({L"wait-gone", L"設定", kPatience});

  ASSERT_NO_FATAL_FAILURE(ClosePlendra());
  EXPECT_EQ(ReadLines932(folder_ / "plendra.ini"), expected);
  CloseCad();
}

TEST_F(PlendraGui, WithoutAutoCadItSaysSoAndEnds) {
  ASSERT_NO_FATAL_FAILURE(StartPlendra(plendra_));
  Do({L"answer-box", kPatience, L"OK", L"AutoCADが見つかりません、終了します。"});
  ASSERT_TRUE(plendra_.WaitEnd(kPatienceMs));
  // No window was shown, so no position was saved.
  EXPECT_EQ(Bytes(folder_ / "plendra.ini"), Bytes(Data() / "plendra.ini"));
}

TEST_F(PlendraGui, SecondInstanceSaysItIsRunningAndEnds) {
  ASSERT_NO_FATAL_FAILURE(StartCad(L""));
  ASSERT_NO_FATAL_FAILURE(StartPlendra(plendra_));
  AnswerRenamedDrawing();
  Do({L"wait-text", L"Plendra", L"status", FirstNumberStatus(), kPatience});
  ASSERT_NO_FATAL_FAILURE(StartPlendra(second_));
  Do({L"answer-box", kPatience, L"OK", L"すでに起動されています"});
  ASSERT_TRUE(second_.WaitEnd(kPatienceMs));
  EXPECT_TRUE(plendra_.Running());
  Do({L"wait-text", L"Plendra", kButton, L"開始", L"5000"});
  ASSERT_NO_FATAL_FAILURE(ClosePlendra());
  CloseCad();
}

// 検査 → 番号の振り直し on the drawing ezdxf wrote for it
// (tests/report/make_renumber_drawing.py). Each entry of 給水 is known by its
// length, which no two of them share.
struct Renumbered {
  const char16_t* length;
  const char16_t* old_number;
  const char16_t* new_number;
};
// The plan, in its order: the lower of the two 1s, then 2, the 5 after the
// gap and the orphan 7 (which has no dimension).
constexpr Renumbered kPlan[] = {
    {u"1200", u"1", u"2"}, {u"800", u"2", u"3"}, {u"1500", u"5", u"4"}, {u"900", u"7", u"5"}};
// The upper 1 keeps its number, and A1, which is no decimal number, is left as it is.
constexpr Renumbered kKept[] = {{u"1000", u"1", u"1"}, {u"600", u"A1", u"A1"}};

std::u16string AttributeValue(const cadsim::Insert& insert, std::u16string_view tag) {
  for (const cadsim::Attribute& a : insert.attributes)
    if (a.tag == tag) return a.value;
  return u"(no " + std::u16string(tag) + u")";
}

const cadsim::Insert* SupplyEntry(const cadsim::Drawing& d, std::u16string_view length) {
  for (const cadsim::Entity& e : d.entities)
    if (const auto* insert = std::get_if<cadsim::Insert>(&e);
        insert && AttributeValue(*insert, u"(1)系統") == u"給水" &&
        AttributeValue(*insert, u"長さ") == length)
      return insert;
  return nullptr;
}

// Every block reference of `was` is in `is` under its handle, at its place,
// with the same attributes, except the numbers that `numbers` (handle ->
// number) names.
void ExpectSameEntries(const cadsim::Drawing& was, const cadsim::Drawing& is,
                       const std::map<cadsim::Handle, std::u16string>& numbers) {
  std::size_t inserts = 0;
  for (const cadsim::Entity& e : is.entities) inserts += std::holds_alternative<cadsim::Insert>(e) ? 1 : 0;
  std::size_t compared = 0;
  for (const cadsim::Entity& e : was.entities) {
    const auto* old = std::get_if<cadsim::Insert>(&e);
    if (old == nullptr) continue;
    ++compared;
    const cadsim::Insert* now = nullptr;
    for (const cadsim::Entity& f : is.entities)
      if (const auto* insert = std::get_if<cadsim::Insert>(&f); insert && insert->handle == old->handle)
        now = insert;
    SCOPED_TRACE("entry " + Utf8(W(AttributeValue(*old, u"(1)系統"))) + " " +
                 Utf8(W(AttributeValue(*old, u"(2)番号"))) + " of length " +
                 Utf8(W(AttributeValue(*old, u"長さ"))));
    ASSERT_NE(now, nullptr);
    EXPECT_NEAR(now->position.x, old->position.x, 1e-6);
    EXPECT_NEAR(now->position.y, old->position.y, 1e-6);
    EXPECT_EQ(now->layer, old->layer);
    ASSERT_EQ(now->attributes.size(), old->attributes.size());
    for (std::size_t i = 0; i < old->attributes.size(); ++i) {
      EXPECT_EQ(now->attributes[i].tag, old->attributes[i].tag);
      const auto renumbered = numbers.find(old->handle);
      const bool number = old->attributes[i].tag == u"(2)番号" && renumbered != numbers.end();
      EXPECT_EQ(Utf8(W(now->attributes[i].value)),
                Utf8(W(number ? renumbered->second : old->attributes[i].value)))
          << Utf8(W(old->attributes[i].tag));
    }
  }
  EXPECT_EQ(inserts, compared);
}

std::size_t Count(const std::vector<std::u16string>& lines, std::u16string_view part) {
  std::size_t n = 0;
  for (const std::u16string& line : lines)
    for (std::size_t at = line.find(part); at != std::u16string::npos; at = line.find(part, at + 1)) ++n;
  return n;
}

TEST_F(PlendraGui, RenumberingShowsThePlanTypesItAndOneUTakesItBack) {
  const std::filesystem::path drawing_file = SourceDir() / "tests" / "report" / "renumber.dxf";
  const cadsim::Drawing before = ReadDrawing(drawing_file);
  // The list as the dialog must show it: old number, new number, length and
  // the recorded point, as the drawing's attributes write them.
  std::string plan_rows = "columns: 旧番号\t新番号\t長さ\t位置 (X,Y)\n";
  std::map<cadsim::Handle, std::u16string> new_numbers;
  for (const Renumbered& r : kPlan) {
    const cadsim::Insert* entry = SupplyEntry(before, r.length);
    ASSERT_NE(entry, nullptr) << Utf8(W(r.length));
    ASSERT_EQ(AttributeValue(*entry, u"(2)番号"), r.old_number);
    plan_rows += "row: " +
                 Utf8(W(std::u16string(r.old_number) + u"\t" + r.new_number + u"\t" + r.length + u"\t" +
                        AttributeValue(*entry, u"X") + u"," + AttributeValue(*entry, u"Y"))) +
                 "\n";
    new_numbers[entry->handle] = r.new_number;
  }
  plan_rows += "rows: " + std::to_string(std::size(kPlan)) + "\n";
  for (const Renumbered& r : kKept) {
    const cadsim::Insert* entry = SupplyEntry(before, r.length);
    ASSERT_NE(entry, nullptr) << Utf8(W(r.length));
    ASSERT_EQ(AttributeValue(*entry, u"(2)番号"), r.old_number);
  }

  ASSERT_NO_FATAL_FAILURE(StartCad(L"", drawing_file));
  ASSERT_NO_FATAL_FAILURE(StartPlendra(plendra_));
  AnswerRenamedDrawing();
  Do({L"wait-text", L"Plendra", L"status", FirstNumberStatus(drawing_file), kPatience});
  const std::wstring number_before = std::to_wstring(HighestNumber(before, u"給水") + 1);
  Do({L"wait-text", L"Plendra", L"番号", number_before, L"5000"});

  const std::wstring menu = L"#" + std::to_wstring(IDM_RENUMBER);
  const std::wstring dialog = L"番号の振り直し";
  const std::wstring list = L"#" + std::to_wstring(IDC_RENUMBER_LIST);
  // The plan shown, then キャンセル: nothing is typed.
  Do({L"menu", L"Plendra", menu});
  Do({L"wait-window", dialog, kPatience});
  EXPECT_EQ(Do({L"rows", dialog, list}), plan_rows);
  EXPECT_EQ(Do({L"get", dialog, L"#" + std::to_wstring(IDC_RENUMBER_SYSTEM)}),
            "#" + std::to_string(IDC_RENUMBER_SYSTEM) + ": 給水\n");
  EXPECT_EQ(Do({L"get", dialog, L"#" + std::to_wstring(IDC_RENUMBER_SUMMARY)}),
            "#" + std::to_string(IDC_RENUMBER_SUMMARY) +
                ": そのままの部品表: 1 件\r\n番号が数値でないため振り直さない部品表: 「A1」\n");
  // A system the drawing lacks, typed into the box: it says so, with the
  // systems it holds, and has nothing to change.
  Do({L"set-combo", dialog, L"系統", L"冷却水"});
  Do({L"wait-text", dialog, L"#" + std::to_wstring(IDC_RENUMBER_SUMMARY),
      L"番号の振り直し: 系統「冷却水」の部品表はこの図面にありません。図面にある系統: "
      L"「排水」「給水」「給湯」",
      L"5000"});
  EXPECT_EQ(Do({L"rows", dialog, list}), "columns: 旧番号\t新番号\t長さ\t位置 (X,Y)\nrows: 0\n");
  Do({L"click", dialog, L"キャンセル"});
  Do({L"wait-gone", dialog, kPatience});

  // Again: the drawing read anew gives the same plan, so the first typed nothing into it.
  Do({L"menu", L"Plendra", menu});
  Do({L"wait-window", dialog, kPatience});
  EXPECT_EQ(Do({L"rows", dialog, list}), plan_rows);
  Screenshot(L"renumber.bmp");
  Do({L"screenshot", (shots_ / L"renumber-dialog.bmp").wstring(), dialog});
  // The export that checks the result lands where the one for the plan did:
  // gone, it can only come from the run.
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::filesystem::path scratch = std::filesystem::path(temp) / L"Wexa.dxf";
  ASSERT_TRUE(std::filesystem::exists(scratch)) << "the plan's export is not at " << scratch.string();
  std::filesystem::remove(scratch);
  Do({L"click", dialog, L"実行"});
  Do({L"wait-gone", dialog, kPatience});
  Do({L"wait-text", L"Plendra", L"status", L"番号を振り直しました: 系統「給水」 4 件", kPatience});
  // The number box continues after the new highest number, 5.
  Do({L"wait-text", L"Plendra", L"番号", L"6", L"5000"});
  Do({L"wait-text", L"Plendra", kButton, L"開始", L"5000"});
  Do({L"no-box", L"0"});

  // The drawing AutoCAD held after the run: 給水 numbered 1 to 5 without a
  // duplicate or a gap, A1 as it was, and nothing else changed.
  ASSERT_TRUE(std::filesystem::exists(scratch)) << "no export after the run";
  const cadsim::Drawing renumbered = ReadDrawing(scratch);
  std::vector<int> numbers;
  for (const cadsim::Entity& e : renumbered.entities)
    if (const auto* insert = std::get_if<cadsim::Insert>(&e))
      if (const auto n = EntryNumber(*insert, u"給水")) numbers.push_back(*n);
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 5}));
  {
    SCOPED_TRACE("after the renumbering");
    ExpectSameEntries(before, renumbered, new_numbers);
  }

  // One U typed into AutoCAD takes the whole renumbering back.
  Do({L"type", L"AutoCAD 2006*", L"u^M"});
  ASSERT_NO_FATAL_FAILURE(ClosePlendra());
  const cadsim::Drawing undone = CloseCad();
  {
    SCOPED_TRACE("after one U");
    ExpectSameEntries(before, undone, {});
  }
  // Typed into AutoCAD: one undo group with one edit per change, and
  // nothing between the group's end and the user's U (what Plendra types
  // when it closes comes after).
  const std::vector<std::u16string> typed = ReadLines932(folder_ / "typed.log");
  EXPECT_EQ(Count(typed, u"_undo^Mbe^M"), 1u);
  EXPECT_EQ(Count(typed, u"_-attedit^M"), std::size(kPlan));
  ASSERT_EQ(Count(typed, u"_undo^Me^M"), 1u);
  const auto end = std::find_if(typed.begin(), typed.end(),
                                [](const std::u16string& line) { return line.ends_with(u"_undo^Me^M"); });
  ASSERT_NE(end, typed.end());
  ASSERT_NE(end + 1, typed.end());
  EXPECT_TRUE(end[1].ends_with(u" u^M")) << Utf8(W(end[1]));
}

// Runs after korvel.dll was unregistered.
TEST_F(PlendraGui, UnregisteredKorvelIsExplainedAndEnds) {
  ASSERT_NO_FATAL_FAILURE(StartPlendra(plendra_));
  const std::string seen = Do({L"answer-box", kPatience, L"OK"});
  EXPECT_NE(seen.find("korvel.dll が登録されていない"), std::string::npos) << seen;
  EXPECT_NE(seen.find("regsvr32 korvel.dll"), std::string::npos) << seen;
  ASSERT_TRUE(plendra_.WaitEnd(kPatienceMs));
  EXPECT_EQ(plendra_.ExitCode(), 1u);
}

}  // namespace
