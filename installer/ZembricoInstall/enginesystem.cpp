#include "installer/ZembricoInstall/enginesystem.h"

#include <shlobj.h>

#include <cerrno>
#include <cwchar>
#include <string>

#include "plib/perror.h"
#include "plib/pstringencoding.h"
#include "plib/putf16.h"
#include "plib/win/unique.h"

namespace {

struct ComRelease {
  void operator()(IUnknown* object) const noexcept { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease>;

}  // namespace

std::wstring Wide(std::string_view text) {
  PUtf16Block block;
  PStringToUtf16(block, PString(std::string(text).c_str()), &PMixedEncoding());
  const wchar_t* units = reinterpret_cast<const wchar_t*>(block.c_str());
  return units ? std::wstring(units) : std::wstring();
}

bool DirectoryExists(const std::string& path) {
  WIN32_FIND_DATAW found;
  UniqueFind search(FindFirstFileW(Wide(path).c_str(), &found));
  if (!search) return false;
  if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    throw PInternalError("same name object but not a directory");
  return true;
}

bool MakeDirectory(const std::string& path) {
  if (_wmkdir(Wide(path).c_str()) == 0) return true;
  if (errno == EEXIST) return false;
  const std::string text = "Unable to create directory: " + std::to_string(errno);
  throw PInternalError(text.c_str());
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DeleteFileAt(const std::string& path) { return DeleteFileW(Wide(path).c_str()) != 0; }

HKEY OpenOrCreateKey(HKEY root, const std::string& keyPath) {
  HKEY key = nullptr;
  const std::wstring wide = Wide(keyPath);
  if (RegOpenKeyExW(root, wide.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) return key;
  if (RegCreateKeyExW(root, wide.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS)
    return key;
  const size_t slash = keyPath.rfind('\\');
  if (slash == std::string::npos) return nullptr;
  UniqueRegKey parent(OpenOrCreateKey(root, keyPath.substr(0, slash)));
  if (!parent) return nullptr;
  if (RegCreateKeyExW(root, wide.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS)
    return key;
  return nullptr;
}

bool WriteRegistryString(HKEY root, const std::string& keyPath, const char* name,
                         const std::string& value) {
  UniqueRegKey key(OpenOrCreateKey(root, keyPath));
  if (!key) return false;
  const std::wstring data = Wide(value);
  return RegSetValueExW(key.get(), Wide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

HRESULT CreateShortcut(const std::string& target, const std::string& linkFile,
                       const std::string& workingFolder, const std::string& arguments,
                       const std::string& iconFile, int iconIndex) {
  IShellLinkW* rawLink = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IShellLinkW, reinterpret_cast<void**>(&rawLink));
  if (FAILED(result)) return result;
  ComPtr<IShellLinkW> link(rawLink);
  link->SetPath(Wide(target).c_str());
  link->SetWorkingDirectory(Wide(workingFolder).c_str());
  if (!arguments.empty()) link->SetArguments(Wide(arguments).c_str());
  if (!iconFile.empty()) link->SetIconLocation(Wide(iconFile).c_str(), iconIndex);
  IPersistFile* rawFile = nullptr;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile));
  if (FAILED(result)) return result;
  ComPtr<IPersistFile> file(rawFile);
  return file->Save(Wide(linkFile).c_str(), TRUE);
}

std::string SystemErrorText(DWORD code) {
  PString text;
  PSystemErrorText(text, static_cast<std::int32_t>(code));
  return std::string(text.view());
}
