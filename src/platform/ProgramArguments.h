#pragma once

#include <string>
#include <vector>

namespace platform {

// The arguments the program was started with, argv[0] first. On POSIX
// systems these are argv as it stands. On Windows they are read from the
// process's UTF-16 command line and given as UTF-8, as paths are
// (FileSystem.h), so that names outside the ANSI code page survive; argv is
// used only when that command line cannot be read.
std::vector<std::string> programArguments(int argc, char** argv);

// Whether `argument`, which starts with "/", is a switch for a program that
// takes switches starting with "/" as well as "-" (the Windows convention).
// On Windows it always is. On other systems, where "/" starts every absolute
// path, it is a path when it names an existing file or directory or holds a
// second "/" ("/tmp/in.bmp"), and a switch otherwise ("/?", "/o").
bool slashArgumentIsSwitch(const std::string& argument);

// The Windows command line that hands `args` to a program exactly as given:
// each argument in double quotes when it is empty or holds a blank, a tab or
// a double quote, with the backslashes and double quotes in it escaped the
// way the C runtime's splitting (and CommandLineToArgvW) undoes.
std::string quotedCommandLine(const std::vector<std::string>& args);

}  // namespace platform
