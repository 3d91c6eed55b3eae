#pragma once

// The resources the build puts into the setup program and the client's programs, all of type
// "ZB" (the resource scripts: installer/ZembricoInstall/program/ZembricoInstall.rc.in,
// resources/pictures.rc, client/client.cmake and the client's own).
inline constexpr wchar_t kResourceType[] = L"ZB";

// The payload archive.
inline constexpr int kPayloadResource = 130;
// The build-options text.
inline constexpr int kBuildOptionsResource = 131;
// The uninstaller's list of the payload's files (client/core/uninstallplan.h), which it alone
// may delete from the install folder.
inline constexpr int kPayloadListResource = 132;
// The compiled message table.
inline constexpr int kMessageTableResource = 205;
// The first background picture; the build's background index counts from it (108, ...).
inline constexpr int kFirstBackgroundResource = 107;
// The same backgrounds drawn at 200 %, for the larger scale factors (117, ...).
inline constexpr int kFirstBackgroundMasterResource = 117;
// Every bitmap's 200 % master, in one LZMA-packed block.
inline constexpr int kBitmapMastersResource = 119;
