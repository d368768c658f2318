#pragma once

// Has the open child windows told (NotifyAll) of what the record commands of
// the store do: a deleted transit, new transits in the lists, a project
// deleting and deleted. The program calls this once at start.
void TellWindowsOfRecordChanges();
