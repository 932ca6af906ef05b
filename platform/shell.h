// The shell's "open" operation: start a program, or hand a document or web address to
// the desktop. Also the desktop's text editor and the help viewer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits a parameter string the way Windows splits a command line: blanks separate,
// double quotes group, 2n backslashes before a quote give n backslashes and the quote
// counts, 2n+1 give n backslashes and a literal quote, "" inside quotes is one quote.
std::vector<std::string> SplitCommandLine(std::string_view parameters);

// Full path of a program: `name` itself when it contains a delimiter and is an
// executable file, else the first executable of that name on PATH; empty when none.
std::string FindProgram(const std::string &name);

// Opens `file` with `parameters`. A program (executable file, or a bare name found on
// PATH) is started directly as an independent process, never through a shell, with the
// parameters split by SplitCommandLine. A document or an http:, https: or mailto:
// address goes to the desktop's opener. False on failure; LastErrorText says why.
bool ShellOpen(const std::string &file, const std::string &parameters);

// The desktop's text editor (full path of its program), or empty when none is found:
// the default application for plain text, else the first common editor on PATH.
std::string DesktopTextEditor();

// Shows a help file in whatever viewer the desktop offers for it. False on failure.
bool OpenHelp(const std::string &helpFile);

}  // namespace platform
