// Advertisement control files: any text gives items, and the pop-ups' geometry from them,
// without harm.

#include "common/logic/ad_control.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> items = ad_control::readItems(text);
    if (size > 0 && items.empty())
        std::abort(); // a text always holds at least one item
    ad_control::showsCornerPopup(items);
    for (std::size_t i = 0; i < items.size() && i < 16; ++i) {
        ad_control::sizeItem(items[i]);
        ad_control::item(items, i);
    }
    ad_control::exitPopupGeometry(items);
    return 0;
}
