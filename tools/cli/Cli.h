// What every corvale-tool subcommand shares: output, usage errors, option
// parsing helpers, and the table of subcommands that main() dispatches on.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/DisplayFilters.h"
#include "display/DisplayState.h"
#include "record/LeadArrays.h"

namespace corvale::cli {

void Out(const QString& s);
/// One line on standard error, control characters escaped (it may hold a file name).
void Err(const QString& s);

/// Before the application exists: keeps Qt's own notes (a missing runtime
/// directory, a platform plug-in's remarks, a codec's warnings) off standard
/// error, where only the tool's messages belong, and lets a file-size limit
/// fail a write with its reason instead of ending the process. An interrupted
/// run (SIGINT, SIGTERM, SIGHUP) removes its temporary files before it ends.
void PrepareProcess();

/// The bytes to open for the file argument `arg` (see corvale::NativePath):
/// main() gives every subcommand its arguments as ShownArguments makes them,
/// so a Shift-JIS file name reaches the file it names.
QByteArray NativePath(const QString& arg);

/// One subcommand: its name, its usage lines, what it does in a paragraph, and the code.
struct Command {
  const char* name;
  const char* usage;
  const char* about;
  int (*run)(const QStringList& args);
};

/// Reports a wrong command line for `command` (with its usage) and returns 2.
int Usage(const Command& command, const QString& problem);

/// True for "--help" and "-h".
bool IsHelp(const QString& arg);
/// Prints the usage and description of `command` on standard output; returns 0.
int Help(const Command& command);

/// One output file and its bytes.
struct Output {
  QString path;
  QByteArray bytes;
};

/// True when `a` and `b` name the same file: by identity when both exist (a
/// link or a second name counts), by resolved path when one does not yet.
bool SameFile(const QString& a, const QString& b);

/// Reports and returns false when an output may not be written: the same file
/// as an input or as another output, or something the safe writer refuses (a
/// directory, device, FIFO or dangling link).
bool CheckOutputs(const QStringList& outputs, const QStringList& inputs);

/// Writes every output through a temporary file beside it (every write
/// checked, flushed to disk, then renamed over the target), all written before
/// any is renamed. Reports the failure with the system's reason and returns
/// false; a failed output leaves its old file as it was and nothing beside it.
bool WriteOutputs(const std::vector<Output>& outputs, const QStringList& inputs);

/// A whole number in [lo, hi], or false.
bool ParseIntIn(const QString& text, int lo, int hi, int& value);

/// Enough worker threads for any machine; EDFlib keeps at most 64 files open at once.
inline constexpr int MaxThreads = 64;

/// The thread count of a batch subcommand, "-j N" or "-jN" (as make takes
/// it), 1..MaxThreads: sets `taken` when args[i] was one, and returns the
/// problem when its value is wrong.
std::optional<QString> TakeThreadsOption(const QStringList& args, int& i, int& threads, bool& taken);

/// A record of any format the formats registry reads, or null after reporting
/// why not. What the reader made up (derived leads) and its doubts (a checksum
/// that disagrees) go to standard error, each line naming the file.
std::unique_ptr<RecordImage> LoadRecord(const QString& file);

/// The lead arrays of a record of any readable format (as LoadRecord), or null
/// after reporting why not.
std::unique_ptr<LeadArrays> LoadLeads(const QString& file, RecordImage* record = nullptr);

/// Display options shared by render and print (--gain, --scheme, --span,
/// --offset, --limb-mode): sets `taken` when args[i] was one, and returns the
/// problem when its value is wrong.
std::optional<QString> TakeDisplayOption(const QStringList& args, int& i, DisplayState& state, bool& taken);

/// The filters of render, print and export: "--filter LIST" in the syntax
/// "baseline[=0.67|0.05],mains=50|60,muscle=25|35|40". Sets `taken` when
/// args[i] was it, and returns the problem when its list is wrong.
std::optional<QString> TakeFilterOption(const QStringList& args, int& i, FilterSettings& filters, bool& taken);

extern const Command InfoCommand;
extern const Command ImportCommand;
extern const Command RenderCommand;
extern const Command PrintCommand;
extern const Command ExportCommand;
extern const Command MeasureCommand;

}  // namespace corvale::cli
