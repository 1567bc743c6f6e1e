#pragma once
// The two substance lists of the factors tab and their files beside the executable:
// "CH-Substanzen.txt" (hydrocarbons, FID factors, shown in ValueListEditor1) and
// "S-Substanzen.txt" (sulphur compounds, FPD factors, ValueListEditor2).
//
// File format: one entry per line, name "=" factor, lines ended by CR LF, Windows-1252,
// nothing else in the file. The name is everything before the first "=", the factor
// everything after it, kept as text with whatever decimal separator it was typed with.
// Names are unique within a list.
//
// A list is saved only when the operator changed it, and only when its file was read at
// start-up or there was none (the save then creates it): a list left as it was read keeps
// its file as it is, blank lines and names given twice included. A list whose file could not be read, or that the start-up never came to,
// keeps its start content on screen and is never written over the lab's file. Every save
// replaces the file as a whole (temporary file renamed into place), so a failed save leaves
// the previous file.
#include <QList>
#include <QString>
#include <QStringList>

namespace zelvo {

enum class TSubstanceList { CH, S };

struct TSubstance {
  QString Name;
  QString Factor;
  bool operator==(const TSubstance &) const = default;
};

// "Aceton" "2,05" from "Aceton=2,05"; a line without "=" is all name with an empty factor.
TSubstance SplitSubstance(const QString &line);
// "name=factor" for each entry (the form the list control takes).
QStringList SubstanceLines(const QList<TSubstance> &entries);

// "CH-Substanzen.txt" or "S-Substanzen.txt".
QString SubstanceListFileName(TSubstanceList list);
// The file in `folder` (the executable's folder).
QString SubstanceListPath(const QString &folder, TSubstanceList list);
// What a list holds before its file is read: "Aceton=2,05" or "THT=1,00".
QList<TSubstance> SubstanceListStart(TSubstanceList list);

enum class TListFileState {
  NotLoaded,   // not read (yet): never saved
  Loaded,      // read at start-up: each save replaces the file
  Absent,      // there was no file: the start content is shown, the first save creates it
  Unreadable,  // a file is there but could not be read: never saved
};

struct TSubstanceListLoad {
  TListFileState State = TListFileState::NotLoaded;
  QList<TSubstance> Entries;  // the file's entries when Loaded, else the start content
  QStringList Problems;       // the file error; names given twice (the later line is left out)
};

// Reads the list's file from `folder`. Blank lines are skipped. A missing file is reported
// in Problems like an unreadable one (the lab's list is gone), but leaves the list free to be
// saved. `offset` is the string table's language offset.
TSubstanceListLoad LoadSubstanceList(const QString &folder, TSubstanceList list, int offset);

// Whether the list shown now is to be saved: its file state allows it and it differs from
// `shown`, the entries shown after the load or the last save.
bool SubstanceListToSave(TListFileState state, const QList<TSubstance> &shown, const QList<TSubstance> &now);

struct TSubstanceListSave {
  bool Written = false;
  TListFileState State = TListFileState::NotLoaded;  // afterwards: Loaded once written
  QStringList Problems;  // entries the file cannot hold as they are (written all the same)
};

// Writes the entries to the list's file in `folder` when `state` allows it (Loaded or
// Absent), even when nothing changed. Line breaks inside a name or factor are written as
// blanks. Problems name the entries whose name contains "=" (it would read back split at
// that sign) or that hold characters Windows-1252 lacks (written as "?"). A file that cannot
// be written raises EFileError and the previous file stays.
TSubstanceListSave SaveSubstanceList(const QString &folder, TSubstanceList list, TListFileState state,
                                     const QList<TSubstance> &entries, int offset);

}  // namespace zelvo
