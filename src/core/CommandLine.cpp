#include "core/CommandLine.h"

#include <cstdio>
#include <cstring>

#include "core/Version.h"

namespace zelvo {

namespace {

void Put(std::FILE *to, const QString &text) {
  const QByteArray bytes = text.toLocal8Bit();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
  std::fflush(to);
}

}  // namespace

QString VersionLine(const QString &program) {
  return program + QStringLiteral(" ") + QStringLiteral(ZELVO_VERSION_TEXT);
}

std::optional<int> AnswerHelpOrVersion(int argc, char **argv, const QString &program, const QString &help) {
  for (int i = 1; i < argc; ++i) {
    const char *a = argv[i];
    if (std::strcmp(a, "--") == 0) break;
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      Put(stdout, help.endsWith(u'\n') ? help : help + u'\n');
      return 0;
    }
    if (std::strcmp(a, "--version") == 0) {
      Put(stdout, VersionLine(program) + u'\n');
      return 0;
    }
  }
  return std::nullopt;
}

int UsageError(const QString &program, const QString &problem) {
  Put(stderr, QStringLiteral("%1: %2 (see %1 --help)\n").arg(program, problem));
  return kExitUsage;
}

int UnknownOption(const QString &program, const QString &option) {
  return UsageError(program, QStringLiteral("unknown option ") + option);
}

}  // namespace zelvo
