#include "ui/ReportPdf.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>
#include <functional>

#include "core/Clock.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/TextFile.h"
#include "results/RecordText.h"
#include "results/ReportTexts.h"
#include "results/ResultFile.h"

namespace zelvo {

namespace {

using namespace report_text;

// Geometry in points (1/72 inch); the PDF's own units are finer.
constexpr int kDpi = 1200;
constexpr double kUnit = kDpi / 72.0;  // device units per point
constexpr double kPageWidth = 595.28, kPageHeight = 841.89;
constexpr double kMargin = 45;
constexpr double kContentWidth = kPageWidth - 2 * kMargin;
constexpr double kBottom = kPageHeight - kMargin - 18;  // the footer sits below
constexpr double kGap = 14;                             // between blocks
constexpr double kChartHeight = 290;
constexpr double kChartScale = 2;  // chart units per point
constexpr double kValueColumn = 82;
constexpr double kLimitMargin = 48;    // right of the chart, for the names of the limit lines
constexpr size_t kMarkedPoints = 150;  // curves with more evaluations are drawn without markers

const QColor kCellColors[] = {QColor(0, 84, 166), QColor(214, 110, 0), QColor(0, 140, 70)};
const QColor kRule(160, 160, 160);

double P(double points) { return points * kUnit; }
QRectF P(const QRectF &r) { return {P(r.x()), P(r.y()), P(r.width()), P(r.height())}; }

QFont Font(double points, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPointSizeF(points);
  f.setBold(bold);
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

// The language's regional format without group separators, as the program writes numbers.
QLocale PlainLocale(int offset) {
  QLocale locale = LanguageFormat(offset).Locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// A placed piece of the page: its height in points and how to draw it at a given top.
struct TBlock {
  double Height = 0;
  std::function<void(QPainter &, double top)> Draw;
};

class TPdfLayout {
 public:
  TPdfLayout(const TReport &report, int offset, TDateTime created, QPaintDevice *device)
      : fReport(report), fOffset(offset), fCreated(created), fDevice(device), fLocale(PlainLocale(offset)) {}

  void Render(QCPPainter &painter, QPdfWriter &writer) {
    Build();
    // Place the blocks: a block that does not fit below the last one starts a new page.
    std::vector<std::pair<int, double>> places;
    int page = 0;
    double y = kMargin;
    for (const TBlock &b : fBlocks) {
      if (y > kMargin && y + b.Height > kBottom) {
        ++page;
        y = kMargin;
      }
      places.push_back({page, y});
      y += b.Height + kGap;
    }
    const int pages = page + 1;
    int drawn = 0;
    Footer(painter, 0, pages);
    for (size_t i = 0; i < fBlocks.size(); ++i) {
      while (drawn < places[i].first) {
        writer.newPage();
        Footer(painter, ++drawn, pages);
      }
      fBlocks[i].Draw(painter, places[i].second);
    }
  }

 private:
  const TReport &fReport;
  const int fOffset;
  const TDateTime fCreated;
  QPaintDevice *fDevice;
  const QLocale fLocale;
  std::vector<TBlock> fBlocks;

  QString S(int n) const { return GetLangString(fOffset, n); }
  const TReportHeader &H() const { return fReport.Header; }
  bool Fpd() const { return H().DeviceTyp == TDeviceTyp::FIDFPD; }

  QString Number(double value, int decimals) const {
    QString text = fLocale.toString(value, 'f', decimals);
    if (value < 0 && fLocale.toDouble(text) == 0) text = fLocale.toString(0.0, 'f', decimals);
    return text;
  }
  QString Number(const std::optional<double> &value, int decimals) const {
    return value ? Number(*value, decimals) : QStringLiteral("–");
  }

  // Height in points of `text` set in `width` points with word wrap.
  double TextHeight(const QFont &font, double width, const QString &text) const {
    const QFontMetricsF fm(font, fDevice);
    if (text.isEmpty()) return fm.height() / kUnit;
    return fm.boundingRect(QRectF(0, 0, P(width), 1e9), Qt::TextWordWrap, text).height() / kUnit;
  }
  double TextWidth(const QFont &font, const QString &text) const {
    return QFontMetricsF(font, fDevice).horizontalAdvance(text) / kUnit;
  }
  static void Text(QPainter &p, const QFont &font, const QRectF &rect, int flags, const QString &text,
                   const QColor &color = Qt::black) {
    p.setFont(font);
    p.setPen(color);
    p.drawText(P(rect), flags | Qt::TextWordWrap, text);
  }
  static void Rule(QPainter &p, double x1, double y1, double x2, double y2, double width = 0.5) {
    p.setPen(QPen(kRule, P(width)));
    p.drawLine(QPointF(P(x1), P(y1)), QPointF(P(x2), P(y2)));
  }

  void Footer(QPainter &p, int page, int pages) {
    const QFont f = Font(8);
    const double top = kPageHeight - kMargin - 8;
    Rule(p, kMargin, top - 4, kMargin + kContentWidth, top - 4);
    Text(p, f, QRectF(kMargin, top, kContentWidth * 0.7, 12), Qt::AlignLeft,
         S(kTitle) + QStringLiteral(" · ") + NamePart(fReport.File), Qt::darkGray);
    Text(p, f, QRectF(kMargin, top, kContentWidth, 12), Qt::AlignRight, S(kPage).arg(page + 1).arg(pages),
         Qt::darkGray);
  }

  void Build() {
    Title();
    Conditions();
    if (!fReport.Cells.empty()) Chart();
    for (int cell = 1; cell <= 3; ++cell) CellTable(cell);
    Notes();
  }

  void Title() {
    const QFont big = Font(17, true), small = Font(9);
    const QString sub = NamePart(fReport.File) + QStringLiteral("     ") + S(kCreated) +
                        QStringLiteral(": ") + ShortDateText(fCreated, fLocale) + u' ' +
                        LongTimeText(fCreated);
    const double h1 = TextHeight(big, kContentWidth, S(kTitle));
    const double h2 = TextHeight(small, kContentWidth, sub);
    fBlocks.push_back({h1 + h2 + 6, [=, this](QPainter &p, double top) {
                         Text(p, big, QRectF(kMargin, top, kContentWidth, h1), Qt::AlignLeft, S(kTitle));
                         Text(p, small, QRectF(kMargin, top + h1 + 2, kContentWidth, h2), Qt::AlignLeft, sub,
                              Qt::darkGray);
                         Rule(p, kMargin, top + h1 + h2 + 5, kMargin + kContentWidth, top + h1 + h2 + 5, 0.8);
                       }});
  }

  // The header's particulars as label and value rows under a heading.
  void Conditions() {
    std::vector<std::pair<QString, QString>> rows;
    auto row = [&rows](const QString &label, const QString &value) {
      if (!value.trimmed().isEmpty()) rows.push_back({label, value.trimmed()});
    };
    row(S(58), H().ResultFile.isEmpty() ? fReport.File : H().ResultFile);
    row(S(72), H().Created);
    row(S(121), H().SerialNumber + (Fpd() ? QStringLiteral(" (FID, FPD)") : QStringLiteral(" (FID)")));
    row(S(11), H().StandardTextId ? S(H().StandardTextId) : S(kUnknown));
    QString limits = QStringLiteral("FID ") + H().LimitFID;
    if (Fpd()) limits += QStringLiteral(";  FPD ") + H().LimitFPD;
    row(S(kRunLimit), limits + QStringLiteral(" µg/cm²/min"));
    const int temperatures[] = {63, 64, 65, 66, 67};
    for (qsizetype i = 0; i < H().SetValues.size() && i < 5; ++i)
      row(S(temperatures[i]) + QStringLiteral(" (") + S(60) + QStringLiteral(" / ") + S(61) + u')',
          H().SetValues[i] + QStringLiteral("  /  ") + H().ActualValues.value(i));
    row(S(kCalibration) + QStringLiteral(" FID"),
        H().FIDCalMenge + QStringLiteral(" ppm;  ") + S(71) + u' ' + H().FIDCalArea);
    if (Fpd())
      row(S(kCalibration) + QStringLiteral(" FPD"),
          H().FPDCalMenge + QStringLiteral(" ppm;  ") + S(71) + u' ' + H().FPDCalArea);
    row(S(1), H().Startzelle);
    row(S(2), H().AnzahlZellen);
    row(S(4), H().AnzahlMessreihen);
    row(S(75), H().SampleTime);
    row(S(76), H().InjectionTime);
    row(S(3), H().Messzeit);
    QStringList description;
    for (const QString &d : H().Description)
      if (!d.trimmed().isEmpty()) description << d.trimmed();
    row(S(51), description.join(u'\n'));
    for (int cell = 1; cell <= 3; ++cell) {
      const auto c = std::find_if(fReport.Cells.begin(), fReport.Cells.end(),
                                  [cell](const TCellReport &r) { return r.Cell == cell; });
      if (c == fReport.Cells.end()) continue;
      QString about = c->SampleText.trimmed();
      if (!c->Chemical.trimmed().isEmpty())
        about +=
            (about.isEmpty() ? QString() : QStringLiteral(";  ")) + S(114) + u' ' + c->Chemical.trimmed();
      row(S(81) + u' ' + S(77) + u' ' + QString::number(cell), about);
    }

    const QFont heading = Font(11, true), label = Font(9, true), value = Font(9);
    double labelWidth = 0;
    for (const auto &[l, v] : rows) labelWidth = std::max(labelWidth, TextWidth(label, l));
    labelWidth = std::min(labelWidth + 10, kContentWidth * 0.45);
    const double valueWidth = kContentWidth - labelWidth;
    std::vector<double> heights;
    const double headingHeight = TextHeight(heading, kContentWidth, S(kConditions)) + 4;
    double total = headingHeight;
    for (const auto &[l, v] : rows) {
      heights.push_back(std::max(TextHeight(label, labelWidth - 6, l), TextHeight(value, valueWidth, v)) +
                        2.5);
      total += heights.back();
    }
    fBlocks.push_back({total, [=, this](QPainter &p, double top) {
                         Text(p, heading, QRectF(kMargin, top, kContentWidth, headingHeight), Qt::AlignLeft,
                              S(kConditions));
                         double y = top + headingHeight;
                         for (size_t i = 0; i < rows.size(); ++i) {
                           Text(p, label, QRectF(kMargin, y, labelWidth - 6, heights[i]), Qt::AlignLeft,
                                rows[i].first);
                           Text(p, value, QRectF(kMargin + labelWidth, y, valueWidth, heights[i]),
                                Qt::AlignLeft, rows[i].second);
                           y += heights[i];
                         }
                       }});
  }

  QString CurveName(const TCellReport &c) const {
    return S(77) + u' ' + QString::number(c.Cell) + u' ' + DetectorName(c.Detector);
  }

  void Chart() {
    const QFont heading = Font(11, true);
    const double headingHeight = TextHeight(heading, kContentWidth, S(kRateAxis)) + 4;
    fBlocks.push_back({headingHeight + kChartHeight, [=, this](QPainter &p, double top) {
                         Text(p, heading, QRectF(kMargin, top, kContentWidth, headingHeight), Qt::AlignLeft,
                              S(kRateAxis));
                         DrawChart(static_cast<QCPPainter &>(p),
                                   QRectF(kMargin, top + headingHeight, kContentWidth, kChartHeight));
                       }});
  }

  // The rate curves of every cell and detector, drawn by QCustomPlot into the PDF's painter.
  void DrawChart(QCPPainter &painter, const QRectF &rect) const {
    const double s = kChartScale;
    auto font = [s](double points) {
      QFont f(QStringLiteral("DejaVu Sans"));
      f.setPixelSize(static_cast<int>(points * s));
      f.setHintingPreference(QFont::PreferNoHinting);
      return f;
    };
    auto pen = [s](const QColor &color, double points, Qt::PenStyle style = Qt::SolidLine) {
      QPen p(color, points * s, style);
      p.setCosmetic(false);
      return p;
    };

    QCustomPlot plot;
    plot.setLocale(fLocale);
    plot.legend->setVisible(true);
    plot.legend->setFont(font(7.5));
    plot.legend->setIconSize(static_cast<int>(18 * s), static_cast<int>(7 * s));
    plot.legend->setIconBorderPen(Qt::NoPen);
    // The legend goes in a row of its own below the chart, so it never hides a curve.
    plot.legend->setFillOrder(QCPLegend::foColumnsFirst);
    plot.legend->setWrap(6);  // every curve in one row
    plot.axisRect()->insetLayout()->take(plot.legend);
    plot.plotLayout()->addElement(1, 0, plot.legend);
    plot.plotLayout()->setRowStretchFactor(1, 0.001);
    plot.legend->setMargins(QMargins(static_cast<int>(4 * s), static_cast<int>(2 * s),
                                     static_cast<int>(4 * s), static_cast<int>(2 * s)));
    plot.legend->setBorderPen(Qt::NoPen);
    for (QCPAxis *axis : {plot.xAxis, plot.yAxis}) {
      axis->setTickLabelFont(font(8));
      axis->setLabelFont(font(9));
      axis->setBasePen(pen(Qt::black, 0.6));
      axis->setTickPen(pen(Qt::black, 0.6));
      axis->setSubTickPen(pen(Qt::black, 0.4));
      axis->setTickLength(0, static_cast<int>(3 * s));
      axis->setSubTickLength(0, static_cast<int>(1.5 * s));
      axis->setTickLabelPadding(static_cast<int>(2.5 * s));
      axis->setLabelPadding(static_cast<int>(3 * s));
      axis->grid()->setPen(pen(QColor(215, 215, 215), 0.4));
      axis->grid()->setZeroLinePen(pen(QColor(215, 215, 215), 0.4));
    }
    plot.xAxis->setLabel(S(kTimeAxis));
    plot.yAxis->setLabel(S(kRateAxis));

    double maxTime = 10, maxRate = 0, minRate = 0;
    for (const TCellReport &c : fReport.Cells) {
      QVector<double> x, y;
      for (const TRatePoint &point : c.Curve) {
        x << point.Minutes;
        y << point.Rate;
        maxTime = std::max(maxTime, point.Minutes);
        maxRate = std::max(maxRate, point.Rate);
        minRate = std::min(minRate, point.Rate);
      }
      QCPGraph *g = plot.addGraph();
      const QColor color = kCellColors[(c.Cell - 1) % 3];
      g->setPen(pen(color, 1.1, c.Detector == TDetector::FID ? Qt::SolidLine : Qt::DashLine));
      // Markers show each evaluation while there is room for them; a long test is a line.
      if (c.Curve.size() <= kMarkedPoints)
        g->setScatterStyle(QCPScatterStyle(
            c.Detector == TDetector::FID ? QCPScatterStyle::ssDisc : QCPScatterStyle::ssSquare,
            pen(color, 0.6), QBrush(color), 2.6 * s));
      g->setData(x, y, true);
      g->setName(CurveName(c));
    }
    const double yTop = std::max(kReportLimits.back() * 1.25, maxRate * 1.1);
    const double yBottom = minRate * 1.1;  // a rate below zero stays in sight
    plot.xAxis->setRange(0, maxTime * 1.04);
    plot.yAxis->setRange(yBottom, yTop);

    // The limits as dotted lines, named in a margin right of the chart. Lines too close for two
    // labels side by side get theirs above and below.
    plot.axisRect()->setAutoMargins(QCP::msLeft | QCP::msTop | QCP::msBottom);
    plot.axisRect()->setMargins(QMargins(0, static_cast<int>(6 * s), static_cast<int>(kLimitMargin * s), 0));
    const double apart = (kReportLimits.back() - kReportLimits.front()) / (yTop - yBottom) * rect.height();
    for (double limit : kReportLimits) {
      auto *line = new QCPItemStraightLine(&plot);
      line->setPen(pen(QColor(60, 60, 60), 0.9, Qt::DotLine));
      line->point1->setCoords(0, limit);
      line->point2->setCoords(1, limit);
      auto *text = new QCPItemText(&plot);
      text->setClipToAxisRect(false);
      text->setFont(font(7));
      text->setColor(QColor(60, 60, 60));
      const Qt::Alignment vertical = apart > 10                      ? Qt::AlignVCenter
                                     : limit == kReportLimits.back() ? Qt::AlignBottom
                                                                     : Qt::AlignTop;
      text->setPositionAlignment(Qt::AlignLeft | vertical);
      text->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
      text->position->setCoords(1, limit);
      text->setPadding(QMargins(static_cast<int>(3 * s), 0, 0, 0));
      text->setText(S(kLimitLine).arg(Number(limit, 1)));
    }

    painter.save();
    painter.translate(P(rect.x()), P(rect.y()));
    painter.scale(kUnit / s, kUnit / s);
    painter.setMode(QCPPainter::pmVectorized);
    plot.toPainter(&painter, static_cast<int>(rect.width() * s), static_cast<int>(rect.height() * s));
    painter.restore();
  }

  // One table per cell: the figures as rows, a column per detector.
  void CellTable(int cell) {
    std::vector<const TCellReport *> reports;
    for (const TCellReport &c : fReport.Cells)
      if (c.Cell == cell) reports.push_back(&c);
    if (reports.empty()) return;

    const QString limit01 = Number(kReportLimits[0], 1), limit10 = Number(kReportLimits[1], 1);
    std::vector<QStringList> rows;
    rows.push_back(QStringList{S(kDetector)});
    for (const TCellReport *c : reports) rows.back() << DetectorName(c->Detector);
    auto add = [&](const QString &label, auto value) {
      QStringList r{label};
      for (const TCellReport *c : reports) r << value(c->Figures);
      rows.push_back(r);
    };
    for (size_t k = 0; k < kReportLimits.size(); ++k) {
      const QString l = k == 0 ? limit01 : limit10;
      add(S(kBreakFirst).arg(l), [&, k](const TCellFigures &f) {
        return Number(f.Breakthrough[k] ? std::optional(f.Breakthrough[k]->FirstMinutes) : std::nullopt, 2);
      });
      add(S(kBreakInterp).arg(l), [&, k](const TCellFigures &f) {
        return Number(f.Breakthrough[k] ? std::optional(f.Breakthrough[k]->Minutes) : std::nullopt, 2);
      });
    }
    add(S(kLevel), [&](const TCellFigures &f) { return LevelText(f, fOffset); });
    add(S(kSteadyRate),
        [&](const TCellFigures &f) { return f.SteadyRate ? Number(*f.SteadyRate, 4) : S(kNotReached); });
    add(S(kCumulativeEnd), [&](const TCellFigures &f) { return Number(f.CumulativeEnd, 4); });
    for (size_t k = 0; k < kCumulativeMinutes.size(); ++k)
      add(S(kCumulativeAt).arg(kCumulativeMinutes[k]),
          [&, k](const TCellFigures &f) { return Number(f.Cumulative[k], 4); });
    add(S(kDuration), [&](const TCellFigures &f) { return Number(f.DurationMinutes, 2); });

    const TCellReport &first = *reports.front();
    QString title = S(77) + u' ' + QString::number(cell);
    if (!first.SampleText.trimmed().isEmpty()) title += QStringLiteral(": ") + first.SampleText.trimmed();
    if (!first.Chemical.trimmed().isEmpty()) title += QStringLiteral(" – ") + first.Chemical.trimmed();
    const QString note =
        first.EndsAtBreakthrough ? S(kEndedAtBreak) + u' ' + first.BreakTime.trimmed() : QString();

    const QFont heading = Font(11, true), body = Font(9), bold = Font(9, true), small = Font(8);
    const double valueWidth = kValueColumn;
    const double labelWidth = kContentWidth - valueWidth * static_cast<double>(reports.size());
    const double titleHeight = TextHeight(heading, kContentWidth, title) + 4;
    std::vector<double> heights;
    double total = titleHeight;
    for (const QStringList &r : rows) {
      heights.push_back(TextHeight(r == rows.front() ? bold : body, labelWidth - 8, r[0]) + 4);
      total += heights.back();
    }
    const double noteHeight = note.isEmpty() ? 0 : TextHeight(small, kContentWidth, note) + 4;
    total += noteHeight;
    const QColor color = kCellColors[(cell - 1) % 3];

    fBlocks.push_back(
        {total, [=, this](QPainter &p, double top) {
           Text(p, heading, QRectF(kMargin, top, kContentWidth, titleHeight), Qt::AlignLeft, title, color);
           double y = top + titleHeight;
           for (size_t i = 0; i < rows.size(); ++i) {
             const QFont &f = i == 0 ? bold : body;
             if (i == 0) p.fillRect(P(QRectF(kMargin, y, kContentWidth, heights[i])), QColor(238, 238, 238));
             Text(p, f, QRectF(kMargin + 4, y + 2, labelWidth - 8, heights[i] - 2), Qt::AlignLeft,
                  rows[i][0]);
             for (qsizetype j = 1; j < rows[i].size(); ++j)
               Text(p, i == 0 ? bold : body,
                    QRectF(kMargin + labelWidth + valueWidth * static_cast<double>(j - 1), y + 2,
                           valueWidth - 6, heights[i] - 2),
                    Qt::AlignRight, rows[i][j]);
             y += heights[i];
             Rule(p, kMargin, y, kMargin + kContentWidth, y, i == 0 ? 0.8 : 0.4);
           }
           if (!note.isEmpty())
             Text(p, small, QRectF(kMargin, y + 3, kContentWidth, noteHeight), Qt::AlignLeft, note,
                  Qt::darkGray);
         }});
  }

  void Notes() {
    QStringList notes;
    if (fReport.Cells.empty()) notes << S(kNoCells);
    for (const TReportWarning &w : fReport.Warnings) notes << ReportWarningText(w, fOffset);
    if (notes.isEmpty()) return;
    const QFont heading = Font(11, true), body = Font(9);
    const QString text = notes.join(u'\n');
    const double h1 = TextHeight(heading, kContentWidth, S(kNotes)) + 4;
    const double h2 = TextHeight(body, kContentWidth, text);
    fBlocks.push_back({h1 + h2, [=, this](QPainter &p, double top) {
                         Text(p, heading, QRectF(kMargin, top, kContentWidth, h1), Qt::AlignLeft, S(kNotes));
                         Text(p, body, QRectF(kMargin, top + h1, kContentWidth, h2), Qt::AlignLeft, text);
                       }});
  }
};

}  // namespace

QColor ReportCellColor(int cell) { return kCellColors[((cell - 1) % 3 + 3) % 3]; }

QByteArray ReportPdf(const TReport &report, int offset, TDateTime created) {
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(GetLangString(offset, kTitle) + QStringLiteral(" – ") + NamePart(report.File));
    writer.setCreator(QStringLiteral("Zelvo730"));
    QCPPainter painter(&writer);
    TPdfLayout(report, offset, created, &writer).Render(painter, writer);
    painter.end();
  }
  return bytes;
}

QString ReportPdfName(const QString &resultFile, int run) {
  const qsizetype nameStart = resultFile.size() - NamePart(resultFile).size();
  const qsizetype dot = resultFile.lastIndexOf(u'.');
  const QString stem = dot >= nameStart ? resultFile.left(dot) : resultFile;
  return stem + (run > 0 ? QStringLiteral("-run%1.pdf").arg(run) : QStringLiteral(".pdf"));
}

int LastRunOf(const QString &resultFile) {
  const TReportRead read = ReadReport(resultFile);
  return read.Ok() ? read.Report.Run : 0;
}

TReportPdfResult WriteReportPdf(const QString &resultFile, const QString &pdfFile, int offset, int run) {
  TReportPdfResult out;
  const TReportRead read = ReadReport(resultFile, run);
  if (!read.Ok()) {
    out.Error = ReportErrorText(*read.Error, offset);
    return out;
  }
  out.Warnings = read.Report.Warnings;
  // The report never takes the place of the file it reports on.
  const QFileInfo source(resultFile), target(pdfFile);
  if (target.exists() && source.canonicalFilePath() == target.canonicalFilePath()) {
    out.Error = GetLangString(offset, kCannotWrite).arg(pdfFile);
    return out;
  }
  try {
    WriteFileAtomic(pdfFile, ReportPdf(read.Report, offset, Clock::Now()));
  } catch (const EFileError &e) {
    out.Error = GetLangString(offset, kCannotWrite).arg(e.Message());
    return out;
  }
  out.Ok = true;
  return out;
}

}  // namespace zelvo
