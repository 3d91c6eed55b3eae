#pragma once

#include <cstdint>
#include <vector>

// zbtag check: whether an installer file is as Windows' strictest signature check and the
// installer's own reader need it. Prints one line per check, "NAME: ok, ..." or
// "NAME: FAILED, ...", and returns the number of failed checks.
int CheckInstallerFile(const std::vector<std::uint8_t>& file);
