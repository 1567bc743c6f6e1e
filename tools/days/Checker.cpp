#include "Checker.h"

#include <QCryptographicHash>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <map>
#include <tuple>

#include "core/Cp1252.h"

namespace zelvo::days {

bool IsBreakthroughLine(const QString &line) {
  const qsizetype first = line.indexOf(u';');
  if (first < 0) return false;
  const qsizetype second = line.indexOf(u';', first + 1);
  const QStringView field = QStringView(line).mid(first + 1, second < 0 ? -1 : second - first - 1);
  return field.trimmed() == u"*";
}

CheckResult Check(const std::vector<Evaluation> &evaluations, const QByteArray &resultFile, bool haveFile,
                  const std::vector<CellCrossing> &crossings) {
  CheckResult r;
  r.evaluations = static_cast<qint64>(evaluations.size());
  if (haveFile)
    r.resultSha256 = QString::fromLatin1(QCryptographicHash::hash(resultFile, QCryptographicHash::Sha256).toHex());

  // Positions of every line of the file, by text.
  QString text = Cp1252Decode(resultFile);
  text.remove(u'\r');
  const QStringList lines = text.split(u'\n');
  QHash<QString, std::vector<qsizetype>> positions;
  for (qsizetype i = 0; i < lines.size(); ++i) positions[lines[i]].push_back(i);

  // Lost and duplicated by count per text (two evaluations may give the same line); the
  // k-th evaluation of a text is the k-th occurrence for the order.
  QHash<QString, qsizetype> expected;
  for (const Evaluation &e : evaluations) ++expected[e.line];
  for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
    const auto found = positions.constFind(it.key());
    const qsizetype inFile = found == positions.cend() ? 0 : static_cast<qsizetype>(found->size());
    r.resultLines += inFile;
    r.lost += std::max<qsizetype>(0, it.value() - inFile);
    r.duplicated += std::max<qsizetype>(0, inFile - it.value());
  }
  // Out of order: the lines that must move for the rest to stand in the evaluations' order,
  // i.e. those outside the longest run of file positions that rises in evaluation order (one
  // line written late counts once, not once for every line it overtook).
  QHash<QString, qsizetype> seen;
  std::vector<qsizetype> rising;  // rising[k]: smallest last position of a rising run of k + 1
  qint64 found = 0;
  for (const Evaluation &e : evaluations) {
    const qsizetype k = seen[e.line]++;
    const auto at = positions.constFind(e.line);
    if (at == positions.cend() || k >= static_cast<qsizetype>(at->size())) continue;  // lost
    const qsizetype pos = (*at)[static_cast<size_t>(k)];
    ++found;
    const auto slot = std::lower_bound(rising.begin(), rising.end(), pos);
    if (slot == rising.end())
      rising.push_back(pos);
    else
      *slot = pos;
  }
  r.outOfOrder = found - static_cast<qint64>(rising.size());

  // Breakthroughs per cell: the first evaluation at or after the crossing must be the first
  // "*" line of that cell, and only then.
  using Cell = std::tuple<int, int, int>;  // run, detector, cell
  std::map<Cell, double> crossingAt;
  for (const CellCrossing &c : crossings) {
    const Cell key{c.run, c.port, c.cell};
    const auto it = crossingAt.find(key);
    if (it == crossingAt.end() || c.tRun < it->second) crossingAt[key] = c.tRun;
  }
  std::map<Cell, qsizetype> firstStar, firstAfter;
  for (qsizetype i = 0; i < static_cast<qsizetype>(evaluations.size()); ++i) {
    const Evaluation &e = evaluations[static_cast<size_t>(i)];
    const Cell key{e.run, e.port, e.cell};
    if (IsBreakthroughLine(e.line)) firstStar.emplace(key, i);
    const auto c = crossingAt.find(key);
    if (c != crossingAt.end() && e.tRun >= c->second) firstAfter.emplace(key, i);
  }
  r.breakthroughs = static_cast<qint64>(firstStar.size());
  std::map<Cell, bool> cells;
  for (const auto &[key, i] : firstStar) cells[key] = true;
  for (const auto &[key, i] : firstAfter) cells[key] = true;
  for (const auto &[key, unused] : cells) {
    const auto star = firstStar.find(key);
    const auto after = firstAfter.find(key);
    const qsizetype s = star == firstStar.end() ? -1 : star->second;
    const qsizetype a = after == firstAfter.end() ? -1 : after->second;
    if (s == a) continue;
    ++r.breakthroughMismatches;
    const auto at = [&](qsizetype i) {
      if (i < 0) return QStringLiteral("none");
      const Evaluation &e = evaluations[static_cast<size_t>(i)];
      return QStringLiteral("%1 s (%2)").arg(e.tRun).arg(e.line);
    };
    const auto c = crossingAt.find(key);
    r.mismatchDetails << QStringLiteral("run %1 detector %2 cell %3: crossing at %4 s; first \"*\" %5; first after the crossing %6")
                             .arg(std::get<0>(key))
                             .arg(std::get<1>(key))
                             .arg(std::get<2>(key))
                             .arg(c == crossingAt.end() ? QStringLiteral("none") : QString::number(c->second))
                             .arg(at(s), at(a));
  }
  return r;
}

}  // namespace zelvo::days
