#pragma once

#include "plib/perror.h"

// The platform's own source of system error texts (plib/win: the system message table in
// language 1033; plib/posix: none, so texts take the "Unknown error (" form). Used while no
// other source is installed with PSetSystemMessageSource.
PSystemMessageSource PPlatformSystemMessageSource() noexcept;
