// broadcast_win32.h — messages between running copies through the two broadcast
// words of the shared instance table: "the settings have changed" (each copy
// reloads them and takes the new undo budget) and "end every instance".
#pragma once
#include <cstdint>

const uint32_t BROADCAST_SETTINGS = 0x1000;
const uint32_t BROADCAST_END = 0x9999;

// Served before every message: acts on a command meant for this process.
void ServeBroadcast();
// Writes the command for every copy, serves it here, then clears it; the command
// stands for at least the 2,000 ms this copy waits while serving it.
void SendBroadcast(uint32_t command);
