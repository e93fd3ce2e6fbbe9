// Answers for people at a console: the host never passes these arguments.
#pragma once

namespace curvetext {

// True for --help, /? and --version: the arguments answer_query answers.
bool is_query(const char* arg);

// Prints the usage text for --help or /?, the version line for --version,
// and returns true, when any argument asks for one; the run then touches no
// file.
bool answer_query(char** argv);

} // namespace curvetext
