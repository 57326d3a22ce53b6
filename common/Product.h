// The product that this program installs.
#pragma once

inline constexpr const char* ProductName = "Brisel Backup 7";
