#pragma once
// The page controls of the window table bound to the window model, the same for every toolkit: which page each
// one shows, how a tab the user picks reaches the model, which show handlers run as pages come into sight and
// which exit handlers run as the focus leaves a page control. A window only makes its toolkit's calls: it shows
// the pages it is told to, says which pages are in sight and where the focus was, and runs the handlers named.

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/window/controls.h"
#include "app/window/window_table.h"

namespace veltrane::app {

class TForm1;

// The window model's state of a page control of the table, or nullptr.
TPageControl* pageControlModel(TForm1& form, std::u16string_view name);

class PageControls {
public:
    explicit PageControls(TForm1& form);

    // The user picked the tab at index: the model's page changes, and the window shows it when it renders the
    // model next (which runs the page's show handler). Throws naming the page control when the model has none.
    void tabChosen(std::u16string_view pageControl, int index);

    struct ShownPage {
        const ControlRow* pageControl;
        int index;  // among its pages, within their range
    };
    // The page each page control of the table is to show, inner ones first, so an outer page that comes into
    // sight already shows the right page inside it.
    std::vector<ShownPage> pagesToShow() const;

    // To be asked once the window has shown the pages (and after it first became visible): the show handlers of
    // the pages that came into sight since it was last asked, in table order, so an outer page's handler runs
    // before that of the page inside it. A page that left sight runs its handler again when it comes back.
    std::vector<std::u16string> showHandlers(const std::function<bool(const ControlRow& sheet)>& inSight);

    // Whether a control lies in a page control (its tabs or one of its pages).
    using Holds = std::function<bool(const ControlRow& pageControl)>;
    // The exit handlers of the page controls the focus has left: heldBefore the control that had the focus,
    // heldNow the one that has it.
    std::vector<std::u16string> exitHandlers(const Holds& heldBefore, const Holds& heldNow) const;

private:
    TForm1& form_;
    std::set<std::u16string, std::less<>> inSight_;  // pages whose show handler has run since they came into sight
};

}  // namespace veltrane::app
