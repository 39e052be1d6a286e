// The show session of the saver: the show is loaded once, into a store held
// by the saver window, and every monitor that plays gets a show of its own
// from it (shell/monitor_show.h). The session starts the monitors' shows,
// gives new monitors one as the displays change, serves them while an
// applet keeps the thread, and ends them all before the store goes.
#pragma once

#include <windows.h>

// Loads the show of the file `path` into a store made as a child of `host`,
// the saver window on the primary monitor, and posts WM_CONTENTLOADED to it
// when the show loaded. Non-zero when it did.
int LoadSession(HWND host, const char *path);

// WM_CONTENTLOADED: sets the show up and starts it on the primary monitor
// and, when the show plays on every monitor, on the others.
void StartSession(HWND host);

// The displays changed: every monitor's show takes its monitor's size, and a
// new monitor joins the show when it plays on every monitor.
void SpreadSession();

// A monitor's window goes: its show ends.
void LeaveSession(HWND window);

// The saver window goes: the sound stops, every monitor's show ends, then
// the store is freed and the folder orders are kept for the next start.
void EndSession();
