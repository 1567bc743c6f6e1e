#include <gtest/gtest.h>

#include "core/LocaleGuard.h"
#include "core/NumberText.h"
#include "setup/FieldNumbers.h"

using namespace zelvo;

namespace {
using Formatter = QString (*)(double, const QLocale &);
}

// Every number the program writes into a field is read back by the field's exit handler (or
// the store sequence) when the operator leaves it: the text must give the same value again.
TEST(FieldNumbers, EveryFieldTextReadsBackInGermanAndEnglish) {
  const struct {
    const char *field;
    Formatter format;
    std::initializer_list<double> values;
  } fields[] = {
      {"limit", LimitText, {0.1, 1, 10, 100, 1000, 12345.6, 0.05, 0.15, 99999.95, 123456, 2.5e-5}},
      {"flow", FlowText, {100, 120, 1000, 0.5, 99999.95, 250000, 120.25}},
      {"factor", FactorText, {1, 2.05, 0.95, 1000, 1.234, 0.001, 1234567}},
      {"calibration ppm", CalPpmText, {100, 2, 2.5, 1e-5, 12345678, 0.1}},
  };
  for (const QLocale &locale : {LocaleGuard::German(), LocaleGuard::English()}) {
    LocaleGuard guard(locale);
    for (const auto &f : fields) {
      for (double v : f.values) {
        const QString text = f.format(v, QLocale());
        SCOPED_TRACE(std::string(f.field) + " " + locale.name().toStdString() + " " + text.toStdString());
        EXPECT_FALSE(text.contains(locale.groupSeparator()));
        EXPECT_EQ(TryStrToFloat(text), v);
      }
    }
  }
}

TEST(FieldNumbers, UsualValuesKeepTheirUsualForm) {
  const QLocale de = LocaleGuard::German(), en = LocaleGuard::English();
  EXPECT_EQ(LimitText(1000, de), "1000,0");  // not "1.000,0"
  EXPECT_EQ(LimitText(1000, en), "1000.0");  // not "1,000.0"
  EXPECT_EQ(LimitText(0.1, de), "0,1");
  EXPECT_EQ(LimitText(100, en), "100.0");
  EXPECT_EQ(LimitText(0.05, de), "0,05");  // one decimal would make it 0,1
  EXPECT_EQ(FlowText(120, de), "120,0");
  EXPECT_EQ(FactorText(1, de), "1,00");
  EXPECT_EQ(FactorText(2.05, en), "2.05");
  EXPECT_EQ(FactorText(1.234, de), "1,234");
  EXPECT_EQ(CalPpmText(100, de), "100");
  EXPECT_EQ(CalPpmText(2.5, de), "2,5");
}
