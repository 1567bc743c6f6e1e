// --help, --version and an unknown option, answered alike by every tool of the package (the
// window's executable is tested with the window tests).
#if defined(ZELVO_SIM_PATH) && defined(ZELVO_EVAL_PATH) && defined(ZELVO_REPORT_PATH)
#include <gtest/gtest.h>

#include "core/Version.h"
#include "support/Processes.h"

namespace {

using testsupport::Ran;
using testsupport::RunToEnd;

const struct {
  const char *name, *path;
} kTools[] = {
    {"zelvo730-sim", ZELVO_SIM_PATH},
    {"zelvo730-eval", ZELVO_EVAL_PATH},
    {"zelvo730-report", ZELVO_REPORT_PATH},
};

TEST(ToolCommandLine, HelpAndVersionOnStandardOutput) {
  for (const auto &t : kTools) {
    SCOPED_TRACE(t.name);
    for (const char *help : {"--help", "-h"}) {
      const Ran r = RunToEnd(t.path, {help});
      EXPECT_EQ(r.exit, 0);
      EXPECT_TRUE(r.out.contains(QLatin1String(t.name))) << r.out.toStdString();
      EXPECT_TRUE(r.out.contains("--version")) << "the help names --version";
      EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
    // Before anything else is checked: --version beside arguments that would be wrong.
    for (const QStringList &args : {QStringList{"--version"}, QStringList{"no-such-file", "--version"}}) {
      const Ran r = RunToEnd(t.path, args);
      EXPECT_EQ(r.exit, 0);
      EXPECT_EQ(r.out, QStringLiteral("%1 %2\n").arg(t.name, ZELVO_VERSION_TEXT));
      EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
  }
}

TEST(ToolCommandLine, UnknownOptionIsOneLineWithExitStatus2) {
  for (const auto &t : kTools) {
    SCOPED_TRACE(t.name);
    const Ran r = RunToEnd(t.path, {"--frobnicate", "x"});
    EXPECT_EQ(r.exit, 2);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("--frobnicate")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("--help")) << r.err.toStdString();
  }
}

// After "--" the rest are files, and "--help" is one of them.
TEST(ToolCommandLine, EvalTakesHelpAfterDoubleDashAsAFile) {
  const Ran r = RunToEnd(ZELVO_EVAL_PATH, {"--", "--help"});
  EXPECT_EQ(r.exit, 2);
  EXPECT_TRUE(r.out.isEmpty());
  EXPECT_TRUE(r.err.contains("--help")) << r.err.toStdString();
}

}  // namespace
#endif
