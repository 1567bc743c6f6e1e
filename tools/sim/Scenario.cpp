#include "Scenario.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <map>

#include "Physics.h"

namespace zelvo::sim {

namespace {

struct Value {
  QString text;
  int line = 0;
};
using Section = std::map<QString, Value>;

bool Parse(const QString &path, std::map<QString, Section> &sections, QString &error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("cannot read scenario %1: %2").arg(path, f.errorString());
    return false;
  }
  QString section;
  int lineNo = 0;
  while (!f.atEnd()) {
    ++lineNo;
    const QString line = QString::fromLatin1(f.readLine()).trimmed();
    if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
    if (line.startsWith(u'[')) {
      if (!line.endsWith(u']')) {
        error = QStringLiteral("%1:%2: bad section line").arg(path).arg(lineNo);
        return false;
      }
      section = line.mid(1, line.size() - 2).trimmed().toLower();
      sections[section];
      continue;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0 || section.isEmpty()) {
      error = QStringLiteral("%1:%2: expected key=value inside a section").arg(path).arg(lineNo);
      return false;
    }
    sections[section][line.left(eq).trimmed().toLower()] = {line.mid(eq + 1).trimmed(), lineNo};
  }
  return true;
}

// Takes the known keys out of a section; what is left afterwards is unknown. The first value
// that does not read is kept in `error`; later ones leave it alone.
struct Reader {
  const QString &path;
  const char *name;  // of the section
  Section &s;
  QString &error;

  bool has(const char *key) const { return s.count(QLatin1String(key)) > 0; }

  double take(const char *key, double current, bool neverAllowed = false) {
    auto it = s.find(QLatin1String(key));
    if (it == s.end()) return current;
    const Value v = it->second;
    s.erase(it);
    if (neverAllowed && v.text.compare(u"never", Qt::CaseInsensitive) == 0) return kNever;
    bool ok = false;
    const double d = v.text.toDouble(&ok);
    if (ok && std::isfinite(d)) return d;
    if (error.isEmpty()) error = QStringLiteral("%1:%2: not a number: %3").arg(path).arg(v.line).arg(v.text);
    return current;
  }

  int takeCount(const char *key, int current) {
    auto it = s.find(QLatin1String(key));
    if (it == s.end()) return current;
    const Value v = it->second;
    s.erase(it);
    bool ok = false;
    const int n = v.text.toInt(&ok);
    if (ok && n >= 0) return n;
    if (error.isEmpty())
      error = QStringLiteral("%1:%2: not a whole number >= 0: %3").arg(path).arg(v.line).arg(v.text);
    return current;
  }
};

void ReadDetector(Reader r, DetectorParams &d) {
  d.cal_ppm = r.take("cal_ppm", d.cal_ppm);
  d.cal_area = r.take("cal_area", d.cal_area);
  d.baseline = r.take("baseline", d.baseline);
  d.wander_period = r.take("wander_period", d.wander_period);
  if (r.has("drift") && r.has("wander")) {
    if (r.error.isEmpty())
      r.error = QStringLiteral("%1: [%2] has drift and wander; give one of them")
                    .arg(r.path, QLatin1String(r.name));
    return;
  }
  if (r.has("drift")) {
    // Older scenarios give a drift in uV per second: the wander then starts with that slope.
    const double drift = r.take("drift", 0);
    d.wander = std::abs(drift) * d.wander_period / WanderStartSlope(1, 1);
  }
  d.wander = r.take("wander", d.wander);
  d.noise = r.take("noise", d.noise);
  d.apex = r.take("apex", d.apex);
  d.sigma = r.take("sigma", d.sigma);
  d.tail = r.take("tail", d.tail);
  d.stop_delay = r.take("stop_delay", d.stop_delay, true);
  d.ignore_stops = r.takeCount("ignore_stops", d.ignore_stops);
}

void ReadCurve(Reader r, CurveParams &c) {
  c.lag = r.take("lag", c.lag);
  c.tau = r.take("tau", c.tau);
  c.rate_ss = r.take("rate_ss", c.rate_ss);
}

bool CheckDetector(const char *name, const DetectorParams &d, QString &error) {
  if (d.cal_ppm > 0 && d.cal_area >= 0 && d.noise >= 0 && d.apex >= 0 && d.sigma > 0 && d.tail >= 0 &&
      d.wander >= 0 && d.wander_period > 0 && d.stop_delay >= 0)
    return true;
  error = QStringLiteral(
              "[%1]: cal_ppm, sigma and wander_period must be > 0; cal_area, noise, apex, tail, wander "
              "and stop_delay >= 0")
              .arg(QLatin1String(name));
  return false;
}

}  // namespace

bool LoadScenario(const QString &path, Scenario &out, QString &error) {
  std::map<QString, Section> sections;
  if (!Parse(path, sections, error)) return false;

  Scenario sc = out;
  QString readError;
  auto reader = [&](const char *section) {
    return Reader{path, section, sections[QLatin1String(section)], readError};
  };
  ReadDetector(reader("detector"), sc.fid);
  ReadDetector(reader("fpd"), sc.fpd);
  {
    Reader r = reader("cells");
    sc.area_cm2 = r.take("area_cm2", sc.area_cm2);
    const double before = sc.default_flow;
    sc.default_flow = r.take("flow", sc.default_flow);
    if (sc.default_flow != before)
      for (double &f : sc.flow) f = sc.default_flow;
  }
  for (int i = 0; i < 3; ++i) {
    const QByteArray cell = "cell" + QByteArray::number(i + 1);
    ReadCurve(reader(cell.constData()), sc.cells[i]);
    sc.flow[i] = reader(cell.constData()).take("flow", sc.flow[i]);
    ReadCurve(reader(("fpd" + cell).constData()), sc.fpd_cells[i]);
  }
  sc.refcell_ppm = reader("refcell").take("ppm", sc.refcell_ppm);
  sc.fpd_refcell_ppm = reader("fpdrefcell").take("ppm", sc.fpd_refcell_ppm);
  {
    Reader r = reader("faults");
    sc.garbage_per_min = r.take("garbage_per_min", sc.garbage_per_min);
    sc.malformed_per_min = r.take("malformed_per_min", sc.malformed_per_min);
    sc.drop_per_min = r.take("drop_per_min", sc.drop_per_min);
  }
  sc.heating_on = reader("heating").take("on", sc.heating_on ? 1 : 0) != 0;
  if (!readError.isEmpty()) {
    error = readError;
    return false;
  }

  // Known sections were created above if they were absent; anything left is a typo.
  static const char *const known[] = {"detector", "fpd",      "cells",    "cell1",   "cell2",  "cell3",
                                      "fpdcell1", "fpdcell2", "fpdcell3", "refcell", "faults", "fpdrefcell",
                                      "heating"};
  for (const auto &[name, keys] : sections) {
    if (std::find_if(std::begin(known), std::end(known),
                     [&](const char *k) { return name == QLatin1String(k); }) == std::end(known)) {
      error = QStringLiteral("%1: unknown section [%2]").arg(path, name);
      return false;
    }
    if (!keys.empty()) {
      error = QStringLiteral("%1: unknown key %2 in [%3]").arg(path, keys.begin()->first, name);
      return false;
    }
  }

  if (!CheckDetector("Detector", sc.fid, error) || !CheckDetector("FPD", sc.fpd, error)) return false;
  if (sc.area_cm2 <= 0 || sc.default_flow <= 0) {
    error = QStringLiteral("[Cells]: area_cm2 and flow must be > 0");
    return false;
  }
  for (int i = 0; i < 3; ++i) {
    const CurveParams *curves[] = {&sc.cells[i], &sc.fpd_cells[i]};
    for (const CurveParams *c : curves) {
      if (c->lag < 0 || c->tau < 0 || c->rate_ss < 0 || sc.flow[i] <= 0) {
        error = QStringLiteral("[Cell%1]: lag, tau and rate_ss must be >= 0, flow > 0").arg(i + 1);
        return false;
      }
    }
  }
  if (sc.garbage_per_min < 0 || sc.malformed_per_min < 0 || sc.drop_per_min < 0 || sc.refcell_ppm < 0 ||
      sc.fpd_refcell_ppm < 0) {
    error = QStringLiteral("[Faults] rates and [RefCell] ppm must be >= 0");
    return false;
  }
  out = sc;
  return true;
}

}  // namespace zelvo::sim
