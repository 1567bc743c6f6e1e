// Run parameters, factor and flow fields, substance lists, test standard.
#include <qcustomplot.h>

#include <QApplication>
#include <QDrag>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

#include "app/Zelvo730_Main.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "setup/FactorFields.h"
#include "setup/RunParameters.h"
#include "setup/SubstanceLists.h"
#include "setup/TestStandard.h"
#include "ui/Dialogs.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

// ------------------------------------------------------------------ run parameters
TRunParams RunParamsOf(const TForm1 &f) {
  TRunParams p;
  p.Startzelle = f.Session.Run.Startzelle;
  p.AnzahlZellen = f.Session.Run.AnzahlZellen;
  p.Messzeit = f.Session.Run.Messzeit;
  p.AnzahlMessreihen = f.Session.Run.AnzahlMessreihen;
  p.LimitFID = f.Session.Run.LimitFID;
  p.LimitFPD = f.Session.Run.LimitFPD;
  p.FIDCALMenge = f.Session.Run.FIDCALMenge;
  p.FPDCalMenge = f.Session.Run.FPDCalMenge;
  return p;
}

void SetRunParams(TForm1 &f, const TRunParams &p) {
  f.Session.Run.Startzelle = p.Startzelle;
  f.Session.Run.AnzahlZellen = p.AnzahlZellen;
  f.Session.Run.Messzeit = p.Messzeit;
  f.Session.Run.AnzahlMessreihen = p.AnzahlMessreihen;
  f.Session.Run.LimitFID = p.LimitFID;
  f.Session.Run.LimitFPD = p.LimitFPD;
  f.Session.Run.FIDCALMenge = p.FIDCALMenge;
  f.Session.Run.FPDCalMenge = p.FPDCalMenge;
}

// ------------------------------------------------------------------ dragging a factor
// Watches a list's viewport after a press on a factor cell: once the mouse has moved beyond
// the system's drag distance with the button still down, the factor is dragged; a plain
// click stays a click. When the drag ends the list reports where it was dropped.
class FactorDrag : public QObject {
 public:
  explicit FactorDrag(TValueListEditor *list) : QObject(list), fList(list) {
    setObjectName(QStringLiteral("FactorDrag"));
    list->viewport()->installEventFilter(this);
  }
  void Arm(QPoint at) {
    fAt = at;
    setProperty("armed", true);
  }
  bool Armed() const { return property("armed").toBool(); }

 protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (!Armed()) return false;
    if (e->type() == QEvent::MouseButtonRelease) {
      setProperty("armed", false);
      return false;
    }
    if (e->type() != QEvent::MouseMove) return false;
    auto *me = static_cast<QMouseEvent *>(e);
    if (!(me->buttons() & Qt::LeftButton)) {
      setProperty("armed", false);
      return false;
    }
    const QPoint at = fList->viewport()->mapTo(fList, me->position().toPoint());
    if ((at - fAt).manhattanLength() < QApplication::startDragDistance()) return false;
    setProperty("armed", false);
    Start();
    return true;
  }

 private:
  void Start() {
    const int row = fList->currentRow();
    if (row < 0) return;
    QPointer<QDrag> drag = new QDrag(fList);
    drag->setMimeData(NewFactorMimeData(fList->Value(row)));
    drag->exec(Qt::CopyAction);
    QObject *target = drag ? drag->target() : nullptr;
    emit fList->EndDrag(target);
  }

  TValueListEditor *fList;
  QPoint fAt;
};

void ListMouseDown(TValueListEditor *list, Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton) return;
  // The press makes the cell under the mouse the current one.
  const QModelIndex cell = list->indexAt(list->viewport()->mapFrom(list, QPoint(x, y)));
  if (cell.isValid()) list->setCurrentCell(cell.row(), cell.column());
  if (list->currentColumn() != 1) return;
  // Found by name: the class has no meta-object of its own to look it up by.
  QObject *own = list->findChild<QObject *>(QStringLiteral("FactorDrag"), Qt::FindDirectChildrenOnly);
  auto *drag = own ? static_cast<FactorDrag *>(own) : new FactorDrag(list);
  drag->Arm(QPoint(x, y));
}

// The factor of the list's current row onto a field of the list's detector: the field takes
// the factor, its label the substance name. A field of the other detector stays as it is.
void ListEndDrag(TForm1 &f, TValueListEditor *list, int dropList, QObject *target) {
  auto *edit = qobject_cast<TLabeledEdit *>(target);
  if (!edit) return;
  const TFactorFieldDef *fieldDef = FindFactorField(edit->objectName());
  if (!fieldDef || fieldDef->DropList != dropList) return;
  const int row = list->currentRow();
  if (row < 0) return;
  edit->setText(list->Value(row));
  edit->EditLabel()->setText(list->Key(row));
  f.Session.Fields.Factors[static_cast<int>(fieldDef->Id)].Name = list->Key(row);
}

}  // namespace

// ------------------------------------------------------------------ run parameter handlers
QLineEdit *TForm1::RunParamEdit(TRunParam id) const {
  switch (id) {
    case TRunParam::Startzelle:
      return editStart;
    case TRunParam::AnzahlZellen:
      return editAnzahl;
    case TRunParam::Messzeit:
      return editMesszeit;
    case TRunParam::AnzahlMessreihen:
      return editZyklen;
    case TRunParam::LimitFID:
      return editLimitFID;
    case TRunParam::LimitFPD:
      return editLimitFPD;
    case TRunParam::FIDCALMenge:
      return editIsobutan;
    case TRunParam::FPDCalMenge:
      return editSulfur;
  }
  return nullptr;
}

// Takes the field's text into its parameter and the settings file. A refused text is
// reported and changes nothing. Whether the value was stored.
bool TForm1::TakeRunParamField(TRunParam id) {
  QLineEdit *edit = RunParamEdit(id);
  TRunParams params = RunParamsOf(*this);
  const TRunParamInput in =
      TakeRunParam(id, edit->text(), params.Get(id), Session.Run.Startzelle, Session.ID);
  if (in.FieldText) edit->setText(*in.FieldText);
  if (!in.Message.isEmpty()) {
    if (in.Status == TInputStatus::NotANumber)
      Dialogs::Error(this, windowTitle(), in.Message);
    else
      Dialogs::Warning(this, windowTitle(), in.Message);
  }
  if (!in.Stored()) return false;
  params.Set(id, in.Value);
  SetRunParams(*this, params);
  try {
    TIniFile ini = Session.Settings();
    StoreRunParam(ini, id, in.Value);
  } catch (const EFileError &e) {
    Dialogs::Error(this, windowTitle(), e.Message());
  }
  return true;
}

void TForm1::UpdateStartzelle() { TakeRunParamField(TRunParam::Startzelle); }
void TForm1::UpdateAnzahlZellen() { TakeRunParamField(TRunParam::AnzahlZellen); }
void TForm1::UpdateMesszeit() {
  if (!TakeRunParamField(TRunParam::Messzeit)) return;
  Chart1->xAxis->setRange(0, Session.Run.Messzeit);
  Chart1->replot();
}
void TForm1::UpdateAnzahlMessreihen() { TakeRunParamField(TRunParam::AnzahlMessreihen); }
void TForm1::UpdateDurchbruchschwelle() { TakeRunParamField(TRunParam::LimitFID); }
void TForm1::editLimitFPDExit() { TakeRunParamField(TRunParam::LimitFPD); }
void TForm1::UpdateMengeIsobuthan() { TakeRunParamField(TRunParam::FIDCALMenge); }
void TForm1::UpdateMengeSulfur() { TakeRunParamField(TRunParam::FPDCalMenge); }

// ------------------------------------------------------------------ factors and flows
void TForm1::ShowFactorDisplays(const QList<TDisplayText> &displays) {
  for (const TDisplayText &d : displays)
    if (auto *label = findChild<TLabel *>(QString::fromLatin1(d.Label))) label->setText(d.Text);
}

void TForm1::PageControlExit() { Session.StoreFactorsAndFlows(); }

// The chart takes no focus, so the focus hardly ever leaves the tab area: the factors page
// stores its fields itself when the focus moves on to another page. (When it leaves the tab
// area as well, PageControlExit has stored them.)
void TForm1::tabFaktorenExit() {
  QWidget *now = QApplication::focusWidget();
  if (now && (now == PageControl || PageControl->isAncestorOf(now))) Session.StoreFactorsAndFlows();
  SaveSubstanceLists();
}

// Each list the operator changed over its file, when the file was read at start-up or
// there was none.
void TForm1::SaveSubstanceLists() {
  struct ListOf {
    TValueListEditor *control;
    TSubstanceList list;
    TListFileState &state;
    QList<TSubstance> &shown;
  };
  for (ListOf l : {ListOf{ValueListEditor1, TSubstanceList::CH, ListState1, ListShown1},
                   ListOf{ValueListEditor2, TSubstanceList::S, ListState2, ListShown2}}) {
    QList<TSubstance> entries;
    for (const QString &line : l.control->Strings()) {
      const TSubstance s = SplitSubstance(line);
      if (!s.Name.isEmpty() || !s.Factor.isEmpty()) entries << s;  // a row added and left empty
    }
    if (!SubstanceListToSave(l.state, l.shown, entries)) continue;
    try {
      const TSubstanceListSave saved = SaveSubstanceList(Session.ProgramDir(), l.list, l.state, entries, Session.ID);
      if (saved.Written) l.state = saved.State, l.shown = entries;
      if (!saved.Problems.isEmpty()) Dialogs::Warning(this, windowTitle(), saved.Problems.join(u'\n'));
    } catch (const EFileError &e) {
      Dialogs::Error(this, windowTitle(), e.Message());
    }
  }
}

void TForm1::ValueListEditor1MouseDown(Qt::MouseButton Button, int X, int Y) {
  ListMouseDown(ValueListEditor1, Button, X, Y);
}
void TForm1::ValueListEditor2MouseDown(Qt::MouseButton Button, int X, int Y) {
  ListMouseDown(ValueListEditor2, Button, X, Y);
}
void TForm1::ValueListEditor1EndDrag(QObject *Target) { ListEndDrag(*this, ValueListEditor1, 1, Target); }
void TForm1::ValueListEditor2EndDrag(QObject *Target) { ListEndDrag(*this, ValueListEditor2, 2, Target); }

void TForm1::FactDragOver(QObject *, QObject *Source, bool &Accept) {
  Accept = Source && (Source == ValueListEditor1 || Source == ValueListEditor2);
}

// ------------------------------------------------------------------ test standard
void TForm1::rgStandardClick() {
  const std::optional<TStandardChoice> choice = ChooseStandard(rgStandard->ItemIndex());
  if (!choice) return;
  Session.SetpointApply(SetpointId::Messkammer, choice->ChamberText.toInt());
  Session.Run.LimitFID = choice->LimitFID;
  editLimitFID->setText(choice->LimitFIDText);
  try {
    TIniFile ini = Session.Settings();
    WriteSettingText(ini, QStringLiteral("Preferences"), QStringLiteral("Standard"), choice->SettingsValue);
    StoreRunParam(ini, TRunParam::LimitFID, Session.Run.LimitFID);
  } catch (const EFileError &e) {
    Dialogs::Error(this, windowTitle(), e.Message());
  }
}
