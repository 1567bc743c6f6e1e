#include "setup/FactorFields.h"

#include <algorithm>

#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "setup/FieldNumbers.h"
#include "setup/SetupTexts.h"

namespace zelvo {

namespace {

using F = TFactorField;
using R = TInfoRule;

const TFactorFieldDef kDefs[] = {
    {F::CalFlow, "editCalFlow", "CalFlow", "Calibration", "CalFlow", nullptr, R::None, nullptr, nullptr, 0},
    {F::SampleFlow1, "editSampleFlow1", "SampleFlow1", "Measurement", "SampleFlow1", nullptr, R::None,
     nullptr, nullptr, 0},
    {F::SampleFlow2, "editSampleFlow2", "SampleFlow2", "Measurement", "SampleFlow2", nullptr, R::None,
     nullptr, nullptr, 0},
    {F::SampleFlow3, "editSampleFlow3", "SampleFlow3", "Measurement", "SampleFlow3", nullptr, R::None,
     nullptr, nullptr, 0},
    {F::FIDCal, "lbleditFIDCalFact", "FIDCalFactor", "Measurement", "FIDCalFactor", "FIDCalFactorName",
     R::Calibration, "lblFIDCalFactor", "lblFIDCalInfo", 1},
    {F::FIDSample1, "lblEditFact1", "FIDFactor1", "Measurement", "FIDSampleFactor1", "FIDSampleFactorName1",
     R::Sample, nullptr, "lblInfoSample1", 1},
    {F::FIDSample2, "lblEditFact2", "FIDFactor2", "Measurement", "FIDSampleFactor2", "FIDSampleFactorName2",
     R::Sample, nullptr, "lblInfoSample2", 1},
    {F::FIDSample3, "lblEditFact3", "FIDFactor3", "Measurement", "FIDSampleFactor3", "FIDSampleFactorName3",
     R::Sample, nullptr, "lblInfoSample3", 1},
    {F::FPDCal, "lbleditFPDCalFact", "FPDCalFactor", "Measurement", "FPDCalFactor", "FPDCalFactorName",
     R::Calibration, "lblFPDCalFactor", "lblFPDCALInfo", 2},
    {F::FPDSample1, "lbleditFPDFact1", "FPDFactor1", "Measurement", "FPDSampleFactor1",
     "FPDSampleFactorName1", R::None, nullptr, nullptr, 2},
    {F::FPDSample2, "lblEditFPDFact2", "FPDFactor2", "Measurement", "FPDSampleFactor2",
     "FPDSampleFactorName2", R::None, nullptr, nullptr, 2},
    {F::FPDSample3, "lblEditFPDFact3", "FPDFactor3", "Measurement", "FPDSampleFactor3",
     "FPDSampleFactorName3", R::None, nullptr, nullptr, 2},
};
static_assert(std::size(kDefs) == kFactorFieldCount);

QString Section(const TFactorFieldDef &s) { return QString::fromUtf8(s.Section); }
QString ValueKey(const TFactorFieldDef &s) { return QString::fromUtf8(s.ValueKey); }
QString NameKey(const TFactorFieldDef &s) { return QString::fromUtf8(s.NameKey); }
QString ValueText(const TFactorFieldDef &s, double v) { return s.IsFlow() ? FlowText(v) : FactorText(v); }

// The field's caption, with the substance name for a factor field.
QString Naming(const TFactorFieldDef &s, const QString &name, int offset) {
  QString text = FactorFieldCaption(s.Id, offset);
  if (!s.IsFlow() && !name.isEmpty()) text += QStringLiteral(" (") + name + u')';
  return text + QStringLiteral(": ");
}

}  // namespace

std::span<const TFactorFieldDef> FactorFieldDefs() { return kDefs; }
const TFactorFieldDef &FactorFieldOf(TFactorField id) { return kDefs[static_cast<int>(id)]; }

const TFactorFieldDef *FindFactorField(const QString &objectName) {
  for (const TFactorFieldDef &s : kDefs)
    if (objectName == QLatin1String(s.Field)) return &s;
  return nullptr;
}

QString FactorFieldCaption(TFactorField id, int offset) {
  const int i = static_cast<int>(id);
  const QString n = QString::number((i % 4));  // 1..3 for the sample fields of each group
  switch (id) {
    case F::CalFlow:
      return GetLangString(offset, kTextCalFlow);
    case F::SampleFlow1:
    case F::SampleFlow2:
    case F::SampleFlow3:
      return GetLangString(offset, kTextSampleFlow).arg(n);
    case F::FIDCal:
      return GetLangString(offset, kTextFidCalFactor);
    case F::FPDCal:
      return GetLangString(offset, kTextFpdCalFactor);
    case F::FIDSample1:
    case F::FIDSample2:
    case F::FIDSample3:
      return GetLangString(offset, kTextFidCellFactor).arg(n);
    case F::FPDSample1:
    case F::FPDSample2:
    case F::FPDSample3:
      return GetLangString(offset, kTextFpdCellFactor).arg(n);
  }
  return {};
}

QList<TDisplayText> FactorDisplays(TFactorField id, const QString &fieldText, const QString &name,
                                   bool atStartup) {
  const TFactorFieldDef &s = FactorFieldOf(id);
  const QString bracketed = u'[' + fieldText + u']';
  switch (s.Info) {
    case R::None:
      return {};
    case R::Calibration:
      return {{s.FactorLabel, bracketed}, {s.InfoLabel, atStartup ? name + QStringLiteral(" (ppm)") : name}};
    case R::Sample:
      return {{s.InfoLabel, name + bracketed}};
  }
  return {};
}

TFactorFieldsLoad LoadFactorFields(const TIniFile &ini, int offset) {
  TFactorFieldsLoad load;
  for (const TFactorFieldDef &s : kDefs) {
    const double def = FindSettingKey(Section(s), ValueKey(s))->DefaultFloat();
    TFactorFieldValue f{s.Id, def, {}, {}};
    try {
      f.Value = ReadSettingFloat(ini, Section(s), ValueKey(s));
    } catch (const EConvertError &e) {
      load.Problems << e.Message() + setuptext::DefaultUsed(offset, ValueText(s, def));
    }
    if (f.Value <= 0) {
      load.Problems << setuptext::SettingsEntry(Section(s), ValueKey(s), FloatToStr(f.Value)) +
                           setuptext::MustBePositive(offset) +
                           setuptext::DefaultUsed(offset, ValueText(s, def));
      f.Value = def;
    }
    f.Text = ValueText(s, f.Value);
    if (!s.IsFlow()) f.Name = ReadSettingText(ini, Section(s), NameKey(s));
    load.Displays << FactorDisplays(s.Id, f.Text, f.Name, true);
    load.Fields << f;
  }
  return load;
}

namespace {

// The store sequence; a refused field for which `mayRefuse` is false is passed over.
template <class MayRefuse>
TFactorStore Store(const std::array<TFactorFieldInput, kFactorFieldCount> &inputs, int offset,
                   MayRefuse mayRefuse) {
  TFactorStore store;
  for (const TFactorFieldDef &s : kDefs) {
    const TFactorFieldInput &in = inputs[static_cast<int>(s.Id)];
    const std::optional<double> value = TryStrToFloat(in.Text);
    QString problem;
    if (!value)
      problem = setuptext::NotANumber(offset, in.Text);
    else if (*value <= 0)
      problem = setuptext::Refused(offset, in.Text.trimmed());
    if (!problem.isEmpty() && !mayRefuse(s.Id)) {
      store.Skipped << s.Id;
      continue;
    }
    if (!problem.isEmpty()) {
      store.Failed = s.Id;
      const bool last = s.Id == kDefs[kFactorFieldCount - 1].Id;
      store.Message =
          Naming(s, in.Name, offset) + problem + u' ' +
          GetLangString(offset, last ? kTextFieldNotStored : kTextFieldsNotStored);
      break;
    }
    const QString name = s.IsFlow() ? QString() : in.Name;
    store.Stored << TFactorFieldValue{s.Id, *value, in.Text, name};
    store.Writes << TIniFile::Entry{Section(s), ValueKey(s), FloatToStr(*value)};
    if (!s.IsFlow()) store.Writes << TIniFile::Entry{Section(s), NameKey(s), name};
    store.Displays << FactorDisplays(s.Id, in.Text, name, false);
  }
  return store;
}

}  // namespace

TFactorStore StoreFactorFields(const std::array<TFactorFieldInput, kFactorFieldCount> &inputs, int offset) {
  return Store(inputs, offset, [](TFactorField) { return true; });
}

bool FactorFieldServesPosition(TFactorField id, int position) {
  if (position < 1 || position > 6) return false;
  switch (id) {
    case F::FIDCal:
    case F::FPDCal:
      return true;
    case F::CalFlow:
      return position == 2 || position == 3;
    case F::SampleFlow1:
    case F::FIDSample1:
    case F::FPDSample1:
      return position == 4;
    case F::SampleFlow2:
    case F::FIDSample2:
    case F::FPDSample2:
      return position == 5;
    case F::SampleFlow3:
    case F::FIDSample3:
    case F::FPDSample3:
      return position == 6;
  }
  return false;
}

TFactorStore StoreFactorFieldsForRun(const std::array<TFactorFieldInput, kFactorFieldCount> &inputs,
                                     int offset, const QString &firstText, const QString &countText) {
  const std::optional<int> first = TryStrToInt(firstText), count = TryStrToInt(countText);
  const int from = first && count ? *first : 0;
  const long long to = first && count ? *first + (std::max(*count, 1) - 1LL) : -1;
  return Store(inputs, offset, [from, to](TFactorField id) {
    for (int p = std::max(from, 1); p <= std::min(to, 6LL); ++p)
      if (FactorFieldServesPosition(id, p)) return true;
    return false;
  });
}

}  // namespace zelvo
