// The operator's fields into the session: every edit of a field the run or the evaluation
// reads is taken into Session.Fields as it happens, so the session never reads a widget.
#include <QCheckBox>
#include <QLineEdit>

#include "app/Zelvo730_Main.h"
#include "setup/FactorFields.h"
#include "ui/Widgets.h"

using namespace zelvo;

void TForm1::ConnectFields() {
  TOperatorFields &fields = Session.Fields;
  const auto text = [this](QLineEdit *edit, QString &field) {
    field = edit->text();
    connect(edit, &QLineEdit::textChanged, this, [&field](const QString &t) { field = t; });
  };
  const auto check = [this](QCheckBox *box, bool &field) {
    field = box->isChecked();
    connect(box, &QCheckBox::toggled, this, [&field](bool on) { field = on; });
  };
  text(editStart, fields.StartText);
  text(editAnzahl, fields.CountText);
  text(editZyklen, fields.CyclesText);
  text(editStartdelay, fields.StartdelayText);
  text(editInfo1, fields.SampleInfo[0]);
  text(editInfo2, fields.SampleInfo[1]);
  text(editInfo3, fields.SampleInfo[2]);
  check(cbAutoflow1, fields.AutoFlow[0]);
  check(cbAutoflow2, fields.AutoFlow[1]);
  check(cbAutoflow3, fields.AutoFlow[2]);
  check(chkboxIsobutanCalib, fields.IsobutanCalib);
  check(chkboxSulfurCalib, fields.SulfurCalib);
  for (const TFactorFieldDef &fieldDef : FactorFieldDefs()) {
    auto *edit = findChild<QLineEdit *>(QString::fromLatin1(fieldDef.Field));
    TFactorFieldInput &in = fields.Factors[static_cast<int>(fieldDef.Id)];
    text(edit, in.Text);
    // The substance name changes with a drop or the start-up, which set it here as well.
    if (auto *labeled = qobject_cast<TLabeledEdit *>(edit)) in.Name = labeled->EditLabel()->text();
  }
  const auto description = [this] { Session.Fields.Description = memoDescription->toPlainText().split(u'\n'); };
  description();
  connect(memoDescription, &QPlainTextEdit::textChanged, this, description);
}
