// Resource numbers shared by installer.rc and the window designs.
#pragma once

// The program icon: the lowest icon number, so it is also the .exe's icon.
#define IDI_PROGRAM 1
// The logo on the wizard pages: 117 x 226 pixels.
#define IDB_LOGO 2
