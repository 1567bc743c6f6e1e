#include "core/Language.h"

#include <QFile>
#include <QHash>

#include "core/TextFile.h"

// The string table is a resource of the zelvo_core static library; registering it here also
// makes the linker keep the resource object.
static void InitCoreResources() { Q_INIT_RESOURCE(resources); }

namespace zelvo {

namespace {

// Parses the string table resource (format described at its top). A malformed line is
// skipped; the table is fixed at build time and checked by the tests.
QHash<int, QString> LoadTable() {
  InitCoreResources();
  QHash<int, QString> table;
  QFile file(QStringLiteral(":/StringTable.txt"));
  if (!file.open(QIODevice::ReadOnly)) return table;
  for (const QString &line : SplitLines(QString::fromUtf8(file.readAll()))) {
    const qsizetype space = line.indexOf(u' ');
    if (line.startsWith(u'#') || space < 0) continue;
    bool ok = false;
    const int id = QStringView(line).left(space).toInt(&ok);
    const QStringView quoted = QStringView(line).mid(space + 1);
    if (!ok || quoted.size() < 2 || !quoted.startsWith(u'"') || !quoted.endsWith(u'"')) continue;
    QString text;
    const QStringView body = quoted.mid(1, quoted.size() - 2);
    for (qsizetype i = 0; i < body.size(); ++i) {
      QChar c = body[i];
      if (c == u'\\' && i + 1 < body.size()) {
        c = body[++i];
        if (c == u'r')
          c = u'\r';
        else if (c == u'n')
          c = u'\n';
      }
      text += c;
    }
    table.insert(id, text);
  }
  return table;
}

}  // namespace

QString GetLangString(int offset, int id) {
  static const QHash<int, QString> table = LoadTable();
  return table.value(offset + id);
}

int LanguageOffset(const QString &code) {
  return code == QStringLiteral("DE") ? kGermanOffset : kEnglishOffset;
}

TFormatSettings LanguageFormat(int offset) {
  TFormatSettings f;
  f.Locale = offset == kGermanOffset ? QLocale(QLocale::German, QLocale::Germany)
                                     : QLocale(QLocale::English, QLocale::UnitedStates);
  f.DecimalSeparator = f.Locale.decimalPoint().at(0);
  f.ShortDateFormat = QStringLiteral("dd.MM.yy hh:mm");
  return f;
}

QString LocalCharCaption(QChar decimalSeparator) {
  return QStringLiteral("< ") + decimalSeparator + QStringLiteral(" >");
}

}  // namespace zelvo
