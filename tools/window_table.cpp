// Prints where a control of the window table sits, for scripts that click the real window.
// Usage: window-table place NAME
// Output: "left top width height pages": the control's rectangle in the window's client area at 96 dpi, each page
// control it is on counted at that control's own origin, and how many page controls it is on. The toolkit puts a
// page inside its page control's frame and below its tabs; a script adds that inset once per page control.

#include "app/window/window_table.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/text.h"

using namespace veltrane;

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "place") != 0) {
        std::fprintf(stderr, "usage: %s place NAME\n", argv[0]);
        return 2;
    }
    const std::u16string name = utf8ToUtf16(argv[2]);
    const app::ControlRow* row = app::findControl(name);
    if (!row) {
        std::fprintf(stderr, "the window has no control named %s\n", argv[2]);
        return 1;
    }
    int left = row->bounds.left, top = row->bounds.top, pages = 0;
    for (const app::ControlRow* parent = app::findControl(row->parent); parent;
         parent = app::findControl(parent->parent)) {
        if (parent->kind == app::ControlKind::PageControl) ++pages;
        left += parent->bounds.left;
        top += parent->bounds.top;
    }
    std::printf("%d %d %d %d %d\n", left, top, row->bounds.width, row->bounds.height, pages);
    return 0;
}
