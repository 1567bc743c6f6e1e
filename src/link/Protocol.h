#pragma once
// The instrument's line protocol: every command the program sends, every reply form it
// recognises, and the detector data lines. Widget-free; used by the program's link and
// dispatch code and by the instrument simulator (tools/sim), so the protocol exists once.
//
// Framing. A command is "<", a code, an optional argument and CR. A reply is a line that
// starts with ":"; its second and third characters repeat the command letters, data follow
// from character 4 (from character 6 for the converter status ":12AS"). A detector data line
// starts with "/", "[" or "]". Lines arrive without their CR (the line cutter removes CR and
// LF), so every parser here takes a line without line end.
//
// Positions in this header are 1-based character positions of a line, as the instrument's
// documentation counts them: H4..7 is the number whose four hexadecimal digits stand at
// positions 4 to 7.
//
// Nothing here throws. A reply whose data characters are missing or are not digits of the
// expected base is reported as malformed (the value stays empty); callers ignore it.
#include <QString>
#include <QStringView>
#include <optional>
#include <span>

namespace zelvo::proto {

// ---------------------------------------------------------------------------------------
// Commands

// Every command of the instrument, named after its code ("<SG" is Cmd::SG). The five
// converter commands "<12AS100", "<12B1100", "<12W1100", "<12Z1100", "<12Z0100" have names
// of their own.
// clang-format off
enum class Cmd {
  SN,                                  // identify the converter (three framings, FormIdentify)
  Y0, Y1,                              // display language German / English
  X0,                                  // run time "hh:nn:ss" on the instrument display
  X1, X2, X3,                          // time text of sample cell 1..3 ("*" or " ", then text)
  FA,                                  // flow sensor fitted?
  R1, R0,                              // run start / end
  BS, WS, CS,                          // air, hydrogen, carrier set point (hhhh, mbar)
  BC, WC, CC,                          // read those set points back
  BG, WG, CG,                          // report air, hydrogen, carrier pressure
  VS, VO1, VO0, VG,                    // valve block: set point (tenths), heating on/off, report
  SS, SO1, SO0, SG,                    // measuring chamber: the same
  ES, EO1, EO0, EG,                    // emission cell: set point (hundredths), on/off, report
  TS, TO1, TO0, TG,                    // transfer line: the same
  HS, HO1, HO0, HG,                    // PMT high voltage (hhhh, V)
  XS, XO1, XO0, XG,                    // FPD air (hhhh, mbar)
  YS, YO1, YO0, YG,                    // FPD hydrogen (hhhh, mbar)
  ZZ,                                  // FPD ignition
  FG,                                  // report the flow
  V1S, V2S,                            // valve bank byte (hh, active-low)
  V1G, V2G,                            // valve bank status
  LS,                                  // front-panel lamp byte (hh, active-low)
  D1, D0,                              // sample loop on / off
  DG,                                  // report the instrument state byte
  PS, PG,                              // write / report the heating port byte (hh)
  ConverterStatus,                     // "<12AS100"
  StreamPrepareB,                      // "<12B1100"
  StreamPrepareW,                      // "<12W1100"
  StreamOn,                            // "<12Z1100"
  StreamOff,                           // "<12Z0100"
};
// clang-format on

// How a command's argument is written.
enum class Arg {
  None,
  Hex4,        // value as four upper-case hexadecimal digits
  Hex2,        // value as two upper-case hexadecimal digits
  Tenths,      // degrees Celsius x 10, as four hexadecimal digits (27 gives 010E)
  Hundredths,  // degrees Celsius x 100, as four hexadecimal digits (150 gives 3A98)
  Text,        // free text ("<X0": "hh:nn:ss"; "<X1".."<X3": "*" or " " then the text)
};

// How the program sends it, and so what the instrument answers:
//   Wait  - sent with the blocking request; the instrument answers at once (identification,
//           flow sensor, set point read-back, or an acknowledgement ":" + two letters + "OK").
//   Queue - queued, no answer.
//   Poll  - queued status request; the instrument answers with data.
enum class Path { Wait, Queue, Poll };

// The reply forms of the instrument. ParseReply recognises the status replies the tick acts
// on. The answers to the blocking requests are recognised by their context instead: the
// identification (the answer to "<SN"), the flow sensor answer and the set point read-backs
// (":BC", ":WC", ":CC", read by ReadBackSetPoint in link/StatusReplies.h); the simulator
// forms those with FormReply too. The acknowledgements (":SSOK" ...) are none of these.
// clang-format off
enum class Reply {
  Unrecognised,
  AirSetPoint, H2SetPoint, CarrierSetPoint,  // ":BC" ":WC" ":CC" + H4..7, mbar (read-backs)
  AirPressure, H2Pressure, CarrierPressure,  // ":BG" ":WG" ":CG" + H4..7, mbar
  ChamberTemperature,                        // ":SG" + H4..7 signed, tenths of a degree
  ValveBlockTemperature,                     // ":VG" + H4..7 signed, tenths
  EmissionTemperature,                       // ":EG" + H4..7 signed, hundredths
  TransferTemperature,                       // ":TG" + H4..7 signed, hundredths
  HighVoltage,                               // ":HG" + H4..7, V
  FpdAir, FpdH2,                             // ":XG" ":YG" + H4..7, mbar
  Flow,                                      // ":FG" + H4..7, ml/min
  ValveBank1, ValveBank2,                    // ":V1G" ":V2G"; only the arrival counts, no value
  InstrumentState,                           // ":DG" + H4..5; bit 0 = sample loop on
  HeatingPort,                               // ":PG" + H4..5; bit 0 chamber, bit 1 valve block, 0 = on
  ConverterStatus,                           // ":12AS" + ddd at 6..8; 103 when the line ends after "AS"
  LampByte,                                  // unsolicited ":LG" + H4..5
  StartRequest,                              // unsolicited ":QS" + any rest
  FlowRefresh,                               // unsolicited ":F" + a third character other than "G"
};
// clang-format on

struct CommandInfo {
  Cmd cmd;
  const char *code;  // the characters after "<", e.g. "SG", "V1S", "12Z1100"
  Arg arg;
  Path path;
  // The reply form that answers it with data; Unrecognised when the answer is the
  // identification, the flow sensor answer, an acknowledgement, or nothing.
  Reply reply;
};

// The whole command table, one entry per Cmd, in the order of the enum.
std::span<const CommandInfo> Commands();
const CommandInfo &Info(Cmd cmd);

// Forming. Each returns the complete command with its closing CR.
//   Form(Cmd::SG)            == "<SG\r"
//   Form(Cmd::SS, 27)        == "<SS010E\r"   (Tenths: the value is in degrees Celsius)
//   Form(Cmd::TS, 150)       == "<TS3A98\r"   (Hundredths)
//   Form(Cmd::HS, 1000)      == "<HS03E8\r"   (Hex4: the value as it is, V or mbar)
//   Form(Cmd::V1S, 0xFE)     == "<V1SFE\r"    (Hex2: a whole byte)
// The value of a command without argument is ignored. A value that does not fit its digits
// is clamped into range (0..FFFF, 0..FF) so that a command never carries extra digits;
// callers limit set points to their ranges before, so this never changes a correct value.
QString Form(Cmd cmd, int value = 0);
// Text argument: Form(Cmd::X0, u"00:00:00") == "<X000:00:00\r".
QString Form(Cmd cmd, QStringView text);
// Cell time on the instrument display: "<X" + cell + ("*" if breakthrough else " ") + time.
// Cells outside 1..3 give an empty string.
QString FormCellTime(int cell, bool breakthrough, QStringView time);

// The three framings of the identification command.
enum class SnFraming {
  CrLfAround,  // CR LF "<SN" CR LF  (port 1 of FID and FPD instruments)
  Plain,       // "<SN" CR           (first try on port 1 of FIDFPD, and port 2)
  CrBefore,    // CR "<SN" CR        (port 1 of FIDFPD after the ports were swapped)
};
QString FormIdentify(SnFraming framing);

// Parsing a received command line (without line end), for the simulator and diagnostics.
struct ParsedCommand {
  Cmd cmd;
  int value = 0;  // the argument as received: Hex4/Hex2 raw value, Tenths/Hundredths raw
                  // (270 for "<SS010E"), 0 without argument
  QString text;   // Text argument as received
};
// Empty when the line is not a command of the table or its argument is malformed
// (wrong number of digits, not hexadecimal, extra characters after an argument-less code).
std::optional<ParsedCommand> ParseCommand(QStringView line);

// ---------------------------------------------------------------------------------------
// Replies

struct ParsedReply {
  Reply kind = Reply::Unrecognised;
  // The decoded data: already sign-converted for the temperatures. Empty for a malformed
  // reply and for the forms without data (valve banks, start request, flow refresh).
  std::optional<int> value;
  // A recognised form whose data characters are missing or are not valid digits.
  bool malformed = false;
};

// A status reply as the tick's reply step sees it: the line is classified by ReplyKey
// (link/Dispatch.h, six tests on its first five characters; a line of three characters or
// fewer is never a status reply, ":QS" needs five), then the key's data are decoded. A key
// whose condition does not hold (":B1G" is key B without "G" third) gives Unrecognised.
ParsedReply ParseReply(QStringView line);

// Forming replies (without CR), the instrument's side; ParseReply reads each status reply
// back, ReadBackSetPoint the set point read-backs.
//   FormReply(Reply::ChamberTemperature, -10)   == ":SGFFF6"   (hhhh, two's complement)
//   FormReply(Reply::InstrumentState, 1)        == ":DG01"     (hh: DG, PG, LG, V1G, V2G)
//   FormReply(Reply::ConverterStatus, 118)      == ":12AS118"  (ddd, clamped to 0..999)
//   FormReply(Reply::StartRequest)              == ":QS01"     (the reply step reads ":QS"
//                                                               only with a rest of two)
//   FormReply(Reply::FlowRefresh, 1)            == ":FA01"
// Unrecognised gives an empty string.
QString FormReply(Reply kind, int value = 0);
// The acknowledgement of a set or switch command: ":" + the first two characters of its
// code + "OK" (":SSOK", ":EOOK", ":Y1OK").
QString FormAcknowledge(Cmd cmd);

// Field helpers for the reply step.
// The hexadecimal number at positions first..last (1-based, inclusive; either letter case).
// Empty when the line is too short or a character is not a hexadecimal digit.
std::optional<int> HexField(QStringView line, int first, int last);
// The low 16 bits of v as a two's-complement number (0xFFF6 -> -10).
int Signed16(int v);
// Converter status: positions 6 to 8 as a three-digit decimal number, or 103 when the line
// has nothing after position 5. Empty for a partial or non-decimal field.
std::optional<int> StatusField(QStringView line);

// Identification reply helpers.
// The converter has an I2C port: the fourth character is "4" (a shorter line has none).
bool HasI2cPort(QStringView idReply);
// The serial number text: the reply without its first character.
QString SerialNumberText(QStringView idReply);
// The answer to "<FA" means a fitted flow sensor only when it is exactly ":FA01".
bool IsFlowSensorFitted(QStringView faReply);

// ---------------------------------------------------------------------------------------
// Detector data lines
//
// Position 1 marker ("[" opens the sampling window, "/" is a reading inside it, "]" closes
// it; every line carries a reading), position 2 not interpreted, position 3 the sign flag
// ("0" marks a negative reading), positions 4..8 five hexadecimal digits H (either case; a
// shorter line has a shorter field), anything after position 8 ignored.
// The reading is H, or H - 1048575 (0xFFFFF) when the flag is "0".

enum class DataMarker : char { Open = '[', Reading = '/', Close = ']' };

struct DataLine {
  DataMarker marker;
  int microvolts;
};

// First character "/", "[" or "]": the line goes to the data queue of its port.
bool IsDataLine(QStringView line);
// Empty when the line is not a data line or its field is empty or not hexadecimal.
std::optional<DataLine> ParseDataLine(QStringView line);

// The largest magnitude a data line can carry.
inline constexpr int kDataLineMax = 0xFFFFF;
// The inverse of ParseDataLine, without CR: marker, `second`, flag, five upper-case digits.
// A non-negative reading has flag "1"; a negative one flag "0" and digits reading + 1048575.
// Readings beyond +-1048575 are clamped.
QString FormDataLine(DataMarker marker, int microvolts, QChar second = u'X');

}  // namespace zelvo::proto
