#pragma once

#include <string>

// Starts `file` (a program with `arguments` in `folder`, or a web address with both empty) as
// the signed-in user, through the desktop shell, rather than with the setup program's
// administrator rights. False, after logging why, when no desktop shell would take it: the
// caller then starts it itself.
bool StartAsSignedInUser(const std::string& file, const std::string& arguments,
                         const std::string& folder);
