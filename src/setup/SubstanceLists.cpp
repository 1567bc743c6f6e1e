#include "setup/SubstanceLists.h"

#include <QFileInfo>
#include <QSet>

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "setup/SetupTexts.h"

namespace zelvo {

namespace {

QString OneLine(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  text.replace(u'\r', u' ');
  text.replace(u'\n', u' ');
  return text;
}

}  // namespace

TSubstance SplitSubstance(const QString &line) {
  const qsizetype eq = line.indexOf(u'=');
  if (eq < 0) return {line, QString()};
  return {line.left(eq), line.mid(eq + 1)};
}

QStringList SubstanceLines(const QList<TSubstance> &entries) {
  QStringList lines;
  for (const TSubstance &e : entries) lines << e.Name + u'=' + e.Factor;
  return lines;
}

QString SubstanceListFileName(TSubstanceList list) {
  return list == TSubstanceList::CH ? QStringLiteral("CH-Substanzen.txt")
                                    : QStringLiteral("S-Substanzen.txt");
}

QString SubstanceListPath(const QString &folder, TSubstanceList list) {
  QString path = folder;
  if (!path.isEmpty() && !path.endsWith(u'/')) path += u'/';
  return path + SubstanceListFileName(list);
}

QList<TSubstance> SubstanceListStart(TSubstanceList list) {
  return {list == TSubstanceList::CH ? TSubstance{QStringLiteral("Aceton"), QStringLiteral("2,05")}
                                     : TSubstance{QStringLiteral("THT"), QStringLiteral("1,00")}};
}

TSubstanceListLoad LoadSubstanceList(const QString &folder, TSubstanceList list, int offset) {
  const QString path = SubstanceListPath(folder, list);
  TSubstanceListLoad load;
  load.Entries = SubstanceListStart(list);
  QStringList lines;
  try {
    lines = ReadTextLines(path);
  } catch (const EFileError &e) {
    // A dangling link counts as absent too: the save writes the file it points to.
    load.State = QFileInfo::exists(path) ? TListFileState::Unreadable : TListFileState::Absent;
    load.Problems << e.Message();
    return load;
  }
  load.State = TListFileState::Loaded;
  load.Entries.clear();
  QSet<QString> names;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (lines[i].trimmed().isEmpty()) continue;
    const TSubstance entry = SplitSubstance(lines[i]);
    if (names.contains(entry.Name)) {
      load.Problems << GetLangString(offset, kTextSubstanceTwice)
                           .arg(SubstanceListFileName(list))
                           .arg(i + 1)
                           .arg(entry.Name);
      continue;
    }
    names.insert(entry.Name);
    load.Entries << entry;
  }
  return load;
}

bool SubstanceListToSave(TListFileState state, const QList<TSubstance> &shown, const QList<TSubstance> &now) {
  return (state == TListFileState::Loaded || state == TListFileState::Absent) && now != shown;
}

TSubstanceListSave SaveSubstanceList(const QString &folder, TSubstanceList list, TListFileState state,
                                     const QList<TSubstance> &entries, int offset) {
  TSubstanceListSave save;
  save.State = state;
  if (state != TListFileState::Loaded && state != TListFileState::Absent) return save;

  QList<TSubstance> written;
  for (const TSubstance &e : entries) {
    const TSubstance line{OneLine(e.Name), OneLine(e.Factor)};
    const QString file = SubstanceListFileName(list);
    if (line.Name.contains(u'='))
      save.Problems << GetLangString(offset, kTextSubstanceNameSplit)
                           .arg(file, line.Name);
    if (!Cp1252CanEncode(line.Name) || !Cp1252CanEncode(line.Factor))
      save.Problems
          << GetLangString(offset, kTextSubstanceNotEncodable)
                 .arg(file, line.Name, line.Factor);
    written << line;
  }
  WriteTextLines(SubstanceListPath(folder, list), SubstanceLines(written), kCrLf);
  save.Written = true;
  save.State = TListFileState::Loaded;
  return save;
}

}  // namespace zelvo
