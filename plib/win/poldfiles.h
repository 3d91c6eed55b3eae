#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Keeps the newest `keep` files in `folder` (program text) whose names `ours` accepts and
// removes the older ones, following no link; folders and links among them are left alone, and
// so is every name `ours` refuses. A file that cannot be removed stays.
void PRemoveOldFiles(const std::string& folder, const std::function<bool(std::string_view)>& ours,
                     std::size_t keep);
