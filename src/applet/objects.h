// The numbered picture and sound objects an applet block carries, as the
// applet finds and makes them, with the helpers their users share.
#pragma once

#include <windows.h>

#include "content/format.h"
#include "content/machine_identity.h"
#include "content/object_list.h"
#include "imaging/rect.h"


constexpr unsigned long MAXOBJECTNUMBER = 16383;

int MakeNewAppletObject(APPLETOBJECT *out, void *list, int count, void *data, unsigned long kind);
int FindNumberedAppletObject(APPLETOBJECT *out, void *list, int count, unsigned long number);

