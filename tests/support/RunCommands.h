#pragma once
// The commands a run of positions 1 to 4 sends on port 1, in order, written once for the
// sequencer's, the window's and the simulator's tests. The run: start position 1, four
// positions, nothing calibrated and nothing breaking through; position 4 (cell 1) is the only
// sample cell of the range. Valve and lamp bytes are active-low: V1 bits 0-5 = V11..V16,
// V2 bit 0 = V17 and bits 1-5 = V2..V6, lamp bits 2,1,0,7 = positions 1..4, bit 3 = loop.
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace testsupport {

inline QStringList CommandsOf(std::initializer_list<const char *> commands) {
  QStringList l;
  for (const char *c : commands) l << QString::fromLatin1(c);
  return l;
}

// The same commands each ended by its CR, as they go out.
inline QStringList WithCr(const QStringList &commands) {
  QStringList l;
  for (const QString &c : commands) l << c + QLatin1Char('\r');
  return l;
}
inline QStringList WithCr(std::initializer_list<const char *> commands) { return WithCr(CommandsOf(commands)); }

// The start: the valves of the run opened, the cell times on the instrument's display
// cleared, the run lamp on.
inline QStringList RunStartCommands() {
  return CommandsOf({"<V2SFE",  // V17
                     "<V2SF6",  // V4, the only sample cell of the range
                     "<X1 --:--", "<X2 --:--", "<X3 --:--", "<R1"});
}

// The cycles and the end of the run. `cellTimeShown`: the program sends cell 1's time to the
// instrument display after each of its evaluations ("<X1 t"); the sequencer alone does not.
inline QStringList RunCycleCommands(int cycles, bool cellTimeShown) {
  // clang-format off
  QStringList cycle = CommandsOf({
      // position 1: start (V11, lamp), sampling ends (loop on), loop filled (V11 closed),
      // measurement start (loop off, stream on), position 2 prepared (V12, V2), stream off,
      // lamp off
      "<12B1100", "<V1SFE", "<LSEB", "<12W1100", "<D1", "<LSE3", "<V1SFF",
      "<D0", "<LSEB", "<12Z1100", "<V1SFD", "<V2SF4", "<12Z0100", "<LSEF",
      // position 2: the reference flow valve V2 closes with V12
      "<12B1100", "<V1SFD", "<V2SF4", "<LSED", "<12W1100", "<D1", "<LSE5", "<V1SFF", "<V2SF6",
      "<D0", "<LSED", "<12Z1100", "<V1SFB", "<V2SF2", "<12Z0100", "<LSEF",
      // position 3
      "<12B1100", "<V1SFB", "<V2SF2", "<LSEE", "<12W1100", "<D1", "<LSE6", "<V1SFF", "<V2SF6",
      "<D0", "<LSEE", "<12Z1100", "<V1SF7", "<V2SF6", "<12Z0100", "<LSEF",
      // position 4: the cell's flow valve V4 stays open; the preparation wraps to position 1
      "<12B1100", "<V1SF7", "<V2SF6", "<LS6F", "<12W1100", "<D1", "<LS67", "<V1SFF",
      "<D0", "<LS6F", "<12Z1100", "<V1SFE", "<12Z0100", "<LSEF",
  });
  // clang-format on
  if (cellTimeShown) cycle.insert(cycle.lastIndexOf(QStringLiteral("<LSEF")), QStringLiteral("<X1 t"));
  QStringList last = cycle;
  last.removeAt(last.lastIndexOf(QStringLiteral("<V1SFE")));  // nothing is prepared after the last measurement
  QStringList all;
  for (int i = 1; i < cycles; ++i) all += cycle;
  return all + last + CommandsOf({"<R0", "<V1SFF", "<V2SFF"});
}

}  // namespace testsupport
