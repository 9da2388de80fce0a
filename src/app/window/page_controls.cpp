#include "app/window/page_controls.h"

#include <algorithm>

#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"

namespace veltrane::app {

TPageControl* pageControlModel(TForm1& form, std::u16string_view name) {
    if (name == u"PageControl1") return &form.PageControl1;
    if (name == u"PageControl2") return &form.PageControl2;
    return nullptr;
}

PageControls::PageControls(TForm1& form) : form_(form) {}

void PageControls::tabChosen(std::u16string_view pageControl, int index) {
    TPageControl* model = pageControlModel(form_, pageControl);
    if (!model) throw Error("The window model has no page control named " + utf16ToUtf8(pageControl));
    model->ActivePageIndex = index;
}

std::vector<PageControls::ShownPage> PageControls::pagesToShow() const {
    std::vector<ShownPage> shown;
    // A parent comes before its children in the table, so its reverse order puts inner page controls first.
    const auto rows = windowControls();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (row->kind != ControlKind::PageControl) continue;
        const TPageControl* model = pageControlModel(form_, row->name);
        const auto pages = static_cast<int>(childrenOf(row->name).size());
        if (!model || pages == 0) continue;
        shown.push_back({&*row, std::clamp(model->ActivePageIndex, 0, pages - 1)});
    }
    return shown;
}

std::vector<std::u16string> PageControls::showHandlers(const std::function<bool(const ControlRow& sheet)>& inSight) {
    // Every page is looked at before any handler runs: a handler renders again, which asks again.
    std::vector<std::u16string> handlers;
    for (const auto& row : windowControls()) {
        if (row.kind != ControlKind::TabSheet) continue;
        if (!inSight(row)) {
            inSight_.erase(row.name);
        } else if (inSight_.insert(row.name).second && !row.handler.empty()) {
            handlers.push_back(row.handler);
        }
    }
    return handlers;
}

std::vector<std::u16string> PageControls::exitHandlers(const Holds& heldBefore, const Holds& heldNow) const {
    std::vector<std::u16string> handlers;
    for (const auto& row : windowControls())
        if (row.kind == ControlKind::PageControl && !row.handler.empty() && heldBefore(row) && !heldNow(row))
            handlers.push_back(row.handler);
    return handlers;
}

}  // namespace veltrane::app
