#pragma once
// Puts the result file and the raw data files on disk so that no measurement is lost.
//
// - Choosing a result file that does not exist writes its header to a temporary file,
//   syncs it, renames it into place (never over a file that appeared meanwhile) and syncs
//   the folder. An existing file is left as it is; lines are appended to it.
// - Every measurement line is appended with one write call and made durable (fdatasync)
//   before the call returns.
// - A raw data file is written whole to a temporary file, synced and renamed into place.
// - A file that cannot be created or written is reported, never skipped: what could not be
//   written is held in memory, in order, and written as soon as the file can be written
//   again, at the next measurement or at a Retry from the tick. Nothing is written twice.
// - The raw data files of a run never replace those of an earlier run under the same name:
//   when files of that name are in the data folder already, the run's files take the first
//   free stem "<stem>-2", "<stem>-3", ... for the whole run, and the report says so.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <list>
#include <map>
#include <optional>
#include <utility>

#include "core/Clock.h"

namespace zelvo {

struct TWriteFailure {
  QString Path;
  QString Message;  // names the file and the reason
};

// The raw data files of a run are named after a free stem instead of the result file's.
struct TRawRename {
  QString From, To;  // stems: "test" -> "test-2" means test-2_1.txt, test-2_2.txt, ...
};

struct TWriterReport {
  // What could not be written by this call (one entry per file); it is held and retried.
  QList<TWriteFailure> Failures;
  // The first failure since everything was last written: show the warning (once).
  bool Warn = false;
  // Records held from earlier failures that this call has written after all.
  int Recovered = 0;
  // Still held after this call.
  int PendingLines = 0, PendingRawFiles = 0;
  std::optional<TRawRename> Renamed;
  // ChooseResultFile: the file was there already and is left as it is.
  bool FileExisted = false;
  // Result files that had gone and were created again with their header.
  QStringList Recreated;

  bool Ok() const { return Failures.isEmpty(); }
};

// One evaluation's records.
struct TMeasurementFiles {
  QString Line;          // measurement line, without line end
  bool RawData = false;  // write a raw data file too (RawDataSave)
  QStringList RawLines;  // its lines, without line ends
  int runAktiv = 1;      // number of the measurement in the run
};

class TRecordWriter {
 public:
  // A held record is tried again by Retry at most this often.
  static constexpr double kRetrySeconds = 2.0;

  explicit TRecordWriter(QString dataDir = {});

  // sDataDir: where the raw data files go.
  void SetDataDir(const QString &dataDir) { FDataDir = dataDir; }
  const QString &DataDir() const { return FDataDir; }
  // sDateiname: empty until a result file has been chosen.
  const QString &ResultFile() const { return FResultFile; }

  // The operator has chosen `path` (already with ".csv"): it takes the following lines, and
  // gets `header` when it does not exist yet.
  TWriterReport ChooseResultFile(const QString &path, const QStringList &header, TSteadySeconds now);

  // A run starts: its raw data files take a stem of their own (see above).
  void BeginRun();

  // Appends the measurement line and writes the raw data file; without a result file
  // nothing is written.
  TWriterReport WriteMeasurement(const TMeasurementFiles &files, TSteadySeconds now);

  // From the tick: writes what is held when the last attempt is kRetrySeconds ago.
  TWriterReport Retry(TSteadySeconds now);

  bool HasPending() const { return !FPending.empty(); }

  // A storage fault of a simulated run (EACCES: the folder read-only, ENOSPC: the disk full):
  // while it is set every write fails with it, as the file system would; 0 ends it.
  void SetStorageFault(int err) { FStorageFault = err; }
  int PendingLines() const;
  int PendingRawFiles() const;

 private:
  enum class TKind { Create, Append, Raw };
  struct TPending {
    TKind Kind;
    QString Path;  // a raw data file's path stays empty until its run's stem is settled
    int Run = 0;
    QString Stem;  // raw: the result file's stem
    int RunAktiv = 0;
    QByteArray Bytes;
    bool Held = false;  // left over from an earlier call
  };
  using TRawKey = std::pair<int, QString>;  // run, result file stem

  TWriterReport Flush(TSteadySeconds now);
  std::optional<QString> RunStem(int run, const QString &stem, TWriterReport &report);
  bool StemTaken(const QString &candidate, const QStringList &names) const;
  bool Create(const QString &path, const QByteArray &bytes, TWriteFailure &failure);
  bool Append(const QString &path, const QByteArray &bytes, TWriteFailure &failure, TWriterReport &report);
  void Finish(TWriterReport &report);

  QString FDataDir;
  QString FResultFile;
  std::map<QString, QByteArray> FHeaders;  // header of every chosen result file
  std::map<TRawKey, QString> FStems;       // settled stem of each run's raw data files
  std::list<TPending> FPending;
  int FRun = 0;
  bool FWarned = false;
  std::optional<TSteadySeconds> FLastAttempt;
  int FStorageFault = 0;
};

}  // namespace zelvo
