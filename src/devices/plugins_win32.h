// plugins_win32.h — device plug-ins and the plug-in manager: the Devices menu's
// import and export through a chosen device plug-in, and the dialog that lists,
// installs, configures and removes the DLLs of the program's "Plugins" folder.
//
// A plug-in is loaded by its absolute path around one call and freed right after;
// every call into it is guarded: a plug-in that faults is reported and the program
// goes on.
#pragma once
#include <windows.h>
#include <cstddef>
#include "engine/surface.h"

// "Select an External Device Plugin" for the export `wanted` ("dev_LoadPicture" or
// "dev_SavePicture"); the chosen DLL's file name goes to `name`. 1 when a device was
// chosen and its file is in the plug-in folder.
int plugin_DeviceChooserDialog(HWND owner, const char* wanted, char* name, size_t cap);
// Acquires an image from the device plug-in into `out` (replacing what it held). 1 on success.
int plugin_DeviceLoad(Surface* out, const char* dllName, HWND main);
// Sends `image` to the device plug-in; the plug-in's result (0 on failure).
int plugin_DeviceSave(Surface* image, const char* dllName, HWND main);
// The Devices menu's two commands, with their words to the user: no device chosen
// says "No device was selected."; a failed import or export says so and leaves
// " Cancelled" on the status line; a done export leaves " Complete...".
// Import: 1 when `out` holds the device's image. Export: 1 when the device took `image`.
int plugin_ImportFromDevice(Surface* out, HWND main);
int plugin_ExportToDevice(Surface* image, HWND main);
// "Kelvara - Plugin Manager".
void plugin_ManagerDialog(HWND owner);
// Installs a plug-in DLL (a shortcut is followed) into the plug-in folder, never
// overwriting a file there; says so when it worked, refuses a DLL that is no plug-in.
// 1 when installed.
int plugin_Install(HWND owner, const char* path);
// Deletes the plug-in and its own .ini, .cfg and .kvr files after two confirmations.
int plugin_Uninstall(HWND owner, const char* fileName);
