#pragma once
// The options every executable of the package answers the same way: --help and --version on
// standard output with exit status 0, an unknown option as one line on standard error with
// exit status 2.
#include <QString>
#include <optional>

namespace zelvo {

inline constexpr int kExitUsage = 2;

// "<program> <version>", the version of the build.
QString VersionLine(const QString &program);

// Answers --help (-h) and --version when one of them is among the arguments (before a "--"
// that ends the options): prints the help text or the version line and gives the exit status.
std::optional<int> AnswerHelpOrVersion(int argc, char **argv, const QString &program, const QString &help);

// "<program>: unknown option <option> (see <program> --help)" on standard error; kExitUsage.
int UnknownOption(const QString &program, const QString &option);

// "<program>: <problem> (see <program> --help)" on standard error; kExitUsage.
int UsageError(const QString &program, const QString &problem);

}  // namespace zelvo
