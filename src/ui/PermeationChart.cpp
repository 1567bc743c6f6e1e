#include "ui/PermeationChart.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/Language.h"
#include "results/ReportTexts.h"
#include "ui/ReportPdf.h"

namespace zelvo {

namespace {

constexpr double kShortRunMinutes = 120;  // past it the time axis reads hours:minutes
constexpr double kTipPixels = 6;          // a marker within this distance gets the tool tip
constexpr double kMarkerPixels = 4;       // markers are drawn while evaluations lie this far apart
const QColor kRunLimitColor(60, 60, 60);
const QColor kOtherLimitColor(175, 175, 175);

// A limit as the report names it: one decimal, more when it has them.
QString LimitText(double value, const QLocale &locale) {
  return std::fabs(value * 10 - std::round(value * 10)) < 1e-9 ? locale.toString(value, 'f', 1)
                                                                 : locale.toString(value, 'g', 6);
}

QLocale PlainLocale(int offset) {
  QLocale locale = LanguageFormat(offset).Locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// "h:mm" of a run time in minutes.
QString HoursMinutes(double minutes) {
  const long long m = std::llround(std::max(0.0, minutes));
  return QStringLiteral("%1:%2").arg(m / 60).arg(m % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

// Minutes on the time axis; once the shown range passes two hours, labels read "h:mm" and the
// ticks fall on whole quarter hours, hours or days.
class TRunTimeTicker : public QCPAxisTicker {
 public:
  bool Hours = false;

 protected:
  double getTickStep(const QCPRange &range) override {
    if (!Hours) return QCPAxisTicker::getTickStep(range);
    static constexpr std::array<double, 12> kSteps{15, 30, 60, 120, 180, 240, 360, 480, 720, 1440, 2880, 4320};
    const double wanted = range.size() / (mTickCount + 1e-10);
    for (double s : kSteps)
      if (s >= wanted) return s;
    return kSteps.back() * std::ceil(wanted / kSteps.back());
  }
  QString getTickLabel(double tick, const QLocale &locale, QChar formatChar, int precision) override {
    if (!Hours) return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
    return tick < 0 ? QString() : HoursMinutes(tick);
  }
};

// ------------------------------------------------------------------ export

bool SaveChart(QCustomPlot *plot, const QString &path) {
  // Written beside the file first, so a failed export leaves an earlier file as it was.
  const bool pdf = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
  const QString temporary = path + QStringLiteral(".part");
  QFile::remove(temporary);
  const bool written = pdf ? plot->savePdf(temporary) : plot->savePng(temporary);
  if (!written) {
    QFile::remove(temporary);
    return false;
  }
  QFile::remove(path);
  if (!QFile::rename(temporary, path)) {
    QFile::remove(temporary);
    return false;
  }
  return true;
}

void AddChartExportMenu(QCustomPlot *plot, std::function<int()> offset, std::function<void(const QString &)> told) {
  plot->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(plot, &QWidget::customContextMenuRequested, plot, [plot, offset, told](const QPoint &at) {
    const int id = offset();
    auto *menu = new QMenu(plot);
    menu->setObjectName(QStringLiteral("menuChartExport"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const bool pdf : {false, true}) {
      QAction *action = menu->addAction(GetLangString(id, pdf ? kTextSavePdf : kTextSavePng));
      action->setObjectName(pdf ? QStringLiteral("actSavePdf") : QStringLiteral("actSavePng"));
      QObject::connect(action, &QAction::triggered, plot, [plot, pdf, id, told] {
        auto *dialog = new QFileDialog(plot, GetLangString(id, pdf ? kTextSavePdf : kTextSavePng));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setDefaultSuffix(pdf ? QStringLiteral("pdf") : QStringLiteral("png"));
        dialog->setNameFilter(pdf ? QStringLiteral("PDF (*.pdf)") : QStringLiteral("PNG (*.png)"));
        QObject::connect(dialog, &QFileDialog::fileSelected, plot, [plot, id, told](const QString &file) {
          const bool ok = SaveChart(plot, file);
          if (told) told(GetLangString(id, ok ? kTextChartSaved : kTextChartNotSaved).arg(QDir::toNativeSeparators(file)));
        });
        dialog->open();  // window-modal, does not wait
      });
    }
    menu->popup(plot->mapToGlobal(at));
  });
}

// ------------------------------------------------------------------ chart

TPermeationChart::TPermeationChart(QWidget *parent) : QCustomPlot(parent), fLocale(PlainLocale(0)) {
  setObjectName(QStringLiteral("PermeationChart"));
  fTicker = QSharedPointer<TRunTimeTicker>::create();
  xAxis->setTicker(fTicker);
  setNoAntialiasingOnDrag(true);
  setPlottingHint(QCP::phFastPolylines, true);  // a curve is one polyline (keeps its dashes whole)
  // Zoom and pan the time axis, as on the signal chart; a double-click shows the whole run.
  setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  axisRect()->setRangeDrag(Qt::Horizontal);
  axisRect()->setRangeZoom(Qt::Horizontal);
  connect(this, &QCustomPlot::mouseWheel, this, [this](QWheelEvent *) { fFollow = false; });
  connect(this, &QCustomPlot::mouseMove, this, [this](QMouseEvent *e) {
    if (e->buttons() & Qt::LeftButton) fFollow = false;
  });
  connect(this, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent *) {
    ShowWholeRun();
    replot(rpQueuedReplot);
  });
  connect(xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this, [this] { UpdateTimeAxis(); });
  AddChartExportMenu(this, [this] { return fOffset; }, [this](const QString &text) { emit Told(text); });
  SetLanguage(0);
}

QString TPermeationChart::S(int id) const { return GetLangString(fOffset, id); }

QString TPermeationChart::Rate(double rate) const { return fLocale.toString(rate, 'f', 3); }

double TPermeationChart::Shown(double rate) const { return fLog ? std::max(rate, fFloor) : rate; }

void TPermeationChart::SetView(const TPermeationView *view) {
  if (fView) disconnect(fView, nullptr, this, nullptr);
  fView = view;
  if (view) {
    connect(view, &TPermeationView::Changed, this, &TPermeationChart::Refresh);
    // The graphs refer to the view's curves: they go with it.
    connect(view, &QObject::destroyed, this, [this] {
      fLines.clear();
      clearGraphs();
      clearItems();
    });
  }
  fFollow = true;
  Refresh();
}

void TPermeationChart::SetLanguage(int offset) {
  fOffset = offset;
  fLocale = PlainLocale(offset);
  setLocale(fLocale);
  yAxis->setLabel(S(report_text::kRateAxis));
  Refresh();
}

void TPermeationChart::SetLogarithmic(bool on) {
  if (on == fLog) return;
  fLog = on;
  yAxis->setScaleType(on ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
  yAxis->setTicker(on ? QSharedPointer<QCPAxisTicker>(new QCPAxisTickerLog) : QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
  yAxis->setNumberFormat(on ? QStringLiteral("gb") : QStringLiteral("g"));
  Refresh();
  emit LogarithmicChanged(on);
}

void TPermeationChart::UpdateTimeAxis() {
  const QCPRange range = xAxis->range();
  const bool hours = range.upper > kShortRunMinutes;
  fTicker->Hours = hours;
  xAxis->setLabel(hours ? S(kTextRunTimeHoursAxis) : S(report_text::kTimeAxis));
  // A marker per evaluation while the shown part of a curve leaves them room; a denser curve
  // is drawn as its line (plain, which paints a long run fast), its points still answering the
  // tool tip.
  const double room = std::max(1, axisRect()->width()) / kMarkerPixels;
  auto shown = [&range](QCPGraph *g) {
    return static_cast<double>(g->data()->findEnd(range.upper, false) - g->data()->findBegin(range.lower, false));
  };
  for (const auto &[graph, below, curve] : fLines) {
    const bool sparse = shown(graph) <= room;
    if (below) {
      // Of many evaluations below the floor, every few are marked.
      below->setScatterSkip(static_cast<int>(std::max(0.0, std::ceil(shown(below) / room) - 1)));
      below->setAntialiased(sparse);
    }
    const QColor color = graph->pen().color();
    graph->setScatterStyle(sparse ? QCPScatterStyle(curve->Detector == TDetector::FID ? QCPScatterStyle::ssDisc
                                                                                       : QCPScatterStyle::ssSquare,
                                                    color, color, 5)
                                  : QCPScatterStyle());
    graph->setAntialiased(sparse);
    // A dense curve in a one-pixel pen, which Qt draws on its fast path, dashes included.
    QPen pen = graph->pen();
    pen.setWidthF(sparse ? 1.5 : 1.0);
    graph->setPen(pen);
  }
}

void TPermeationChart::FitRates() {
  double top = fMaxRate * 1.1;
  if (fView) top = std::max(top, fView->Limit(TDetector::FID) * 1.25);
  for (double limit : kReportLimits) top = std::max(top, limit * 1.25);
  if (fLog)
    yAxis->setRange(fFloor / 1.5, top * 1.5);
  else
    yAxis->setRange(std::min(0.0, fMinRate * 1.1), top);
}

void TPermeationChart::ShowWholeRun() {
  fFollow = true;
  const double last = fView ? fView->LastMinutes() : 0;
  xAxis->setRange(0, std::max(10.0, last * 1.04));
  FitRates();
}

void TPermeationChart::Refresh() {
  clearGraphs();
  clearItems();
  fLines.clear();
  const std::vector<const TPermeationCurve *> curves =
      fView ? fView->Curves() : std::vector<const TPermeationCurve *>();

  // The log scale's floor: the decade at or below the smallest rate above zero.
  double smallest = 0;
  fMaxRate = fMinRate = 0;
  for (const TPermeationCurve *c : curves)
    for (const TRatePoint &p : c->Points) {
      if (p.Rate > 0 && (smallest == 0 || p.Rate < smallest)) smallest = p.Rate;
      fMaxRate = std::max(fMaxRate, p.Rate);
      fMinRate = std::min(fMinRate, p.Rate);
    }
  fFloor = smallest > 0 ? std::clamp(std::pow(10.0, std::floor(std::log10(smallest))), 1e-6, 1e-2) : 1e-3;

  for (const TPermeationCurve *c : curves) {
    const QColor color = ReportCellColor(c->Cell);
    const bool fid = c->Detector == TDetector::FID;
    QVector<QCPGraphData> line, below;
    line.reserve(static_cast<qsizetype>(c->Points.size()));
    for (const TRatePoint &p : c->Points) {
      line.append(QCPGraphData(p.Minutes, Shown(p.Rate)));
      if (fLog && p.Rate <= fFloor) below.append(QCPGraphData(p.Minutes, Shown(p.Rate)));
    }
    const QString name = S(kTextCellDetector).arg(c->Cell).arg(DetectorName(c->Detector));
    QCPGraph *g = addGraph();
    g->setName(name);
    g->setPen(QPen(color, 1.5, fid ? Qt::SolidLine : Qt::DashLine));
    g->data()->set(line, true);
    QCPGraph *b = nullptr;
    if (!below.isEmpty()) {
      // Below the floor: an open triangle pointing down on the axis floor.
      b = addGraph();
      b->setLineStyle(QCPGraph::lsNone);
      b->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssTriangleInverted, QPen(color, 1.2), Qt::NoBrush, 8));
      b->data()->set(below, true);
    }
    fLines.push_back({g, b, c});
  }

  // The limits: the run's dotted, the other standard's fainter.
  auto limitLine = [this](double value, const QColor &color, const QString &label) {
    auto *line = new QCPItemStraightLine(this);
    line->setPen(QPen(color, 1.2, Qt::DotLine));
    line->point1->setCoords(0, value);
    line->point2->setCoords(1, value);
    auto *text = new QCPItemText(this);
    text->setColor(color);
    text->setPositionAlignment(Qt::AlignRight | Qt::AlignBottom);
    text->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
    text->position->setCoords(0.995, value);
    text->setText(label);
  };
  if (fView) {
    const double runLimit = fView->Limit(TDetector::FID);
    if (runLimit > 0)
      limitLine(runLimit, kRunLimitColor, S(report_text::kLimitLine).arg(LimitText(runLimit, fLocale)));
    const double fpdLimit = fView->Limit(TDetector::FPD);
    if (fView->TwoDetectors() && fpdLimit > 0 && fpdLimit != runLimit)
      limitLine(fpdLimit, kRunLimitColor,
                S(report_text::kLimitLine).arg(LimitText(fpdLimit, fLocale)) + QStringLiteral(" FPD"));
    for (double other : fView->OtherLimits())
      limitLine(other, kOtherLimitColor, S(report_text::kLimitLine).arg(LimitText(other, fLocale)));

    // A vertical mark at each cell's breakthrough, named with its time.
    for (int cell = 1; cell <= 3; ++cell) {
      const auto mark = fView->Breakthrough(cell);
      if (!mark) continue;
      const QColor color = ReportCellColor(cell);
      auto *line = new QCPItemStraightLine(this);
      line->setObjectName(QStringLiteral("breakthrough%1").arg(cell));
      line->setPen(QPen(color, 1.5, Qt::DashDotLine));
      line->point1->setCoords(mark->Minutes, 0);
      line->point2->setCoords(mark->Minutes, 1);
      auto *text = new QCPItemText(this);
      text->setColor(color);
      text->setBrush(QBrush(QColor(255, 255, 255, 220)));
      text->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
      text->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
      text->position->setCoords(mark->Minutes, 0.02 + 0.07 * (cell - 1));
      text->setPadding(QMargins(3, 1, 3, 1));
      // The run time as the axis reads it: the line's own time text restarts after 24 hours.
      text->setText(S(kTextBreakthroughMark).arg(cell).arg(HoursMinutes(mark->Minutes)));
    }
  }

  if (fFollow) {
    ShowWholeRun();
  } else {
    FitRates();
  }
  UpdateTimeAxis();
  replot(rpQueuedReplot);
}

QPointF TPermeationChart::PixelOf(const TRatePoint &p) const {
  return {xAxis->coordToPixel(p.Minutes), yAxis->coordToPixel(Shown(p.Rate))};
}

QString TPermeationChart::ToolTipAt(const QPointF &pixel) const {
  if (!fView) return {};
  const TPermeationCurve *best = nullptr;
  const TRatePoint *bestPoint = nullptr;
  double bestDistance = kTipPixels + 1e-9;  // on a tie the first curve (FID before FPD)
  const double from = xAxis->pixelToCoord(pixel.x() - kTipPixels), to = xAxis->pixelToCoord(pixel.x() + kTipPixels);
  for (const TPermeationCurve *c : fView->Curves()) {
    auto it = std::lower_bound(c->Points.begin(), c->Points.end(), std::min(from, to),
                               [](const TRatePoint &p, double m) { return p.Minutes < m; });
    for (; it != c->Points.end() && it->Minutes <= std::max(from, to); ++it) {
      const double d = std::hypot(PixelOf(*it).x() - pixel.x(), PixelOf(*it).y() - pixel.y());
      if (d < bestDistance) {
        bestDistance = d;
        best = c;
        bestPoint = &*it;
      }
    }
  }
  if (!best) return {};
  QString tip = S(kTextCellDetector).arg(best->Cell).arg(DetectorName(best->Detector)) + u'\n' +
                S(kTextPointTip)
                    .arg(HoursMinutes(bestPoint->Minutes), fLocale.toString(bestPoint->Minutes, 'f', 1),
                         Rate(bestPoint->Rate));
  if (best->Detector == TDetector::FID) tip += u'\n' + S(kTextPpm).arg(fLocale.toString(bestPoint->Ppm, 'f', 3));
  if (fLog && bestPoint->Rate <= fFloor) tip += u'\n' + S(kTextBelowFloor).arg(fLocale.toString(fFloor, 'g', 6));
  return tip;
}

bool TPermeationChart::event(QEvent *e) {
  if (e->type() == QEvent::ToolTip) {
    auto *help = static_cast<QHelpEvent *>(e);
    const QString tip = ToolTipAt(help->pos());
    if (tip.isEmpty()) {
      QToolTip::hideText();
      e->ignore();
    } else {
      QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
  }
  return QCustomPlot::event(e);
}

// ------------------------------------------------------------------ figures strip

TPermeationStrip::TPermeationStrip(QWidget *parent) : QTableWidget(parent) {
  setObjectName(QStringLiteral("PermeationStrip"));
  setColumnCount(7);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(NoSelection);
  setFocusPolicy(Qt::NoFocus);
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  SetLanguage(0);
}

void TPermeationStrip::SetView(const TPermeationView *view) {
  if (fView) disconnect(fView, nullptr, this, nullptr);
  fView = view;
  if (view) connect(view, &TPermeationView::Changed, this, &TPermeationStrip::Refresh);
  Refresh();
}

void TPermeationStrip::SetLanguage(int offset) {
  fOffset = offset;
  const QLocale locale = PlainLocale(offset);
  auto S = [offset](int id) { return GetLangString(offset, id); };
  setHorizontalHeaderLabels({QString(), S(kTextLastRate), S(kTextAboveLimit).arg(locale.toString(kReportLimits[0], 'f', 1)),
                             S(kTextAboveLimit).arg(locale.toString(kReportLimits[1], 'f', 1)), S(kTextLevelShort),
                             S(kTextCumulativeShort), S(kTextSteadyShort)});
  Refresh();
}

void TPermeationStrip::Refresh() {
  const std::vector<const TPermeationCurve *> curves =
      fView ? fView->Curves() : std::vector<const TPermeationCurve *>();
  const QLocale locale = PlainLocale(fOffset);
  auto S = [this](int id) { return GetLangString(fOffset, id); };
  const QString none = QStringLiteral("–");
  auto minutes = [&locale](double m) { return locale.toString(m, 'f', 1); };
  setRowCount(static_cast<int>(curves.size()));
  // Every line in sight: the strip is as high as its lines (six at most).
  setFixedHeight(horizontalHeader()->sizeHint().height() + std::max(1, rowCount()) * verticalHeader()->defaultSectionSize() +
                 2 * frameWidth());
  for (int row = 0; row < rowCount(); ++row) {
    const TPermeationCurve &c = *curves[static_cast<size_t>(row)];
    const TCellFigures &f = c.Figures;
    QStringList cells{S(kTextCellDetector).arg(c.Cell).arg(DetectorName(c.Detector)),
                      locale.toString(c.Points.back().Rate, 'f', 3)};
    for (const auto &b : f.Breakthrough)
      cells << (b ? minutes(b->FirstMinutes) + QStringLiteral(" / ") + minutes(b->Minutes) : none);
    // A cell measured too briefly for a level reads "–" here; the report's words are its tool tip.
    const bool unclassified = f.Level.Level == 0 && f.Level.LowerBound;
    cells << (unclassified ? none : LevelText(f, fOffset)) << locale.toString(f.CumulativeEnd, 'f', 3)
          << (f.SteadyRate ? locale.toString(*f.SteadyRate, 'f', 3) : S(report_text::kNotReached));
    // Items are kept and only a changed text is set: a new evaluation changes one cell's lines.
    for (int col = 0; col < cells.size(); ++col) {
      QTableWidgetItem *it = item(row, col);
      if (!it) {
        it = new QTableWidgetItem;
        it->setTextAlignment(col == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : (Qt::AlignRight | Qt::AlignVCenter));
        setItem(row, col, it);
      }
      if (it->text() != cells[col]) it->setText(cells[col]);
      if (col == 4) it->setToolTip(unclassified ? LevelText(f, fOffset) : QString());
      if (col == 0 && it->foreground().color() != ReportCellColor(c.Cell)) it->setForeground(ReportCellColor(c.Cell));
    }
  }
}

// ------------------------------------------------------------------ panel and switch

TPermeationPanel::TPermeationPanel(QWidget *parent)
    : QWidget(parent),
      fLog(new QCheckBox(this)),
      fSource(new QLabel(this)),
      fChart(new TPermeationChart(this)),
      fStrip(new TPermeationStrip(this)) {
  setObjectName(QStringLiteral("PermeationPanel"));
  fLog->setObjectName(QStringLiteral("cbPermeationLog"));
  fSource->setObjectName(QStringLiteral("lblPermeationSource"));
  auto *top = new QHBoxLayout;
  top->addWidget(fLog);
  top->addWidget(fSource, 1);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(top);
  layout->addWidget(fChart, 1);
  layout->addWidget(fStrip);
  connect(fLog, &QCheckBox::toggled, fChart, &TPermeationChart::SetLogarithmic);
  connect(fChart, &TPermeationChart::LogarithmicChanged, fLog, &QCheckBox::setChecked);
  SetLanguage(0);
}

void TPermeationPanel::SetView(const TPermeationView *view) {
  if (fView) disconnect(fView, nullptr, this, nullptr);
  fView = view;
  if (view) connect(view, &TPermeationView::Changed, this, &TPermeationPanel::ShowSource);
  fChart->SetView(view);
  fStrip->SetView(view);
  ShowSource();
}

void TPermeationPanel::SetLanguage(int offset) {
  fOffset = offset;
  fLog->setText(GetLangString(offset, kTextLogarithmic));
  fChart->SetLanguage(offset);
  fStrip->SetLanguage(offset);
  ShowSource();
}

void TPermeationPanel::ShowSource() {
  if (!fView || fView->Source().isEmpty()) {
    fSource->clear();
    return;
  }
  fSource->setText(GetLangString(fOffset, kTextShownRun)
                       .arg(fView->SourceRun())
                       .arg(fView->SourceRuns())
                       .arg(QFileInfo(fView->Source()).fileName()));
  fSource->setToolTip(QDir::toNativeSeparators(fView->Source()));
}

TChartSwitch::TChartSwitch(QWidget *parent)
    : QWidget(parent), fSignal(new QPushButton(this)), fPermeation(new QPushButton(this)) {
  setObjectName(QStringLiteral("ChartSwitch"));
  fSignal->setObjectName(QStringLiteral("btnSignalView"));
  fPermeation->setObjectName(QStringLiteral("btnPermeationView"));
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (QPushButton *b : {fSignal, fPermeation}) {
    b->setCheckable(true);
    b->setAutoExclusive(true);
    layout->addWidget(b);
  }
  layout->addStretch(1);
  fSignal->setChecked(true);
  connect(fPermeation, &QPushButton::toggled, this, [this](bool on) { emit Switched(on); });
  SetLanguage(0);
}

void TChartSwitch::SetLanguage(int offset) {
  fSignal->setText(GetLangString(offset, kTextViewSignal));
  fPermeation->setText(GetLangString(offset, kTextViewPermeation));
}

bool TChartSwitch::PermeationShown() const { return fPermeation->isChecked(); }

void TChartSwitch::ShowPermeation(bool on) {
  const QSignalBlocker blocker(fPermeation);
  (on ? fPermeation : fSignal)->setChecked(true);
}

}  // namespace zelvo
