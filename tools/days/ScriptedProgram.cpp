#include "ScriptedProgram.h"

#include <algorithm>

#include "core/Cp1252.h"
#include "link/Protocol.h"
#include "link/SerialPort.h"

namespace zelvo::days {

namespace {
constexpr double kFillSeconds = 5;      // the sample loop fills before the injection
constexpr double kRetrySeconds = 1;     // between attempts to open a lost port
// Cycles of the six positions per run: 20 minutes at 20 s per position, long enough for the
// default scenario's cells to break through.
constexpr int kCyclesPerRun = 8;
}  // namespace

bool ScriptedProgram::Attach(const ProgramSetup &setup, QString &error) {
  setup_ = setup;
  portCount_ = setup.port2 ? 2 : 1;
  for (int i = 0; i < portCount_; ++i) {
    Port &p = ports_[static_cast<size_t>(i)];
    p.port = i == 0 ? setup.port1 : setup.port2;
    p.port->OnRxChar = [this, &p] { Receive(p); };
    p.port->OnError = [](const EComError &) {};  // a hang-up: the tick opens the port again
    try {
      p.port->Open();
    } catch (const EComError &e) {
      error = p.port->DeviceName() + QStringLiteral(": ") + e.Message();
      return false;
    }
  }
  return true;
}

void ScriptedProgram::Receive(Port &p) {
  for (int round = 0; round < 8 && p.port->Active() && p.port->InputCount() > 0; ++round)
    p.lines.Feed(p.port->ReadAvailable());
  figures_.queue = std::max<qint64>(figures_.queue, static_cast<qint64>(p.data.size() + p.replies.size()));
  dataLines_ += static_cast<qint64>(p.data.size());
  replies_ += static_cast<qint64>(p.replies.size());
  p.data.clear();
  p.replies.clear();
}

bool ScriptedProgram::Send(int port, const QString &line) {
  Port &p = ports_[static_cast<size_t>(port - 1)];
  if (port > portCount_ || !p.port->Active()) return false;
  try {
    p.port->WriteLine(Cp1252Encode(line));
    return true;
  } catch (const EComError &) {
    return false;  // lost with the line; the instrument's next command goes out again
  }
}

void ScriptedProgram::StartRun() {
  running_ = true;
  position_ = 1;
  cycle_ = 1;
  Send(1, proto::Form(proto::Cmd::R1));
  BeginPosition();
}

void ScriptedProgram::BeginPosition() {
  ++positions_;
  phase_ = Phase::Fill;
  phaseStart_ = Clock::Steady();
  Send(1, proto::Form(proto::Cmd::V1S, 0xFF & ~(1 << (position_ - 1))));  // active-low
  Send(1, proto::Form(proto::Cmd::D1));
}

void ScriptedProgram::Tick() {
  const TSteadySeconds now = Clock::Steady();
  for (int i = 0; i < portCount_; ++i) {
    Port &p = ports_[static_cast<size_t>(i)];
    if (p.port->Active() || now < p.retryAt) continue;
    p.retryAt = now + kRetrySeconds;
    if (!p.port->DeviceExists()) continue;
    try {
      p.port->Open();
      ++reconnects_;
    } catch (const EComError &) {
    }
  }
  if (!running_) return;
  if (now >= nextPoll_) {  // a status poll every second
    nextPoll_ = now + 1.0;
    Send(1, proto::Form(proto::Cmd::SG));
  }
  if (phase_ == Phase::Fill && now - phaseStart_ >= kFillSeconds) {
    for (int port = 1; port <= portCount_; ++port) {
      Send(port, proto::Form(proto::Cmd::StreamPrepareB));
      Send(port, proto::Form(proto::Cmd::StreamPrepareW));
    }
    Send(1, proto::Form(proto::Cmd::D0));  // injection
    for (int port = 1; port <= portCount_; ++port) Send(port, proto::Form(proto::Cmd::StreamOn));
    phase_ = Phase::Stream;
    phaseStart_ = now;
  } else if (phase_ == Phase::Stream && now - phaseStart_ >= setup_.secondsPerPosition) {
    for (int port = 1; port <= portCount_; ++port) Send(port, proto::Form(proto::Cmd::StreamOff));
    if (position_ < 6 || cycle_ < kCyclesPerRun) {
      if (position_ == 6) ++cycle_;
      position_ = position_ % 6 + 1;
      BeginPosition();
    } else {
      Send(1, proto::Form(proto::Cmd::R0));
      running_ = false;
    }
  }
}

void ScriptedProgram::Finish() {
  if (!running_) return;
  for (int port = 1; port <= portCount_; ++port) Send(port, proto::Form(proto::Cmd::StreamOff));
  Send(1, proto::Form(proto::Cmd::R0));
  running_ = false;
}

}  // namespace zelvo::days
