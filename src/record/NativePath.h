// Paths whose names the system's encoding cannot spell (Shift-JIS names from
// a Windows medium on a UTF-8 system). A QString cannot hold their bytes, so
// every path is held as it is shown (each name by ShownFileName) and turned
// back into bytes here, wherever a file is opened, listed or looked up.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvale {

/// A path from its bytes, as it is shown: name by name, ShownFileName.
QString ShownPath(const QByteArray& native);

/// The bytes that name `path`: its encoding in the system's encoding when
/// that names a file, or when every name in it is ASCII; otherwise, name by
/// name from the first that does not exist, the one entry of its directory
/// shown as that name. A name that no entry or more than one entry shows as
/// it keeps the system's encoding (and so names nothing).
QByteArray NativePath(const QString& path);

/// The bytes for an output `path`, which may not exist yet: its directory as
/// NativePath finds it, its own name in the system's encoding (a file we make
/// gets a name the system spells). Costs no directory listing, however many
/// outputs a batch writes into one directory.
QByteArray NativeOutputPath(const QString& path);

/// Whether `path` names anything, a file (a link to one counts) or a directory.
bool PathExists(const QString& path);
bool IsRegularFile(const QString& path);
bool IsDirectory(const QString& path);

/// Program arguments as they are shown: an argument whose bytes the system's
/// encoding cannot spell becomes its ShownPath, unless another argument's
/// different bytes decode to the same text in `decoded` (the two cannot be
/// told apart then, and stay as decoded). `decoded` is what the application
/// made of argv (QCoreApplication::arguments(): the toolkit's options out).
QStringList ShownArguments(int argc, const char* const* argv, const QStringList& decoded);

}  // namespace corvale
