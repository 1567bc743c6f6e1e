// The substance list reader. The input is a list file's bytes. Reading gives entries with
// unique names and no blank line among them, one problem per repeated name; saving what was
// read and reading it again gives the same entries without any problem (a line without "="
// comes back as its name with an empty factor, which is the entry it was).
#include <QFile>
#include <QSet>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "core/Cp1252.h"
#include "core/Language.h"
#include "core/TextFile.h"
#include "setup/SubstanceLists.h"

using namespace zelvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString folder = fuzz::ScratchFolder();
  const TSubstanceList list = size > 0 && data[0] % 2 ? TSubstanceList::S : TSubstanceList::CH;
  const QString path = SubstanceListPath(folder, list);
  {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) ==
                   static_cast<qint64>(size));
  }
  const TSubstanceListLoad load = LoadSubstanceList(folder, list, kEnglishOffset);
  FUZZ_CHECK(load.State == TListFileState::Loaded);
  qsizetype lines = 0;
  for (const QString &line : SplitLines(
           Cp1252Decode(QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)))))
    lines += !line.trimmed().isEmpty();
  FUZZ_CHECK(load.Entries.size() + load.Problems.size() == lines);
  QSet<QString> names;
  for (const TSubstance &e : load.Entries) {
    FUZZ_CHECK(!names.contains(e.Name));
    names.insert(e.Name);
    FUZZ_CHECK(!e.Name.contains(u'=') && !e.Name.contains(u'\r') && !e.Name.contains(u'\n'));
    FUZZ_CHECK(!e.Factor.contains(u'\r') && !e.Factor.contains(u'\n'));
  }

  const TSubstanceListSave save = SaveSubstanceList(folder, list, load.State, load.Entries, kGermanOffset);
  FUZZ_CHECK(save.Written && save.State == TListFileState::Loaded && save.Problems.isEmpty());
  const TSubstanceListLoad again = LoadSubstanceList(folder, list, kEnglishOffset);
  FUZZ_CHECK(again.State == TListFileState::Loaded);
  FUZZ_CHECK(again.Entries == load.Entries);
  FUZZ_CHECK(again.Problems.isEmpty());
  return 0;
}
