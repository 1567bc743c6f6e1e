// zelvo730-eval: evaluates raw data files again, as the program's import does, and prints one
// JSON object per file on one line.
//
//   zelvo730-eval [--min-index N] [--peak-index N] [--loop-volume N] [--loop-flow N] FILE...
//
// The flags are the [Detection] settings MinIndex, PeakIndex, Loopvolume and Loopflow
// (defaults 10, 25, 200, 10000). A file that cannot be read gives one line on standard error
// naming the file and the line; the other files are still evaluated and the exit status is 2.
#include <QString>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "core/CommandLine.h"
#include "results/RawData.h"
#include "signal/Peak.h"

using namespace zelvo;

namespace {

constexpr int kUsageError = 2;
constexpr int kFileError = 2;

struct Options {
  int MinIndex = 10, PeakIndex = 25, LoopVolume = 200, LoopFlow = 10000;
  QStringList Files;
};

void Usage(const char *problem) {
  std::fprintf(stderr,
               "zelvo730-eval: %s\n"
               "usage: zelvo730-eval [--min-index N] [--peak-index N] [--loop-volume N] [--loop-flow N] "
               "FILE...\n",
               problem);
}

std::optional<int> PositiveInt(const std::string &text) {
  int value = 0;
  const char *end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || p != end || value <= 0) return std::nullopt;
  return value;
}

// Flags as "--name N" or "--name=N"; "--" ends the flags.
std::optional<Options> Parse(int argc, char **argv) {
  Options o;
  const std::map<std::string, int Options::*> flags = {{"--min-index", &Options::MinIndex},
                                                       {"--peak-index", &Options::PeakIndex},
                                                       {"--loop-volume", &Options::LoopVolume},
                                                       {"--loop-flow", &Options::LoopFlow}};
  bool flagsDone = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (flagsDone || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      o.Files << QString::fromLocal8Bit(argv[i]);
      continue;
    }
    if (arg == "--") {
      flagsDone = true;
      continue;
    }
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const auto flag = flags.find(name);
    if (flag == flags.end()) {
      UnknownOption(QStringLiteral("zelvo730-eval"), QString::fromLocal8Bit(arg.c_str()));
      return std::nullopt;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      Usage((name + " needs a value").c_str());
      return std::nullopt;
    }
    const std::optional<int> n = PositiveInt(value);
    if (!n) {
      Usage((name + " takes a whole number above 0, not \"" + value + "\"").c_str());
      return std::nullopt;
    }
    o.*(flag->second) = *n;
  }
  if (o.Files.isEmpty()) {
    Usage("no file given");
    return std::nullopt;
  }
  return o;
}

std::string Number(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[64];
  const auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, p) : "null";
}

std::string JsonString(const QString &text) {
  std::string out = "\"";
  for (const char c : text.toStdString()) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + '"';
}

std::string PeakJson(bool noPeak, double start, double end, double startLevel, double endLevel, double area) {
  return std::string("{\"noPeak\":") + (noPeak ? "true" : "false") + ",\"start\":" + Number(start) +
         ",\"end\":" + Number(end) + ",\"startLevel\":" + Number(startLevel) +
         ",\"endLevel\":" + Number(endLevel) + ",\"area\":" + Number(area) + "}";
}

// The FID evaluation of the import, and on a two-channel file the FPD search on its FPD
// signal, as one JSON line.
std::string Evaluate(const QString &path, const TRawImport &data, const Options &o) {
  std::vector<double> slopes;
  AppendSlopes(data.Fid, data.SlopeBegin, data.SlopeEnd, slopes);
  TPeakState peak;
  PeakAndArea(data.Fid, slopes, TPeakSettings{o.MinIndex, static_cast<double>(o.PeakIndex)}, peak);
  std::string line = "{\"file\":" + JsonString(path) + ",\"channels\":" + std::to_string(data.Channels) +
                     ",\"points\":" + std::to_string(data.Fid.size()) + ",\"fid\":" +
                     PeakJson(peak.NoPeak, peak.PeakStartIndex, peak.PeakEndIndex, peak.PeakStartLevel,
                              peak.PeakEndLevel, peak.FIDArea);
  if (data.Channels == 2) {
    const TFpdSettings settings{o.LoopVolume / (o.LoopFlow / 60.0), static_cast<double>(o.PeakIndex),
                                o.LoopFlow};
    const TFpdResult fpd = FpdSearch(data.Fpd, settings, peak);
    line += ",\"fpd\":" + PeakJson(!fpd.Found, fpd.FPDStart, fpd.FPDEnd, fpd.FPDStartLevel, fpd.FPDEndLevel,
                                   fpd.Found ? fpd.FPDArea : 0);
  }
  return line + "}";
}

}  // namespace

const char *const kHelp =
    "usage: zelvo730-eval [--min-index N] [--peak-index N] [--loop-volume N] [--loop-flow N] FILE...\n"
    "\n"
    "Evaluates raw data files again and prints one JSON object per file on one line.\n"
    "\n"
    "  --min-index N    first index of the peak search (MinIndex, default 10)\n"
    "  --peak-index N   peak index (PeakIndex, default 25)\n"
    "  --loop-volume N  loop volume (Loopvolume, default 200)\n"
    "  --loop-flow N    loop flow (Loopflow, default 10000)\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "Exit status: 0 all files evaluated, 2 wrong arguments or a file that cannot be read.\n"
    "See zelvo730-eval(1).\n";

int main(int argc, char **argv) {
  if (const auto exit =
          AnswerHelpOrVersion(argc, argv, QStringLiteral("zelvo730-eval"), QString::fromLatin1(kHelp)))
    return *exit;
  const std::optional<Options> options = Parse(argc, argv);
  if (!options) return kUsageError;
  int status = 0;
  for (const QString &path : options->Files) {
    const TImportResult r = ReadRawDataFile(path);
    if (!r.Ok) {
      std::fflush(stdout);
      std::fprintf(stderr, "%s\n", r.Message().toLocal8Bit().constData());
      status = kFileError;
      continue;
    }
    std::printf("%s\n", Evaluate(path, r.Data, *options).c_str());
  }
  return status;
}
