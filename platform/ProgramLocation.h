#pragma once

#include <QString>

namespace platform {

// Where the program's things are, worked out from where it runs.
//
// Run from the folder it was built in, everything sits beside the
// executable, as it always has. Installed (bin/ with share/tarvo/ and the
// private library folder beside it), or anywhere the executable's folder
// cannot be written, the files the program writes (the database, the error
// log, the stand-in machine, printed reports) live in the user's own data
// folder, which is laid down from the shipped templates.
struct ProgramLocation {
    // Where the database, the error log, machine/ and printed/ live.
    QString programFolder;
    // Where the control plug-ins are loaded from.
    QString plugInFolder;
    // The shipped templates the program folder was laid down from; empty
    // when the program runs in its own folder.
    QString templateFolder;
    // The templates are the executable's own folder, among other files:
    // only its shipped files and the machine are laid down from it.
    bool onlyShippedTemplates = false;
    // Why the program folder cannot be used, for the user, naming the
    // folder and the cause; empty when it can.
    QString problem;
};

// The facts the choice rests on, gathered by locateProgram() or a test.
struct ProgramSurroundings {
    QString executableFolder;
    bool executableFolderWritable = false;
    // The user's data folder ($XDG_DATA_HOME, ~/.local/share by default).
    QString dataHome;
};

ProgramLocation chooseProgramLocation(const ProgramSurroundings &around);

// Lays every template file the program folder lacks into it,
// creating folders as needed; a template named NAME.shipped is laid down as
// NAME. Nothing already there is replaced, so the user's database, edited
// machine files and log are never touched. Each file is copied under a
// temporary name and then linked into place without replacing, so two
// programs starting at once cannot half-write or overwrite one.
// Returns the paths that could not be laid down (empty on success).
QStringList layDownTemplates(const ProgramLocation &location);

// Why files cannot be made in `folder` (made first if missing), in plain
// words such as "Permission denied"; empty when they can.
QString folderProblem(const QString &folder);

// The location for this process: the facts read from the system, and the
// program folder laid down when it comes from templates. A program folder
// that cannot be made or laid down is told in `problem`; where the
// executable's own folder is passed over for the data folder, standard
// error says so.
ProgramLocation locateProgram(const QString &executableFolder);

} // namespace platform
