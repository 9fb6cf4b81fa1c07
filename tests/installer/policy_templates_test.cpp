// The Group Policy templates against the program's one table of the values an administrator may
// set. A template that wrote another name, another registry type or a range the program refuses
// would offer a policy that silently does nothing; a language file short of a string or a control
// would keep the templates from loading at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "overlay/shell/settings/admin_settings.h"

namespace zt::shell {
namespace {

// A template's text without its comments, which name elements and values in passing.
std::string ReadTemplate(const std::string& name) {
  std::ifstream file(std::string(ZT_POLICY_DIR) + "/" + name, std::ios::binary);
  if (!file) ADD_FAILURE() << "cannot read " << name;
  std::ostringstream text;
  text << file.rdbuf();
  return std::regex_replace(text.str(), std::regex(R"(<!--[\s\S]*?-->)"), "");
}

std::optional<std::string> Attribute(const std::string& tag, const std::string& name) {
  const std::regex pattern("(?:^|\\s)" + name + "=\"([^\"]*)\"");
  std::smatch match;
  if (!std::regex_search(tag, match, pattern)) return std::nullopt;
  return match[1].str();
}

// The first group of every match, in order.
std::vector<std::string> AllOf(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression); it != std::sregex_iterator();
       ++it)
    found.push_back((*it)[1].str());
  return found;
}

// What one policy writes: the element that holds the value, or "state" where the policy's own
// Enabled/Disabled is the value; the element's (or the policy's) attributes and content.
struct Policy {
  std::string policyClass, key, presentation;
  int valueNames = 0;
  std::string form, attributes, body, elementId, valueName;
};

std::vector<Policy> Policies(const std::string& admx) {
  std::vector<Policy> policies;
  const std::regex policy(R"(<policy\s([^>]*)>([\s\S]*?)</policy>)");
  const std::regex oneElement(R"(<elements>\s*<(\w+)\s([^>]*?)(?:/>|>([\s\S]*?)</\1>)\s*</elements>)");
  for (auto it = std::sregex_iterator(admx.begin(), admx.end(), policy); it != std::sregex_iterator(); ++it) {
    const std::string tag = (*it)[1].str(), body = (*it)[2].str();
    Policy p;
    p.policyClass = Attribute(tag, "class").value_or("");
    p.key = Attribute(tag, "key").value_or("");
    p.presentation = Attribute(tag, "presentation").value_or("");
    p.valueNames = static_cast<int>(AllOf(tag + body, R"(\s(valueName)=)").size());
    p.form = "state";
    p.attributes = tag;
    p.body = body;
    std::smatch element;
    if (std::regex_search(body, element, oneElement)) {
      p.form = element[1].str();
      p.attributes = element[2].str();
      p.body = element[3].str();
      p.elementId = Attribute(p.attributes, "id").value_or("");
    } else if (body.find("<elements>") != std::string::npos) {
      p.form = "several elements";
    }
    p.valueName = Attribute(p.attributes, "valueName").value_or("");
    policies.push_back(p);
  }
  return policies;
}

// The number each <tag> of a body holds; -1 for one that holds anything but a DWORD.
std::vector<std::int64_t> Decimals(const std::string& body, const std::string& tag) {
  std::vector<std::int64_t> numbers;
  const std::regex decimal(R"re(\s*<decimal value="(\d+)"\s*/>\s*)re");
  for (const std::string& inner : AllOf(body, "<" + tag + ">([\\s\\S]*?)</" + tag + ">")) {
    std::smatch number;
    numbers.push_back(std::regex_match(inner, number, decimal) ? std::stoll(number[1].str()) : -1);
  }
  return numbers;
}

// The DWORDs that carry a rule's numbers: the program reads a DWORD's bits as a signed number, so a
// negative number is given as its two's complement. The smallest range of DWORDs holding them all.
std::pair<std::int64_t, std::int64_t> DwordRange(const AdminSettingRule& rule) {
  constexpr std::int64_t kDwords = std::int64_t{1} << 32;
  if (rule.min >= 0) return {rule.min, rule.max};
  if (rule.max < 0) return {rule.min + kDwords, rule.max + kDwords};
  return {0, kDwords - 1};
}

// Why the policy does not write what the program reads for the rule; empty when it does.
std::string NumberMismatch(const AdminSettingRule& rule, const Policy& p) {
  const auto [low, high] = DwordRange(rule);
  if (p.form == "decimal") {
    if (Attribute(p.attributes, "storeAsText") == "true") return "stored as text";
    // Without the attributes the schema's defaults hold.
    const std::int64_t min = std::stoll(Attribute(p.attributes, "minValue").value_or("0"));
    const std::int64_t max = std::stoll(Attribute(p.attributes, "maxValue").value_or("9999"));
    if (min == low && max == high) return "";
    return "range " + std::to_string(min) + ".." + std::to_string(max);
  }
  // Enabled, or a ticked box, turns the setting on: the rule's maximum.
  const std::map<std::string, std::pair<std::string, std::string>> onOff = {
      {"state", {"enabledValue", "disabledValue"}}, {"boolean", {"trueValue", "falseValue"}}};
  if (const auto found = onOff.find(p.form); found != onOff.end()) {
    const bool fits = high == low + 1 && Decimals(p.body, found->second.first) == std::vector{high} &&
                      Decimals(p.body, found->second.second) == std::vector{low};
    return fits ? "" : "on and off are not " + std::to_string(high) + " and " + std::to_string(low);
  }
  if (p.form == "enum" && high - low < 100) {
    std::vector<std::int64_t> given = Decimals(p.body, "value"), all;
    std::sort(given.begin(), given.end());
    for (std::int64_t n = low; n <= high; ++n) all.push_back(n);
    return given == all ? "" : "the choices are not every number of the range";
  }
  return "a number written by " + p.form;
}

std::string Mismatch(const AdminSettingRule& rule, const Policy& p) {
  const bool expandable = Attribute(p.attributes, "expandable") == "true";
  switch (rule.kind) {
    case AdminValueKind::Number:
      return NumberMismatch(rule, p);
    case AdminValueKind::Folder:
      return p.form == "text" && expandable ? "" : "not an expandable text";
    case AdminValueKind::Text:
    case AdminValueKind::FileName:  // the program refuses REG_EXPAND_SZ for these
      return p.form == "text" && !expandable ? "" : "not a plain text";
  }
  return "an unknown kind";
}

TEST(PolicyTemplates, EachPolicyWritesOneValueOfTheTableInItsOrderUnderThePolicyKey) {
  const std::string admx = ReadTemplate("ZentabLumbrel.admx");
  std::vector<std::string> expected, written;
  for (const AdminSettingRule& rule : AdminSettingRules()) expected.push_back(rule.valueName);
  for (const Policy& p : Policies(admx)) {
    SCOPED_TRACE(p.valueName);
    written.push_back(p.valueName);
    EXPECT_EQ(p.valueNames, 1);
    EXPECT_EQ(p.policyClass, "Both");  // the program reads the machine's and the user's
    EXPECT_EQ(p.key, kPolicyKey);
  }
  EXPECT_EQ(written, expected);
  // An element may name a key of its own; none may lead elsewhere.
  for (const std::string& key : AllOf(admx, R"re(\skey="([^"]*)")re")) EXPECT_EQ(key, kPolicyKey);
}

TEST(PolicyTemplates, EachValueHasTheTypeAndRangeTheProgramTakes) {
  const std::vector<Policy> policies = Policies(ReadTemplate("ZentabLumbrel.admx"));
  for (const AdminSettingRule& rule : AdminSettingRules()) {
    const auto p = std::find_if(policies.begin(), policies.end(),
                                [&](const Policy& policy) { return policy.valueName == rule.valueName; });
    ASSERT_NE(p, policies.end()) << rule.valueName;
    EXPECT_EQ(Mismatch(rule, *p), "") << rule.valueName;
  }
}

// Each language gives every string and presentation the template refers to, once, and each
// presentation shows the elements of its policy by their ids, each with a control of its kind.
TEST(PolicyTemplates, EachLanguageGivesEveryStringAndControlTheTemplateUses) {
  const std::string admx = ReadTemplate("ZentabLumbrel.admx");
  const std::vector<std::string> references = AllOf(admx, R"(\$\(string\.([^)]+)\))");
  const std::set<std::string> strings(references.begin(), references.end());
  std::map<std::string, std::map<std::string, std::string>> elements;  // presentation: id -> form
  for (const Policy& p : Policies(admx)) {
    if (p.form != "state") elements[p.presentation][p.elementId] = p.form;
  }
  std::vector<std::string> presentations;
  for (const auto& [presentation, shown] : elements) presentations.push_back(presentation);

  const std::map<std::string, std::string> formOfControl = {{"decimalTextBox", "decimal"},
                                                            {"textBox", "text"},
                                                            {"comboBox", "text"},
                                                            {"dropdownList", "enum"},
                                                            {"checkBox", "boolean"}};
  const std::regex presentation(R"re(<presentation id="([^"]*)">([\s\S]*?)</presentation>)re");
  const std::regex control(R"re(<(\w+)\s[^>]*?refId="([^"]*)")re");
  for (const std::string language : {"en-US", "ja-JP"}) {
    SCOPED_TRACE(language);
    const std::string adml = ReadTemplate(language + "/ZentabLumbrel.adml");
    std::vector<std::string> ids = AllOf(adml, R"re(<string id="([^"]*)")re");
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, std::vector<std::string>(strings.begin(), strings.end()));

    std::vector<std::string> presentationIds;
    std::map<std::string, std::map<std::string, std::string>> controls;
    for (auto it = std::sregex_iterator(adml.begin(), adml.end(), presentation); it != std::sregex_iterator();
         ++it) {
      const std::string id = "$(presentation." + (*it)[1].str() + ")", body = (*it)[2].str();
      presentationIds.push_back(id);
      for (auto c = std::sregex_iterator(body.begin(), body.end(), control); c != std::sregex_iterator();
           ++c) {
        const auto form = formOfControl.find((*c)[1].str());
        controls[id][(*c)[2].str()] = form == formOfControl.end() ? (*c)[1].str() : form->second;
      }
    }
    std::sort(presentationIds.begin(), presentationIds.end());
    EXPECT_EQ(presentationIds, presentations);
    EXPECT_EQ(controls, elements);
  }
}

}  // namespace
}  // namespace zt::shell
