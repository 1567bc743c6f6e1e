#pragma once
// Small helpers of the tests around files and the event loop, shared by every test folder.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <functional>

#include "core/Clock.h"

namespace testsupport {

// The whole content of a file, or "<missing>" when it cannot be read, so that a missing file
// never compares equal to an empty one.
inline QByteArray Bytes(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Runs the event loop on the real clock until `done` holds or `ms` have passed; false when
// the time ran out.
inline bool PumpUntil(const std::function<bool()> &done, int ms = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    zelvo::Clock::WaitProcessingEvents(10);
  }
  return true;
}

// The text of a PDF file as pdftotext (poppler-utils) reads it, in reading order with the
// page's layout kept; empty when the file cannot be read or pdftotext is missing.
inline QString PdfText(const QString &path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                                         QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace testsupport

using testsupport::Bytes;
using testsupport::PdfText;
using testsupport::PumpUntil;
