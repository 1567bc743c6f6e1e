// Numbers as text and the file code page. The input is a text in Windows-1252. As a number
// in the C, an English and a German format it either does not convert or converts to a
// finite value whose own text converts back to it (to the 15 digits the text keeps); as an
// integer it converts back from its decimal text. Any bytes survive decoding and encoding;
// any text, read as UTF-16 from the same bytes, encodes to one byte per character and decodes
// back unchanged when the code page can hold it.
#include <QByteArray>
#include <QLocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "FuzzSupport.h"
#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/NumberText.h"

namespace {

using namespace zelvo;

bool Close(double a, double b) {
  return a == b || std::fabs(a - b) <= 1e-14 * std::fmax(std::fabs(a), std::fabs(b));
}

void CheckFloat(const QString &text, const QLocale &locale) {
  const std::optional<double> v = TryStrToFloat(text, locale);
  bool raised = false;
  try {
    const double w = StrToFloat(text, locale);
    FUZZ_CHECK(v && w == *v);
  } catch (const EConvertError &) {
    raised = true;
  }
  FUZZ_CHECK(raised == !v);
  if (!v) return;
  FUZZ_CHECK(std::isfinite(*v));
  if (std::fabs(*v) > 1e300) return;  // 15 digits of a value this close to the largest may round past it
  const QString shown = FloatToStr(*v, locale);
  const std::optional<double> back = TryStrToFloat(shown, locale);
  FUZZ_CHECK(back && Close(*back, *v));
  const QString fixed = FloatToStrF(*v, 15, 2, locale);
  FUZZ_CHECK(TryStrToFloat(fixed, locale).has_value());
}

void CheckInteger(const QString &text) {
  const std::optional<int> v = TryStrToInt(text);
  FUZZ_CHECK(StrToIntDef(text, 7) == v.value_or(7));
  if (v) FUZZ_CHECK(TryStrToInt(QString::number(*v)) == v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const QString text = Cp1252Decode(bytes);
  FUZZ_CHECK(text.size() == bytes.size());
  FUZZ_CHECK(Cp1252Encode(text) == bytes);
  FUZZ_CHECK(Cp1252CanEncode(text));

  CheckFloat(text, QLocale::c());
  CheckFloat(text, QLocale(QLocale::English, QLocale::UnitedStates));
  CheckFloat(text, QLocale(QLocale::German, QLocale::Germany));
  CheckInteger(text);

  QString wide(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
  std::memcpy(wide.data(), data, static_cast<std::size_t>(wide.size()) * 2);
  const QByteArray encoded = Cp1252Encode(wide);
  FUZZ_CHECK(encoded.size() <= wide.size());
  if (Cp1252CanEncode(wide)) FUZZ_CHECK(Cp1252Decode(encoded) == wide);
  return 0;
}
