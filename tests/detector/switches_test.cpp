// The command-line switch matcher.
#include <gtest/gtest.h>

#include "detector/switches.h"

namespace zt::detector {
namespace {

TEST(MatchSwitch, WordsBehindDashOrSlashInAnyCase) {
  const struct {
    const char* line;
    Switch expected;
  } cases[] = {
      {"ZTLBScanDetector.exe -Service", Switch::kService},
      {"ZTLBScanDetector.exe /service", Switch::kService},
      {"x -SERVICE", Switch::kService},
      {"x /RegServer", Switch::kRegServer},
      {"x -regserver", Switch::kRegServer},
      {"x -UnregServer", Switch::kUnregServer},
      {"x /uNrEgSeRvEr", Switch::kUnregServer},
      {"x -Uninstall", Switch::kUninstall},
      // A dash inside the program's path is looked at too, but its rest is no word.
      {"C:\\a-b\\ZTLBScanDetector.exe -Uninstall", Switch::kUninstall},
      // Each dash is looked at: behind the second one of "--" stands the word.
      {"x --Service", Switch::kService},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchSwitch(c.line), c.expected) << c.line;
}

TEST(MatchSwitch, TheWordMustRunToTheEndOfTheLine) {
  for (const char* line :
       {"x -Service x", "x -Service ", "x -Services", "x -Serv", "x Service", "x -", "", "x -RegServer -y"}) {
    EXPECT_EQ(MatchSwitch(line), Switch::kNone) << '"' << line << '"';
  }
  EXPECT_EQ(MatchSwitch(nullptr), Switch::kNone);
  // The first character that matches decides; a later switch can still match.
  EXPECT_EQ(MatchSwitch("x -y -Uninstall"), Switch::kUninstall);
}

}  // namespace
}  // namespace zt::detector
