// The commands that make a block file at the command line (-ATTDEF, LINE,
// CIRCLE, -WBLOCK), the parts-table block made by data/Plendra1.scr and
// inserted back, and -INSERT of a block file that is not there.
#include <gtest/gtest.h>

#include <array>

#include "app/block_script.h"
#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

constexpr std::u16string_view kAppFolder = u"C:\\Program Files\\Plendra";

class BlockCommands : public CadsimTest {
 protected:
  // cadsim with the application's folder mapped to a folder here, over the
  // sample or over an empty drawing (which has no block Plendra1 that an
  // insertion would take instead of the file's).
  void StartMapped(int release = 8, bool empty = false) {
    app_folder = desktop.TempFolder() / "Plendra";
    std::filesystem::create_directories(app_folder);
    folders = {{std::u16string(kAppFolder), app_folder.u16string()}};
    Start(release, empty ? std::optional<cadsim::Drawing>(cadsim::Drawing{}) : std::nullopt);
  }
  std::u16string BlockPath() { return std::u16string(kAppFolder) + u"\\Plendra1.dwg"; }
  std::filesystem::path BlockFile() { return app_folder / "Plendra1.dwg"; }
  // The script's keystrokes, as Plendra types them.
  std::u16string ScriptKeys() {
    const std::string bytes = ReadBytes(DataDir() / "Plendra1.scr");
    return u"^C^C" + plendra::BlockScriptKeys(desktop.Codec().FromAnsi(bytes), BlockPath());
  }
  template <class T>
  std::vector<const T*> Made() {
    return All<T>(TheDrawing());
  }

  std::filesystem::path app_folder;
};

// --- -ATTDEF -------------------------------------------------------------------

struct AttDefCase {
  const char* name;
  const char* setup;  // typed first
  const char* keys;
  const char* tag;
  const char* prompt;
  const char* value;
  int flags, halign, valign;
  double x, y, height, rotation;
};

class AttDef : public BlockCommands, public ::testing::WithParamInterface<AttDefCase> {};

TEST_P(AttDef, MakesTheDefinitionItsAnswersDescribe) {
  Start(8);
  const AttDefCase& c = GetParam();
  if (*c.setup) {
    ASSERT_EQ(Send(Widen(c.setup)), -1);
  }
  const std::size_t before = Made<cadsim::AttributeDef>().size();
  ASSERT_EQ(Send(Widen(c.keys)), -1);
  EXPECT_EQ(CurrentPrompt(), Prompt());
  const auto defs = Made<cadsim::AttributeDef>();
  ASSERT_EQ(defs.size(), before + 1);
  const cadsim::AttributeDef& d = *defs.back();
  EXPECT_EQ(d.tag, Widen(c.tag));
  EXPECT_EQ(d.prompt, Widen(c.prompt));
  EXPECT_EQ(d.value, Widen(c.value));
  EXPECT_EQ(d.flags, c.flags);
  EXPECT_EQ(d.halign, c.halign);
  EXPECT_EQ(d.valign, c.valign);
  const cadsim::Point& at = c.halign || c.valign ? d.align : d.position;
  EXPECT_DOUBLE_EQ(at.x, c.x);
  EXPECT_DOUBLE_EQ(at.y, c.y);
  EXPECT_DOUBLE_EQ(d.height, c.height);
  EXPECT_DOUBLE_EQ(d.rotation, c.rotation);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, AttDef,
    ::testing::Values(AttDefCase{"Plain", "", "-attdef^M^Mtag^M寸法文字の X 座標^M^M1.3,0.6^M0.3^M0^M", "TAG",
                                 "寸法文字の X 座標", "", 0, 0, 0, 1.3, 0.6, 0.3, 0},
                      AttDefCase{"ModesToggled", "", "-attdef^Mi^Mv^Mi^Mp^M^Mm^M材質^MSGP^M2,3^M1^M90^M", "M",
                                 "材質", "SGP", 12, 0, 0, 2, 3, 1, 90},
                      AttDefCase{"ModesFromAflags", "aflags^M1^M",
                                 "attdef^M^M長さ^M長さ(mm)^M^M1,1^M0.3^M0^M", "長さ", "長さ(mm)", "", 1, 0, 0,
                                 1, 1, 0.3, 0},
                      AttDefCase{"Constant", "", "-attdef^Mc^M^Mk^M値 1^M3,4^M2^M45^M", "K", "", "値 1", 2, 0,
                                 0, 3, 4, 2, 45},
                      AttDefCase{"MiddleCenter", "", "-attdef^M^M(1)系統^M系統名^M^Mj^Mmc^M0,0.45^M0.5^M0^M",
                                 "(1)系統", "系統名", "", 0, 1, 2, 0, 0.45, 0.5, 0},
                      AttDefCase{"RightAfterAnUnknownKeyword", "", "-attdef^M^Mr^Mp^M^Mj^Mxx^Mr^M5,5^M1^M0^M",
                                 "R", "p", "", 0, 2, 0, 5, 5, 1, 0},
                      AttDefCase{"LeadingBlankKept", "", "-attdef^M^Mb^M\\ 先頭^M\\ 値^M0,0^M^M^M", "B",
                                 " 先頭", " 値", 0, 0, 0, 0, 0, 2.5, 0},
                      AttDefCase{"DefaultHeightIsTheLastOne", "-attdef^M^Ma^Ma^M^M0,0^M7^M0^M",
                                 "-attdef^M^Mb^Mb^M^M0,-10^M^M30^M", "B", "b", "", 0, 0, 0, 0, -10, 7, 30}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BlockCommands, StyleWithAFixedHeightIsNotAskedForOne) {
  cadsim::Drawing d = Sample();
  cadsim::TextStyle fixed;
  fixed.name = u"固定";
  fixed.height = 5;
  d.text_styles.push_back(fixed);
  Start(8, std::move(d));
  ASSERT_EQ(Send(u"-attdef^M^Mt^Mp^M^Ms^M固定^M1,1^M30^M"), -1);
  const cadsim::AttributeDef& def = *Made<cadsim::AttributeDef>().back();
  EXPECT_EQ(def.style, u"固定");
  EXPECT_DOUBLE_EQ(def.height, 5);
  EXPECT_DOUBLE_EQ(def.rotation, 30);
}

// -STYLE makes a style of height 0 current over one of a fixed height, so
// that the next -ATTDEF asks for its height again; TEXTSTYLE sets it back.
TEST_F(BlockCommands, StyleCommandMakesItsStyleCurrent) {
  cadsim::Drawing d = Sample();
  cadsim::TextStyle fixed;
  fixed.name = u"固定";
  fixed.height = 5;
  d.text_styles.push_back(fixed);
  d.current_text_style = u"固定";
  Start(8, std::move(d));
  const std::u16string_view steps[][2] = {
      {u"-style^M", u"文字スタイル名を入力 または [?] <固定>: "},
      {u"Plendra1^M", u"フォント名またはフォント ファイル名を指定 <txt>: "},
      {u"txt^M", u"文字の高さを指定 <0.0000>: "},
      {u"0^M", u"幅係数を指定 <1.0000>: "},
      {u"1^M", u"傾斜角度を指定 <0>: "},
      {u"0^M", u"文字列を反転表示しますか? [はい(Y)/いいえ(N)] <N>: "},
      {u"n^M", u"文字列を上下反転表示しますか? [はい(Y)/いいえ(N)] <N>: "},
      {u"n^M", u"縦書きにしますか? [はい(Y)/いいえ(N)] <N>: "},
  };
  for (const auto& [keys, prompt] : steps) {
    ASSERT_EQ(Post(keys), -1);
    EXPECT_EQ(CurrentPrompt(), prompt) << "after " << platform::ToUtf8(keys);
  }
  ASSERT_EQ(Send(u"n^M"), -1);
  EXPECT_EQ(TheDrawing().current_text_style, u"Plendra1");
  ASSERT_NE(TheDrawing().FindTextStyle(u"Plendra1"), nullptr);
  EXPECT_EQ(TheDrawing().FindTextStyle(u"Plendra1")->height, 0);
  ASSERT_EQ(Post(u"-attdef^M^Mt^Mp^M^M0,0^M"), -1);
  EXPECT_EQ(CurrentPrompt(), u"高さを指定 <2.5000>: ");
  ASSERT_EQ(Send(u"^C^C"), -1);
  ASSERT_EQ(control->SetVariable(u"TEXTSTYLE", u"固定"), -1);
  EXPECT_EQ(TheDrawing().current_text_style, u"固定");
}

TEST_F(BlockCommands, AttDefAsksInAutoCadsOrder) {
  Start(8);
  const std::u16string_view steps[][2] = {
      {u"-attdef^M", u"変更するモードを入力 [非表示(I)/一定(C)/確認(V)/プリセット(P)] <終了>: "},
      {u"^M", u"属性名称を入力: "},
      {u"t^M", u"属性プロンプトを入力: "},
      {u"p^M", u"既定の属性値を入力: "},
      {u"^M", u"文字列の始点を指定 または [位置合わせオプション(J)/文字スタイル(S)]: "},
      {u"0,0^M", u"高さを指定 <2.5000>: "},
      {u"^M", u"文字列の角度を指定 <0>: "},
  };
  for (const auto& [keys, prompt] : steps) {
    ASSERT_EQ(Post(keys), -1);
    EXPECT_EQ(CurrentPrompt(), prompt) << "after " << platform::ToUtf8(keys);
  }
  EXPECT_NE(History().find(u"現在の属性モード: 非表示=N 一定=N 確認=N プリセット=N"), std::u16string::npos);
}

// --- LINE and CIRCLE -----------------------------------------------------------

struct DrawCase {
  const char* name;
  const char* keys;
  std::vector<std::array<double, 4>> lines;    // x1 y1 x2 y2
  std::vector<std::array<double, 3>> circles;  // x y r
};

class Draw : public BlockCommands, public ::testing::WithParamInterface<DrawCase> {};

TEST_P(Draw, MakesTheGeometryTyped) {
  Start(3);
  const std::size_t lines = Made<cadsim::Line>().size(), circles = Made<cadsim::Circle>().size();
  ASSERT_EQ(Send(Widen(GetParam().keys)), -1);
  EXPECT_EQ(CurrentPrompt(), Prompt());
  const auto made_lines = Made<cadsim::Line>();
  const auto made_circles = Made<cadsim::Circle>();
  ASSERT_EQ(made_lines.size(), lines + GetParam().lines.size());
  ASSERT_EQ(made_circles.size(), circles + GetParam().circles.size());
  for (std::size_t k = 0; k < GetParam().lines.size(); ++k) {
    const cadsim::Line& l = *made_lines[lines + k];
    const auto& want = GetParam().lines[k];
    EXPECT_EQ((std::array<double, 4>{l.start.x, l.start.y, l.end.x, l.end.y}), want) << "line " << k;
  }
  for (std::size_t k = 0; k < GetParam().circles.size(); ++k) {
    const cadsim::Circle& c = *made_circles[circles + k];
    EXPECT_EQ((std::array<double, 3>{c.center.x, c.center.y, c.radius}), GetParam().circles[k])
        << "circle " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Draw,
    ::testing::Values(
        DrawCase{"OneSegment", "line^M-1,0^M1,0^M^M", {{-1, 0, 1, 0}}, {}},
        DrawCase{"Closed", "line^M0,0^M4,0^M4,3^Mc^M", {{0, 0, 4, 0}, {4, 0, 4, 3}, {4, 3, 0, 0}}, {}},
        DrawCase{"UndoTakesTheLastSegmentBack", "line^M0,0^M1,0^Mu^M2,0^M^M", {{0, 0, 2, 0}}, {}},
        DrawCase{"CloseNeedsTwoSegments", "line^M0,0^M1,0^Mc^M^M", {{0, 0, 1, 0}}, {}},
        DrawCase{"Radius", "circle^M5,5^M2^M", {}, {{5, 5, 2}}},
        DrawCase{"Diameter", "circle^M5,5^Md^M3^M", {}, {{5, 5, 1.5}}},
        DrawCase{"LastRadiusIsTheDefault", "circle^M0,0^M4^Mcircle^M1,1^M^M", {}, {{0, 0, 4}, {1, 1, 4}}},
        DrawCase{"ThreePointsRefused", "circle^M3p^M0,0^M1^M", {}, {{0, 0, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- -WBLOCK -------------------------------------------------------------------

TEST_F(BlockCommands, WblockOfObjectsWritesThemAtTheBaseAndTakesThemOut) {
  StartMapped(8);
  const std::size_t before = TheDrawing().entities.size();
  ASSERT_EQ(Send(u"circle^M10,20^M1^Mselect^Ml^M^Mline^M9,20^M11,20^M^Mselect^Mp^Ml^M^M"), -1);
  ASSERT_EQ(Send(u"-wblock^M\"" + BlockPath() + u"\"^M^M10,20^Mp^M^M"), -1);
  EXPECT_EQ(CurrentPrompt(), Prompt());
  EXPECT_EQ(TheDrawing().entities.size(), before);
  const cadsim::Drawing written = cadsim::ReadDxfFile(BlockFile(), desktop.Codec());
  EXPECT_DOUBLE_EQ(written.insertion_base.x, 10);
  EXPECT_DOUBLE_EQ(written.insertion_base.y, 20);
  ASSERT_EQ(All<cadsim::Circle>(written).size(), 1u);
  ASSERT_EQ(All<cadsim::Line>(written).size(), 1u);
  EXPECT_EQ(written.entities.size(), 2u);
}

struct WblockCase {
  const char* name;
  const char* what;    // the answer after the file name
  bool base_of_block;  // the block Plendra1 is written, not the drawing
};

class WblockWhat : public BlockCommands, public ::testing::WithParamInterface<WblockCase> {};

TEST_P(WblockWhat, WritesWhatIsNamed) {
  StartMapped(8);
  const std::size_t before = TheDrawing().entities.size();
  const cadsim::Block* block = TheDrawing().FindBlock(u"Plendra1");
  ASSERT_NE(block, nullptr);
  const std::size_t block_entities = block->entities.size();
  ASSERT_EQ(
      Send(u"-wblock^M" + std::u16string(kAppFolder) + u"\\Plendra1^M" + Widen(GetParam().what) + u"^M"), -1);
  EXPECT_EQ(CurrentPrompt(), Prompt());
  EXPECT_EQ(TheDrawing().entities.size(), before) << "a block or the drawing stays as it is";
  const cadsim::Drawing written = cadsim::ReadDxfFile(BlockFile(), desktop.Codec());
  EXPECT_EQ(written.entities.size(), GetParam().base_of_block ? block_entities : before);
}

INSTANTIATE_TEST_SUITE_P(Answers, WblockWhat,
                         ::testing::Values(WblockCase{"BlockNamedLikeTheFile", "=", true},
                                           WblockCase{"BlockByName", "plendra1", true},
                                           WblockCase{"WholeDrawing", "*", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BlockCommands, WblockAsksBeforeReplacingAFile) {
  StartMapped(8);
  std::ofstream(BlockFile()) << "old";
  ASSERT_EQ(Post(u"-wblock^M" + BlockPath() + u"^M"), -1);
  EXPECT_EQ(CurrentPrompt(), u"同じ名前の図面が既に存在します。置き換えますか? <N>: ");
  ASSERT_EQ(Send(u"^M"), -1);
  EXPECT_EQ(ReadBytes(BlockFile()), "old");
  ASSERT_EQ(Send(u"-wblock^M" + BlockPath() + u"^My^M*^M"), -1);
  EXPECT_NE(ReadBytes(BlockFile()), "old");
}

TEST_F(BlockCommands, WblockOfAnUnknownBlockAsksAgain) {
  StartMapped(8);
  ASSERT_EQ(Post(u"-wblock^M" + BlockPath() + u"^Mなし^M"), -1);
  EXPECT_NE(History().find(u"ブロック \"なし\" が見つかりません。"), std::u16string::npos);
  EXPECT_EQ(CurrentPrompt(), u"[= (ブロック=出力ファイル)/* (図面全体)] <新しい図面を定義>: ");
  EXPECT_FALSE(std::filesystem::exists(BlockFile()));
}

// --- The parts-table block from data/Plendra1.scr ------------------------------

class ScriptedBlock : public BlockCommands {
 protected:
  void Make(int release, bool empty = false) {
    StartMapped(release, empty);
    before = TheDrawing().entities.size();
    ASSERT_EQ(Send(ScriptKeys()), -1);
  }
  std::size_t before = 0;
};

class ScriptedBlockOn : public ScriptedBlock, public ::testing::WithParamInterface<int> {};

TEST_P(ScriptedBlockOn, LeavesTheBlockFileAndNothingInTheDrawing) {
  Make(GetParam());
  EXPECT_EQ(CurrentPrompt(), Prompt());
  EXPECT_TRUE(std::filesystem::is_regular_file(BlockFile()));
  EXPECT_EQ(TheDrawing().entities.size(), before);
  EXPECT_EQ(History().find(u"*無効"), std::u16string::npos) << platform::ToUtf8(History());
}

INSTANTIATE_TEST_SUITE_P(Releases, ScriptedBlockOn, ::testing::Values(1, 3, 8));

TEST_F(ScriptedBlock, DefinesTheShippedBlocksAttributesInItsOrder) {
  Make(8);
  const cadsim::Drawing made = cadsim::ReadDxfFile(BlockFile(), desktop.Codec());
  const cadsim::Drawing shipped = cadsim::ReadDxfFile(DataDir() / "Plendra1.dxf", desktop.Codec());
  const auto want = All<cadsim::AttributeDef>(shipped);
  const auto got = All<cadsim::AttributeDef>(made);
  ASSERT_EQ(got.size(), 8u);
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t k = 0; k < got.size(); ++k) {
    SCOPED_TRACE(k + 1);
    EXPECT_EQ(got[k]->tag, want[k]->tag);
    EXPECT_EQ(got[k]->prompt, want[k]->prompt);
    EXPECT_EQ(got[k]->value, want[k]->value);
    EXPECT_EQ(got[k]->flags, want[k]->flags);
    EXPECT_EQ(got[k]->halign, want[k]->halign);
    EXPECT_EQ(got[k]->valign, want[k]->valign);
    const bool justified = want[k]->halign || want[k]->valign;
    EXPECT_NEAR((justified ? got[k]->align : got[k]->position).x,
                (justified ? want[k]->align : want[k]->position).x, 1e-9);
    EXPECT_NEAR((justified ? got[k]->align : got[k]->position).y,
                (justified ? want[k]->align : want[k]->position).y, 1e-9);
    EXPECT_NEAR(got[k]->height, want[k]->height, 1e-9);
    EXPECT_EQ(got[k]->layer, u"0");
  }
  // The lookup reads the number in the attribute right after the system's.
  EXPECT_EQ(got[6]->tag, u"(1)系統");
  EXPECT_EQ(All<cadsim::Circle>(made).size(), 1u);
  EXPECT_EQ(All<cadsim::Line>(made).size(), 1u);
}

TEST_F(ScriptedBlock, InsertAsksForTheEightValuesInOrderAndKeepsTheDefaults) {
  Make(8, true);
  const cadsim::Drawing shipped = cadsim::ReadDxfFile(DataDir() / "Plendra1.dxf", desktop.Codec());
  const auto defs = All<cadsim::AttributeDef>(shipped);
  // Taken from the data directory it would find the shipped DXF; the block
  // must come from the file the script wrote.
  Cad().BlockFolders().clear();
  ASSERT_EQ(Post(u"^C^C-insert^M" + BlockPath() + u"^Ms^M250^M1000,975^M0^M"), -1);
  const std::u16string values[] = {u"1000", u"500", u"0", u"1230", u"", u"", u"給水", u"3"};
  for (std::size_t k = 0; k < 8; ++k) {
    const std::u16string shown =
        defs[k]->prompt + (defs[k]->value.empty() ? u"" : u" <" + defs[k]->value + u">");
    EXPECT_EQ(CurrentPrompt(), shown + u": ") << "prompt " << k + 1;
    ASSERT_EQ(Post(values[k] + u"^M"), -1);
  }
  EXPECT_EQ(CurrentPrompt(), Prompt());
  const cadsim::Insert& n = *All<cadsim::Insert>(TheDrawing()).back();
  ASSERT_EQ(n.attributes.size(), 8u);
  for (std::size_t k = 0; k < 8; ++k)
    EXPECT_EQ(n.attributes[k].value, values[k].empty() ? defs[k]->value : values[k]) << "attribute " << k + 1;
}

// --- -INSERT of a file that is not there ---------------------------------------

TEST_F(BlockCommands, InsertOfAMissingFileEndsAtTheCommandPrompt) {
  StartMapped(8, true);
  Cad().BlockFolders().clear();
  const std::size_t before = TheDrawing().entities.size();
  // The whole entry as Plendra types it: what follows the failed name runs at
  // the command prompt and the wait for it ends.
  ASSERT_EQ(Post(u"^C^C-insert^M" + BlockPath() + u"^Ms^M250^M1000,975^M0^M"), -1);
  ASSERT_EQ(Send(u"1000^M500^M0^M1230^M"), -1);
  EXPECT_EQ(CurrentPrompt(), Prompt());
  const std::u16string history = History();
  EXPECT_NE(history.find(u"\"" + BlockPath() + u"\" が見つかりません。\r\n*無効*"), std::u16string::npos);
  EXPECT_EQ(TheDrawing().entities.size(), before);
}

TEST_F(BlockCommands, InsertOfAFileThatIsNoDrawingIsRefusedTheSameWay) {
  StartMapped(8, true);
  Cad().BlockFolders().clear();
  std::ofstream(BlockFile(), std::ios::binary) << "AC1015\x01\x02 binary";
  ASSERT_EQ(Send(u"^C^C-insert^M" + BlockPath() + u"^M"), -1);
  EXPECT_NE(History().find(u"*無効*"), std::u16string::npos);
}

TEST_F(BlockCommands, InsertOfAnUnknownBlockNameEnds) {
  Start(8);
  ASSERT_EQ(Send(u"^C^C-insert^Mなし^M"), -1);
  EXPECT_NE(History().find(u"ブロック \"なし\" が見つかりません。\r\n*無効*"), std::u16string::npos);
}

}  // namespace
}  // namespace cadsim_test
