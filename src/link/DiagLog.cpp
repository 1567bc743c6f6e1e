#include "link/DiagLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "core/Cp1252.h"
#include "core/TextFile.h"

namespace zelvo {

QString TDiagLog::FileBeside(const QString &settingsFile) {
  return QFileInfo(settingsFile).absoluteDir().filePath(QString::fromLatin1(kFileName));
}

QString TDiagLog::File() const {
  if (!FFile.isEmpty()) return FFile;
  return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kFileName));
}

void TDiagLog::Send(const QString &message) const {
  QString text = message;
  while (text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char('\n'))) text.chop(1);
  // Line breaks inside the message (texts joined with CR) become lines of the file.
  const QByteArray line = Cp1252Encode(WithLfLineBreaks(text)) + '\n';
  QFile file(File());
  if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
    file.write(line);
    file.close();
  }
  if (FEchoToStderr) {
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
  }
}

}  // namespace zelvo
