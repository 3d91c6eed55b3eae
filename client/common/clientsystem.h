#pragma once

#include <windows.h>

#include <string>

// The few system facts the client's programs need around the system calls the Windows layer
// does not wrap (window classes, mutexes, folder removal, inherited handles).

// The system's text of `code`, as PSystemError words it.
std::string SystemErrorMessage(DWORD code);
bool FileExistsAt(const std::string& path);
// The process's command line as program text.
std::string CommandLineText();
// The system's folder for temporary files, ending in "\".
std::string TempFolderPath();

// The last word of a program that failed: `message` in an error box with no owner.
void ShowFailure(const std::string& message);
// A new log in the temporary folder that no one could have planted there,
// "<logStem>-<random>.log" (UnguessableLogName); the older logs of the stem beyond the newest
// few (kKeptTemporaryLogs) go.
std::string NewTemporaryLogPath(const char* logStem);
// Lines logged while no log was open (EarlyLog) go to a log of their own in the temporary
// folder (NewTemporaryLogPath) rather than nowhere.
void KeepUnwrittenLines(const char* logStem);
