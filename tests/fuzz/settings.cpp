// The settings file reader and writer. The input is the file's bytes. Keys the file holds,
// and keys of the program's table, are read as text, integer and number (a number that does
// not convert is the one error a read may raise). Then one key is written:
// it reads back as written, every other key reads as before, no other line of the file
// changes and the file keeps its line end.
#include "core/Settings.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/TextFile.h"

namespace {

using namespace zelvo;

struct Key {
  QString Section, Name;
  bool Same(const Key &o) const {
    return Section.compare(o.Section, Qt::CaseInsensitive) == 0 &&
           Name.compare(o.Name, Qt::CaseInsensitive) == 0;
  }
};

// The sections and keys the text appears to hold, as queries (at most `limit`). Not a
// second reader: it only picks names worth asking for.
std::vector<Key> KeysOf(const QStringList &lines, std::size_t limit) {
  std::vector<Key> keys;
  QString section;
  for (const QString &line : lines) {
    const QString t = line.trimmed();
    if (t.startsWith(u'[')) {
      const qsizetype close = t.indexOf(u']');
      section = t.mid(1, close < 0 ? -1 : close - 1).trimmed();
      continue;
    }
    const qsizetype eq = line.indexOf(u'=');
    if (section.isEmpty() || eq < 0 || t.startsWith(u';')) continue;
    keys.push_back({section, line.left(eq).trimmed()});
    if (keys.size() >= limit) break;
  }
  return keys;
}

QString Read(const TIniFile &ini, const Key &key) {
  const QString text = ini.ReadString(key.Section, key.Name, QStringLiteral("\x01missing"));
  FUZZ_CHECK(text == text.trimmed() && !text.contains(u'\r') && !text.contains(u'\n'));
  return text;
}

void ReadNumbers(const TIniFile &ini, const Key &key) {
  (void)ini.ReadInteger(key.Section, key.Name, 0);
  try {
    FUZZ_CHECK(std::isfinite(ini.ReadFloat(key.Section, key.Name, 0)));
  } catch (const EConvertError &) {
  }
}

// Whether `after` is `before` with at most one line changed, or with lines added.
bool KeepsOtherLines(const QStringList &before, const QStringList &after) {
  if (after.size() == before.size()) {
    int changed = 0;
    for (qsizetype i = 0; i < before.size(); ++i) changed += before[i] != after[i];
    return changed <= 1;
  }
  if (after.size() < before.size() || after.size() > before.size() + 2) return false;
  qsizetype j = 0;
  for (qsizetype i = 0; i < after.size() && j < before.size(); ++i) j += after[i] == before[j];
  return j == before.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const QString path = fuzz::ScratchFolder() + QStringLiteral("/Zelvo730.ini");
  {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
  }
  const QString text = Cp1252Decode(bytes);
  const QStringList lines = SplitLines(text);
  TIniFile ini(path);

  // Every read opens and reads the whole file again, so the queries are kept few: some of
  // the file's keys, and some of the table's where the file has their section.
  std::vector<Key> keys = KeysOf(lines, 12);
  const std::size_t fileKeys = keys.size();
  for (const TSettingKey &k : SettingKeys()) {
    if (keys.size() >= 2 * fileKeys) break;
    const Key key{k.SectionName(), k.KeyName()};
    for (std::size_t i = 0; i < fileKeys; ++i)
      if (keys[i].Section.compare(key.Section, Qt::CaseInsensitive) == 0) {
        keys.push_back(key);
        break;
      }
  }
  keys.push_back({QStringLiteral("Fuzz"), QStringLiteral("Key")});
  std::vector<QString> before;
  for (const Key &key : keys) {
    before.push_back(Read(ini, key));
    ReadNumbers(ini, key);
  }

  // The key to write and its value, both from the input's own bytes.
  const std::size_t pick = size > 0 ? data[0] % keys.size() : keys.size() - 1;
  const Key &target = keys[pick];
  const QString value = Cp1252Decode(bytes.right(12));
  ini.WriteString(target.Section, target.Name, value);

  QString expected = value;
  expected.replace(u'\r', u' ').replace(u'\n', u' ');
  FUZZ_CHECK(ini.ReadString(target.Section, target.Name, QString()) == expected.trimmed());
  for (std::size_t i = 0; i < keys.size(); ++i)
    if (!keys[i].Same(target)) FUZZ_CHECK(Read(ini, keys[i]) == before[i]);

  const QString written = Cp1252Decode(ReadFileBytes(path));
  FUZZ_CHECK(KeepsOtherLines(lines, SplitLines(written)));
  if (FirstLineEnd(text, QString()).size() > 0) FUZZ_CHECK(FirstLineEnd(written) == FirstLineEnd(text));
  return 0;
}
