// A test that drives Plendra against cadsim through scenario lines, for what
// a scenario file alone cannot reach.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>

#include "scenario.h"

namespace plendra_test {

class ScenarioTest : public ::testing::Test {
 protected:
  ScenarioTest() : runner(std::filesystem::current_path(), log) {}

  // Runs scenario lines; each must pass.
  void Lines(std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) {
      std::string error;
      const auto fields = scenario::SplitLine(line, &error);
      ASSERT_TRUE(fields && !fields->empty()) << line;
      ASSERT_TRUE(runner.Run(++line_number, *fields)) << log.str();
    }
  }

  std::ostringstream log;
  scenario::Runner runner;
  std::size_t line_number = 0;
};

}  // namespace plendra_test
