// The nine release profiles: the application's table of titles and prompts
// finds each of them, and the first row that fits speaks cadsim's prompt.
#include <gtest/gtest.h>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

class Releases : public CadsimTest {};

// The first row of the table whose titles fit each release: a row with a
// shorter main title fits later releases too ("AutoCAD" fits 2002).
TEST_F(Releases, EachReleaseIsFoundByTheFirstRowThatFitsAndThatRowsPromptIsCadsims) {
  const int expected_row[] = {0, 1, 0, 1, 4, 5, 6, 5, 8};
  for (int release = 0; release < 9; ++release) {
    platform::sim::Desktop d;
    platform::ScopedPlatform b(d);
    cadsim::SimCadOptions options;
    options.release = release;
    cadsim::SimCad acad(d, cadsim::Drawing{}, options);
    korvel::PwAcad pw;
    const std::size_t row = plendra::SearchReleases(pw);
    ASSERT_LT(row, plendra::kReleaseCount) << "release " << release;
    const int found = static_cast<int>(row);
    EXPECT_EQ(found, expected_row[release]) << "release " << release;
    std::u16string prompt;
    ASSERT_EQ(pw.Control()->GetPrompt(prompt), -1);
    EXPECT_EQ(prompt, plendra::Releases()[static_cast<std::size_t>(found)].CommandPrompt)
        << "release " << release;
  }
}

TEST_F(Releases, WindowsCarryRealisticTitles) {
  Start(3);
  EXPECT_EQ(link.get_MainWindowTitle(), u"AutoCAD LT 2002 - [C:\\図面\\sample.dwg]");
  EXPECT_EQ(link.get_TextWindowTitle(), u"AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - sample.dwg");
  EXPECT_EQ(link.get_CommandWindowTitle(), u"Headlands");
  EXPECT_EQ(link.get_HistoryWindowTitle(), u"MountTam");
}

TEST_F(Releases, From2004TheTextWindowTitleIsFullWidth) {
  Start(6);
  EXPECT_EQ(link.get_TextWindowTitle(), u"AutoCAD テキスト ウィンドウ - sample.dwg");
  EXPECT_EQ(CurrentPrompt(), u"コマンド: ");
}

TEST_F(Releases, SaveAsMakesTheDxfTheCurrentDrawingAndTheTitleFollows) {
  Start(2);
  ASSERT_EQ(Post(AllExport()), -1);
  FinishExport();
  EXPECT_NE(Cad().MainTitle().find(u"Wexa.dxf]"), std::u16string::npos);
  EXPECT_EQ(link.Search(), -1) << "the new title still begins with the release's";
}

TEST_F(Releases, LaunchedByPathItIsFoundOnceReady) {
  auto running = std::make_shared<std::unique_ptr<cadsim::SimCad>>();
  cadsim::SimCadOptions options;
  options.release = 8;
  const std::u16string path = u"C:\\Program Files\\AutoCAD 2006\\acad.exe";
  desktop.AddProgram(path, cadsim::Launchable(desktop, Sample(), options, 800, 2000, running));
  plendra::ApplyRelease(link, 8);
  ASSERT_EQ(link.Execute(path, u"", 0, korvel::WaitPrompt), -1);
  ASSERT_TRUE(*running);
  EXPECT_EQ(link.get_MainWindowProcessID(), static_cast<std::int32_t>((*running)->process));
  std::u16string prompt;
  ASSERT_EQ(link.Control()->GetPrompt(prompt), -1);
  EXPECT_EQ(prompt, u"コマンド: ");
}

}  // namespace
}  // namespace cadsim_test
