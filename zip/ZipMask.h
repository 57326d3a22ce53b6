// Selection of directory items by a file mask and an attribute mask.
#pragma once

#include <cstdint>
#include <string>

namespace zipmask {

// The mask as the selection uses it: the drive dropped (unless KeepDrive), "\" turned to "/".
std::string PrepareMask(const std::string& Mask, bool KeepDrive);

// "*" matches any run of characters and "?" any one, without regard to case. The first "*.*"
// counts as "*"; a trailing "." is removed from mask and name, and a mask that had one
// matches only names without an extension.
bool MatchesMask(const std::string& Name, const std::string& Mask);

// An item is selected when its name (without a trailing "/") or its bare file name matches
// the prepared mask, every hidden, system, volume and directory bit it carries is also in
// AttrMask, and, without Recurse, its folder is the mask's folder (without regard to case).
bool IsSelected(const std::string& ItemName, uint32_t ItemAttributes, const std::string& PreparedMask, int32_t AttrMask,
                bool Recurse);

} // namespace zipmask
