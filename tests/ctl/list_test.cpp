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

// Name and code of each command, in panel order; typed from the panel's button tables.
const std::vector<std::pair<std::string, std::string>> kExpected = {
    {"power-on", "C00"},
    {"power-off", "C01"},
    {"input-1", "C05"},
    {"input-2", "C06"},
    {"input-3", "C07"},
    {"input-network", "C08"},
    {"menu-on", "C1C"},
    {"menu-off", "C1D"},
    {"sound-mute-on", "C0B"},
    {"sound-mute-off", "C0C"},
    {"no-show-on", "C0D"},
    {"no-show-off", "C0E"},
    {"freeze-on", "C43"},
    {"freeze-off", "C44"},
    {"av-size-normal", "C0F"},
    {"av-size-full", "C10"},
    {"a-pc-adj", "C89"},
    {"image-adjust", "C27"},
    {"p-timer", "C8A"},
    {"lamp-change", "CF LAMPCONTRL CHANGE"},
    {"lamp-1", "CF LAMPCONTRL LAMP1"},
    {"lamp-2", "CF LAMPCONTRL LAMP2"},
    {"image-stand", "CF IMAGE STAND"},
    {"image-real", "CF IMAGE REAL"},
    {"image-cinema", "CF IMAGE CINEMA"},
    {"image-dynamic", "CF IMAGE DYNAMIC"},
    {"image-custom-1", "CF IMAGE CUSTOM1"},
    {"image-custom-2", "CF IMAGE CUSTOM2"},
    {"image-custom-3", "CF IMAGE CUSTOM3"},
    {"read-status", "CR0"},
    {"read-mode", "CR1"},
    {"read-l-time", "CR3"},
    {"read-setting", "CR4"},
    {"read-temp", "CR6"},
    {"read-l-mode", "CR7"},
    {"input-1-dvi-av-hdcp", "C53"},
    {"input-1-dvi-pc", "C52"},
    {"input-1-scart", "C51"},
    {"input-1-rgb", "C50"},
    {"input-2-rgb", "C25"},
    {"input-2-y-pb-cb-pr-cr", "C24"},
    {"input-2-video", "C23"},
    {"input-3-s-video", "C34"},
    {"input-3-video", "C33"},
    {"fan-max", "CF FANSPEED MAX"},
    {"fan-nor", "CF FANSPEED NOR"},
    {"display-clear", "C1E"},
    {"vol-plus", "C09"},
    {"vol-minus", "C0A"},
    {"cursor-up", "C3C"},
    {"cursor-down", "C3D"},
    {"cursor-left", "C3B"},
    {"cursor-right", "C3A"},
    {"cursor-select", "C3F"},
    {"zoom-plus", "C47"},
    {"zoom-minus", "C46"},
    {"focus-plus", "C4B"},
    {"focus-minus", "C4A"},
    {"d-zoom-plus", "C30"},
    {"d-zoom-minus", "C31"},
    {"keystone-up", "C8E"},
    {"keystone-down", "C8F"},
    {"keystone-right", "C90"},
    {"keystone-left", "C91"},
    {"lens-shift-up", "C5D"},
    {"lens-shift-down", "C5E"},
    {"lens-shift-left", "C5F"},
    {"lens-shift-right", "C60"},
};

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
  EXPECT_EQ(listed, kExpected);
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
  EXPECT_EQ(objects, kExpected.size());
  EXPECT_TRUE(run.out.starts_with("[\n")) << run.out.substr(0, 40);
}

}  // namespace
}  // namespace pv7100::ctl::testing
