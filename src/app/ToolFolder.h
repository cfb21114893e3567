#pragma once
// Removal of the tool's own files after it has ended.

// Starts a hidden command interpreter from the system folder that waits
// three seconds, deletes the executable and the companion library beside it
// and removes their folder if nothing else is left in it (never a drive or
// share root). Fire and forget: always 1; when the executable's path cannot
// be had in full or is not fit for the command, nothing is started.
int RemoveToolFolder();
