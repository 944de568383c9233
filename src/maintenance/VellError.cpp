#include "maintenance/VellError.h"

Error vellErrorWithCode(long code, const std::string& localizedDescription) {
    return Error{"com.vell", code, localizedDescription};
}

Rect centerRect(const Rect& frame) {
    return Rect{{frame.origin.x + frame.size.width * 0.5 - 0.5,
                 frame.origin.y + frame.size.height * 0.5 - 0.5},
                {1, 1}};
}
