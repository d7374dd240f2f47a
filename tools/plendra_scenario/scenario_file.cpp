// A scenario file run from its first line to its last, or to the first that
// fails, and what the program's exit status says of it.
#include <fstream>

#include "scenario.h"

namespace scenario {
namespace {

// The bytes of a scenario file; false when it is no file or cannot be read
// to its end.
bool ReadScenario(const std::filesystem::path& file, std::string* bytes, std::string* why) {
  std::error_code e;
  if (std::filesystem::is_directory(file, e)) {
    *why = "フォルダです";
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    *why = std::filesystem::exists(file, e) ? "開けません" : "ありません";
    return false;
  }
  // Scenarios are a few kilobytes. A bound keeps a device such as /dev/zero,
  // or a drawing named by mistake, from being read until memory runs out.
  constexpr std::size_t kLargest = 4 << 20;
  std::string read;
  char buffer[4096];
  while (read.size() <= kLargest && (in.read(buffer, sizeof buffer) || in.gcount() > 0))
    read.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) {
    *why = "読み取りに失敗しました";
    return false;
  }
  if (read.size() > kLargest) {
    *why = "シナリオとしては大きすぎます。4 MB までです";
    return false;
  }
  *bytes = std::move(read);
  return true;
}

}  // namespace

int RunFile(const std::filesystem::path& file, const std::optional<std::filesystem::path>& out_dir,
            std::ostream& out, std::ostream& err) {
  std::string bytes, why;
  if (!ReadScenario(file, &bytes, &why)) {
    err << "plendra-scenario: シナリオを読めません (" << why << "): " << file.string() << "\n";
    return 2;
  }
  // Relative paths in the scenario are relative to its folder, whatever the
  // current folder is; a bare file name has an empty parent.
  std::error_code e;
  std::filesystem::path absolute = std::filesystem::absolute(file, e);
  if (e) absolute = file;
  Runner runner(absolute.parent_path(), out, &err);
  std::size_t number = 0, actions = 0;
  bool passed = true;
  for (const std::string_view line : ScenarioLines(bytes)) {
    ++number;
    std::string error;
    const auto fields = SplitLine(line, &error);
    if (!fields) {
      runner.FailLine(number, error);
      passed = false;
    } else if (!fields->empty()) {
      ++actions;
      passed = runner.Run(number, *fields);
    }
    if (!passed) break;
  }
  if (passed && actions == 0) {
    err << "plendra-scenario: シナリオに動作が一つもありません: " << file.string() << "\n";
    return 2;
  }
  if (passed) {
    // The earliest line that nothing took.
    const std::vector<std::size_t> steps = runner.PendingUserSteps(), answers = runner.PendingAnswers();
    if (!steps.empty() && (answers.empty() || steps.front() < answers.front())) {
      runner.FailLine(steps.front(), "この user の操作を待つ選択がありませんでした");
      passed = false;
    } else if (!answers.empty()) {
      runner.FailLine(answers.front(), "この answer で答える質問がありませんでした");
      passed = false;
    }
  }
  if (out_dir) {
    std::string failed;
    if (!runner.WriteOut(*out_dir, &failed)) {
      err << "plendra-scenario: --out のファイルを書き込めません: " << failed << "\n";
      return 2;
    }
  }
  if (!passed) return 1;
  out << "成功: " << file.filename().string() << "\n";
  return 0;
}

}  // namespace scenario
