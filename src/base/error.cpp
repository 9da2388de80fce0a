#include "base/error.h"

namespace veltrane {

std::string formatMessage(std::string_view pattern, std::string_view arg) {
    std::string out(pattern);
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {
        if (out[i] == '%' && (out[i + 1] == 's' || out[i + 1] == 'd')) {
            out.replace(i, 2, arg);
            break;
        }
    }
    return out;
}

}  // namespace veltrane
