#pragma once

#include <windows.h>

#include "plib/pstring.h"

class PStringEncoding;

// The file name of `module` (null: the program's own), read through `encoding`; empty when the
// system cannot give it or it does not fit the 261-character buffer.
PString PModuleFileName(HMODULE module, const PStringEncoding* encoding);
