// The fixed key with which the unattended-install file's INSTPASSWORD is ciphered.
#pragma once

inline constexpr const char* UnattendedPasswordKey = "{0F8D2B6E-3A71-4C95-B6D0-E29A4751C8F3}";
