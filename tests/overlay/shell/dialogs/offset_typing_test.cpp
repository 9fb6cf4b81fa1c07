// The X and Y edits' typing rules, as the user meets them key by key.
#include <gtest/gtest.h>

#include "overlay/shell/dialogs/offset_typing.h"

namespace zt::shell {
namespace {

using Action = OffsetTyping::Action;
constexpr IntRange kRange{-7200, 1920};

TEST(OffsetTyping, LetsASignStandAloneWhileTheUserTypes) {
  EXPECT_EQ(FilterOffsetTyping("", kRange).action, Action::Leave);
  EXPECT_EQ(FilterOffsetTyping("-", kRange).action, Action::Leave);
  for (const char* typed : {"-0", "-00", "-a"}) {
    const OffsetTyping t = FilterOffsetTyping(typed, kRange);
    EXPECT_EQ(t.action, Action::MinusOnly) << typed;
    EXPECT_EQ(t.text, "-") << typed;
  }
}

TEST(OffsetTyping, KeepsOnlyTheSignAndDigitsThenClamps) {
  OffsetTyping t = FilterOffsetTyping("12a3", kRange);
  EXPECT_EQ(t.action, Action::Replace);
  EXPECT_EQ(t.text, "123");
  EXPECT_EQ(t.value, 123);
  t = FilterOffsetTyping("99999", kRange);
  EXPECT_EQ(t.text, "1920");
  t = FilterOffsetTyping("-99999", kRange);
  EXPECT_EQ(t.text, "-7200");
  t = FilterOffsetTyping("-60000", IntRange{kExchangeMinOffset, kExchangeMaxOffset});
  EXPECT_EQ(t.value, -50000);
  t = FilterOffsetTyping("99999999999999999999999", kRange);  // no overflow on the way
  EXPECT_EQ(t.value, 1920);
  EXPECT_EQ(FilterOffsetTyping("007", kRange).text, "7");
  EXPECT_EQ(FilterOffsetTyping("5-", kRange).text, "5");
}

TEST(OffsetTyping, AcceptsAFormattedNumberAsItStands) {
  for (const char* typed : {"0", "-5", "123", "1920", "-7200"}) {
    const OffsetTyping t = FilterOffsetTyping(typed, kRange);
    EXPECT_EQ(t.action, Action::Accept) << typed;
    EXPECT_EQ(t.text, typed);
  }
  EXPECT_EQ(FilterOffsetTyping("-12", kRange).value, -12);
}

TEST(OffsetTyping, ReadsEmptyAndLoneSignAsZeroWhenValuesAreTakenOver) {
  EXPECT_EQ(OffsetFromText("", kRange), 0);
  EXPECT_EQ(OffsetFromText("-", kRange), 0);
  EXPECT_EQ(OffsetFromText("-12", kRange), -12);
  EXPECT_EQ(OffsetFromText("4000", kRange), 1920);
}

}  // namespace
}  // namespace zt::shell
