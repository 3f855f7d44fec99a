// Resource numbers shared by installer.rc and the window designs.
#pragma once

// The program icon: the lowest icon number, so it is also the .exe's icon.
#define IDI_PROGRAM 1
