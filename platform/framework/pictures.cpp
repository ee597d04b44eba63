#include "platform/framework/pictures.h"

#include "platform/expr/picture.h"
#include "platform/runtime/window.h"

namespace qv::fw {

void installPictures()
{
    rt::setPictureHooks({
        [](const std::string& value, const std::string& picture) { return expr::format(expr::Value(value), picture); },
        [](const std::string& text, const std::string& picture) { return expr::deformat(text, picture).toString(); },
    });
}

} // namespace qv::fw
