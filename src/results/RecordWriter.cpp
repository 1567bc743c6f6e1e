#include "results/RecordWriter.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <set>
#include <system_error>

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "results/RawData.h"

namespace zelvo {

namespace {

QString Reason(int err) { return QString::fromStdString(std::generic_category().message(err)); }

TWriteFailure Failure(const char *what, const QString &path, int err) {
  return {
      path,
      QStringLiteral("%1 \"%2\": %3").arg(QLatin1String(what), QDir::toNativeSeparators(path), Reason(err))};
}

QByteArray Encoded(const QStringList &lines) {
  QString text;
  for (const QString &line : lines) text += line + kCrLf;
  return Cp1252Encode(text);
}

bool WriteAll(int fd, const char *p, qsizetype left) {
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    p += n;
    left -= n;
  }
  return true;
}

void SyncFolderOf(const QByteArray &path) {
  const QByteArray dir = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
  const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

bool Exists(const QByteArray &path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0;
}

}  // namespace

TRecordWriter::TRecordWriter(QString dataDir) : FDataDir(std::move(dataDir)) {}

int TRecordWriter::PendingLines() const {
  int n = 0;
  for (const TPending &p : FPending) n += p.Kind == TKind::Append ? 1 : 0;
  return n;
}

int TRecordWriter::PendingRawFiles() const {
  int n = 0;
  for (const TPending &p : FPending) n += p.Kind == TKind::Raw ? 1 : 0;
  return n;
}

TWriterReport TRecordWriter::ChooseResultFile(const QString &path, const QStringList &header,
                                              TSteadySeconds now) {
  FResultFile = path;
  FHeaders[path] = Encoded(header);
  const bool existed = Exists(QFile::encodeName(path));
  if (!existed) FPending.push_back({TKind::Create, path, 0, {}, 0, FHeaders[path]});
  TWriterReport report = Flush(now);
  report.FileExisted = existed;
  return report;
}

void TRecordWriter::BeginRun() { ++FRun; }

TWriterReport TRecordWriter::WriteMeasurement(const TMeasurementFiles &files, TSteadySeconds now) {
  if (FResultFile.isEmpty()) return {};
  FPending.push_back({TKind::Append, FResultFile, 0, {}, 0, Cp1252Encode(QString(files.Line + kCrLf))});
  if (files.RawData)
    FPending.push_back(
        {TKind::Raw, {}, FRun, RawDataStem(FResultFile), files.runAktiv, Encoded(files.RawLines)});
  return Flush(now);
}

TWriterReport TRecordWriter::Retry(TSteadySeconds now) {
  if (FPending.empty() || (FLastAttempt && now - *FLastAttempt < kRetrySeconds && now >= *FLastAttempt)) {
    TWriterReport report;
    report.PendingLines = PendingLines();
    report.PendingRawFiles = PendingRawFiles();
    return report;
  }
  return Flush(now);
}

TWriterReport TRecordWriter::Flush(TSteadySeconds now) {
  FLastAttempt = now;
  TWriterReport report;
  std::set<QString> blockedPaths;
  std::set<TRawKey> blockedRuns;
  auto fail = [&report](TWriteFailure f) { report.Failures.append(std::move(f)); };
  auto done = [this, &report](std::list<TPending>::iterator p) {
    report.Recovered += p->Held ? 1 : 0;
    return FPending.erase(p);
  };

  for (auto it = FPending.begin(); it != FPending.end();) {
    TPending &p = *it;
    if (p.Kind == TKind::Raw) {
      const TRawKey key{p.Run, p.Stem};
      if (blockedRuns.count(key)) {
        ++it;
        continue;
      }
      if (p.Path.isEmpty()) {
        const auto stem = RunStem(p.Run, p.Stem, report);
        if (!stem) {
          fail({FDataDir, QStringLiteral("Cannot look into the raw data folder \"%1\"")
                              .arg(QDir::toNativeSeparators(FDataDir))});
          blockedRuns.insert(key);
          ++it;
          continue;
        }
        p.Path = RawDataFileName(FDataDir, *stem, p.RunAktiv);
      }
      try {
        WriteFileAtomic(p.Path, p.Bytes);
      } catch (const EFileError &e) {
        fail({p.Path, e.Message()});
        blockedRuns.insert(key);
        ++it;
        continue;
      }
      it = done(it);
      continue;
    }

    if (blockedPaths.count(p.Path)) {
      ++it;
      continue;
    }
    TWriteFailure failure;
    if (p.Kind == TKind::Create) {
      if (!Create(p.Path, p.Bytes, failure)) {
        fail(failure);
        blockedPaths.insert(p.Path);
        ++it;
      } else {
        it = done(it);
      }
      continue;
    }

    // The lines held for this file, in their order, go out in one write.
    std::vector<std::list<TPending>::iterator> batch{it};
    QByteArray bytes = p.Bytes;
    for (auto next = std::next(it); next != FPending.end(); ++next) {
      if (next->Kind == TKind::Raw || next->Path != p.Path) continue;
      if (next->Kind != TKind::Append) break;
      batch.push_back(next);
      bytes += next->Bytes;
    }
    if (!Append(p.Path, bytes, failure, report)) {
      fail(failure);
      blockedPaths.insert(p.Path);
      ++it;
      continue;
    }
    ++it;
    for (auto b : batch) {
      if (b == it) ++it;
      done(b);
    }
  }

  // What is left is held: a later call that writes it counts it as recovered.
  for (TPending &p : FPending) p.Held = true;
  report.PendingLines = PendingLines();
  report.PendingRawFiles = PendingRawFiles();
  Finish(report);
  return report;
}

void TRecordWriter::Finish(TWriterReport &report) {
  if (!report.Failures.isEmpty() && !FWarned) {
    report.Warn = true;
    FWarned = true;
  }
  if (FPending.empty()) FWarned = false;
}

bool TRecordWriter::StemTaken(const QString &candidate, const QStringList &names) const {
  const QRegularExpression pattern(
      QStringLiteral("^%1_\\d+\\.txt$").arg(QRegularExpression::escape(candidate)),
      QRegularExpression::CaseInsensitiveOption);
  for (const QString &name : names)
    if (pattern.match(name).hasMatch()) return true;
  for (const TPending &p : FPending)
    if (p.Kind == TKind::Raw && !p.Path.isEmpty() && pattern.match(QFileInfo(p.Path).fileName()).hasMatch())
      return true;
  return false;
}

std::optional<QString> TRecordWriter::RunStem(int run, const QString &stem, TWriterReport &report) {
  const TRawKey key{run, stem};
  if (auto found = FStems.find(key); found != FStems.end()) return found->second;
  const QFileInfo folder(FDataDir);
  // What is in the folder must be known before a name is taken for the run.
  if (!folder.isDir() || !folder.isReadable()) return std::nullopt;
  const QStringList names =
      QDir(FDataDir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  // Stems settled for other runs count as taken even while their files are still held.
  std::set<QString> settled;
  for (const auto &[k, s] : FStems) settled.insert(s.toLower());
  QString candidate = stem;
  for (int n = 2; StemTaken(candidate, names) || settled.count(candidate.toLower()); ++n)
    candidate = stem + u'-' + QString::number(n);
  FStems[key] = candidate;
  if (candidate != stem) report.Renamed = TRawRename{stem, candidate};
  return candidate;
}

bool TRecordWriter::Create(const QString &path, const QByteArray &bytes, TWriteFailure &failure) {
  const QByteArray name = QFile::encodeName(path);
  if (Exists(name)) return true;  // there already: left as it is
  if (FStorageFault != 0) {
    failure = Failure("Cannot create file", path, FStorageFault);
    return false;
  }
  const QByteArray temp = QFile::encodeName(TempPathFor(path));
  if (::unlink(temp.constData()) != 0 && errno != ENOENT) {
    failure = Failure("Cannot create file", path, errno);
    return false;
  }
  const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    failure = Failure("Cannot create file", path, errno);
    return false;
  }
  int err = 0;
  if (!WriteAll(fd, bytes.constData(), bytes.size()) || ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0) {
    // Into place, but never over a file that appeared meanwhile.
    if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE) != 0) {
      if (errno == EEXIST) {
        ::unlink(temp.constData());
        return true;
      }
      if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) {  // the file system cannot
        if (Exists(name)) {
          ::unlink(temp.constData());
          return true;
        }
        if (std::rename(temp.constData(), name.constData()) != 0) err = errno;
      } else {
        err = errno;
      }
    }
  }
  if (err != 0) {
    ::unlink(temp.constData());
    failure = Failure("Cannot create file", path, err);
    return false;
  }
  SyncFolderOf(name);
  return true;
}

bool TRecordWriter::Append(const QString &path, const QByteArray &bytes, TWriteFailure &failure,
                           TWriterReport &report) {
  const QByteArray name = QFile::encodeName(path);
  if (FStorageFault != 0) {
    failure = Failure("Cannot append to file", path, FStorageFault);
    return false;
  }
  // Read access lets the file's last byte be checked; a file that cannot be read is
  // appended to all the same.
  auto open = [&name] {
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CLOEXEC);
    return fd >= 0 || errno != EACCES ? fd : ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
  };
  int fd = open();
  if (fd < 0 && errno == ENOENT) {
    // The file has gone (deleted, moved away): it is made again with its header.
    const auto header = FHeaders.find(path);
    if (header != FHeaders.end() && Create(path, header->second, failure)) {
      report.Recreated.append(path);
      fd = open();
    } else if (header != FHeaders.end()) {
      return false;
    } else {
      errno = ENOENT;
    }
  }
  if (fd < 0) {
    failure = Failure("Cannot append to file", path, errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    failure = Failure("Cannot append to file", path, errno);
    ::close(fd);
    return false;
  }
  // A file that does not end with a line end (edited by hand) must not have its last line
  // joined with the first new one.
  QByteArray out;
  if (st.st_size > 0) {
    char last = '\n';
    if (::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n' && last != '\r') out = "\r\n";
  }
  out += bytes;
  int err = 0;
  if (!WriteAll(fd, out.constData(), out.size()) || ::fdatasync(fd) != 0) {
    err = errno;
    // Take back a part written: the lines stay held and go out whole at the next attempt.
    if (::ftruncate(fd, st.st_size) == 0) ::fdatasync(fd);
  }
  ::close(fd);  // after a successful sync the lines are on disk whatever close says
  if (err != 0) {
    failure = Failure("Cannot append to file", path, err);
    return false;
  }
  return true;
}

}  // namespace zelvo
