#include "core/IniFile.h"

#include <QCoreApplication>
#include <QFile>

#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/TextFile.h"

namespace zelvo {

namespace {

// The file as lines, with helpers to find sections and keys.
struct IniLines {
  QStringList lines;
  QString lineEnd = kCrLf;

  static bool IsComment(const QString &line) { return line.trimmed().startsWith(u';'); }

  // The section name of a "[Name]" line, or a null string for any other line.
  static QString SectionName(const QString &line) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'[')) return {};
    const qsizetype close = t.indexOf(u']');
    return t.mid(1, close < 0 ? -1 : close - 1).trimmed();
  }

  // The index of the header line of the first section `name`, or -1.
  qsizetype FindSection(const QString &name) const {
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const QString s = SectionName(lines[i]);
      if (!s.isNull() && s.compare(name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
  }

  // One past the last line of the section whose header is at `header`.
  qsizetype SectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < lines.size() && SectionName(lines[i]).isNull()) ++i;
    return i;
  }

  // The index of the first line "key=..." in the section, or -1.
  qsizetype FindKey(qsizetype header, const QString &key) const {
    const qsizetype end = SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
      const QString &line = lines[i];
      const qsizetype eq = line.indexOf(u'=');
      if (eq < 0 || IsComment(line)) continue;
      if (QStringView(line).left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
  }

  void Set(const QString &section, const QString &key, const QString &value) {
    qsizetype header = FindSection(section);
    if (header < 0) {
      lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
      lines.append(key + QLatin1Char('=') + value);
      return;
    }
    const qsizetype at = FindKey(header, key);
    if (at >= 0) {
      const QString &line = lines[at];
      lines[at] = line.left(line.indexOf(u'=')).trimmed() + QLatin1Char('=') + value;
      return;
    }
    qsizetype insert = SectionEnd(header);
    while (insert > header + 1 && lines[insert - 1].trimmed().isEmpty()) --insert;
    lines.insert(insert, key + QLatin1Char('=') + value);
  }
};

// Reading: a missing or unreadable file reads as empty.
IniLines LoadForReading(const QString &path) {
  IniLines ini;
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) ini.lines = SplitLines(Cp1252Decode(file.readAll()));
  return ini;
}

// Writing: a missing file starts empty; a file that exists but cannot be read is an error,
// since writing it would lose its content.
IniLines LoadForWriting(const QString &path) {
  IniLines ini;
  if (!QFile::exists(path)) return ini;
  const QString text = Cp1252Decode(ReadFileBytes(path));
  ini.lines = SplitLines(text);
  ini.lineEnd = FirstLineEnd(text);
  return ini;
}

QString OneLine(QString value) {
  value.replace(u'\r', u' ');
  value.replace(u'\n', u' ');
  return value;
}

}  // namespace

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const {
  const IniLines ini = LoadForReading(FFileName);
  const qsizetype header = ini.FindSection(section);
  if (header < 0) return defaultValue;
  const qsizetype at = ini.FindKey(header, key);
  if (at < 0) return defaultValue;
  const QString &line = ini.lines[at];
  return line.mid(line.indexOf(u'=') + 1).trimmed();
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const {
  return StrToIntDef(ReadString(section, key, QString()), defaultValue);
}

double TIniFile::ReadFloat(const QString &section, const QString &key, double defaultValue) const {
  const QString text = ReadString(section, key, QString());
  if (text.isEmpty()) return defaultValue;
  if (auto v = TryStrToFloat(text)) return *v;
  throw EConvertError(
      QStringLiteral("'%1' is not a valid floating point value (key \"%2\" in section [%3] of %4)")
          .arg(text, key, section, FFileName));
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value) {
  WriteStrings({{section, key, value}});
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value) {
  WriteString(section, key, QString::number(value));
}

void TIniFile::WriteFloat(const QString &section, const QString &key, double value) {
  WriteString(section, key, FloatToStr(value));
}

void TIniFile::WriteStrings(const QList<Entry> &entries) {
  try {
    IniLines ini = LoadForWriting(FFileName);
    for (const Entry &e : entries) ini.Set(e.section, e.key, OneLine(e.value));
    WriteTextLines(FFileName, ini.lines, ini.lineEnd);
  } catch (const EFileError &e) {
    if (!FWriteReport) throw;
    FWriteReport(e.Message());
    return;
  }
  if (FWriteReport) FWriteReport(QString());
}

QString SettingsPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/Zelvo730.ini"); }

}  // namespace zelvo
