#include "pages.h"

#include "license_page.h"
#include "welcome_page.h"
#include "options_page.h"
#include "session.h"

namespace kv {

namespace {

void GoTo(Page from, Page to) {
    PageForm(from).Hide();
    PageForm(to).Show();
}

}  // namespace

ui::Form& PageForm(Page page) {
    switch (page) {
    case Page::Welcome: return frmOne;
    case Page::License: return frmLicense;
    case Page::Options: break;
    }
    return frmTwo;
}

void ShowNextPage(Page page) { GoTo(page, PageAfter(page, Settings().license)); }

void ShowPreviousPage(Page page) { GoTo(page, PageBefore(page, Settings().license)); }

void CancelPage(Page page) { ConfirmExit(PageForm(page)); }

void RefuseUnload(Page page, int& cancel) {
    ConfirmExit(PageForm(page));
    cancel = 1;
}

}  // namespace kv
