// One installer at a time in a session: two would unpack into the same folder, write the same
// log file and delete each other's files when they close.
#pragma once

extern const char* const AlreadyRunningMessage; // "Brisel Backup 7 Setup is already running."

// True for the first installer of the session, which holds the claim until it ends.
bool ClaimSingleInstance();
