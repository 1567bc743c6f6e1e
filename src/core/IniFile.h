#pragma once
// The settings file in the Windows ini format, read and written as Windows-1252:
//
//   [Section]
//   Key=Value
//
// Section and key names match without regard to case; blanks around names and values are
// ignored; lines starting with ";" are comments. Every call opens the file, reads or writes
// one key and closes it again; nothing is cached, so a value written is read back by the
// next call.
//
// A write keeps every other line (comments, unknown lines, order) and the file's line end
// (CR LF for a new file), updates the first matching key of the first matching section in
// place, adds a missing key after the last line of its section and a missing section at the
// end of the file. The file is replaced atomically (see WriteFileAtomic), so a failed write
// raises EFileError and leaves the old file as it was.
#include <QList>
#include <QString>
#include <functional>
#include <utility>

namespace zelvo {

class TIniFile {
 public:
  explicit TIniFile(QString fileName) : FFileName(std::move(fileName)) {}
  const QString &FileName() const { return FFileName; }

  // A missing file, section or key gives the default. A key present with an empty value
  // gives the empty text.
  QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
  // Decimal, or hexadecimal after "0x"; a value that is no integer gives the default.
  int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
  // In the regional format of QLocale() (see StrToFloat); a missing or empty value gives the
  // default, any other value that does not convert raises EConvertError naming the key, the
  // value and the file.
  double ReadFloat(const QString &section, const QString &key, double defaultValue) const;

  // Line breaks in the value would split the line, so they are written as blanks.
  void WriteString(const QString &section, const QString &key, const QString &value);
  void WriteInteger(const QString &section, const QString &key, int value);
  // The shortest text with up to 15 significant digits, regional separator (FloatToStr).
  void WriteFloat(const QString &section, const QString &key, double value);

  // Several keys in one replacement of the file, in the given order (used at creation).
  struct Entry {
    QString section, key, value;
  };
  void WriteStrings(const QList<Entry> &entries);

  // When set, every write reports to it: the empty text when the file was written, the
  // error's message when it could not be (the write then does not raise).
  void SetWriteReport(std::function<void(const QString &error)> report) { FWriteReport = std::move(report); }

 private:
  QString FFileName;
  std::function<void(const QString &error)> FWriteReport;
};

// The settings file of this program: "Zelvo730.ini" in the folder of the running executable.
QString SettingsPath();

}  // namespace zelvo
