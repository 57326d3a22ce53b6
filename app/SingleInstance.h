// One installer at a time on the machine: two would remove the same earlier version, write the
// same folder and records, and, in one session, unpack into the same folder, write the same log
// file and delete each other's files when they close. A silent run as SYSTEM and an
// administrator's wizard in another session count as two as well.
#pragma once

#include <string>

extern const char* const AlreadyRunningMessage; // "Brisel Backup 7 Setup is already running."

// The lock's file and the security it is made with: SYSTEM and the Administrators alone.
std::string MachineLockPath();
extern const char* const MachineLockSddl;

enum class SingleInstance { Claimed, AnotherCopy };

// Claimed for the first installer, which holds the claim until it ends. A lock that anything
// else holds, a program of an ordinary user included, is no other copy. Without administrator
// rights (where the machine's lock cannot be made) the claim spans the session only.
SingleInstance ClaimSingleInstance();
