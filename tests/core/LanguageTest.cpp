#include <gtest/gtest.h>

#include "core/Language.h"

using namespace zelvo;

TEST(Language, GetLangStringAtTheEdges) {
  struct Case {
    int offset, id;
    const char *text;  // UTF-8
  } cases[] = {
      {0, 1, "Startzelle"},
      {0, 127, "FPD Zünden"},
      {1000, 1, "Startcell"},
      {1000, 127, "FPD Ignition"},
      {0, 1001, "Startcell"},  // the offset is only added
      // The odd ones: line breaks, trailing, leading and doubled blanks are part of the text.
      {0, 39, "Laufzeit --:-- "},
      {0, 55, "Monitoring\r\n      An"},
      {0, 57, "Monitoring\r\n     Aus"},
      {0, 96, "Probeninfo  / Speichern..."},
      {1000, 28, "Error: Cannot open COM port "},
      {1000, 84, "Attention! Value must be within 40°C and  80°C."},
      {0, 126, "Achtung! Wert soll zwischen300 mbar und 2000 mbar liegen"},
      {0, 18, "° C"},
      {1000, 18, "°C"},
      // No such id: the empty text.
      {0, 0, ""},
      {0, 999, ""},
      {1000, 0, ""},
      {1000, 999, ""},
      {0, -1, ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(GetLangString(c.offset, c.id), QString::fromUtf8(c.text)) << c.offset << "+" << c.id;
}

TEST(Language, EveryTextExistsInBothLanguages) {
  for (int id = 1; id <= kTextSettingsNotSaved; ++id) {
    EXPECT_FALSE(GetLangString(kGermanOffset, id).isEmpty()) << id;
    EXPECT_FALSE(GetLangString(kEnglishOffset, id).isEmpty()) << id;
  }
  // Beyond the first block the ids come in ranges with gaps: a text has both languages or
  // neither, and the same placeholders in both.
  for (int id = 1; id < kEnglishOffset; ++id) {
    const QString de = GetLangString(kGermanOffset, id), en = GetLangString(kEnglishOffset, id);
    EXPECT_EQ(de.isEmpty(), en.isEmpty()) << id;
    for (const char *arg : {"%1", "%2", "%3"})
      EXPECT_EQ(de.contains(QLatin1String(arg)), en.contains(QLatin1String(arg))) << id << " " << arg;
  }
}

TEST(Language, OnlyExactlyDEChoosesGerman) {
  struct Case {
    const char *code;
    int offset;
    QChar separator;
    const char *caption;
  } cases[] = {
      {"DE", 0, u',', "< , >"},    {"de", 1000, u'.', "< . >"}, {"EN", 1000, u'.', "< . >"},
      {"US", 1000, u'.', "< . >"}, {"", 1000, u'.', "< . >"},   {"DE ", 1000, u'.', "< . >"},
  };
  for (const Case &c : cases) {
    const int offset = LanguageOffset(c.code);
    EXPECT_EQ(offset, c.offset) << c.code;
    const TFormatSettings f = LanguageFormat(offset);
    EXPECT_EQ(f.DecimalSeparator, c.separator) << c.code;
    EXPECT_EQ(LocalCharCaption(f.DecimalSeparator), c.caption) << c.code;
    EXPECT_EQ(f.ShortDateFormat, "dd.MM.yy hh:mm");
  }
  EXPECT_EQ(LanguageFormat(0).Locale.language(), QLocale::German);
  EXPECT_EQ(LanguageFormat(1000).Locale.territory(), QLocale::UnitedStates);
}
