#include <gtest/gtest.h>

#include "LocaleGuard.h"
#include "core/Errors.h"
#include "core/NumberText.h"

using namespace zelvo;

TEST(NumberText, FloatToStrIsShortestWithFifteenDigits) {
  struct Case {
    double value;
    const char *german;
  } cases[] = {
      {19.6, "19,6"},
      {100, "100"},
      {-2.5, "-2,5"},
      {0.1 + 0.2, "0,3"},  // 0.30000000000000004 has 17 significant digits
      {1.0 / 3, "0,333333333333333"},
      {123456789012345.0, "123456789012345"},
      {1234567.0, "1234567"},  // no group separator
      {1e15, "1E15"},
      {1.5e20, "1,5E20"},
      {0.0001, "0,0001"},
      {0.00001, "1E-5"},
      {-1.25e-7, "-1,25E-7"},
      {0.0, "0"},
  };
  const QLocale de = LocaleGuard::German();
  for (const Case &c : cases) EXPECT_EQ(FloatToStr(c.value, de), QString::fromLatin1(c.german)) << c.german;
  EXPECT_EQ(FloatToStr(19.6, LocaleGuard::English()), "19.6");
  LocaleGuard system(de);
  EXPECT_EQ(FloatToStr(19.6), "19,6");  // the default locale stands for the system's format
}

TEST(NumberText, StrToFloatAcceptsOnlyTheRegionalFormat) {
  const QLocale de = LocaleGuard::German(), en = LocaleGuard::English();
  struct Case {
    const char *text;
    const QLocale &locale;
    std::optional<double> value;
  } cases[] =
      {
          {"19,6", de, 19.6}, {" -2,5 ", de, -2.5}, {"+1,5E3", de, 1500}, {",5", de, 0.5},
          {"7", de, 7},       {"19.6", en, 19.6},   {"2e-3", en, 0.002},  {"19.6", de, {}},
          {"1.000", de, {}},  // a group separator is no number, not 1000
          {"19,6", en, {}},   {"1,000", en, {}},    {"", de, {}},         {"-", de, {}},
          {"1e", en, {}},     {"1 2", en, {}},      {"abc", en, {}},      {"1e999", en, {}},
          {"inf", en, {}},    {"12,5,1", de, {}},
      };
  for (const Case &c : cases) EXPECT_EQ(TryStrToFloat(c.text, c.locale), c.value) << c.text;
  try {
    StrToFloat("19,6", en);
    ADD_FAILURE() << "no error";
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.Message(), "'19,6' is not a valid floating point value");
  }
}

TEST(NumberText, StrToIntReadsDecimalAndHex) {
  struct Case {
    const char *text;
    std::optional<int> value;
  } cases[] = {
      {"42", 42},
      {"-17", -17},
      {" 8 ", 8},
      {"0x1E", 30},
      {"0X1e", 30},
      {"$1E", 30},
      {"-0x10", -16},
      {"0xFFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"2147483648", {}},
      {"", {}},
      {"0x", {}},
      {"1E", {}},
      {"12abc", {}},
      {"0x1G", {}},
      {"1.0", {}},
      {"0x100000000", {}},
  };
  for (const Case &c : cases) EXPECT_EQ(TryStrToInt(c.text), c.value) << c.text;
  EXPECT_EQ(StrToIntDef("x", 5), 5);
  EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(NumberText, FixedTextsOfFlowsAndFactors) {
  const QLocale de(QLocale::German, QLocale::Germany), en(QLocale::English, QLocale::UnitedStates);
  EXPECT_EQ(FloatToStrF(120, 5, 1, de), "120,0");
  EXPECT_EQ(FloatToStrF(2.05, 6, 2, de), "2,05");
  EXPECT_EQ(FloatToStrF(1, 6, 2, en), "1.00");
  EXPECT_EQ(FloatToStrF(-0.26, 5, 1, en), "-0.3");
  EXPECT_EQ(FloatToStrF(1234567, 5, 1, en), "1.2346E+06");  // more integer digits than precision
  EXPECT_EQ(FloatToStrF(99999.96, 5, 1, en), "1.0000E+05");  // rounds to 100000.0: six digits
  EXPECT_EQ(FloatToStrF(99999.94, 5, 1, en), "99999.9");
  EXPECT_EQ(FloatToStrF(12345678, 8, 0, en), "12345678");
  EXPECT_EQ(FloatToStrF(-0.001, 7, 2, de), "0,00");  // no "-0,00"
}
