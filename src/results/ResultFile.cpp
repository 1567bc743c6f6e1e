#include "results/ResultFile.h"

#include "core/Language.h"
#include "core/NumberText.h"
#include "results/RecordText.h"

namespace zelvo {

namespace {

const QString kSep = QStringLiteral(";");
const QString kDegrees = QStringLiteral(" °C");

QString Fixed(double value, int precision, int digits, const QLocale &locale) {
  return FloatToStrF(value, precision, digits, locale);
}

}  // namespace

QString ColumnTitleLine(int id, TDeviceTyp deviceTyp) {
  auto S = [id](int n) { return GetLangString(id, n); };
  QString line = S(77) + kSep + S(78) + kSep + S(79) + kSep + S(114) + kSep + S(112) + kSep + S(111) + kSep +
                 S(80) + kSep + S(120) + kSep + S(69) + kSep + S(71) + kSep;
  if (deviceTyp == TDeviceTyp::FIDFPD) line += S(70) + kSep + S(71) + kSep;
  line += S(81) + kSep + S(72) + kSep + S(82);
  return line;
}

QStringList ResultHeaderLines(const TResultHeader &h, const QLocale &locale) {
  auto S = [&h](int n) { return GetLangString(h.ID, n); };
  const bool fpd = h.DeviceTyp == TDeviceTyp::FIDFPD;
  QStringList lines;

  lines << S(58) + QStringLiteral(":;") + FieldText(h.sDateiname) + kSep + S(72) + QStringLiteral(":;") +
               ShortDateText(h.Now, locale) + u' ' + LongTimeText(h.Now) + kSep + S(121) + u':' +
               FieldText(h.sSerialNumber);

  QString set = S(59) + u' ' + S(60) + QStringLiteral(":;") + S(63) + QStringLiteral(":;") +
                IntText(h.TempMesskammer) + kDegrees + kSep + S(64) + QStringLiteral(":;") +
                IntText(h.TempVentilblock) + kDegrees;
  QString actual = S(59) + u' ' + S(61) + QStringLiteral(":;") + S(63) + QStringLiteral(":;") +
                   FieldText(h.lblMesskammer) + kSep + S(64) + QStringLiteral(":;") +
                   FieldText(h.lblVentilblock);
  if (fpd) {
    set += kSep + S(65) + QStringLiteral(":;") + IntText(h.TempEmissionskammer) + kDegrees + kSep + S(66) +
           kSep + IntText(h.TempTransferline) + kDegrees + kSep + S(67) + kSep + IntText(h.Hochspannung) +
           QStringLiteral(" V");
    actual += kSep + S(65) + QStringLiteral(":;") + FieldText(h.lblEmmision) + kSep + S(66) + kSep +
              FieldText(h.lblTransfer) + kSep + S(67) + kSep + FieldText(h.lblHVoltage);
  }
  lines << set << actual;

  lines << S(69) + QStringLiteral(":;") + FloatToStr(h.FIDCALMenge, locale) + kSep + S(71) +
               QStringLiteral(":;") + IntText(h.FIDCalArea) + kSep + S(73) + QStringLiteral(":;") +
               Fixed(h.LimitFID, 6, 2, locale) + kSep + S(74) + QStringLiteral(":;") +
               Fixed(h.FIDSampleFactor, 6, 2, locale);
  if (fpd) {
    lines << S(70) + QStringLiteral(":;") + FloatToStr(h.FPDCalMenge, locale) + kSep + S(71) +
                 QStringLiteral(":;") + IntText(h.FPDCalArea) + kSep + S(73) + QStringLiteral(":;") +
                 Fixed(h.LimitFPD, 5, 1, locale) + kSep + S(74) + QStringLiteral(":;") +
                 Fixed(h.FPDFactor, 5, 1, locale);
  }

  // The start cell joins label and value in one field; the other parameters use two.
  lines << S(1) + u':' + IntText(h.Startzelle);
  lines << S(2) + QStringLiteral(":;") + IntText(h.AnzahlZellen);
  lines << S(4) + QStringLiteral(":;") + IntText(h.AnzahlMessreihen);
  lines << S(75) + QStringLiteral(":;") + IntText(h.SampleTime) + QStringLiteral(" s");
  lines << S(76) + QStringLiteral(":;") + IntText(h.InjectionTime) + QStringLiteral(" s");
  lines << S(3) + QStringLiteral(":;") + IntText(h.Messzeit) + QStringLiteral(" s");

  lines << S(51);
  for (int i = 0; i < kHeaderDescriptionLines; ++i)
    lines << (i < h.Description.size() ? FieldText(h.Description[i]) : QString());

  lines << ColumnTitleLine(h.ID, h.DeviceTyp);
  return lines;
}

QString MeasurementLine(const TMeasurementRecord &r, TDeviceTyp deviceTyp, const QLocale &locale) {
  QString line = IntText(r.runZelle) + kSep + FieldText(r.Mark) + kSep + FieldText(r.BreakTime) + kSep +
                 FieldText(r.sChemikalie) + kSep + Fixed(r.FIDSampleFactor, 5, 2, locale) + kSep +
                 Fixed(r.Flow, 5, 1, locale) + kSep + FieldText(r.RunTime) + kSep +
                 Fixed(r.FIDppm, 7, 3, locale) + kSep + Fixed(r.FIDMessMenge, 7, 3, locale) + kSep +
                 Fixed(r.FIDArea, 8, 0, locale) + kSep;
  if (deviceTyp == TDeviceTyp::FIDFPD)
    line += Fixed(r.FPDMessMenge, 7, 3, locale) + kSep + Fixed(r.FPDArea, 8, 0, locale) + kSep;
  line += FieldText(r.SampleText) + kSep + ShortDateText(r.Now, locale) + kSep + LongTimeText(r.Now) + kSep +
          IntText(r.runAktiv);
  return line;
}

QString NamePart(const QString &path) {
  const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
  return path.mid(slash + 1);
}

QString ResultFileName(const QString &chosen) {
  const qsizetype nameStart = chosen.size() - NamePart(chosen).size();
  const qsizetype dot = chosen.lastIndexOf(u'.');
  // An existing name written ".CSV" is kept as chosen: on a case-sensitive file system
  // "probe.csv" would be another file.
  if (dot >= nameStart && chosen.mid(dot).compare(QStringLiteral(".csv"), Qt::CaseInsensitive) == 0) return chosen;
  const QString stem = dot >= nameStart ? chosen.left(dot) : chosen;
  return stem + QStringLiteral(".csv");
}

}  // namespace zelvo
