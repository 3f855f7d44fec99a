// What the three wizard pages share on Windows: moving along the page
// sequence, and Cancel, Escape and the close box, which ask the exit
// question. Each page's handlers (cmdNext_Click, cmdBack_Click,
// cmdExit_Click, Form_Unload) call these.
#pragma once

#include "form.h"
#include "navigation.h"

namespace kv {

ui::Form& PageForm(Page page);

// Hides `page` and shows the page Next or Back leads to.
void ShowNextPage(Page page);
void ShowPreviousPage(Page page);

// Cancel: the exit question; the program ends on Yes.
void CancelPage(Page page);
// The close box: the exit question, and the page stays loaded whatever the
// answer (on Yes the program ends).
void RefuseUnload(Page page, int& cancel);

}  // namespace kv
