#include "core/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "core/Cp1252.h"
#include "core/Errors.h"

namespace zelvo {

namespace {

QString Reason(int err) { return QString::fromStdString(std::generic_category().message(err)); }

[[noreturn]] void Fail(const char *what, const QString &path, const QString &reason) {
  throw EFileError(
      QStringLiteral("%1 \"%2\": %3").arg(QLatin1String(what), QDir::toNativeSeparators(path), reason));
}

QByteArray Joined(const QStringList &lines, const QString &lineEnd) {
  QString text;
  for (const QString &line : lines) {
    text += line;
    text += lineEnd;
  }
  return Cp1252Encode(text);
}

bool WriteAll(int fd, QByteArrayView bytes) {
  const char *p = bytes.data();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= n;
  }
  return true;
}

}  // namespace

QString WithLfLineBreaks(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QStringList SplitLines(QStringView text) {
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines.append(text.mid(start, i - start).toString());
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.append(text.mid(start).toString());
  return lines;
}

QString FirstLineEnd(QStringView text, const QString &fallback) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n') return QStringLiteral("\n");
    if (text[i] == u'\r')
      return (i + 1 < text.size() && text[i + 1] == u'\n') ? QStringLiteral("\r\n") : QStringLiteral("\r");
  }
  return fallback;
}

QByteArray ReadFileBytes(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) Fail("Cannot open file", path, file.errorString());
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) Fail("Cannot read file", path, file.errorString());
  return bytes;
}

QStringList ReadTextLines(const QString &path) { return SplitLines(Cp1252Decode(ReadFileBytes(path))); }

QString TempPathFor(const QString &path) { return path + QStringLiteral(".tmp"); }

void WriteFileAtomic(const QString &path, QByteArrayView bytes) {
  QString target = path;
  const QFileInfo info(path);
  if (info.isSymLink()) target = info.symLinkTarget();
  const QString temp = TempPathFor(target);
  const QByteArray targetName = QFile::encodeName(target);
  const QByteArray tempName = QFile::encodeName(temp);

  // A temporary file left behind by an earlier crash is stale; anything else in its place
  // (a directory, a file we may not remove) stops the write.
  if (::unlink(tempName.constData()) != 0 && errno != ENOENT) Fail("Cannot write file", path, Reason(errno));

  struct stat old {};
  const bool replacing = ::stat(targetName.constData(), &old) == 0;
  const mode_t mode = replacing ? (old.st_mode & 07777) : 0666;
  if (replacing) {
    // A file made read-only stays as it is: the rename below would replace it regardless.
    const int probe = ::open(targetName.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (probe < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
      Fail("Cannot write file", path, Reason(errno));
    if (probe >= 0) ::close(probe);
  }

  const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) Fail("Cannot write file", path, Reason(errno));
  int err = 0;
  if (!WriteAll(fd, bytes) || (replacing && ::fchmod(fd, mode) != 0) || ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && std::rename(tempName.constData(), targetName.constData()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tempName.constData());
    Fail("Cannot write file", path, Reason(err));
  }
  // Make the rename itself durable; a folder that cannot be synced is not an error.
  const QByteArray dirName = QFile::encodeName(QFileInfo(target).absolutePath());
  const int dirFd = ::open(dirName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

void WriteTextLines(const QString &path, const QStringList &lines, const QString &lineEnd) {
  WriteFileAtomic(path, Joined(lines, lineEnd));
}

void AppendTextLines(const QString &path, const QStringList &lines, const QString &lineEnd) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) Fail("Cannot append to file", path, Reason(errno));
  int err = 0;
  if (!WriteAll(fd, Joined(lines, lineEnd))) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) Fail("Cannot append to file", path, Reason(err));
}

}  // namespace zelvo
