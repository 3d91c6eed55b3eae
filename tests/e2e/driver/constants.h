#pragma once

#include <string>

// The numbers the tests share with the programs (control ids, exit codes, the wizard's size and
// scale steps, the message box's button layout) as one JSON object, read from the programs' own
// headers so that the tests never hold a copy.
std::string ConstantsJson();
