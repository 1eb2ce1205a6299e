#pragma once

#include <QString>

namespace shell {

// The shop's data lives in a folder of its own in the user's data home ($XDG_DATA_HOME,
// normally ~/.local/share), not beside the program: an installed program's folder cannot be
// written, and a build folder is thrown away.
QString dataFolderPath(); // ".../quorvel"; empty when the user has no home folder

// A file delivered with the program (schema.sql, 使用帮助.chm): beside the executable in a build
// folder, or in ../share/quorvel when installed. Empty when neither has it.
QString deliveredFile(const QString& name);

// The first start: makes folder with a new data.mdb from schemaFile and a copy of helpFile
// (when there is one), all in a temporary folder renamed into place, so a failed start leaves
// nothing half-made. Returns false, touching nothing, when folder exists already: a data.mdb
// missing from a used folder is reported, never silently replaced by an empty one.
// Throws core::Error naming the folder and the reason.
bool makeDataFolder(const QString& folder, const QString& schemaFile, const QString& helpFile);

// Puts the delivered help file into folder when it is missing there or differs (after an
// update). The shop's own files are never touched. Returns an empty text or what went wrong.
QString refreshHelpFile(const QString& folder, const QString& helpFile);

// Start-up: makes the data folder on the first start, refreshes the help in it and makes it the
// working directory, where data.mdb and the help file are looked up. Returns the folder.
// Throws core::Error with a message for the user.
QString enterDataFolder();

} // namespace shell
