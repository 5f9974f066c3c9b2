// What every corvale-tool subcommand shares: output, usage errors, option
// parsing helpers, and the table of subcommands that main() dispatches on.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "display/DisplayState.h"
#include "record/LeadArrays.h"

namespace corvale::cli {

void Out(const QString& s);
/// One line on standard error.
void Err(const QString& s);

/// One subcommand: its name, its usage lines, what it does in a paragraph, and the code.
struct Command {
  const char* name;
  const char* usage;
  const char* about;
  int (*run)(const QStringList& args);
};

/// Reports a wrong command line for `command` (with its usage) and returns 2.
int Usage(const Command& command, const QString& problem);

/// A whole number in [lo, hi], or false.
bool ParseIntIn(const QString& text, int lo, int hi, int& value);

/// The lead arrays of a record file, or null after reporting why not.
std::unique_ptr<LeadArrays> LoadLeads(const QString& file);

/// Display options shared by render and print (--gain, --scheme, --span,
/// --offset, --limb-mode): sets `taken` when args[i] was one, and returns the
/// problem when its value is wrong.
std::optional<QString> TakeDisplayOption(const QStringList& args, int& i, DisplayState& state, bool& taken);

extern const Command InfoCommand;
extern const Command ImportCommand;
extern const Command RenderCommand;
extern const Command PrintCommand;
extern const Command ExportCommand;

}  // namespace corvale::cli
