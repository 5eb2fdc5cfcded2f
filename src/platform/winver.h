// winver.h — facts about the running Windows that other modules consult: whether it
// is of the NT family (platform id 2) and its major version number. Queried once
// at start-up; both read 0 until then.
#pragma once

int ver_Query();
int ver_IsNT();
int ver_Major();
