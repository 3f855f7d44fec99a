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

// The handlers every page shares, under the names each page uses.
template <Page P>
struct SharedHandlers {
    static void cmdBack_Click() { ShowPreviousPage(P); }
    static void cmdExit_Click() { CancelPage(P); }
    static void Form_Unload(int& cancel) { RefuseUnload(P, cancel); }
};

// The events of a page with Next, Back and Cancel: its own Form_Load and
// cmdNext_Click, the shared cmdBack_Click, cmdExit_Click and Form_Unload.
template <Page P, int cmdNext, int cmdBack, int cmdExit, void (*Form_Load)(),
          void (*cmdNext_Click)()>
struct PageWithBack {
    using Shared = SharedHandlers<P>;
    static constexpr ui::ClickHandler kClicks[] = {{cmdNext, cmdNext_Click},
                                                   {cmdBack, Shared::cmdBack_Click},
                                                   {cmdExit, Shared::cmdExit_Click}};
    static constexpr ui::FormEvents kEvents = ui::Events(Form_Load, Shared::Form_Unload, kClicks);
};

}  // namespace kv
