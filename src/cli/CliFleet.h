#pragma once

#include <QList>
#include <QString>
#include <QTextStream>
#include <functional>
#include <vector>

#include "cli/Cli.h"
#include "cli/CliCommands.h"
#include "cli/CliHelp.h"
#include "cli/CliTarget.h"
#include "cli/fleet/JobPool.h"

namespace ostrivane::cli {

// How many devices a fleet command works on at once unless --jobs says otherwise.
inline constexpr int kDefaultFleetJobs = 4;

// One device of a fleet run: its NAME (inventory NAME, or the label of a device found by --all)
// and where it is; failure is set when it cannot even be tried (an identifier nobody announced).
struct FleetMember {
  QString name;
  Target target;
  QString failure;
};

struct Fleet {
  QList<FleetMember> members;
  JobPoolOptions pool;
};

// The position of a member (as RunFleet hands it to a job) in the fleet.
inline qsizetype IndexIn(const Fleet& fleet, const FleetMember& member) {
  return &member - fleet.members.constData();
}

// True when the command line names a fleet: --devices FILE, or --all.
bool NamesFleet(const CliArgs& args);
// Reads --devices FILE (or finds every device for --all) and --jobs. 0 with fleet filled, else the
// exit code with the reason printed: nothing has been sent to any device then.
int LoadFleet(CommandIo& io, Fleet& fleet);
// Runs job for every member on the pool and prints each member's text, every line started by its
// NAME, in inventory order. Returns the outcomes in that order.
std::vector<JobOutcome> RunFleet(CommandIo& io, const Fleet& fleet,
                                 const std::function<JobOutcome(const FleetMember&)>& job,
                                 bool print = true);
// The exit code of the started jobs' outcomes.
int FleetExit(const std::vector<JobOutcome>& outcomes);
// The command line one member's job runs: the fleet options replaced by the member's own target.
CliArgs MemberArgs(const CliArgs& args, const FleetMember& member);

// A member's job with its own text streams, session and command line.
struct MemberJob {
  MemberJob(CommandIo& io, const FleetMember& member)
      : out(&outcome.out),
        err(&outcome.err),
        args(MemberArgs(io.args, member)),
        own{out, err, args, io.trace},
        session(err, true, io.trace) {}
  // Connects; false with outcome.code set (the reason is in outcome.err).
  bool Connect() {
    outcome.code = ConnectForCommand(own, session);
    return outcome.code == kExitOk;
  }
  JobOutcome Finish(int code) {
    out.flush();
    err.flush();
    outcome.code = code;
    return outcome;
  }

  JobOutcome outcome;
  QTextStream out;
  QTextStream err;
  CliArgs args;
  CommandIo own;
  CliSession session;
};

// Any device command on every listed device: the command's own handler once per device.
int RunOnFleet(CommandIo& io, const CommandSpec& entry);

// find --json: every device found, each asked for its identity, firmware and MAC address.
QJsonObject FoundJson(CommandIo& io, const QList<Target>& found);

// Fleet commands.
int RunFindInventory(CommandIo& io);
int RunStatusScrape(CommandIo& io);
int RunRackCheck(CommandIo& io);
int RunConfigApply(CommandIo& io);
int RunFirmwareRollout(CommandIo& io);

}  // namespace ostrivane::cli
