#include "client/common/clientsystem.h"

#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/win/pfile.h"
#include "plib/win/pwidenarrow.h"

std::wstring WideText(const std::string& text) {
  PSysText wide(PString(text.c_str()), &PMixedEncoding(), /*wide=*/true);
  return std::wstring(wide.w(), wide.units());
}

std::string SystemErrorMessage(DWORD code) {
  PString text;
  PSystemErrorText(text, static_cast<std::int32_t>(code));
  return std::string(text.view());
}

bool FileExistsAt(const std::string& path) {
  return PFileExists(PString(path.c_str()), &PMixedEncoding());
}
