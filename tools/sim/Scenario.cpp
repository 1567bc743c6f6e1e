#include "Scenario.h"

#include <QFile>
#include <algorithm>
#include <map>

namespace zelvo::sim {

namespace {

using Section = std::map<QString, double>;

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
    bool ok = false;
    const QString valueText = line.mid(eq + 1).trimmed();
    const double v = valueText.toDouble(&ok);
    if (!ok) {
      error = QStringLiteral("%1:%2: not a number: %3").arg(path).arg(lineNo).arg(valueText);
      return false;
    }
    sections[section][line.left(eq).trimmed().toLower()] = v;
  }
  return true;
}

// Takes the known keys out of a section; what is left afterwards is unknown.
struct Reader {
  Section &s;
  double take(const char *key, double current) {
    auto it = s.find(QLatin1String(key));
    if (it == s.end()) return current;
    const double v = it->second;
    s.erase(it);
    return v;
  }
};

void ReadDetector(Section &s, DetectorParams &d) {
  Reader r{s};
  d.cal_ppm = r.take("cal_ppm", d.cal_ppm);
  d.cal_area = r.take("cal_area", d.cal_area);
  d.baseline = r.take("baseline", d.baseline);
  d.drift = r.take("drift", d.drift);
  d.noise = r.take("noise", d.noise);
  d.apex = r.take("apex", d.apex);
  d.sigma = r.take("sigma", d.sigma);
  d.tail = r.take("tail", d.tail);
}

void ReadCurve(Section &s, CurveParams &c) {
  Reader r{s};
  c.lag = r.take("lag", c.lag);
  c.tau = r.take("tau", c.tau);
  c.rate_ss = r.take("rate_ss", c.rate_ss);
}

bool CheckDetector(const char *name, const DetectorParams &d, QString &error) {
  if (d.cal_ppm > 0 && d.cal_area >= 0 && d.noise >= 0 && d.apex >= 0 && d.sigma > 0 && d.tail >= 0)
    return true;
  error = QStringLiteral("[%1]: cal_ppm and sigma must be > 0; cal_area, noise, apex, tail >= 0")
              .arg(QLatin1String(name));
  return false;
}

}  // namespace

bool LoadScenario(const QString &path, Scenario &out, QString &error) {
  std::map<QString, Section> sections;
  if (!Parse(path, sections, error)) return false;

  Scenario sc = out;
  ReadDetector(sections[QStringLiteral("detector")], sc.fid);
  ReadDetector(sections[QStringLiteral("fpd")], sc.fpd);
  {
    Reader r{sections[QStringLiteral("cells")]};
    sc.area_cm2 = r.take("area_cm2", sc.area_cm2);
    const double before = sc.default_flow;
    sc.default_flow = r.take("flow", sc.default_flow);
    if (sc.default_flow != before)
      for (double &f : sc.flow) f = sc.default_flow;
  }
  for (int i = 0; i < 3; ++i) {
    Section &cell = sections[QStringLiteral("cell%1").arg(i + 1)];
    ReadCurve(cell, sc.cells[i]);
    sc.flow[i] = Reader{cell}.take("flow", sc.flow[i]);
    ReadCurve(sections[QStringLiteral("fpdcell%1").arg(i + 1)], sc.fpd_cells[i]);
  }
  sc.refcell_ppm = Reader{sections[QStringLiteral("refcell")]}.take("ppm", sc.refcell_ppm);
  sc.fpd_refcell_ppm = Reader{sections[QStringLiteral("fpdrefcell")]}.take("ppm", sc.fpd_refcell_ppm);
  {
    Reader r{sections[QStringLiteral("faults")]};
    sc.garbage_per_min = r.take("garbage_per_min", sc.garbage_per_min);
    sc.malformed_per_min = r.take("malformed_per_min", sc.malformed_per_min);
    sc.drop_per_min = r.take("drop_per_min", sc.drop_per_min);
  }

  // Known sections were created above if they were absent; anything left is a typo.
  static const char *const known[] = {"detector", "fpd",      "cells",    "cell1",   "cell2",  "cell3",
                                      "fpdcell1", "fpdcell2", "fpdcell3", "refcell", "faults", "fpdrefcell"};
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
