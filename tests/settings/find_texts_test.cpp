// The find bar's and status line's counts as each interface language writes
// them, and every text present in both languages.
#include "settings/find_texts.h"

#include <gtest/gtest.h>

#include "settings/lang.h"

namespace pellora {
namespace {

class FindTextsTest : public ::testing::Test {
 protected:
  void TearDown() override { resetLanguageCodeForTesting(); }
};

TEST_F(FindTextsTest, CountsAreGroupedAsTheLanguageWritesThem) {
  struct Row {
    long long value;
    const char* english;
    const char* german;
  };
  const Row rows[] = {
      {0, "0", "0"},
      {999, "999", "999"},
      {1000, "1,000", "1.000"},
      {1234567, "1,234,567", "1.234.567"},
      {-45678, "-45,678", "-45.678"},  // the sign outside the groups
  };
  for (const Row& row : rows) EXPECT_EQ(groupedNumber(row.value), row.english) << row.value;
  const std::string_view englishFind = findText(FindText::FindPlaceholder);
  selectGermanLanguage();
  for (const Row& row : rows) EXPECT_EQ(groupedNumber(row.value), row.german) << row.value;
  EXPECT_NE(findText(FindText::FindPlaceholder), englishFind);
  for (int id = 0; id <= static_cast<int>(FindText::SelectionCounts); ++id)
    EXPECT_FALSE(findText(static_cast<FindText>(id)).empty()) << id;
}

}  // namespace
}  // namespace pellora
