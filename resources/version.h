// The program's version, shared by the version resource (installer.rc) and
// the code that shows it (the About box). Plain defines: the resource
// compiler reads this file too.
#pragma once

#define KV_VERSION_MAJOR 1
#define KV_VERSION_MINOR 0
#define KV_VERSION_REVISION 12
// The same numbers as the resource's text form: minor in two digits,
// revision in four.
#define KV_VERSION_TEXT "1.00.0012"
