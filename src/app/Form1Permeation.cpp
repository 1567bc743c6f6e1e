// The permeation view in the chart area: the switch between the signal chart and the
// permeation panel, the charts' export menus, the view's captions and the result file the
// operator chose. The view's data are Session.Permeation, fed by the session's run (its start
// and every evaluated position); the panel draws them when they change, never on the tick.
#include <qcustomplot.h>

#include <QDir>

#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "results/Report.h"
#include "ui/PermeationChart.h"
#include "ui/Widgets.h"

using namespace zelvo;

void TForm1::CreatePermeationView() {
  PermeationPanel->SetView(&Session.Permeation);
  PermeationPanel->hide();
  ChartSwitch->ShowPermeation(false);
  connect(ChartSwitch, &TChartSwitch::Switched, this, &TForm1::ShowChartView);
  auto offset = [this] { return Session.ID; };
  auto told = [this](const QString &text) {
    statusbarRun->SetText(text);
    Session.RunLog(text);
  };
  AddChartExportMenu(Chart1, offset, told);
  AddChartExportMenu(PermeationPanel->Chart(), offset, told);
}

// Only what is shown changes: the signal chart goes on taking its points while hidden, so it
// is current again the moment it comes back.
void TForm1::ShowChartView(bool permeation) {
  PermeationPanel->setVisible(permeation);
  Chart1->setVisible(!permeation);
  ChartSwitch->raise();
  if (!permeation) Chart1->replot();
}

void TForm1::ShowPermeationCaptions(int offset) {
  ChartSwitch->SetLanguage(offset);
  PermeationPanel->SetLanguage(offset);
}

// A result file that already holds lines shows its last run until a new run begins; a file
// just begun (its header only) or a run going on leaves the view as it is.
void TForm1::PermeationFileChosen(const QString &path) {
  if (Session.RunActive() || path.isEmpty()) return;
  const TReportRead read = ReadReport(path, 0);
  if (read.Ok() && read.Report.Runs.empty()) return;  // its header only: nothing measured yet
  // A file that cannot be read is told by the result file's own report (ShowWriterReport).
  if (read.Error && read.Error->Kind == TReportErrorKind::CannotRead) return;
  if (const std::optional<TReportError> error = Session.Permeation.LoadFile(path)) {
    const QString text = ReportErrorText(*error, Session.ID);
    statusbarRun->SetText(text);
    Session.RunLog(text);
  }
}
