// `list`: every command a button sends, under its name.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/ctl/processes.h"

namespace pv7100::ctl::testing {
namespace {

using Row = std::pair<std::string, std::string>;

TEST(CtlList, NamesEveryCommandOfThePanelOnce) {
  const CtlRun run = runCtl({"list"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::istringstream lines(run.out);
  std::vector<std::pair<std::string, std::string>> listed;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t tab = line.find('\t');
    const std::size_t second = line.find('\t', tab + 1);
    ASSERT_NE(second, std::string::npos) << line;
    EXPECT_GT(line.size(), second + 1) << "no description: " << line;
    listed.emplace_back(line.substr(0, tab), line.substr(tab + 1, second - tab - 1));
  }
  // The 46 one-shot buttons, "DISPLAY CLEAR" and the 21 hold-to-repeat buttons.
  ASSERT_EQ(listed.size(), 68u);
  EXPECT_EQ(listed.front(), Row("power-on", "C00"));
  EXPECT_EQ(listed[46], Row("display-clear", "C1E"));
  EXPECT_EQ(listed.back(), Row("lens-shift-right", "C60"));
  EXPECT_NE(run.out.find("input-2-y-pb-cb-pr-cr\tC24\tinput type 2 \"Y,Pb/Cb,Pr/Cr\"\n"),
            std::string::npos);
  const std::set<std::string> verbs = {"list", "send", "status", "wait", "probe", "help"};
  std::set<std::string> names;
  for (const auto& [name, code] : listed) {
    EXPECT_TRUE(names.insert(name).second) << name << " twice";
    EXPECT_FALSE(verbs.contains(name)) << name;
  }
}

TEST(CtlList, InJsonGivesKindAndPeriod) {
  const CtlRun run = runCtl({"--json", "list"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (
      const char* row : {
          R"({"name": "power-on", "code": "C00", "group": "POWER", "caption": "ON", "kind": "one-shot"})",
          R"({"name": "vol-plus", "code": "C09", "group": "VOL", "caption": "+", "kind": "repeat", "period": 250})",
          R"({"name": "cursor-up", "code": "C3C", "group": "cursor pad", "caption": "↑", "kind": "repeat", "period": 200})",
          R"({"name": "zoom-minus", "code": "C46", "group": "Zoom", "caption": "-", "kind": "repeat", "period": 105})",
      })
    EXPECT_NE(run.out.find(row), std::string::npos) << row;
  std::size_t objects = 0;
  for (std::size_t at = run.out.find("{\"name\""); at != std::string::npos;
       at = run.out.find("{\"name\"", at + 1))
    ++objects;
  EXPECT_EQ(objects, 68u);
  EXPECT_TRUE(run.out.starts_with("[\n")) << run.out.substr(0, 40);
}

}  // namespace
}  // namespace pv7100::ctl::testing
